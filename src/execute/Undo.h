#pragma once

#include <string>
#include <vector>

#include "FileSystem.h"
#include "RevertPass.h"
#include "UndoRecord.h"

namespace tolvane {

class FileList;
class NewNamePipeline;

// Moves back every move of the record, newest pass first (see RevertPass), so that
// chains across passes and cycles come back to the old names; a file that cannot
// come back is counted and reported, and the others go on. Each pass's journal notes
// what was reverted; a pass with a file that may still come back later stays open
// there. Rows that show a name that came back get the old name and a fresh preview;
// the path registry gets the old paths back. The record is emptied.
UndoResult UndoRenames(UndoRecord& undo, FileSystem& fs, FileList* list,
                       const NewNamePipeline* pipeline);

// Moves back the moves of one journalled pass (read with ReadJournalPass or
// LatestUndoablePass), newest first: tolvane-cli --undo, and the window's undo of a
// pass of an earlier run. The pass counts as undone once no file of it can still come
// back: files that are gone are given up, files that met a taken name stay for the
// next undo. When the journal cannot take that note, `journalError` says why.
UndoResult UndoJournalPass(const PassRecord& pass, FileSystem& fs);

// The renames of one pass (from -> to, full paths as bytes): they happen together, so
// within a pass a row follows one rename of its own at most, and those of the folders
// it lies in.
using RenameBatch = std::vector<Move>;

// Brings the rows up to date with passes of renames applied in the order given: a
// row follows its file through every rename whose source is its path at that moment,
// and through the renames of the folders it lies in, and takes the final name and
// folder, with a freshly computed preview, when a file exists there. Rows change in
// list order.
void RefreshRenamedItems(FileList& list, const std::vector<RenameBatch>& passes,
                         const NewNamePipeline& pipeline);

// Rows and the registry of paths follow the files an undo brought back, batch by batch
// as reverted (new -> old); the rows only with a pipeline for their fresh preview.
void FollowUndo(FileList& list, const std::vector<RenameBatch>& cameBack,
                const NewNamePipeline* pipeline);

// The renames of the record, pass by pass in the order they were made, old -> new.
std::vector<RenameBatch> RenamesInOrder(const UndoRecord& undo);

}  // namespace tolvane
