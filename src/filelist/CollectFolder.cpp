#include "CollectFolder.h"

#include <algorithm>
#include <filesystem>

#include "NaturalCompare.h"
#include "engine/TextConvert.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

struct Entry {
    std::string name;     // bytes, as the file system has them
    bool folder = false;  // also a symbolic link to a folder
    bool link = false;
};

std::vector<Entry> ListFolder(const std::string& folder) {
    std::vector<Entry> entries;
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder), ec);
    if (ec)
        return entries;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        std::error_code typeError, linkError;
        entries.push_back(Entry{it->path().filename().string(), it->is_directory(typeError),
                                it->is_symlink(linkError)});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int c = NaturalCompare(a.name, b.name);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return entries;
}

}  // namespace

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path.push_back(L'/');
    path.append(name);
    return path;
}

SplitPathResult SplitFullPath(std::wstring_view fullPath) {
    const size_t slash = fullPath.rfind(L'/');
    if (slash == std::wstring_view::npos)
        return {std::wstring(), std::wstring(fullPath)};
    return {std::wstring(fullPath.substr(0, slash)), std::wstring(fullPath.substr(slash + 1))};
}

bool IsFolder(std::wstring_view path) {
    std::error_code ec;
    return fs::is_directory(fs::path(ToNarrow(path)), ec);
}

bool PathExists(std::wstring_view path) {
    return PathExists(std::string_view(ToNarrow(path)));
}

bool PathExists(std::string_view bytes) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(fs::path(bytes), ec));
}

void CollectFolder(std::wstring_view folder, bool includeSubfolders, bool renameFolders,
                   std::vector<std::wstring>& out) {
    if (folder.empty())
        return;
    if (renameFolders && !includeSubfolders) {
        out.emplace_back(folder);
        return;
    }
    // A folder given as "/" must not produce "//name".
    const std::wstring_view base = folder == L"/" ? std::wstring_view() : folder;
    for (const Entry& entry : ListFolder(ToNarrow(folder))) {
        std::wstring path = JoinPath(base, ToWide(entry.name));
        if (renameFolders) {
            if (entry.folder)
                out.push_back(std::move(path));
        } else if (!entry.folder) {
            out.push_back(std::move(path));
        } else if (includeSubfolders && !entry.link) {
            CollectFolder(path, false, false, out);
        }
    }
}

std::vector<std::wstring> BatchForOnePath(std::wstring_view path, bool includeSubfolders,
                                          bool renameFolders) {
    std::vector<std::wstring> batch;
    if (IsFolder(path)) {
        CollectFolder(path, includeSubfolders, renameFolders, batch);
    } else if (PathExists(path)) {
        batch.emplace_back(path);
    }
    return batch;
}

}  // namespace tolvane
