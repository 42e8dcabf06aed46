#include "Undo.h"

#include <cerrno>

#include "Journal.h"
#include "engine/NewNamePipeline.h"
#include "engine/TextConvert.h"
#include "filelist/CollectFolder.h"
#include "filelist/FileList.h"

namespace tolvane {

namespace {

// Paths whose file did not come back: an older move whose new path is one of them
// would take another file, or none. The value says whether that file is gone for good.
using NotBack = std::unordered_map<std::string, bool>;

struct PassOutcome {
    std::vector<bool> back;    // by step: reverted
    bool mayComeBack = false;  // a move failed that a later undo could still revert
};

// Reverts the steps `made` of `moves`, newest first, noting each in `journal`.
PassOutcome RevertMoves(const std::vector<Move>& moves, const std::vector<size_t>& made,
                        FileSystem& fs, Journal* journal, NotBack& notBack, UndoResult& result) {
    PassOutcome outcome;
    outcome.back.assign(moves.size(), false);
    for (auto step = made.rbegin(); step != made.rend(); ++step) {
        const Move& move = moves[*step];
        int rc = 0;
        std::wstring reason;
        if (const auto it = notBack.find(move.to); it != notBack.end()) {
            // The file this move renamed was renamed again and did not come back.
            rc = it->second ? ENOENT : EBUSY;
            reason =
                L"not tried: the file renamed to this name was renamed again and did not come back";
        } else {
            rc = MoveNoReplace(fs, move.to, move.from);
            if (rc != 0)
                reason = ErrorText(rc);
        }
        if (rc == 0) {
            ++result.reverted;
            outcome.back[*step] = true;
            if (journal)
                journal->Undone(*step);
            result.lines.push_back({move.to, move.from, {}});
            continue;
        }
        ++result.failed;
        result.lines.push_back({move.to, move.from, reason});
        const bool gone = rc == ENOENT;
        notBack[move.from] = gone;
        if (gone) {
            if (journal)
                journal->Gone(*step);
        } else {
            outcome.mayComeBack = true;
        }
    }
    return outcome;
}

}  // namespace

std::vector<RenameBatch> RenamesInOrder(const UndoRecord& undo) {
    std::vector<RenameBatch> passes;
    for (const UndoRecord::Pass& pass : undo.passes) {
        RenameBatch& renames = passes.emplace_back();
        for (const auto& [first, last] : pass.renames)
            renames.push_back({pass.moves[first].from, pass.moves[last].to});
    }
    return passes;
}

UndoResult UndoRenames(UndoRecord& undo, FileSystem& fs, FileList* list,
                       const NewNamePipeline* pipeline) {
    UndoResult result;
    NotBack notBack;
    std::vector<RenameBatch> cameBack;  // new -> old, pass by pass as they were reverted
    for (auto pass = undo.passes.rbegin(); pass != undo.passes.rend(); ++pass) {
        std::unique_ptr<Journal> journal;
        if (!pass->journal.empty())
            journal = Journal::Reopen(pass->journal);
        const PassOutcome outcome =
            RevertMoves(pass->moves, pass->made, fs, journal.get(), notBack, result);
        if (journal && !outcome.mayComeBack)
            journal->MarkReverted();
        RenameBatch& back = cameBack.emplace_back();
        for (auto rename = pass->renames.rbegin(); rename != pass->renames.rend(); ++rename) {
            if (outcome.back[rename->first] && outcome.back[rename->second])
                back.push_back({pass->moves[rename->second].to, pass->moves[rename->first].from});
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

UndoResult UndoJournalPass(const std::filesystem::path& journalFile, FileSystem& fs) {
    UndoResult result;
    const JournalPass pass = ReadJournalPass(journalFile);
    std::unique_ptr<Journal> journal = Journal::Reopen(journalFile);
    NotBack notBack;
    const PassOutcome outcome =
        RevertMoves(pass.planned, pass.done, fs, journal.get(), notBack, result);
    if (journal && !outcome.mayComeBack)
        journal->MarkReverted();
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
    for (size_t r = 0; r < list.RowCount(); ++r) {
        if (finalPath[r].empty() || !PathExists(ToWide(finalPath[r])))
            continue;
        list.SetName(r, SplitFullPath(ToWide(finalPath[r])).name);
        list.ComputeRow(r, pipeline);
    }
}

}  // namespace tolvane
