#include "RenamePass.h"

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "JournalFormat.h"
#include "PlanRunner.h"
#include "RenamePlan.h"
#include "RenameTarget.h"
#include "engine/LanguageKeys.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"
#include "filelist/CollectFolder.h"

namespace tolvane {

namespace {

// The identity of every source, by runs of renames of one folder (start in `wanted`,
// folder with its trailing '/'): 0 or the error number of each.
std::vector<int> IdentifySources(FileSystem& fs, std::vector<WantedRename>& wanted,
                                 std::vector<std::pair<size_t, std::string>>& runs) {
    std::vector<int> errors(wanted.size(), 0);
    for (size_t run = 0; run < runs.size(); ++run) {
        const size_t begin = runs[run].first;
        const size_t end = run + 1 < runs.size() ? runs[run + 1].first : wanted.size();
        std::string& folder = runs[run].second;  // with its '/', which goes now
        std::vector<std::string_view> names;
        names.reserve(end - begin);
        for (size_t w = begin; w < end; ++w)
            names.push_back(std::string_view(wanted[w].from).substr(folder.size()));
        if (folder.size() > 1)
            folder.pop_back();
        std::vector<FileId> ids;
        std::vector<int> runErrors;
        fs.IdentifyInFolder(folder, names, ids, runErrors);
        for (size_t w = begin; w < end; ++w) {
            wanted[w].id = ids[w - begin];
            errors[w] = runErrors[w - begin];
        }
    }
    return errors;
}

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
    const FileSystemBatch batch(fs);
    const FileList::Batch notices(list);
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
    // Rows of one folder share its text: it is converted and checked once.
    const std::wstring* lastFolder = nullptr;
    std::string folderBytes;
    bool folderClean = false;
    // Where each run of rows of one folder starts in `wanted`, and the folder.
    std::vector<std::pair<size_t, std::string>> runs;
    for (size_t r = 0; r < list.RowCount(); ++r) {
        const FileItem& item = list.Row(r);
        if (!item.checked) {
            ++result.unchecked;
            list.SetStatus(r, texts.unchecked);
            continue;
        }
        // The same judgement as the preview's conflict check, so that what it warns of
        // is what happens.
        RenameTarget target = TargetOf(item.name, item.newName);
        if (target.kind == RenameTarget::Kind::Unchanged) {
            ++result.unchanged;
            list.SetStatus(r, texts.unchanged);
            continue;
        }
        if (target.kind == RenameTarget::Kind::Refused) {
            fail(r, target.reason);
            continue;
        }
        std::wstring& cleaned = target.name;
        if (&list.Folder(r) != lastFolder) {
            lastFolder = &list.Folder(r);
            folderBytes = ToNarrow(*lastFolder) + '/';
            // The journal names folders by absolute paths of plain names only.
            const std::string_view folder(folderBytes.data(),
                                          std::max<size_t>(folderBytes.size() - 1, 1));
            folderClean = journal::IsCleanFolder(folder);
            if (runs.empty() || runs.back().second != folderBytes)
                runs.emplace_back(wanted.size(), folderBytes);
        }
        const std::wstring& name = item.name;
        if (!folderClean || name.empty() || name == L"." || name == L".." ||
            name.find_first_of(std::wstring_view(L"/\0", 2)) != std::wstring::npos) {
            fail(r, L"not renamed: the row is not a name in an absolute folder");
            continue;
        }
        WantedRename& rename = wanted.emplace_back();
        rename.row = r;
        rename.from = folderBytes;
        AppendNarrow(rename.from, item.name);
        rename.to = folderBytes;
        AppendNarrow(rename.to, cleaned);
    }

    // Every source's identity, before anything moves: undo tells by it whether a move
    // was made, and never takes a file that is not the one renamed. A source that is
    // gone fails its row here.
    const std::vector<int> errors = IdentifySources(fs, wanted, runs);
    size_t kept = 0;
    for (size_t w = 0; w < wanted.size(); ++w) {
        if (errors[w] != 0) {
            fail(wanted[w].row, ErrorText(errors[w]));
            continue;
        }
        if (kept != w)
            wanted[kept] = std::move(wanted[w]);
        ++kept;
    }
    wanted.resize(kept);

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
                moves.push_back({std::move(rename.from), temporaries[step.cycle], rename.id});
                stepsOf[step.rename].first = s;
                break;
            case PlanStep::Kind::FromTemporary:
                moves.push_back({temporaries[step.cycle], std::move(rename.to), rename.id});
                stepsOf[step.rename].second = s;
                break;
            case PlanStep::Kind::Direct:
                moves.push_back({std::move(rename.from), std::move(rename.to), rename.id});
                stepsOf[step.rename] = {s, s};
                break;
        }
    }
    std::unique_ptr<Journal> journal;
    if (!moves.empty())
        journal = Journal::BeginPass(journalFolder, moves, &result.journalError);
    result.journalWritten = moves.empty() || journal != nullptr;

    PlanRunner runner(plan, moves, fs, journal.get());
    // Nothing moves unless the plan is on disk first: without it a crash could leave
    // files renamed that nobody could trace back.
    if (result.journalWritten) {
        runner.Run();
    } else {
        runner.RefuseAll(L"nothing was renamed: the journal in " + ToWide(journalFolder.string()) +
                         L" could not be written (" + result.journalError + L")");
    }
    if (journal)
        journal->EndPass();

    UndoRecord::Pass pass;
    for (size_t i = 0; i < plan.renames.size(); ++i) {
        const size_t row = plan.renames[i].row;
        if (runner.StateOf(i) != PlanRunner::State::Done) {
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
    if (runner.MovedAny()) {
        PassRecord& record = pass.record;
        if (journal) {
            record.journal = journal->File();
            record.sequence = journal->Sequence();
            record.started = journal->Started();
        }
        record.claims = runner.Claims();
        record.via = std::move(runner.Via());
        record.settled = std::move(runner.Settled());
        record.ended = true;
        record.moves = std::move(moves);
        undo.passes.push_back(std::move(pass));
    }
    result.summary = SummaryText(texts, result);
    return result;
}

}  // namespace tolvane
