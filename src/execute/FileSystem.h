#pragma once

#include <functional>
#include <string>

namespace tolvane {

// The file-system calls a rename pass makes, on paths as bytes. The program uses
// PosixFileSystem; tests put faults in front of it that cannot be caused for real.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // renameat2 with RENAME_NOREPLACE: 0, or the error number (EEXIST when the target
    // exists, EINVAL where the file system refuses the flag).
    virtual int RenameNoReplace(const std::string& from, const std::string& to) = 0;
    // Plain rename(2), which replaces an existing target: used only after checking.
    virtual int RenameReplacing(const std::string& from, const std::string& to) = 0;
    // Whether anything (a dangling symbolic link too) is at `path`.
    virtual bool Exists(const std::string& path) = 0;
    // Whether two paths name the same file (device and inode, links not followed).
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;
};

class PosixFileSystem final : public FileSystem {
  public:
    int RenameNoReplace(const std::string& from, const std::string& to) override;
    int RenameReplacing(const std::string& from, const std::string& to) override;
    bool Exists(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
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

// A name in the folder of `path` that nothing has: ".tolvane-<random>.tmp".
std::string TemporaryNameBeside(FileSystem& fs, const std::string& path);

// The system's text for an error number.
std::wstring ErrorText(int error);

}  // namespace tolvane
