#include "FileStat.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "engine/Clock.h"
#include "engine/TextConvert.h"

namespace tolvane {

FileStat ReadFileStat(std::wstring_view path) {
    struct statx st {};
    const std::string bytes = ToNarrow(path);
    if (statx(AT_FDCWD, bytes.c_str(), AT_STATX_SYNC_AS_STAT,
              STATX_SIZE | STATX_MTIME | STATX_CTIME | STATX_BTIME, &st) != 0)
        return {};
    FileStat stat;
    stat.size = st.stx_size;
    stat.modified = st.stx_mtime.tv_sec;
    stat.created = (st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : st.stx_ctime.tv_sec;
    return stat;
}

std::wstring FormatFileSize(std::uint64_t size) {
    static constexpr const wchar_t* kUnits[] = {L"B", L"KB", L"MB", L"GB", L"TB", L"PB", L"EB"};
    size_t unit = 0;
    while (size >= 1024 && unit + 1 < std::size(kUnits)) {
        size /= 1024;
        ++unit;
    }
    return std::to_wstring(size) + kUnits[unit];
}

std::wstring FormatFileDate(std::time_t time) {
    return FormatTime(ToLocalTime(time), "%Y-%m-%d %H:%M:%S");
}

}  // namespace tolvane
