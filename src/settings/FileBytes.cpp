#include "FileBytes.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tolvane {

namespace {

FileBytes Failure(FileBytes::Status status, std::uint64_t limit, int error = 0) {
    FileBytes result;
    result.status = status;
    result.limit = limit;
    result.error = error;
    return result;
}

bool KindAllowed(mode_t mode, FileKinds kinds) {
    if (S_ISREG(mode))
        return true;
    switch (kinds) {
        case FileKinds::RegularFile: return false;
        case FileKinds::RegularFileOrPipe: return S_ISFIFO(mode);
        case FileKinds::AnyButFolder: return !S_ISDIR(mode);
    }
    return false;
}

// Reads to the end, refusing more than `limit` bytes. A descriptor somebody made
// non-blocking (a shared standard input) is waited on instead of given up.
FileBytes ReadToEnd(int fd, std::uint64_t limit, std::uint64_t expected) {
    FileBytes result;
    result.limit = limit;
    std::string& bytes = result.bytes;
    bytes.reserve(static_cast<size_t>(std::min(expected, limit) + 1));
    constexpr size_t kChunk = 1 << 16;
    for (;;) {
        const size_t done = bytes.size();
        // One byte beyond the bound tells a file of exactly `limit` bytes from a longer one.
        const size_t want = static_cast<size_t>(std::min<std::uint64_t>(kChunk, limit + 1 - done));
        bytes.resize(done + want);
        const ssize_t n = ::read(fd, bytes.data() + done, want);
        if (n < 0) {
            bytes.resize(done);
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pollfd wait{fd, POLLIN, 0};
                ::poll(&wait, 1, -1);
                continue;
            }
            return Failure(FileBytes::Status::Failed, limit, errno);
        }
        bytes.resize(done + static_cast<size_t>(n));
        if (n == 0)
            break;
        if (bytes.size() > limit)
            return Failure(FileBytes::Status::TooLarge, limit);
    }
    result.status = FileBytes::Status::Read;
    return result;
}

}  // namespace

std::string FileBytes::Reason() const {
    switch (status) {
        case Status::Read: return {};
        case Status::Folder: return "is a folder";
        case Status::NotRegular: return "is not a regular file";
        case Status::TooLarge:
            if (limit % (1 << 20) == 0)
                return "is larger than " + std::to_string(limit >> 20) + " MiB";
            return "is larger than " + std::to_string(limit) + " bytes";
        case Status::Missing:
        case Status::Failed: return std::strerror(error);
    }
    return {};
}

FileBytes ReadDescriptorBytes(int fd, std::uint64_t limit, FileKinds kinds) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return Failure(FileBytes::Status::Failed, limit, errno);
    if (S_ISDIR(st.st_mode))
        return Failure(FileBytes::Status::Folder, limit);
    if (!KindAllowed(st.st_mode, kinds))
        return Failure(FileBytes::Status::NotRegular, limit);
    const bool regular = S_ISREG(st.st_mode);
    if (regular && static_cast<std::uint64_t>(st.st_size) > limit)
        return Failure(FileBytes::Status::TooLarge, limit);
    return ReadToEnd(fd, limit, regular ? static_cast<std::uint64_t>(st.st_size) : 0);
}

FileBytes ReadFileBytes(const std::filesystem::path& path, std::uint64_t limit, FileKinds kinds) {
    // Where a pipe may be read, the open waits for its writer, as reading a pipe
    // should; a FIFO opened without blocking and then opened again could miss a writer
    // that came and went in between, and wait for ever. Elsewhere nothing may block.
    const int blocking = kinds == FileKinds::RegularFile ? O_NONBLOCK : 0;
    const int fd = ::open(path.c_str(), O_RDONLY | blocking | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return Failure(FileBytes::Status::Missing, limit, error);
        // A socket cannot be opened at all.
        if (error == ENXIO)
            return Failure(FileBytes::Status::NotRegular, limit);
        return Failure(FileBytes::Status::Failed, limit, error);
    }
    FileBytes result = ReadDescriptorBytes(fd, limit, kinds);
    ::close(fd);
    return result;
}

}  // namespace tolvane
