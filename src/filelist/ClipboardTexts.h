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

// A pasted or typed line as a new name. A tab (a spreadsheet's cell border) becomes a
// blank; every other control character, NUL included, and the Unicode line and
// paragraph separators go: no file is ever renamed to a name holding a line break.
// The nine characters no name may hold stay: the rename pass leaves them out.
std::wstring PastedName(std::wstring_view line);

// Pastes one new name per line into the rows from the top, each line without its
// trailing blanks and cleaned as PastedName says; the rows that received a line are drawn on pink.
// A text that ends in a line feed gives the next row an empty new name. Nothing on an empty list.
void PasteNewNames(FileList& list, std::wstring_view text);

}  // namespace tolvane
