#include "savedata/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool (*g_failWriteStep)(WriteStep step) = nullptr;

namespace {

bool Injected(WriteStep step) { return g_failWriteStep != nullptr && g_failWriteStep(step); }

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

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

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::uint8_t buffer[16384];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool ReplaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::string temp = path + ".XXXXXX";
    int fd = Injected(WriteStep::Create) ? -1 : ::mkstemp(&temp[0]);
    if (fd < 0) {
        return false;
    }
    // mkstemp makes the file private; keep the permissions of the file it replaces.
    struct stat old {};
    ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

    bool ok = !Injected(WriteStep::Write) && WriteAll(fd, bytes.data(), bytes.size());
    ok = ok && !Injected(WriteStep::Sync) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0 && !Injected(WriteStep::Close);
    ok = ok && closed;
    ok = ok && !Injected(WriteStep::Rename) && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; the new file is in place whatever this says.
    const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}
