#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "PassRecord.h"

namespace tolvane {

class Journal;

struct UndoResult {
    int reverted = 0;  // files moved back
    int failed = 0;    // files that could not be
    // Each file an undo moved back or could not: where it was (or was expected), its
    // old path, and why it failed, if it did.
    struct Line {
        std::string newPath;
        std::string oldPath;
        std::wstring error;
    };
    std::vector<Line> lines;
    // Why a journal could not note the undo, so that its pass will be offered again;
    // empty when every journal took the note.
    std::wstring journalError;
};

// Where the file of a planned move is now, judged by its identity; a file made after
// the pass began (`passStarted`, nanoseconds since 1970, 0 when not known) is not the
// one it moved, whatever inode number it was given.
enum class Whereabouts {
    AtSource,     // at its old name: the move was not made, or was reverted
    AtTarget,     // at its new name, and not at the old one
    AtTemporary,  // under the temporary name of a change of letter case
    Replaced,     // another file is at the new name, and it is nowhere to be seen
    Missing,      // nowhere to be seen
};
Whereabouts LocateStep(FileSystem& fs, const Move& move, const std::string* temporary,
                       std::int64_t passStarted);

enum class StepOutcome : std::uint8_t { Untouched, Reverted, Failed };

struct PassRevert {
    std::vector<StepOutcome> steps;  // by step
    bool mayComeBack = false;        // a file is still renamed and a later undo may revert it
};

// Takes back the moves of one pass, newest first, deciding from the disk which moves
// really happened: the record's claims may be short of the truth after a crash. A file
// is moved back only from where its own identity is found (its new name, or the
// temporary name of its move), so a file put at a new name since is never taken; a
// file that is gone or replaced is reported when the record says it was moved. Notes
// each reverted or lost move in `journal` (may be null) and adds a line per file to
// `result`. A cycle whose file cannot leave its temporary name for its old name is
// put back as it stood before the undo, its files failed and none left under a
// temporary name. The one place where both the journal's undo and the window's decide.
PassRevert RevertPass(const PassRecord& pass, FileSystem& fs, Journal* journal, UndoResult& result);

}  // namespace tolvane
