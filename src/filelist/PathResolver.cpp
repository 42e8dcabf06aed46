#include "PathResolver.h"

#include "engine/TextConvert.h"

namespace tolvane {

namespace fs = std::filesystem;

PathResolver::PathResolver(const std::filesystem::path& relativeTo)
    : relativeTo_(relativeTo.native()) {
    if (!relativeTo_.empty() && !relativeTo_.ends_with('/'))
        relativeTo_ += '/';
}

std::wstring PathResolver::Resolve(std::string_view argument, std::string* reason) {
    auto fail = [&](const char* why) {
        if (reason)
            *reason = why;
        return std::wstring();
    };
    if (argument.empty() || argument.find('\0') != std::string_view::npos)
        return fail("no such file or folder");
    std::string text = argument.starts_with('/') ? std::string() : relativeTo_;
    text += argument;
    const bool wantsFolder = text.size() > 1 && text.back() == '/';
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    const fs::path path(text);
    std::error_code ec;
    fs::path full;
    const std::string last = path.filename().string();
    if (text == "/" || last == "." || last == "..") {
        full = fs::canonical(path, ec);
        if (ec)
            return fail("no such file or folder");
    } else {
        const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
        if (!hasLast_ || folder.native() != lastFolder_) {
            hasLast_ = true;
            lastFolder_ = folder.native();
            lastResolved_ = fs::canonical(folder, ec);
            lastFound_ = !ec;
        }
        if (!lastFound_)
            return fail("no such file or folder");
        full = lastResolved_ / path.filename();
    }
    if (!fs::exists(fs::symlink_status(full, ec)))
        return fail("no such file or folder");
    if (wantsFolder && !fs::is_directory(full, ec))
        return fail("not a folder");
    return ToWide(full.string());
}

std::wstring ResolveArgumentPath(std::string_view argument, std::string* reason) {
    return PathResolver().Resolve(argument, reason);
}

}  // namespace tolvane
