#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The full path of `name` inside `folder`: folder + "/" + name.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

// Splits a full path at its last '/': the folder before it (no trailing '/') and
// the name after it.
struct SplitPathResult {
    std::wstring folder;
    std::wstring name;
};
SplitPathResult SplitFullPath(std::wstring_view fullPath);

// Whether `path` names an existing folder (symbolic links followed).
bool IsFolder(std::wstring_view path);

// Whether anything exists at `path` (a dangling symbolic link counts), given as text
// or as its bytes.
bool PathExists(std::wstring_view path);
bool PathExists(std::string_view bytes);

// Appends the item paths that one folder contributes:
// neither flag: the files directly in `folder`; includeSubfolders: also the files
// directly inside its immediate subfolders (one level, at the place the subfolder
// takes); renameFolders alone: the folder itself; both: its immediate subfolders.
// Entries of a folder come in natural order of their names. A folder that cannot
// be listed contributes nothing. A symbolic link is an item like any other (a link
// to a folder counts as a folder, a link to anything else as a file), and never
// entered: it may lead out of the folder given, or back into it.
void CollectFolder(std::wstring_view folder, bool includeSubfolders, bool renameFolders,
                   std::vector<std::wstring>& out);

// The batch one path gives, as a path handed over or given on the command line:
// a folder contributes what CollectFolder gives, an existing file is itself, and a
// path where nothing exists gives nothing.
std::vector<std::wstring> BatchForOnePath(std::wstring_view path, bool includeSubfolders,
                                          bool renameFolders);

}  // namespace tolvane
