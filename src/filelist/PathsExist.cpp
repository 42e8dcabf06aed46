#include "PathsExist.h"

#include "CollectFolder.h"

#include <filesystem>
#include <string_view>
#include <unordered_map>

#if __has_include(<dirent.h>)
#include <dirent.h>
#define TOLVANE_HAS_DIRENT 1
#endif

namespace tolvane {

namespace {

namespace fs = std::filesystem;

// Below this many names in one folder, looking each up is cheaper than listing it, even
// when the folder is far larger than the names asked about.
constexpr size_t kListFrom = 4096;

// Calls `seen` with the name of each entry of `folder` until it answers false; nothing
// when the folder cannot be read.
template <class Seen>
void ListFolder(const std::string& folder, Seen&& seen) {
#ifdef TOLVANE_HAS_DIRENT
    // No path object per entry: a folder of 100,000 names is read in a few milliseconds.
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!seen(std::string_view(entry->d_name)))
            break;
    }
    ::closedir(dir);
#else
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(folder), ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        if (!seen(std::string_view(it->path().filename().string())))
            break;
    }
#endif
}

}  // namespace

std::vector<bool> PathsExist(std::span<const std::string_view> paths) {
    std::vector<bool> exist(paths.size(), false);
    // The paths of each folder, by their index; a path without a name after its last
    // '/' is looked up alone.
    std::unordered_map<std::string_view, std::vector<size_t>> byFolder;
    for (size_t i = 0; i < paths.size(); ++i) {
        const size_t slash = paths[i].rfind('/');
        if (slash == std::string_view::npos || slash + 1 == paths[i].size()) {
            exist[i] = !paths[i].empty() && PathExists(paths[i]);
            continue;
        }
        byFolder[paths[i].substr(0, slash)].push_back(i);
    }
    for (const auto& [folder, indexes] : byFolder) {
        if (indexes.size() >= kListFrom) {
            std::unordered_multimap<std::string_view, size_t> asked;
            asked.reserve(indexes.size());
            for (const size_t i : indexes)
                asked.emplace(paths[i].substr(folder.size() + 1), i);
            ListFolder(folder.empty() ? std::string("/") : std::string(folder),
                       [&, left = indexes.size()](std::string_view name) mutable {
                           const auto [first, last] = asked.equal_range(name);
                           for (auto it = first; it != last; ++it, --left)
                               exist[it->second] = true;
                           return left > 0;  // the rest of the folder cannot tell more
                       });
        }
        for (const size_t i : indexes) {
            if (!exist[i])
                exist[i] = PathExists(paths[i]);
        }
    }
    return exist;
}

}  // namespace tolvane
