#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// Which file a name stands for: device and inode (links not followed). A renamed file
// keeps its identity, so undo can tell the file it renamed from one put there since.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId&) const = default;
};

// A birth time (nanoseconds since 1970) that the file system does not record.
constexpr std::int64_t kBirthUnknown = -1;

// The file-system calls a rename pass and its undo make, on paths as bytes. The
// program uses PosixFileSystem; tests put faults in front of it that cannot be caused
// for real.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // renameat2 with RENAME_NOREPLACE: 0, or the error number (EEXIST when the target
    // exists, EINVAL where the file system refuses the flag).
    virtual int RenameNoReplace(const std::string& from, const std::string& to) = 0;
    // Plain rename(2), which replaces an existing target: used only after checking.
    virtual int RenameReplacing(const std::string& from, const std::string& to) = 0;
    // The identity of what is at `path` (links not followed) and when it was made, in
    // nanoseconds since 1970 (kBirthUnknown where that is not recorded): 0, or the
    // error number.
    virtual int Status(const std::string& path, FileId& id, std::int64_t& born) = 0;
    // The identities of many names of one folder at once: names[i] into ids[i], with 0
    // or the error number of each in errors[i]. Asks Status of each name unless a
    // file system knows a cheaper way.
    virtual void IdentifyInFolder(const std::string& folder,
                                  const std::vector<std::string_view>& names,
                                  std::vector<FileId>& ids, std::vector<int>& errors);
    // Whether the folder of `path` holds an entry spelled exactly as its last part: on
    // a case-insensitive file system "a" is found under "A" too, but not listed so.
    virtual bool HasExactName(const std::string& path) = 0;
    // Between these two, the folders of the paths named are renamed by nobody but
    // through this object, so a file system may keep the folder it works in open and
    // name files relative to it. Calls pair up and may nest; see FileSystemBatch.
    virtual void BeginBatch() {}
    virtual void EndBatch() {}

    // When the folder `folder` last changed (its modification time, in nanoseconds
    // since 1970, by the clock of the file system that holds it): 0, or the error number.
    virtual int ChangedAt(const std::string& folder, std::int64_t& nanoseconds);

    // Status without the birth time.
    int Identify(const std::string& path, FileId& id);
    // Whether anything (a dangling symbolic link too) is at `path`.
    bool Exists(const std::string& path);
    // Whether two paths name the same file.
    bool SameFile(const std::string& a, const std::string& b);
};

// Holds a batch of calls for its lifetime.
class FileSystemBatch {
  public:
    explicit FileSystemBatch(FileSystem& fs) : fs_(fs) { fs_.BeginBatch(); }
    ~FileSystemBatch() { fs_.EndBatch(); }
    FileSystemBatch(const FileSystemBatch&) = delete;
    FileSystemBatch& operator=(const FileSystemBatch&) = delete;

  private:
    FileSystem& fs_;
};

class PosixFileSystem final : public FileSystem {
  public:
    ~PosixFileSystem() override;
    int RenameNoReplace(const std::string& from, const std::string& to) override;
    int RenameReplacing(const std::string& from, const std::string& to) override;
    int Status(const std::string& path, FileId& id, std::int64_t& born) override;
    // Reads the folder's listing where its inode numbers are those of its files, and
    // the batch is large: one call per few thousand names instead of one per name.
    void IdentifyInFolder(const std::string& folder, const std::vector<std::string_view>& names,
                          std::vector<FileId>& ids, std::vector<int>& errors) override;
    bool HasExactName(const std::string& path) override;
    void BeginBatch() override { ++batches_; }
    void EndBatch() override;

  private:
    // Within a batch, the folder of the last call stays open and files are named
    // relative to it: the system walks a folder's path once, not at every call (a
    // pass of 100,000 renames spends a fifth of its time there otherwise). A rename
    // is never made inside the folder it renames, so a folder renamed by the batch
    // has always been let go first; its path is opened anew when named again.
    // The open folder for `folder` (switching to it), or -1: then name the whole path.
    int FolderFd(std::string_view folder);
    void Release();

    int batches_ = 0;
    std::string folderPath_;
    int folderFd_ = -1;
};

// Moves `from` to `to` without ever replacing an existing target:
// - renameat2 with RENAME_NOREPLACE;
// - where the file system refuses that flag, checks that the target is absent and
//   renames;
// - where the target "exists" because it is the same file (a change of letter case
//   on a case-insensitive file system), goes through a unique temporary name in the
//   same folder and comes back when the second step fails.
// Returns 0 or the error number. `viaTemporary` hears of a temporary name before it
// is used; `leftAt` is set when a failure leaves the file under a temporary name.
int MoveNoReplace(FileSystem& fs, const std::string& from, const std::string& to,
                  const std::function<void(const std::string&)>& viaTemporary = {},
                  std::string* leftAt = nullptr);

// A name in the folder of `path` that nothing has: ".tolvane-<random>.tmp". Empty
// when none is found (a folder that answers for every name).
std::string TemporaryNameBeside(FileSystem& fs, const std::string& path);

// The system's text for an error number.
std::wstring ErrorText(int error);

}  // namespace tolvane
