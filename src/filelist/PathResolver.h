#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane {

// The full path a command-line argument or a line of a path list names, resolved
// as the system resolves it: relative to the working folder (or to the folder the
// resolver was given), the folders on the way
// resolved (symbolic links and ".." included), the item itself kept as it is (a
// symbolic link stays the link). A trailing '/' asks for a folder. Empty when
// nothing fitting exists there, or when the text holds a NUL byte (the system would
// read it only up to there, naming something else); `reason` then says why.
//
// The folder of the last path is remembered: the lines of a list mostly name items
// of one folder, and resolving it again would cost a system call per level per line.
class PathResolver {
  public:
    // `relativeTo`: where relative paths count from; the working folder when empty.
    explicit PathResolver(const std::filesystem::path& relativeTo = {});

    std::wstring Resolve(std::string_view argument, std::string* reason = nullptr);

  private:
    std::string relativeTo_;  // empty, or ending in '/'
    bool hasLast_ = false;
    std::string lastFolder_;  // as written
    std::filesystem::path lastResolved_;
    bool lastFound_ = false;
};

// One path resolved as above.
std::wstring ResolveArgumentPath(std::string_view argument, std::string* reason = nullptr);

}  // namespace tolvane
