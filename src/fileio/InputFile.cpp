#include "fileio/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template <class Bytes>
ReadResult ReadInto(const std::string& path, Bytes& bytes, bool followLinks)
{
    bytes.clear();
    // Looked at before opening: opening a FIFO waits for a writer, and opening
    // a device may do something. The descriptor is looked at again, as the
    // name may have changed meanwhile.
    struct stat st {};
    if ((followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) {
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > kMaxInputFileBytes) {
        return ReadResult::Refused;
    }
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        return errno == ENOENT ? ReadResult::Missing : errno == ELOOP ? ReadResult::Refused : ReadResult::Failed;
    }
    ReadResult result = ReadResult::Read;
    if (::fstat(fd, &st) != 0) {
        result = ReadResult::Failed;
    } else if (!S_ISREG(st.st_mode)) {
        result = ReadResult::Refused;
    } else {
        bytes.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), kMaxInputFileBytes) + 1);
        // A file may grow while it is read.
        char buffer[65536];
        for (;;) {
            const std::size_t room = kMaxInputFileBytes + 1 - bytes.size();
            const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, room));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                result = ReadResult::Failed;
                break;
            }
            if (got == 0) {
                break;
            }
            bytes.insert(bytes.end(), buffer, buffer + got);
            if (bytes.size() > kMaxInputFileBytes) {
                result = ReadResult::Refused;
                break;
            }
        }
    }
    ::close(fd);
    if (result != ReadResult::Read) {
        bytes.clear();
    }
    return result;
}

}  // namespace

ReadResult ReadInputFile(const std::string& path, std::string& bytes, bool followLinks)
{
    return ReadInto(path, bytes, followLinks);
}

ReadResult ReadInputFile(const std::string& path, std::vector<std::uint8_t>& bytes, bool followLinks)
{
    return ReadInto(path, bytes, followLinks);
}

int OpenOutputFile(const std::string& path, bool onlyNew)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (onlyNew || !S_ISREG(st.st_mode))) {
        errno = onlyNew ? EEXIST : EINVAL;
        return -1;
    }
    // Not emptied on opening: the name may have become something else since.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (onlyNew ? O_EXCL : 0),
                          0666);
    if (fd < 0) {
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
