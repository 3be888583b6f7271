#include "savedata/SafeFile.h"

#include "fileio/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

bool (*g_failWriteStep)(WriteStep step) = nullptr;

namespace {

bool Injected(WriteStep step) { return g_failWriteStep != nullptr && g_failWriteStep(step); }

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Follows symbolic links to the final target, which need not exist yet (a
// link may point at a file still to be made). False on a loop or an
// unreadable link.
bool FinalTarget(const std::string& path, std::string& target)
{
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat link {};
        if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            return true;
        }
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
            return false;
        }
        // A relative link is relative to the folder the link is in.
        const std::string points(buffer, static_cast<std::size_t>(length));
        const std::string folder = FolderOf(target);
        target = points[0] == '/' || folder == "." ? points : folder + points;
    }
    return false;
}

// The test applies the effective ids, as opening the file would.
bool MayWrite(const std::string& path) { return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool StillHolds(const std::string& path, const std::vector<std::uint8_t>* expected)
{
    std::vector<std::uint8_t> now;
    return expected == nullptr || (ReadWholeFile(path, now) && now == *expected);
}

// A fresh file beside target. A new file is created with its mode so that
// the kernel applies the umask (and any default ACL); one that is to replace
// an existing file starts private and gets that file's mode later.
int CreateTemporary(const std::string& target, bool replacing, std::string& temp, unsigned mode = 0666)
{
    thread_local std::mt19937 random(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = target + ".";
        for (int i = 0; i < 6; ++i) {
            temp += kLetters[random() % (sizeof kLetters - 1)];
        }
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

void SyncFolder(const std::string& target)
{
    const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

// The turn of one writer; see ReplaceFile in the header.
class WriterLock {
public:
    WriterLock(const std::string& target, unsigned mode, const ReplaceOptions& options)
    {
        const std::string path = target + ".lock";
        const int common = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | common, mode);
        if (fd < 0) {
            // Made by another user, say; a lock needs no write access.
            fd = ::open(path.c_str(), O_RDONLY | common);
        }
        struct stat st {};
        if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd);
            fd = -1;
        }
        if (fd < 0) {
            fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        }
        // Whoever may read the lock file can hold it for ever: the wait ends.
        const auto deadline = std::chrono::steady_clock::now() + options.turnWait;
        auto pause = std::chrono::milliseconds(1);
        while (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool waiting = errno == EWOULDBLOCK || errno == EINTR;
            busy = waiting && std::chrono::steady_clock::now() >= deadline;
            if (!waiting || busy) {
                ::close(fd);
                fd = -1;
                break;
            }
            if (options.whileWaiting) {
                options.whileWaiting();
            }
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, std::chrono::milliseconds(50));
        }
    }
    ~WriterLock()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    bool Held() const { return fd >= 0; }
    bool Busy() const { return busy; }

private:
    int fd = -1;
    bool busy = false;
};

enum class Outcome { Done, Failed, InPlace };

// Gives the temporary file the replaced file's owner, group and mode. InPlace
// when the system will not allow that, as for a user who is not root giving a
// file away, or a file system that keeps no owners.
Outcome TakeOver(int fd, const struct stat& old)
{
    struct stat now {};
    if (::fstat(fd, &now) != 0) {
        return Outcome::Failed;
    }
    // fchmod after fchown, which may clear set-id bits.
    if (((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0) ||
        ::fchmod(fd, old.st_mode & 07777) != 0) {
        return errno == EPERM ? Outcome::InPlace : Outcome::Failed;
    }
    return Outcome::Done;
}

Outcome ThroughTemporary(const std::string& target, const struct stat* old, const std::vector<std::uint8_t>& bytes,
                         const std::vector<std::uint8_t>* expected, bool& changed)
{
    std::string temp;
    const int fd = Injected(WriteStep::Create) ? -1 : CreateTemporary(target, old != nullptr, temp);
    if (fd < 0) {
        return Outcome::Failed;
    }
    Outcome outcome = old != nullptr ? TakeOver(fd, *old) : Outcome::Done;
    bool ok = outcome == Outcome::Done;
    ok = ok && !Injected(WriteStep::Write) && WriteAll(fd, bytes.data(), bytes.size());
    ok = ok && !Injected(WriteStep::Sync) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    ok = ok && closed && !Injected(WriteStep::Close);
    // The game may have saved while this file was written: look once more,
    // as late as possible.
    ok = ok && !Injected(WriteStep::Rename);
    changed = ok && !StillHolds(target, expected);
    ok = ok && !changed && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return outcome == Outcome::InPlace ? outcome : Outcome::Failed;
    }
    // Make the rename itself durable; the new file is in place whatever this says.
    SyncFolder(target);
    return Outcome::Done;
}

// Rewrites the file itself, which keeps everything about it but its bytes. A
// failure part way leaves it damaged, so every byte is read back.
ReplaceResult InPlace(const std::string& target, const std::vector<std::uint8_t>& bytes)
{
    const int fd =
        Injected(WriteStep::Create) ? -1 : ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return ReplaceResult::Failed;
    }
    bool ok = !Injected(WriteStep::Write) && WriteAll(fd, bytes.data(), bytes.size());
    ok = ok && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
    ok = ok && !Injected(WriteStep::Sync) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    ok = ok && closed && !Injected(WriteStep::Close);
    std::vector<std::uint8_t> back;
    return ok && ReadWholeFile(target, back) && back == bytes ? ReplaceResult::Done : ReplaceResult::Damaged;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    return ReadInputFile(path, bytes) == ReadResult::Read;
}

ReplaceResult ReplaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                          const ReplaceOptions& options)
{
    std::string target;
    if (!FinalTarget(path, target)) {
        return ReplaceResult::Failed;
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists ? !S_ISREG(old.st_mode) || !MayWrite(target) : !MayWrite(FolderOf(target))) {
        return ReplaceResult::Failed;
    }
    std::optional<WriterLock> turn;
    if (options.takeTurns && !turn.emplace(target, exists ? old.st_mode & 0666 : 0666, options).Held()) {
        return turn->Busy() ? ReplaceResult::Busy : ReplaceResult::Failed;
    }
    if (!StillHolds(target, options.expected)) {
        return ReplaceResult::Changed;
    }
    // A further hard link would keep the old bytes after a rename.
    Outcome outcome = exists && (old.st_nlink > 1 || !MayWrite(FolderOf(target))) ? Outcome::InPlace : Outcome::Done;
    if (outcome == Outcome::Done) {
        bool changed = false;
        outcome = ThroughTemporary(target, exists ? &old : nullptr, bytes, options.expected, changed);
        if (changed) {
            return ReplaceResult::Changed;
        }
    }
    if (outcome == Outcome::InPlace) {
        if (!options.mayWriteInPlace || !options.mayWriteInPlace()) {
            return ReplaceResult::Failed;
        }
        if (!StillHolds(target, options.expected)) {
            return ReplaceResult::Changed;
        }
        return InPlace(target, bytes);
    }
    return outcome == Outcome::Done ? ReplaceResult::Done : ReplaceResult::Failed;
}

namespace {

NewFileResult Occupied(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint8_t> there;
    return ReadInputFile(path, there, false) == ReadResult::Read && there == bytes ? NewFileResult::Identical
                                                                                   : NewFileResult::Taken;
}

// Gives temp the name path unless that name is taken; false with errno set.
bool NameWithoutReplacing(const std::string& temp, const std::string& path)
{
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    // File systems without the exclusive rename mostly have hard links.
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return false;
    }
    if (::link(temp.c_str(), path.c_str()) != 0) {
        return false;
    }
    ::unlink(temp.c_str());
    return true;
}

}  // namespace

NewFileResult CreateNewFile(const std::string& path, const std::vector<std::uint8_t>& bytes, unsigned mode)
{
    struct stat there {};
    if (::lstat(path.c_str(), &there) == 0) {
        return Occupied(path, bytes);
    }
    std::string temp;
    const int fd = Injected(WriteStep::Create) ? -1 : CreateTemporary(path, false, temp, mode);
    if (fd < 0) {
        return NewFileResult::Failed;
    }
    bool ok = !Injected(WriteStep::Write) && WriteAll(fd, bytes.data(), bytes.size());
    ok = ok && !Injected(WriteStep::Sync) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    ok = ok && closed && !Injected(WriteStep::Close) && !Injected(WriteStep::Rename);
    if (ok && NameWithoutReplacing(temp, path)) {
        SyncFolder(path);
        return NewFileResult::Created;
    }
    const bool taken = ok && errno == EEXIST;
    ::unlink(temp.c_str());
    return taken ? Occupied(path, bytes) : NewFileResult::Failed;
}
