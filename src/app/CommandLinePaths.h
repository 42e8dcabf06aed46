#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The window takes no options: every argument after the program's name names an item
// to list, also one that starts with '-' (a file manager passes such names as they
// are). A first "--" is still taken as the usual end of options and left out, so that
// scripts may write it before their names. Empty arguments name nothing.
std::vector<std::string> PathArguments(int argc, const char* const* argv);

// The full path an argument names, by the rule for paths given by a person: as given
// (blanks at either end kept) when something is there, else trimmed of those blanks;
// relative to the working folder, its folders resolved. Empty when it names nothing.
std::wstring ResolveGivenPath(std::string_view argument);

}  // namespace tolvane
