#include "Undo.h"

#include <memory>
#include <string_view>
#include <unordered_map>

#include "Journal.h"
#include "engine/NewNamePipeline.h"
#include "engine/TextConvert.h"
#include "filelist/CollectFolder.h"
#include "filelist/FileList.h"
#include "filelist/PathsExist.h"

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
    const size_t rowCount = list.RowCount();
    // Which rows stand at each path, as a chain through `nextRow` (a path may be listed
    // twice); a rename moves the chain on to its target.
    constexpr size_t kNone = static_cast<size_t>(-1);
    struct Chain {
        size_t first;
        size_t last;
    };
    std::vector<size_t> nextRow(rowCount, kNone);
    std::vector<bool> moves(rowCount, false);  // rows some rename moved
    std::unordered_map<std::string, Chain> rowsAt;
    rowsAt.reserve(rowCount);
    const std::wstring* lastFolder = nullptr;
    std::string folderBytes;
    for (size_t r = 0; r < rowCount; ++r) {
        const FileItem& row = list.Row(r);
        if (row.folder.get() != lastFolder) {
            lastFolder = row.folder.get();
            folderBytes = ToNarrow(JoinPath(*row.folder, {}));
        }
        std::string path = folderBytes;
        AppendNarrow(path, row.name);
        const auto [at, fresh] = rowsAt.try_emplace(std::move(path), Chain{r, r});
        if (!fresh) {
            nextRow[at->second.last] = r;
            at->second.last = r;
        }
    }
    const auto join = [&](Chain& onto, const Chain& chain) {
        nextRow[onto.last] = chain.first;
        onto.last = chain.last;
    };
    for (const RenameBatch& renames : passes) {
        // All sources are taken out before any target is filled: a swap is one pass.
        std::vector<std::pair<const Move*, decltype(rowsAt)::node_type>> moving;
        for (const Move& rename : renames) {
            auto node = rowsAt.extract(rename.from);
            if (!node.empty())
                moving.emplace_back(&rename, std::move(node));
        }
        for (auto& [rename, node] : moving) {
            const Chain chain = node.mapped();
            for (size_t r = chain.first; r != kNone; r = nextRow[r])
                moves[r] = true;
            node.key() = rename->to;
            const auto placed = rowsAt.insert(std::move(node));
            if (!placed.inserted)
                join(placed.position->second, chain);
        }
    }
    // The final path of each row that moved, and whether a file is there now.
    std::vector<size_t> moved;
    std::vector<std::string_view> finalPaths;
    for (const auto& [path, chain] : rowsAt) {
        for (size_t r = chain.first; r != kNone; r = nextRow[r]) {
            if (moves[r]) {
                moved.push_back(r);
                finalPaths.push_back(path);
            }
        }
    }
    const std::vector<bool> exists = PathsExist(finalPaths);
    std::vector<std::string_view> finalPathOf(rowCount);
    for (size_t i = 0; i < moved.size(); ++i) {
        if (exists[i])
            finalPathOf[moved[i]] = finalPaths[i];
    }
    const FileList::Batch notices(list);
    for (size_t r = 0; r < rowCount; ++r) {
        const std::string_view path = finalPathOf[r];
        if (path.empty())
            continue;
        list.SetName(r, ToWide(path.substr(path.rfind('/') + 1)));
        list.ComputeRow(r, pipeline);
    }
}

}  // namespace tolvane
