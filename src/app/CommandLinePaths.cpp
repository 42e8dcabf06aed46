#include "CommandLinePaths.h"

#include "filelist/PathAsGiven.h"
#include "filelist/PathResolver.h"

namespace tolvane {

std::vector<std::string> PathArguments(int argc, const char* const* argv) {
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!argument.empty())
            paths.emplace_back(argument);
    }
    return paths;
}

std::wstring ResolveGivenPath(std::string_view argument) {
    return ExactThenTrimmed(argument,
                            [](std::string_view path) { return ResolveArgumentPath(path); });
}

}  // namespace tolvane
