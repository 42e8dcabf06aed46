#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// Which file a path names and which version of it: the same device and inode with
// the same size and modification time is taken to hold the same metadata, also
// after the file has been renamed.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    long modifiedNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the regular file at `path` (bytes; a symbolic link is followed);
// none for anything else or when its status cannot be read.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// A regular file opened for reading only, and read within bounds: no single read
// and no file as a whole gives a reader more than a fixed number of bytes or read
// calls, so that a damaged or hostile file cannot make a metadata reader allocate
// without limit or loop for ever. Past a bound the file reads as if it ended there.
class ReadOnlyFile {
  public:
    // Most bytes a reader is given from one file, and most read calls it may make.
    static constexpr std::uint64_t kReadBudget = 64u << 20;
    static constexpr std::uint64_t kReadCallBudget = 20000;

    // Opens `path` without waiting (a FIFO swapped in never blocks) and, where we own
    // the file, without changing its access time; none unless it is a regular file.
    static std::unique_ptr<ReadOnlyFile> Open(const std::string& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    const FileIdentity& Identity() const { return identity_; }
    std::uint64_t Size() const { return identity_.size; }
    const std::string& Path() const { return path_; }
    int Descriptor() const { return fd_; }

    // Up to `count` bytes at `offset` into `out`; fewer at the end of the file, none
    // once the budget is spent. Small reads are served from a buffer.
    size_t Read(std::uint64_t offset, void* out, size_t count);
    // The byte at `offset`, or -1 past the end or once the budget is spent. Costs no
    // system call per byte: readers that scan byte by byte stay fast.
    int Byte(std::uint64_t offset);
    bool BudgetSpent() const { return spent_ >= kReadBudget || calls_ >= kReadCallBudget; }

  private:
    ReadOnlyFile(int fd, std::string path, const FileIdentity& identity);
    // Makes the buffer hold the block that `offset` falls in; false when it cannot.
    bool Fill(std::uint64_t offset);
    size_t Allowance(size_t count) const;

    int fd_;
    std::string path_;
    FileIdentity identity_;
    std::uint64_t spent_ = 0;
    std::uint64_t calls_ = 0;
    std::vector<unsigned char> block_;
    std::uint64_t blockStart_ = 0;
    size_t blockLength_ = 0;
};

}  // namespace tolvane
