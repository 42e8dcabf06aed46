#include "Undo.h"

#include <memory>

#include "Journal.h"
#include "engine/NewNamePipeline.h"
#include "engine/TextConvert.h"
#include "filelist/CollectFolder.h"
#include "filelist/FileList.h"

namespace tolvane {

namespace {

// Reverts one pass and notes it in its journal, if it has one: the pass is closed
// there unless a file of it may still come back.
PassRevert RevertAndNote(const PassRecord& pass, FileSystem& fs, UndoResult& result) {
    std::unique_ptr<Journal> journal;
    std::wstring error;
    if (!pass.journal.empty())
        journal = Journal::Reopen(pass.journal, &error);
    PassRevert revert = RevertPass(pass, fs, journal.get(), result);
    if (journal && !revert.mayComeBack)
        journal->MarkReverted(&error);
    if (!error.empty() && result.journalError.empty()) {
        result.journalError = L"the journal " + ToWide(pass.journal.string()) +
                              L" could not note the undo (" + error + L")";
    }
    return revert;
}

}  // namespace

std::vector<RenameBatch> RenamesInOrder(const UndoRecord& undo) {
    std::vector<RenameBatch> passes;
    for (const UndoRecord::Pass& pass : undo.passes) {
        RenameBatch& renames = passes.emplace_back();
        const std::vector<Move>& moves = pass.record.moves;
        for (const auto& [first, last] : pass.renames)
            renames.push_back({moves[first].from, moves[last].to, moves[first].id});
    }
    return passes;
}

UndoResult UndoRenames(UndoRecord& undo, FileSystem& fs, FileList* list,
                       const NewNamePipeline* pipeline) {
    UndoResult result;
    std::vector<RenameBatch> cameBack;  // new -> old, pass by pass as they were reverted
    for (auto pass = undo.passes.rbegin(); pass != undo.passes.rend(); ++pass) {
        const PassRevert revert = RevertAndNote(pass->record, fs, result);
        const std::vector<Move>& moves = pass->record.moves;
        RenameBatch& back = cameBack.emplace_back();
        for (auto rename = pass->renames.rbegin(); rename != pass->renames.rend(); ++rename) {
            const auto [first, last] = *rename;
            const StepOutcome a = revert.steps[first], b = revert.steps[last];
            if (a != StepOutcome::Failed && b != StepOutcome::Failed &&
                (a == StepOutcome::Reverted || b == StepOutcome::Reverted)) {
                back.push_back({moves[last].to, moves[first].from, moves[first].id});
            }
        }
    }
    if (list) {
        for (const RenameBatch& back : cameBack) {
            for (const Move& move : back)
                list->Registry().ReplaceBytes(move.from, move.to);
        }
        if (pipeline)
            RefreshRenamedItems(*list, cameBack, *pipeline);
    }
    undo.Clear();
    return result;
}

UndoResult UndoJournalPass(const PassRecord& pass, FileSystem& fs) {
    UndoResult result;
    RevertAndNote(pass, fs, result);
    return result;
}

void RefreshRenamedItems(FileList& list, const std::vector<RenameBatch>& passes,
                         const NewNamePipeline& pipeline) {
    // Which rows stand at each path; a rename moves them on to its target.
    std::unordered_map<std::string, std::vector<size_t>> rowsAt;
    for (size_t r = 0; r < list.RowCount(); ++r)
        rowsAt[ToNarrow(list.FullPath(r))].push_back(r);
    std::vector<std::string> finalPath(list.RowCount());
    for (const RenameBatch& renames : passes) {
        // All sources are taken out before any target is filled: a swap is one pass.
        std::vector<std::pair<const Move*, std::vector<size_t>>> moving;
        for (const Move& rename : renames) {
            auto node = rowsAt.extract(rename.from);
            if (!node.empty())
                moving.emplace_back(&rename, std::move(node.mapped()));
        }
        for (auto& [rename, rows] : moving) {
            for (size_t r : rows)
                finalPath[r] = rename->to;
            auto& there = rowsAt[rename->to];
            there.insert(there.end(), rows.begin(), rows.end());
        }
    }
    const FileList::Batch notices(list);
    for (size_t r = 0; r < list.RowCount(); ++r) {
        if (finalPath[r].empty() || !PathExists(ToWide(finalPath[r])))
            continue;
        list.SetName(r, SplitFullPath(ToWide(finalPath[r])).name);
        list.ComputeRow(r, pipeline);
    }
}

}  // namespace tolvane
