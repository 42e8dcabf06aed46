#pragma once

#include <string>
#include <string_view>

#include "FileList.h"

namespace tolvane {

// The text-mode editor's text: one line per row, the stem of its new name (or of
// its name when that stem is empty), each line ending in a line feed.
std::wstring BuildTextModeText(const FileList& list);

// Applies the edited text: line i, trimmed, plus the extension of row i's name
// becomes row i's new name, red when it differs from the name's stem. Extra lines
// change nothing; rows beyond the last line keep their new names.
void ApplyTextEdits(FileList& list, std::wstring_view text);

}  // namespace tolvane
