#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::journal {

// What the writer and the reader of journal files agree on.

constexpr std::string_view kHeader = "tolvane-journal 2";
// A journal larger than this is not read: a pass of a million renames of long names
// stays well below it.
constexpr std::uint64_t kMaxBytes = std::uint64_t{512} << 20;
// No line is longer: two escaped names, or one escaped folder of PATH_MAX bytes.
constexpr size_t kMaxLineBytes = 16 << 10;

struct PassFile {
    std::uint64_t sequence = 0;
    std::filesystem::path path;
};
// The pass files of a folder ("pass-<sequence>.journal"), lowest sequence first.
std::vector<PassFile> PassFiles(const std::filesystem::path& folder);
std::string PassFileName(std::uint64_t sequence);

// A decimal number of digits only (no sign, no blank), within 64 bits.
std::optional<std::uint64_t> ReadNumber(std::string_view text);

// A name a folder can hold: not empty, not "." or "..", no '/' and no NUL.
bool IsPlainName(std::string_view name);
// An absolute folder without empty, "." or ".." parts and without NUL.
bool IsCleanFolder(std::string_view folder);

// The folder (without trailing '/', "/" for the root) and name of a path; nullopt
// when the path has no '/'.
struct SplitPath {
    std::string_view folder;
    std::string_view name;
};
std::optional<SplitPath> SplitAtLastSlash(std::string_view path);
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace tolvane::journal
