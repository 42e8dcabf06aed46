#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// A path without the blanks (space, tab, line ends) at either end. Such blanks are
// part of a Linux name, yet whoever copied or typed a path often added them.
std::string_view TrimPathBlanks(std::string_view path);

// The rule for a path given by a person (a line of a list, a clipboard line, a path
// handed over by another copy): `lookUp(given)` first; only when that finds nothing
// (an empty answer) and trimming changes the path, `lookUp` of the trimmed path. So
// "/d/a " is the file "/d/a " when it exists, and "/d/a" only when it does not.
template <class LookUp>
auto ExactThenTrimmed(std::string_view given, LookUp&& lookUp) -> decltype(lookUp(given)) {
    auto found = lookUp(given);
    if (!found.empty())
        return found;
    const std::string_view trimmed = TrimPathBlanks(given);
    if (trimmed.empty() || trimmed.size() == given.size())
        return found;
    return lookUp(trimmed);
}

// The path that `given` (bytes) names on disk by the rule above: `given` itself when
// anything exists there (a dangling symbolic link counts), else the trimmed path when
// anything exists there, else empty. The path is not resolved further.
std::string ExactOrTrimmedPath(std::string_view given);

}  // namespace tolvane
