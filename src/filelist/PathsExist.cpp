#include "PathsExist.h"

#include <filesystem>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace tolvane {

namespace {

namespace fs = std::filesystem;

// Below this many names in one folder, looking each up is cheaper than listing it.
constexpr size_t kListFrom = 64;

struct ViewHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
using NameSet = std::unordered_set<std::string, ViewHash, std::equal_to<>>;

bool LookedUp(std::string_view path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(fs::path(path), ec));
}

// The names in `folder`; empty when it cannot be listed (the lookups then decide).
NameSet NamesIn(std::string_view folder) {
    NameSet names;
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder.empty() ? std::string_view("/") : folder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec))
        names.insert(it->path().filename().native());
    return names;
}

}  // namespace

std::vector<bool> PathsExist(std::span<const std::string_view> paths) {
    std::vector<bool> exist(paths.size(), false);
    // The paths of each folder, by their index; a path without '/' is looked up alone.
    std::unordered_map<std::string_view, std::vector<size_t>> byFolder;
    for (size_t i = 0; i < paths.size(); ++i) {
        const size_t slash = paths[i].rfind('/');
        if (slash == std::string_view::npos || slash + 1 == paths[i].size()) {
            exist[i] = !paths[i].empty() && LookedUp(paths[i]);
            continue;
        }
        byFolder[paths[i].substr(0, slash)].push_back(i);
    }
    for (const auto& [folder, indexes] : byFolder) {
        const NameSet names = indexes.size() >= kListFrom ? NamesIn(folder) : NameSet();
        for (const size_t i : indexes) {
            const std::string_view name = paths[i].substr(folder.size() + 1);
            exist[i] = names.contains(name) || LookedUp(paths[i]);
        }
    }
    return exist;
}

}  // namespace tolvane
