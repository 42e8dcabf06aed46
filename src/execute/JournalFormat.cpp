#include "JournalFormat.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tolvane::journal {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "pass-";
constexpr std::string_view kExtension = ".journal";

}  // namespace

std::vector<PassFile> PassFiles(const fs::path& folder) {
    std::vector<PassFile> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(kPrefix) || !name.ends_with(kExtension))
            continue;
        const std::string_view digits = std::string_view(name).substr(
            kPrefix.size(), name.size() - kPrefix.size() - kExtension.size());
        if (const auto sequence = ReadNumber(digits))
            files.push_back({*sequence, it->path()});
    }
    std::sort(files.begin(), files.end(),
              [](const PassFile& a, const PassFile& b) { return a.sequence < b.sequence; });
    return files;
}

std::string PassFileName(std::uint64_t sequence) {
    char name[64];
    std::snprintf(name, sizeof name, "pass-%012llu.journal",
                  static_cast<unsigned long long>(sequence));
    return name;
}

std::optional<std::uint64_t> ReadNumber(std::string_view text) {
    if (text.empty() || text.size() > 20 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

bool IsCleanFolder(std::string_view folder) {
    if (!folder.starts_with('/') || folder.find('\0') != std::string_view::npos)
        return false;
    if (folder == "/")
        return true;
    // Every part between slashes is a plain name.
    for (size_t start = 1; start <= folder.size();) {
        const size_t end = std::min(folder.find('/', start), folder.size());
        if (!IsPlainName(folder.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

std::optional<SplitPath> SplitAtLastSlash(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    return SplitPath{slash == 0 ? path.substr(0, 1) : path.substr(0, slash),
                     path.substr(slash + 1)};
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    if (folder != "/")
        path += '/';
    path += name;
    return path;
}

}  // namespace tolvane::journal
