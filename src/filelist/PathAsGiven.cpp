#include "PathAsGiven.h"

#include "CollectFolder.h"

namespace tolvane {

namespace {

bool IsPathBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::string_view TrimPathBlanks(std::string_view path) {
    while (!path.empty() && IsPathBlank(path.front()))
        path.remove_prefix(1);
    while (!path.empty() && IsPathBlank(path.back()))
        path.remove_suffix(1);
    return path;
}

std::string ExactOrTrimmedPath(std::string_view given) {
    return ExactThenTrimmed(given, [](std::string_view path) {
        // The system would read a path only up to a NUL, naming something else.
        const bool names = !path.empty() && path.find('\0') == std::string_view::npos;
        return names && PathExists(path) ? std::string(path) : std::string();
    });
}

}  // namespace tolvane
