#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// One "--set ID=VALUE".
struct ControlSetting {
    std::string argument;  // as given, for messages
    int id = 0;
    std::string value;  // bytes
};

// The command line of tolvane-cli, parsed but not yet applied.
struct CliArguments {
    bool help = false;
    std::optional<std::string> profile;
    std::vector<ControlSetting> settings;
    bool rightToLeft = false;
    std::optional<std::string> now;
    std::optional<std::string> saveProfile;
    bool apply = false;  // rename for real after listing
    bool undo = false;   // revert the most recent journalled pass
    // PATH arguments and --list files, in command-line order.
    struct Source {
        bool isList = false;
        std::string value;
    };
    std::vector<Source> sources;
};

struct CliParseResult {
    CliArguments arguments;
    std::string error;  // empty when the command line is well formed
};

CliParseResult ParseCliArguments(const std::vector<std::string>& args);

// The usage text printed by --help and after a bad option.
std::string CliUsage();

}  // namespace tolvane
