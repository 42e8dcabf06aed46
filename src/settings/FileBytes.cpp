#include "FileBytes.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
        size_t want = static_cast<size_t>(std::min<std::uint64_t>(kChunk, limit + 1 - done));
        // Within what is reserved first: the read that finds the end of a file of the
        // expected size must not double the buffer of a list of hundreds of megabytes.
        if (bytes.capacity() > done)
            want = std::min(want, bytes.capacity() - done);
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

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         unsigned newFileMode) {
    std::error_code ec;
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto resolved = std::filesystem::canonical(path, ec);
        if (!ec)
            target = resolved;
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return false;
    if (exists &&
        (!S_ISREG(old.st_mode) || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0))
        return false;
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string hidden = ".";
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string pattern = (folder / hidden).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        return false;

    // The owner first: changing it may clear the set-id bits of the mode.
    if (exists && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Not ours to give away; the group may still be one of ours.
        [[maybe_unused]] const int keptGroup = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    const mode_t mode = exists ? (old.st_mode & 07777) : static_cast<mode_t>(newFileMode & 07777);
    bool ok = fchmod(fd, mode) == 0;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(pattern.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(pattern.c_str());
        return false;
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace tolvane
