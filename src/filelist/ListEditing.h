#pragma once

#include <string>
#include <string_view>

#include "FileList.h"

namespace tolvane {

enum class MoveDirection { Top, Up, Down, Bottom };

// Moves the selected rows as one block to the top, one place up, one place down or
// to the bottom. The block keeps the order its rows had, each row keeps its check
// state and stays selected, and serial numbers are renumbered in row order.
void MoveSelectedRows(FileList& list, MoveDirection direction);

// Removes the selected rows and their paths from the registry and renumbers the
// rest; re-applies a filter. Returns true when the list became empty (the window
// then clears it completely).
bool RemoveSelected(FileList& list, std::wstring_view filterText);

// Checks or unchecks every selected row.
void CheckSelected(FileList& list, bool checked);

// The links "全选" and "反选": check and pick every row, or invert every row's check
// and pick those now checked; picked rows get a blue background.
void SelectAll(FileList& list);
void InvertSelection(FileList& list);

// Ctrl+A: selects every row without touching the check boxes.
void SelectEveryRow(FileList& list);

// The text of the inline editor becomes the row's new name, without the characters
// no name may hold; the cell is marked red when it changed.
void CommitInlineRename(FileList& list, size_t row, std::wstring_view editorText);

// Whether inline renaming can start: exactly one row is selected.
bool CanBeginInlineRename(const FileList& list);

// Whether a command of the row menu is enabled for the current selection.
bool IsRowCommandEnabled(const FileList& list, int commandId);

// The object count under the list: the row count followed by the word for items.
std::wstring ObjectCountText(size_t rowCount, std::wstring_view itemsWord);

}  // namespace tolvane
