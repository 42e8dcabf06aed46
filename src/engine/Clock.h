#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The clock reading of one computation, in local time.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::tm Now() const = 0;
};

class SystemClock final : public Clock {
  public:
    std::tm Now() const override;
};

// A clock stopped at one local time, for reproducible previews and tests.
class FixedClock final : public Clock {
  public:
    explicit FixedClock(const std::tm& localTime) : time_(localTime) {}
    std::tm Now() const override { return time_; }

  private:
    std::tm time_;
};

// "YYYY-MM-DD HH:MM:SS" as a local time; none when the text is not such a time.
std::optional<std::tm> ParseLocalTime(std::string_view text);

// The absolute time `t` in local time.
std::tm ToLocalTime(std::time_t t);

// strftime into at most 128 characters; empty when formatting yields nothing.
std::wstring FormatTime(const std::tm& time, const char* format);

// Times of a file-system entry as absolute times. The creation time is the birth
// time where the file system records one, else the status-change time.
struct FileTimes {
    std::time_t modified = 0;
    std::time_t created = 0;
};

// The times of the entry at `path` (bytes); both zero when its status cannot be read.
FileTimes ReadFileTimes(const std::string& path);

}  // namespace tolvane
