#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace tolvane {

// What the optional columns show of a file: its size and times.
struct FileStat {
    std::uint64_t size = 0;
    std::time_t created = 0;  // birth time where recorded, else status-change time
    std::time_t modified = 0;
};

// One statx call; zeros when the status cannot be read.
FileStat ReadFileStat(std::wstring_view path);

// The size in the largest unit that keeps it at least 1, fraction dropped:
// 1023 -> "1023B", 1536 -> "1KB", 3 GiB -> "3GB".
std::wstring FormatFileSize(std::uint64_t size);

// A local date and time as "%Y-%m-%d %H:%M:%S"; empty when it cannot be formatted.
std::wstring FormatFileDate(std::time_t time);

}  // namespace tolvane
