#include "Clock.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace tolvane {

std::tm SystemClock::Now() const {
    return ToLocalTime(std::time(nullptr));
}

std::optional<std::tm> ParseLocalTime(std::string_view text) {
    static constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd";
    if (text.size() != kShape.size())
        return std::nullopt;
    for (size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i])
            return std::nullopt;
    }
    auto number = [&](size_t at, size_t length) {
        int value = 0;
        for (size_t i = at; i < at + length; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = number(11, 2);
    t.tm_min = number(14, 2);
    t.tm_sec = number(17, 2);
    t.tm_isdst = -1;
    if (month < 1 || month > 12 || day < 1 || t.tm_hour > 23 || t.tm_min > 59 || t.tm_sec > 59)
        return std::nullopt;
    // mktime rolls 31 April over into May: such a date does not exist. The time of
    // day is kept as typed, also when it falls into a daylight-saving gap.
    std::tm normalised = t;
    normalised.tm_hour = 12;
    if (std::mktime(&normalised) == static_cast<std::time_t>(-1))
        return std::nullopt;
    if (normalised.tm_year != t.tm_year || normalised.tm_mon != t.tm_mon ||
        normalised.tm_mday != t.tm_mday)
        return std::nullopt;
    t.tm_wday = normalised.tm_wday;
    t.tm_yday = normalised.tm_yday;
    t.tm_isdst = normalised.tm_isdst;
    return t;
}

std::tm ToLocalTime(std::time_t t) {
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return std::tm{};
    return local;
}

std::wstring FormatTime(const std::tm& time, const char* format) {
    char buffer[128];
    const size_t n = std::strftime(buffer, sizeof buffer, format, &time);
    // The formats used here produce ASCII only.
    return std::wstring(buffer, buffer + n);
}

FileTimes ReadFileTimes(const std::string& path) {
    struct statx st {};
    if (statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT,
              STATX_MTIME | STATX_CTIME | STATX_BTIME, &st) != 0)
        return {};
    FileTimes times;
    times.modified = st.stx_mtime.tv_sec;
    times.created = (st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : st.stx_ctime.tv_sec;
    return times;
}

}  // namespace tolvane
