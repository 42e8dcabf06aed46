#include "ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tolvane {

namespace {

constexpr size_t kBlockBytes = size_t{64} * 1024;
// Reads up to this size go through the buffer.
constexpr size_t kBufferedRead = 4096;

FileIdentity IdentityFromStat(const struct stat& st) {
    FileIdentity id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = static_cast<std::uint64_t>(st.st_size);
    id.modifiedSeconds = st.st_mtim.tv_sec;
    id.modifiedNanoseconds = st.st_mtim.tv_nsec;
    return id;
}

// pread until `count` bytes, the end of the file or an error.
size_t ReadFully(int fd, std::uint64_t offset, unsigned char* out, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, out + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return IdentityFromStat(st);
}

std::unique_ptr<ReadOnlyFile> ReadOnlyFile::Open(const std::string& path) {
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    int fd = ::open(path.c_str(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)  // O_NOATIME is only for the file's owner
        fd = ::open(path.c_str(), flags);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<ReadOnlyFile>(new ReadOnlyFile(fd, path, IdentityFromStat(st)));
}

ReadOnlyFile::ReadOnlyFile(int fd, std::string path, const FileIdentity& identity)
    : fd_(fd), path_(std::move(path)), identity_(identity) {}

ReadOnlyFile::~ReadOnlyFile() {
    ::close(fd_);
}

size_t ReadOnlyFile::Allowance(size_t count) const {
    if (BudgetSpent())
        return 0;
    return static_cast<size_t>(std::min<std::uint64_t>(count, kReadBudget - spent_));
}

bool ReadOnlyFile::Fill(std::uint64_t offset) {
    if (offset >= blockStart_ && offset < blockStart_ + blockLength_)
        return true;
    block_.resize(kBlockBytes);
    blockStart_ = offset - offset % kBlockBytes;
    const size_t want =
        static_cast<size_t>(std::min<std::uint64_t>(kBlockBytes, identity_.size - blockStart_));
    blockLength_ = ReadFully(fd_, blockStart_, block_.data(), want);
    return offset < blockStart_ + blockLength_;
}

size_t ReadOnlyFile::Read(std::uint64_t offset, void* out, size_t count) {
    if (offset >= identity_.size)
        return 0;
    count = static_cast<size_t>(std::min<std::uint64_t>(Allowance(count), identity_.size - offset));
    if (count == 0)
        return 0;
    ++calls_;
    auto* bytes = static_cast<unsigned char*>(out);
    size_t done = 0;
    if (count <= kBufferedRead) {
        while (done < count && Fill(offset + done)) {
            const size_t at = static_cast<size_t>(offset + done - blockStart_);
            const size_t n = std::min(count - done, blockLength_ - at);
            std::memcpy(bytes + done, block_.data() + at, n);
            done += n;
        }
    } else {
        done = ReadFully(fd_, offset, bytes, count);
    }
    spent_ += done;
    return done;
}

int ReadOnlyFile::Byte(std::uint64_t offset) {
    if (offset >= identity_.size || BudgetSpent() || !Fill(offset))
        return -1;
    ++spent_;
    return block_[static_cast<size_t>(offset - blockStart_)];
}

}  // namespace tolvane
