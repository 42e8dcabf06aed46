#include "RevertPass.h"

#include <cerrno>
#include <optional>
#include <unordered_map>

#include "Journal.h"
#include "engine/TextConvert.h"

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
    std::string newPath;  // where it was found, or expected; where it is left when it failed
    std::wstring error;
    bool touched = false;
    bool failed = false;
};

// A cycle of the pass being taken back. Its member that went to a temporary name
// first goes back there first, the others then return to their old names, and the
// member leaves the temporary name last. Until it has, the undo of the cycle can be
// put back as it was: a file must not be left under a name nobody sees.
struct OpenCycle {
    size_t first = 0;  // the member's step to the temporary name
    // The steps this undo reverted, newest first, each with where its file stood.
    std::vector<std::pair<size_t, std::string>> reverted;
};

std::wstring WhyNotBack(int rc) {
    return rc == EEXIST ? L"another file has taken its old name since" : ErrorText(rc);
}

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
    std::optional<OpenCycle> cycle;

    // The cycle's member could not leave its temporary name (`why`): every file this
    // undo moved in the cycle goes back where it stood before, newest move last, and
    // fails with the reason. A file that cannot go back stays at its old name and
    // counts as moved back.
    auto putBack = [&](const std::wstring& why) {
        const Move& aside = moves[cycle->first];
        FileId id;
        const bool stillAside = fs.Identify(aside.to, id) == 0 && id == aside.id;
        for (auto it = cycle->reverted.rbegin(); it != cycle->reverted.rend(); ++it) {
            const auto& [step, stoodAt] = *it;
            FileOutcome& file = files[firstStep[step]];
            if (stillAside && MoveNoReplace(fs, moves[step].from, stoodAt) == 0) {
                revert.steps[step] = StepOutcome::Failed;
                revert.mayComeBack = true;
                file.failed = true;
                file.newPath = stoodAt;
                file.error = firstStep[step] == cycle->first
                                 ? why + L"; it is back at its new name"
                                 : L"another file of its cycle of renames could not come back (" +
                                       why + L"), so it is back at its new name";
                continue;
            }
            if (firstStep[step] == cycle->first) {
                // Nothing moved it back: it is left where it is now.
                revert.mayComeBack = true;
                file.failed = true;
                file.newPath = stillAside ? aside.to : file.newPath;
                file.error = stillAside ? why + L"; the file is left at " + ToWide(aside.to) : why;
                continue;
            }
            if (journal)
                journal->Undone(step);
        }
        cycle.reset();
    };

    for (size_t s = moves.size(); s-- > 0;) {
        const Move& move = moves[s];
        const auto via = pass.via.find(s);
        const std::string* temporary = via == pass.via.end() ? nullptr : &via->second;
        const StepClaim claim = pass.claims[s];
        const bool closesCycle = cycle && s == cycle->first;
        const auto known = files.find(firstStep[s]);
        // A later move of this file could not be reverted: it is not where this one
        // left it.
        if (known != files.end() && known->second.failed && !closesCycle)
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
        if (backFrom.empty() && lost.empty()) {
            if (closesCycle)
                putBack(L"it could not come back from its temporary name");
            continue;
        }

        FileOutcome& file = files[firstStep[s]];
        if (!file.touched)
            file.newPath = backFrom.empty() ? move.to : backFrom;
        file.touched = true;
        int rc = 0;
        if (!lost.empty()) {
            revert.steps[s] = StepOutcome::Failed;
            file.failed = true;
            file.error = lost;
            if (journal)
                journal->Gone(s);
        } else if (rc = MoveNoReplace(fs, backFrom, move.from); rc != 0) {
            revert.steps[s] = StepOutcome::Failed;
            revert.mayComeBack = true;
            file.failed = true;
            file.error = ErrorText(rc);
        } else {
            revert.steps[s] = StepOutcome::Reverted;
        }

        if (closesCycle) {
            // The rename refused a taken old name: that is the check that it is free.
            if (revert.steps[s] == StepOutcome::Reverted) {
                for (const auto& [step, stoodAt] : cycle->reverted) {
                    if (journal)
                        journal->Undone(step);
                }
                cycle.reset();
            } else {
                putBack(lost.empty() ? WhyNotBack(rc) : lost);
                continue;
            }
        } else if (revert.steps[s] == StepOutcome::Reverted) {
            if (cycle) {
                cycle->reverted.emplace_back(s, backFrom);
                continue;
            }
            if (firstStep[s] != s) {
                // The last step of a member that stepped aside: a cycle opens.
                cycle = OpenCycle{firstStep[s], {{s, backFrom}}};
                continue;
            }
        }
        if (revert.steps[s] == StepOutcome::Reverted && journal)
            journal->Undone(s);
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
