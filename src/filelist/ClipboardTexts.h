#pragma once

#include <string>
#include <string_view>

#include "FileList.h"

namespace tolvane {

// The texts copied out of the list, one line per row, each ending in a line feed.
std::wstring ExportNames(const FileList& list);
std::wstring ExportNewNames(const FileList& list);
// Full path, a tab, the folder with its trailing '/' and the new name.
std::wstring ExportPathsAndNewPaths(const FileList& list);
// Every column shown, separated by tabs.
std::wstring ExportAllColumns(const FileList& list);

// Pastes one new name per line into the rows from the top, each line without its
// trailing blanks; the rows that received a line are drawn on pink. A text that ends
// in a line feed gives the next row an empty new name. Nothing on an empty list.
void PasteNewNames(FileList& list, std::wstring_view text);

}  // namespace tolvane
