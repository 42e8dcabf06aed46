#include "PlanRunner.h"

#include <algorithm>
#include <cerrno>

#include "JournalFormat.h"
#include "engine/TextConvert.h"

namespace tolvane {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
constexpr const wchar_t* kJournalBroken =
    L"not renamed: the journal could not be written any more, so the pass stopped";

}  // namespace

PlanRunner::PlanRunner(const RenamePlan& plan, const std::vector<Move>& moves, FileSystem& fs,
                       Journal* journal)
    : plan_(plan),
      moves_(moves),
      fs_(fs),
      journal_(journal),
      state_(plan.renames.size(), State::Pending),
      reasons_(plan.renames.size()),
      claims_(moves.size(), StepClaim::NotMade) {}

void PlanRunner::Run() {
    const auto& steps = plan_.steps;
    for (size_t s = 0; s < steps.size();) {
        if (journalBroken_) {
            // What the journal cannot record must not happen.
            for (size_t rest = s; rest < steps.size(); ++rest) {
                if (state_[steps[rest].rename] == State::Pending)
                    Fail(steps[rest].rename, kJournalBroken);
            }
            return;
        }
        if (steps[s].cycle == kNone) {
            RunDirect(s);
            ++s;
            continue;
        }
        size_t end = s;
        while (steps[end].kind != PlanStep::Kind::FromTemporary)
            ++end;
        RunCycle(s, end);
        s = end + 1;
    }
}

bool PlanRunner::MovedAny() const {
    return !leftBehind_.empty() ||
           std::find(claims_.begin(), claims_.end(), StepClaim::Made) != claims_.end();
}

void PlanRunner::RefuseAll(const std::wstring& reason) {
    for (size_t i = 0; i < state_.size(); ++i)
        Fail(i, reason);
}

// Makes step `s` on disk and records it. Returns 0 or the error number; a move that
// the journal cannot record is taken back and fails with EIO.
int PlanRunner::Make(size_t s) {
    std::string leftAt;
    const int rc = MoveNoReplace(
        fs_, moves_[s].from, moves_[s].to,
        [&](const std::string& temporary) {
            via_[s] = temporary;
            if (journal_)
                journal_->Via(s, temporary);
        },
        &leftAt);
    if (rc != 0) {
        if (journal_)
            journal_->Failed(s, ErrorText(rc));
        if (!leftAt.empty())
            leftBehind_[s] = leftAt;
        return rc;
    }
    if (journal_ && !journal_->Done(s)) {
        journalBroken_ = true;
        if (MoveNoReplace(fs_, moves_[s].to, moves_[s].from) == 0)
            return EIO;
    }
    claims_[s] = StepClaim::Made;
    NoteFolderClock(s);
    return 0;
}

// Once per folder, its time of change just after the first move in it: by the clock
// of its own file system, which also stamped the birth of every file the pass moves
// there. Undo tells a file given a reused inode number by it also when that clock is
// not the computer's and runs ahead of it (a server's).
void PlanRunner::NoteFolderClock(size_t s) {
    const auto split = journal::SplitAtLastSlash(moves_[s].to);
    if (!split)
        return;
    const std::string_view folder = split->folder;
    if (!clockedFolders_.insert(folder).second)
        return;
    std::int64_t at = 0;
    if (fs_.ChangedAt(std::string(folder), at) != 0)
        return;
    settled_[s] = at;
    if (journal_)
        journal_->Settled(s, at);
}

// Why a rename cannot start: its target is still held by one that failed.
bool PlanRunner::BlockedByFailure(size_t rename) {
    const size_t blocker = plan_.waitsFor[rename];
    if (blocker == kNone || state_[blocker] != State::Failed)
        return false;
    Fail(rename, L"its new name is still taken: row " +
                     std::to_wstring(plan_.renames[blocker].row + 1) + L" could not be renamed");
    return true;
}

void PlanRunner::Fail(size_t rename, std::wstring reason) {
    state_[rename] = State::Failed;
    reasons_[rename] = std::move(reason);
}

void PlanRunner::RunDirect(size_t s) {
    const size_t rename = plan_.steps[s].rename;
    if (BlockedByFailure(rename))
        return;
    const int rc = Make(s);
    if (rc == 0) {
        state_[rename] = State::Done;
    } else {
        Fail(rename, ReasonOf(s, rc));
    }
}

// The system's text for a failed step, and where its file was left, if anywhere.
std::wstring PlanRunner::ReasonOf(size_t s, int rc) const {
    if (journalBroken_)
        return kJournalBroken;
    std::wstring reason = ErrorText(rc);
    if (const auto it = leftBehind_.find(s); it != leftBehind_.end())
        reason += L"; the file is left at " + ToWide(it->second);
    return reason;
}

// A cycle happens as a whole or not at all: when one of its moves fails, the moves
// already made are reverted and every rename of the cycle fails.
void PlanRunner::RunCycle(size_t first, size_t last) {
    size_t culprit = kNone;
    size_t failedStep = kNone;
    int error = 0;
    size_t s = first;
    for (; s <= last && error == 0; ++s) {
        error = Make(s);
        if (error != 0) {
            culprit = plan_.steps[s].rename;
            failedStep = s;
        }
    }
    if (error == 0) {
        for (size_t m = first; m < last; ++m)
            state_[plan_.steps[m].rename] = State::Done;
        return;
    }
    // Back in reverse order; each move returns to where it came from. A move that
    // cannot go back stays made, for an undo to take back.
    std::wstring leftAt;
    for (size_t m = failedStep; m-- > first;) {
        if (claims_[m] != StepClaim::Made)
            continue;
        if (MoveNoReplace(fs_, moves_[m].to, moves_[m].from) != 0) {
            leftAt = ToWide(moves_[m].to);
            break;
        }
        claims_[m] = StepClaim::NotMade;
        if (journal_)
            journal_->Undone(m);
    }
    for (size_t m = first; m < last; ++m) {
        const size_t member = plan_.steps[m].rename;  // each rename of the cycle once
        Fail(member, member == culprit ? ReasonOf(failedStep, error)
                                       : L"not renamed: another rename of the same cycle failed");
    }
    if (!leftAt.empty())
        reasons_[plan_.steps[first].rename] += L"; a file is left at " + leftAt;
}

}  // namespace tolvane
