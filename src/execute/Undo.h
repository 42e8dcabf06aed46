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
    // Each move taken back: new path, old path, and the error text when it failed.
    struct Line {
        std::string newPath;
        std::string oldPath;
        std::wstring error;
    };
    std::vector<Line> lines;
};

// Moves back every move of the record, newest first, so that chains across passes
// and cycles come back to the old names; a move that cannot be reverted (its file is
// gone, or its old name is taken) is counted and the others go on. Each pass's journal
// notes what was reverted. Rows showing a new name get their old name back and a fresh
// preview; the path registry gets the old paths back. The record is emptied.
UndoResult UndoRenames(UndoRecord& undo, FileSystem& fs, FileList* list,
                       const NewNamePipeline* pipeline);

// Moves back the moves of one journalled pass, newest first (tolvane-cli --undo). The
// pass counts as undone only when every move came back.
UndoResult UndoJournalPass(const std::filesystem::path& journalFile, FileSystem& fs);

// Brings the rows of renamed items up to date: every row whose full path is a key of
// `renamed` and whose recorded new path exists takes the new path's name and a
// freshly computed preview, in list order.
void RefreshRenamedItems(FileList& list,
                         const std::unordered_map<std::string, std::string>& renamed,
                         const NewNamePipeline& pipeline);

}  // namespace tolvane
