#include "RenamePass.h"

#include <cerrno>
#include <unordered_map>

#include "RenamePlan.h"
#include "engine/LanguageKeys.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"
#include "filelist/CollectFolder.h"

namespace tolvane {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
constexpr const wchar_t* kJournalBroken =
    L"not renamed: the journal could not be written any more, so the pass stopped";

enum class State { Pending, Done, Failed };

// Carries out a plan whose moves are known (temporary names included): the moves in
// order, the journal line of each, the outcome of every rename, and the steps made.
class PlanRunner {
  public:
    PlanRunner(const RenamePlan& plan, const std::vector<Move>& moves, FileSystem& fs,
               Journal* journal)
        : plan_(plan),
          moves_(moves),
          fs_(fs),
          journal_(journal),
          state_(plan.renames.size(), State::Pending),
          reasons_(plan.renames.size()) {}

    void Run() {
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

    // Fails every rename without touching the disk.
    void RefuseAll(const std::wstring& reason) {
        for (size_t i = 0; i < state_.size(); ++i)
            Fail(i, reason);
    }

    State StateOf(size_t rename) const { return state_[rename]; }
    const std::wstring& ReasonOf(size_t rename) const { return reasons_[rename]; }
    // The steps made, in order.
    const std::vector<size_t>& Made() const { return made_; }

  private:
    // Makes step `s` on disk and records it. Returns 0 or the error number; a move
    // that the journal cannot record is taken back and fails with EIO.
    int Make(size_t s) {
        std::string leftAt;
        const int rc = MoveNoReplace(
            fs_, moves_[s].from, moves_[s].to,
            [&](const std::string& temporary) {
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
        made_.push_back(s);
        return 0;
    }

    // Why a rename cannot start: its target is still held by one that failed.
    bool BlockedByFailure(size_t rename) {
        const size_t blocker = plan_.waitsFor[rename];
        if (blocker == kNone || state_[blocker] != State::Failed)
            return false;
        Fail(rename, L"its new name is still taken: row " +
                         std::to_wstring(plan_.renames[blocker].row + 1) +
                         L" could not be renamed");
        return true;
    }

    void Fail(size_t rename, std::wstring reason) {
        state_[rename] = State::Failed;
        reasons_[rename] = std::move(reason);
    }

    void RunDirect(size_t s) {
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
    std::wstring ReasonOf(size_t s, int rc) const {
        if (journalBroken_)
            return kJournalBroken;
        std::wstring reason = ErrorText(rc);
        if (const auto it = leftBehind_.find(s); it != leftBehind_.end())
            reason += L"; the file is left at " + ToWide(it->second);
        return reason;
    }

    // A cycle happens as a whole or not at all: when one of its moves fails, the moves
    // already made are reverted and every rename of the cycle fails.
    void RunCycle(size_t first, size_t last) {
        const size_t madeBefore = made_.size();
        size_t culprit = kNone;
        size_t failedStep = kNone;
        int error = 0;
        for (size_t s = first; s <= last && error == 0; ++s) {
            error = Make(s);
            if (error != 0) {
                culprit = plan_.steps[s].rename;
                failedStep = s;
            }
        }
        if (error == 0) {
            for (size_t s = first; s < last; ++s)
                state_[plan_.steps[s].rename] = State::Done;
            return;
        }
        // Back in reverse order; each move returns to where it came from.
        std::wstring leftAt;
        while (made_.size() > madeBefore) {
            const size_t s = made_.back();
            if (MoveNoReplace(fs_, moves_[s].to, moves_[s].from) != 0) {
                leftAt = ToWide(moves_[s].to);  // still to be reverted by an undo
                break;
            }
            made_.pop_back();
            if (journal_)
                journal_->Undone(s);
        }
        for (size_t s = first; s < last; ++s) {
            const size_t member = plan_.steps[s].rename;  // each rename of the cycle once
            Fail(member, member == culprit
                             ? ReasonOf(failedStep, error)
                             : L"not renamed: another rename of the same cycle failed");
        }
        if (!leftAt.empty())
            reasons_[plan_.steps[first].rename] += L"; a file is left at " + leftAt;
    }

    const RenamePlan& plan_;
    const std::vector<Move>& moves_;
    FileSystem& fs_;
    Journal* journal_;
    std::vector<State> state_;
    std::vector<std::wstring> reasons_;
    std::vector<size_t> made_;
    std::unordered_map<size_t, std::string> leftBehind_;
    bool journalBroken_ = false;
};

}  // namespace

PassTexts PassTexts::From(const TextSource& texts) {
    auto text = [&](const char* key, const char* use = "") {
        return texts.Lookup(key, BuiltInText(key, use));
    };
    PassTexts t;
    t.success = text("sucess");
    t.failure = text("fail");
    t.unchanged = text("noModify");
    t.unchecked = text("unchecked");
    t.successLabel = text("sucess", "summary");
    t.failureLabel = text("fail", "summary");
    t.unchangedLabel = text("noModify");
    t.uncheckedLabel = text("unchecked");
    return t;
}

std::wstring SummaryText(const PassTexts& t, const PassResult& r) {
    return t.successLabel + L" " + std::to_wstring(r.succeeded) + L", " + t.failureLabel + L" " +
           std::to_wstring(r.failed) + L", " + t.unchangedLabel + L" " +
           std::to_wstring(r.unchanged) + L", " + t.uncheckedLabel + L" " +
           std::to_wstring(r.unchecked);
}

std::optional<PassResult> ExecuteRenames(FileList& list, UndoRecord& undo, const PassTexts& texts,
                                         FileSystem& fs,
                                         const std::filesystem::path& journalFolder) {
    if (list.Empty())
        return std::nullopt;
    list.ClearColours();
    PassResult result;

    auto fail = [&](size_t row, const std::wstring& reason) {
        ++result.failed;
        list.AppendColour(
            {static_cast<int>(row), ColumnLayout::kStatus, kRedText, kWhiteBackground});
        list.SetStatus(row, texts.failure, reason);
    };

    std::vector<WantedRename> wanted;
    wanted.reserve(list.RowCount());
    // Rows of one folder share its text: it is converted once.
    const std::wstring* lastFolder = nullptr;
    std::string folderBytes;
    for (size_t r = 0; r < list.RowCount(); ++r) {
        const FileItem& item = list.Row(r);
        if (!item.checked) {
            ++result.unchecked;
            list.SetStatus(r, texts.unchecked);
            continue;
        }
        std::wstring cleaned = StripInvalidNameChars(item.newName);
        if (cleaned == item.name) {
            ++result.unchanged;
            list.SetStatus(r, texts.unchanged);
            continue;
        }
        // Blanks at the end of a changed name are dropped; the old name is used as it
        // is, since a name may end in blanks.
        cleaned.resize(TrimTrailingBlanks(cleaned).size());
        if (cleaned == item.name) {
            ++result.unchanged;
            list.SetStatus(r, texts.unchanged);
            continue;
        }
        if (cleaned.empty() || cleaned == L"." || cleaned == L".." ||
            cleaned.find(L'\0') != std::wstring::npos) {
            fail(r,
                 cleaned.empty() ? L"the new name is empty" : L"the new name is not a file name");
            continue;
        }
        if (&list.Folder(r) != lastFolder) {
            lastFolder = &list.Folder(r);
            folderBytes = ToNarrow(*lastFolder) + '/';
        }
        // A source that vanished fails at its move, with the system's reason.
        WantedRename& rename = wanted.emplace_back();
        rename.row = r;
        rename.from = folderBytes;
        AppendNarrow(rename.from, item.name);
        rename.to = folderBytes;
        AppendNarrow(rename.to, cleaned);
    }

    RenamePlan plan = PlanRenames(std::move(wanted));
    for (const RenamePlan::Refusal& refusal : plan.refused)
        fail(refusal.row, refusal.reason);

    // Every move is known, temporary names included, before the journal is written.
    // The moves take the paths over from the plan; each rename remembers the first
    // and last of its steps.
    std::vector<std::string> temporaries(plan.cycleCount);
    std::vector<Move> moves;
    moves.reserve(plan.steps.size());
    std::vector<std::pair<size_t, size_t>> stepsOf(plan.renames.size());
    for (size_t s = 0; s < plan.steps.size(); ++s) {
        const PlanStep& step = plan.steps[s];
        WantedRename& rename = plan.renames[step.rename];
        switch (step.kind) {
            case PlanStep::Kind::ToTemporary:
                temporaries[step.cycle] = TemporaryNameBeside(fs, rename.from);
                moves.push_back({std::move(rename.from), temporaries[step.cycle]});
                stepsOf[step.rename].first = s;
                break;
            case PlanStep::Kind::FromTemporary:
                moves.push_back({temporaries[step.cycle], std::move(rename.to)});
                stepsOf[step.rename].second = s;
                break;
            case PlanStep::Kind::Direct:
                moves.push_back({std::move(rename.from), std::move(rename.to)});
                stepsOf[step.rename] = {s, s};
                break;
        }
    }
    std::unique_ptr<Journal> journal;
    if (!moves.empty())
        journal = Journal::BeginPass(journalFolder, moves);
    result.journalWritten = moves.empty() || journal != nullptr;

    PlanRunner runner(plan, moves, fs, journal.get());
    // Nothing moves unless the plan is on disk first: without it a crash could leave
    // files renamed that nobody could trace back.
    if (result.journalWritten) {
        runner.Run();
    } else {
        runner.RefuseAll(L"nothing was renamed: the journal in " + ToWide(journalFolder.string()) +
                         L" could not be written");
    }
    if (journal)
        journal->EndPass();

    UndoRecord::Pass pass;
    for (size_t i = 0; i < plan.renames.size(); ++i) {
        const size_t row = plan.renames[i].row;
        if (runner.StateOf(i) != State::Done) {
            fail(row, runner.ReasonOf(i));
            continue;
        }
        ++result.succeeded;
        const auto [first, last] = stepsOf[i];
        list.Registry().ReplaceBytes(moves[first].from, moves[last].to);
        list.AppendColour(
            {static_cast<int>(row), ColumnLayout::kStatus, kGreenText, kWhiteBackground});
        list.SetStatus(row, texts.success);
        pass.renames.push_back(stepsOf[i]);
    }
    if (!runner.Made().empty()) {
        pass.journal = journal ? journal->File() : std::filesystem::path();
        pass.made = runner.Made();
        pass.moves = std::move(moves);
        undo.passes.push_back(std::move(pass));
    }
    result.summary = SummaryText(texts, result);
    return result;
}

}  // namespace tolvane
