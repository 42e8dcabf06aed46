#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "FileSystem.h"
#include "UndoRecord.h"

namespace tolvane {

class FileList;
class NewNamePipeline;

struct UndoResult {
    int reverted = 0;
    int failed = 0;
    // Each move taken back: new path, old path, and why it failed, if it did.
    struct Line {
        std::string newPath;
        std::string oldPath;
        std::wstring error;
    };
    std::vector<Line> lines;
};

// Moves back every move of the record, newest first, so that chains across passes
// and cycles come back to the old names. A move that cannot be reverted (its file is
// gone, or its old name is taken) is counted and the others go on; an older move
// that would then take a file that is not the one it renamed is not tried. Each
// pass's journal notes what was reverted; a pass with moves that may still come back
// later stays open there. Rows that show a name that came back get the old name and a
// fresh preview; the path registry gets the old paths back. The record is emptied.
UndoResult UndoRenames(UndoRecord& undo, FileSystem& fs, FileList* list,
                       const NewNamePipeline* pipeline);

// Moves back the moves of one journalled pass, newest first (tolvane-cli --undo). The
// pass counts as undone once no move of it can still come back: moves whose file is
// gone are given up, moves that met a taken name stay for the next undo.
UndoResult UndoJournalPass(const std::filesystem::path& journalFile, FileSystem& fs);

// The renames of one pass (from -> to, full paths as bytes): they happen together, so
// within a pass a row follows one rename at most.
using RenameBatch = std::vector<Move>;

// Brings the rows up to date with passes of renames applied in the order given: a
// row follows its file through every rename whose source is its path at that moment,
// and takes the final name, with a freshly computed preview, when a file exists
// there. Rows change in list order.
void RefreshRenamedItems(FileList& list, const std::vector<RenameBatch>& passes,
                         const NewNamePipeline& pipeline);

// The renames of the record, pass by pass in the order they were made, old -> new.
std::vector<RenameBatch> RenamesInOrder(const UndoRecord& undo);

}  // namespace tolvane
