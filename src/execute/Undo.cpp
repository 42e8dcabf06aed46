#include "Undo.h"

#include "Journal.h"
#include "engine/NewNamePipeline.h"
#include "engine/TextConvert.h"
#include "filelist/CollectFolder.h"
#include "filelist/FileList.h"

namespace tolvane {

namespace {

// Reverts the steps `made` of `moves`, newest first; notes each revert in `journal`.
void RevertMoves(const std::vector<Move>& moves, const std::vector<size_t>& made, FileSystem& fs,
                 Journal* journal, UndoResult& result) {
    for (auto step = made.rbegin(); step != made.rend(); ++step) {
        const Move& move = moves[*step];
        const int rc = MoveNoReplace(fs, move.to, move.from);
        if (rc == 0) {
            ++result.reverted;
            if (journal)
                journal->Undone(*step);
            result.lines.push_back({move.to, move.from, {}});
        } else {
            ++result.failed;
            result.lines.push_back({move.to, move.from, ErrorText(rc)});
        }
    }
}

}  // namespace

UndoResult UndoRenames(UndoRecord& undo, FileSystem& fs, FileList* list,
                       const NewNamePipeline* pipeline) {
    UndoResult result;
    for (auto pass = undo.passes.rbegin(); pass != undo.passes.rend(); ++pass) {
        std::unique_ptr<Journal> journal;
        if (!pass->journal.empty())
            journal = Journal::Reopen(pass->journal);
        const int failedBefore = result.failed;
        RevertMoves(pass->moves, pass->made, fs, journal.get(), result);
        // A pass that could not be taken back whole stays open in the journal, so
        // that tolvane-cli --undo can try its remaining moves again.
        if (journal && result.failed == failedBefore)
            journal->MarkReverted();
    }
    // The rows and the registry follow the files that are back at their old paths.
    std::unordered_map<std::string, std::string> back;
    for (const auto& [oldPath, newPath] : undo.Renamed()) {
        if (!fs.Exists(oldPath))
            continue;
        back.emplace(newPath, oldPath);
        if (list)
            list->Registry().ReplaceBytes(newPath, oldPath);
    }
    if (list && pipeline)
        RefreshRenamedItems(*list, back, *pipeline);
    undo.Clear();
    return result;
}

UndoResult UndoJournalPass(const std::filesystem::path& journalFile, FileSystem& fs) {
    UndoResult result;
    const JournalPass pass = ReadJournalPass(journalFile);
    std::unique_ptr<Journal> journal = Journal::Reopen(journalFile);
    RevertMoves(pass.planned, pass.done, fs, journal.get(), result);
    // Moves that could not be reverted stay open: the next --undo tries them again
    // before it goes on to an older pass.
    if (journal && result.failed == 0)
        journal->MarkReverted();
    return result;
}

void RefreshRenamedItems(FileList& list,
                         const std::unordered_map<std::string, std::string>& renamed,
                         const NewNamePipeline& pipeline) {
    for (size_t r = 0; r < list.RowCount(); ++r) {
        const auto it = renamed.find(ToNarrow(list.FullPath(r)));
        if (it == renamed.end() || !PathExists(ToWide(it->second)))
            continue;
        list.SetName(r, SplitFullPath(ToWide(it->second)).name);
        list.ComputeRow(r, pipeline);
    }
}

}  // namespace tolvane
