#include "Undo.h"

#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "Journal.h"
#include "JournalFormat.h"
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
    if (list)
        FollowUndo(*list, cameBack, pipeline);
    undo.Clear();
    return result;
}

UndoResult UndoJournalPass(const PassRecord& pass, FileSystem& fs) {
    UndoResult result;
    RevertAndNote(pass, fs, result);
    return result;
}

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// How the paths of one batch name the items inside renamed folders. A pass renames
// deeper items before their folders, so its paths name the folders as they were
// before it; an undo brings folders back before what is inside them, so its paths
// name the folders as they are after it.
enum class FolderOrder { DeeperFirst, ShallowerFirst };

// The rows standing at each path, as a chain through `nextRow` (a path may be listed
// twice); a rename moves the chain on to its target.
struct RowChains {
    struct Chain {
        size_t first;
        size_t last;
    };
    using Map = std::unordered_map<std::string, Chain>;

    std::vector<size_t> nextRow;
    std::vector<bool> moves;  // rows some rename moved
    Map rowsAt;

    void MarkMoved(const Chain& chain) {
        for (size_t r = chain.first; r != kNone; r = nextRow[r])
            moves[r] = true;
    }
    // Puts the taken-out chains at their new paths, joining any already there.
    void Place(std::vector<Map::node_type>& nodes) {
        for (auto& node : nodes) {
            const Chain chain = node.mapped();
            MarkMoved(chain);
            const auto placed = rowsAt.insert(std::move(node));
            if (!placed.inserted) {
                Chain& onto = placed.position->second;
                nextRow[onto.last] = chain.first;
                onto.last = chain.last;
            }
        }
        nodes.clear();
    }
};

struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// `folder` after the renames of folders among `sources` (from -> to), taken from the
// outermost folder in or from the innermost out; nothing when none of them is
// `folder` or a folder it lies in.
std::optional<std::string> FolderAfter(
    std::string_view folder, const std::unordered_map<std::string_view, std::string_view>& sources,
    FolderOrder order) {
    std::string path(folder);
    bool changed = false;
    const auto follow = [&](size_t end) {
        const auto source = sources.find(std::string_view(path.data(), end));
        if (source == sources.end())
            return end;
        path.replace(0, end, source->second);
        changed = true;
        return source->second.size();
    };
    if (order == FolderOrder::ShallowerFirst) {
        for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
            end = follow(end == std::string::npos ? path.size() : end);
            if (end >= path.size())
                break;
        }
    } else {
        for (size_t end = path.size();;) {
            end = follow(end);
            const size_t slash = path.rfind('/', end - 1);
            if (slash == std::string::npos || slash == 0)
                break;
            end = slash;
        }
    }
    return changed ? std::optional<std::string>(std::move(path)) : std::nullopt;
}

// Moves every chain lying inside a folder the batch renamed along with that folder;
// true when any moved.
bool FollowFolders(RowChains& chains, const RenameBatch& renames, FolderOrder order) {
    std::unordered_map<std::string_view, std::string_view> sources;
    sources.reserve(renames.size());
    for (const Move& rename : renames)
        sources.emplace(rename.from, rename.to);
    // Rows of one folder share its answer.
    std::unordered_map<std::string, std::optional<std::string>, TextHash, std::equal_to<>> after;
    std::vector<RowChains::Map::node_type> moving;
    for (auto at = chains.rowsAt.begin(); at != chains.rowsAt.end();) {
        const std::string_view path = at->first;
        const size_t slash = path.rfind('/');
        if (slash == std::string_view::npos || slash == 0) {
            ++at;
            continue;
        }
        const std::string_view folder = path.substr(0, slash);
        auto known = after.find(folder);
        if (known == after.end())
            known = after.emplace(std::string(folder), FolderAfter(folder, sources, order)).first;
        if (!known->second) {
            ++at;
            continue;
        }
        const auto next = std::next(at);
        auto node = chains.rowsAt.extract(at);
        node.key() = *known->second + node.key().substr(slash);
        moving.push_back(std::move(node));
        at = next;
    }
    const bool any = !moving.empty();
    chains.Place(moving);
    return any;
}

void Refresh(FileList& list, const std::vector<RenameBatch>& passes,
             const NewNamePipeline& pipeline, FolderOrder order) {
    const size_t rowCount = list.RowCount();
    RowChains chains;
    chains.nextRow.assign(rowCount, kNone);
    chains.moves.assign(rowCount, false);
    chains.rowsAt.reserve(rowCount);
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
        const auto [at, fresh] = chains.rowsAt.try_emplace(std::move(path), RowChains::Chain{r, r});
        if (!fresh) {
            chains.nextRow[at->second.last] = r;
            at->second.last = r;
        }
    }
    bool foldersFollowed = false;
    for (const RenameBatch& renames : passes) {
        if (order == FolderOrder::ShallowerFirst)
            foldersFollowed |= FollowFolders(chains, renames, order);
        // All sources are taken out before any target is filled: a swap is one pass.
        std::vector<RowChains::Map::node_type> moving;
        for (const Move& rename : renames) {
            auto node = chains.rowsAt.extract(rename.from);
            if (node.empty())
                continue;
            node.key() = rename.to;
            moving.push_back(std::move(node));
        }
        chains.Place(moving);
        if (order == FolderOrder::DeeperFirst)
            foldersFollowed |= FollowFolders(chains, renames, order);
    }
    // The final path of each row that moved, and whether a file is there now.
    std::vector<size_t> moved;
    std::vector<std::string_view> finalPaths;
    for (const auto& [path, chain] : chains.rowsAt) {
        for (size_t r = chain.first; r != kNone; r = chains.nextRow[r]) {
            if (chains.moves[r]) {
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
    // Rows that moved to another folder share one copy of its path per folder.
    std::unordered_map<std::string_view, std::shared_ptr<const std::wstring>> newFolders;
    const FileList::Batch notices(list);
    for (size_t r = 0; r < rowCount; ++r) {
        const std::string_view path = finalPathOf[r];
        if (path.empty())
            continue;
        const journal::SplitPath split = *journal::SplitAtLastSlash(path);
        if (foldersFollowed && ToNarrow(list.Folder(r)) != split.folder) {
            auto& shared = newFolders[split.folder];
            if (!shared)
                shared = std::make_shared<const std::wstring>(ToWide(split.folder));
            list.SetFolder(r, shared);
        }
        list.SetName(r, ToWide(split.name));
        list.ComputeRow(r, pipeline);
    }
    // The paths under a renamed folder changed with it: the registry of the rows'
    // paths is made again from the rows.
    if (foldersFollowed)
        list.RebuildRegistry();
}

}  // namespace

void RefreshRenamedItems(FileList& list, const std::vector<RenameBatch>& passes,
                         const NewNamePipeline& pipeline) {
    Refresh(list, passes, pipeline, FolderOrder::DeeperFirst);
}

void FollowUndo(FileList& list, const std::vector<RenameBatch>& cameBack,
                const NewNamePipeline* pipeline) {
    for (const RenameBatch& back : cameBack) {
        for (const Move& move : back)
            list.Registry().ReplaceBytes(move.from, move.to);
    }
    if (pipeline)
        Refresh(list, cameBack, *pipeline, FolderOrder::ShallowerFirst);
}

}  // namespace tolvane
