#include "RevertPass.h"

#include <unordered_map>

#include "Journal.h"

namespace tolvane {

Whereabouts LocateStep(FileSystem& fs, const Move& move, const std::string* temporary,
                       std::int64_t passStarted) {
    // Whether the file at `path` is the one the move is of: its identity, and made
    // before the pass moved it, since a new file may be given the inode number of one
    // deleted since.
    auto ours = [&](const std::string& path, bool& taken) {
        FileId id;
        std::int64_t born = kBirthUnknown;
        taken = fs.Status(path, id, born) == 0;
        return taken && id == move.id &&
               (born == kBirthUnknown || passStarted <= 0 || born <= passStarted);
    };
    bool fromTaken = false, toTaken = false, temporaryTaken = false;
    const bool atSource = ours(move.from, fromTaken);
    const bool atTarget = ours(move.to, toTaken);
    if (atSource && atTarget) {
        // One file under both names: a case-insensitive file system finds it under
        // either spelling (only the folder's listing tells which it has), or the two
        // names are hard links of it.
        return fs.HasExactName(move.to) && !fs.HasExactName(move.from) ? Whereabouts::AtTarget
                                                                       : Whereabouts::AtSource;
    }
    if (atSource)
        return Whereabouts::AtSource;
    if (temporary != nullptr && ours(*temporary, temporaryTaken))
        return Whereabouts::AtTemporary;
    if (atTarget)
        return Whereabouts::AtTarget;
    return toTaken ? Whereabouts::Replaced : Whereabouts::Missing;
}

namespace {

// What became of one file during the undo, gathered over its steps.
struct FileOutcome {
    std::string newPath;  // where it was found, or expected
    std::wstring error;
    bool touched = false;
    bool failed = false;
};

}  // namespace

PassRevert RevertPass(const PassRecord& pass, FileSystem& fs, Journal* journal,
                      UndoResult& result) {
    const FileSystemBatch batch(fs);
    const std::vector<Move>& moves = pass.moves;
    PassRevert revert;
    revert.steps.assign(moves.size(), StepOutcome::Untouched);
    const std::vector<size_t> firstStep = FirstStepOfEachFile(moves);
    const std::vector<std::int64_t> latestBirths = LatestBirths(pass);
    std::unordered_map<size_t, FileOutcome> files;  // by the first step of the file
    for (size_t s = moves.size(); s-- > 0;) {
        const Move& move = moves[s];
        const auto via = pass.via.find(s);
        const std::string* temporary = via == pass.via.end() ? nullptr : &via->second;
        const StepClaim claim = pass.claims[s];
        const auto known = files.find(firstStep[s]);
        // A later move of this file could not be reverted: it is not where this one
        // left it.
        if (known != files.end() && known->second.failed)
            continue;

        std::string backFrom;
        std::wstring lost;
        switch (LocateStep(fs, move, temporary, latestBirths[s])) {
            case Whereabouts::AtSource: break;
            case Whereabouts::AtTemporary: backFrom = *temporary; break;
            case Whereabouts::AtTarget:
                // A move that failed leaves the other name alone: a file there is not
                // one this pass put there.
                if (claim != StepClaim::NotMade)
                    backFrom = move.to;
                break;
            case Whereabouts::Replaced:
                if (claim == StepClaim::Made)
                    lost = L"another file has taken the new name since; it is left alone";
                break;
            case Whereabouts::Missing:
                if (claim == StepClaim::Made)
                    lost = L"the renamed file is gone";
                break;
        }
        if (backFrom.empty() && lost.empty())
            continue;

        FileOutcome& file = files[firstStep[s]];
        if (!file.touched)
            file.newPath = backFrom.empty() ? move.to : backFrom;
        file.touched = true;
        if (!lost.empty()) {
            revert.steps[s] = StepOutcome::Failed;
            file.failed = true;
            file.error = lost;
            if (journal)
                journal->Gone(s);
        } else if (const int rc = MoveNoReplace(fs, backFrom, move.from); rc != 0) {
            revert.steps[s] = StepOutcome::Failed;
            revert.mayComeBack = true;
            file.failed = true;
            file.error = ErrorText(rc);
        } else {
            revert.steps[s] = StepOutcome::Reverted;
            if (journal)
                journal->Undone(s);
        }
    }
    // One line per file, newest first, as the files were reached.
    for (size_t s = moves.size(); s-- > 0;) {
        if (firstStep[s] != s)
            continue;
        const auto file = files.find(s);
        if (file == files.end())
            continue;
        (file->second.failed ? result.failed : result.reverted) += 1;
        result.lines.push_back({file->second.newPath, moves[s].from, file->second.error});
    }
    return revert;
}

}  // namespace tolvane
