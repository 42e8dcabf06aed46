#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// Which file a name stands for: device, inode and birth time (links not followed). A
// renamed file keeps its identity, so undo can tell the file it renamed from one put
// there since. The birth time tells a new file from a deleted one whose inode number
// it was given; it is 0 where the file system does not record it.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t birth = 0;  // nanoseconds since 1970
    bool operator==(const FileId&) const = default;
};

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
    // The identity of what is at `path` (links not followed): 0, or the error number.
    virtual int Identify(const std::string& path, FileId& id) = 0;
    // Whether the folder of `path` holds an entry spelled exactly as its last part: on
    // a case-insensitive file system "a" is found under "A" too, but not listed so.
    virtual bool HasExactName(const std::string& path) = 0;
    // The identities of many paths at once, in `ids` (same order), with 0 or the
    // error number of each in `errors`. Calls Identify for each unless a file system
    // knows a cheaper way.
    virtual void IdentifyAll(const std::vector<std::string_view>& paths, std::vector<FileId>& ids,
                             std::vector<int>& errors);

    // Whether anything (a dangling symbolic link too) is at `path`.
    bool Exists(const std::string& path);
    // Whether two paths name the same file.
    bool SameFile(const std::string& a, const std::string& b);
};

class PosixFileSystem final : public FileSystem {
  public:
    int RenameNoReplace(const std::string& from, const std::string& to) override;
    int RenameReplacing(const std::string& from, const std::string& to) override;
    int Identify(const std::string& path, FileId& id) override;
    bool HasExactName(const std::string& path) override;
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
