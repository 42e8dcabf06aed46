#include "PassActions.h"

#include <QDateTime>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <map>

#include "DisplayText.h"
#include "OptionActions.h"
#include "OptionPanel.h"
#include "PreviewController.h"
#include "engine/OptionLists.h"
#include "execute/AfterPass.h"
#include "execute/Journal.h"
#include "execute/JournalReader.h"
#include "execute/PassLock.h"
#include "execute/RenamePass.h"
#include "execute/Undo.h"
#include "filelist/FileList.h"
#include "filelist/ListEditing.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace tolvane {

namespace {

// The refresh blanks the new names, then the statuses, then shows the count.
constexpr int kBlankNewNamesMs = 2000;
constexpr int kBlankStatusesMs = 2000;
constexpr int kShowCountMs = 3000;

}  // namespace

PassActions::PassActions(FileList& list, OptionPanel& panel, OptionActions& options,
                         PreviewController& preview, const Settings& settings,
                         const Language& language, const Clock& clock, QWidget* window)
    : QObject(window),
      list_(list),
      panel_(panel),
      options_(options),
      preview_(preview),
      settings_(settings),
      language_(language),
      clock_(clock),
      window_(window) {}

void PassActions::RenameWhenNamesAreRead() {
    panel_.SetCaption(ctl::kStatusLine, DisplayText(language_.Text("renameAfterReading")));
    if (std::exchange(renameWhenRead_, true))
        return;
    QPointer<PassActions> self(this);
    preview_.AfterRunning([self](bool named) {
        if (!self)
            return;
        self->renameWhenRead_ = false;
        // Names of other options or rows than those the pass was asked for, or names
        // not yet asked for after an edit, are not what the person saw: no pass. Said
        // where a pass says what it did: the status line follows the new names' state.
        if (!named || !self->preview_.Shows(self->panel_.Snapshot())) {
            self->ShowSummary(DisplayText(self->language_.Text("renameCancelled")));
            return;
        }
        self->ExecuteRenames();
    });
}

void PassActions::ShowSummary(const QString& text) {
    panel_.ShowOutcome(ctl::kObjectCount, text);
}

void PassActions::ExecuteRenames() {
    if (list_.Empty())
        return;
    const RenameOptions options = panel_.Snapshot();
    if (preview_.ReadingFilesFor(options)) {
        // Reading the rest of the files here would hold the window up for as long as a
        // slow disk takes; the computation that reads them is under way and shows its
        // progress.
        RenameWhenNamesAreRead();
        return;
    }
    const PipelineTexts texts{AnchorSideItems(language_), BeforeWord(language_)};
    preview_.Flush(options, texts);
    if (preview_.PatternGaveUp()) {
        // Names built from a pattern that gave up are incomplete: nothing is renamed.
        const QString why = DisplayText(language_.Text("patternGaveUp"));
        panel_.SetCaption(ctl::kStatusLine, why);
        QMessageBox::warning(
            window_, DisplayText(language_.Text("notice")),
            why + QStringLiteral("\n") + DisplayText(language_.Text("nothingRenamed")));
        return;
    }
    std::optional<PassResult> pass;
    {
        // From before the files are identified until the pass is journalled; let go
        // before anything below asks the person.
        const PassLock lock(Journal::DefaultFolder(), lockWait_);
        if (!Locked(lock))
            return;
        emit DiskChanging();
        PosixFileSystem fileSystem;
        pass = tolvane::ExecuteRenames(list_, undo_, PassTexts::From(language_), fileSystem,
                                       Journal::DefaultFolder());
    }
    emit DiskChanged();
    if (!pass)
        return;
    ShowSummary(DisplayText(pass->summary));
    if (!pass->journalWritten) {
        QMessageBox::warning(window_, DisplayText(language_.Text("notice")),
                             DisplayText(language_.Text("journalFailed")) + QStringLiteral("\n") +
                                 QString::fromStdString(Journal::DefaultFolder().string()));
    }

    std::map<int, std::vector<std::wstring>> history;
    for (const int id : kHistoryComboIds)
        history[id] = panel_.Items(id);
    const AfterPassActions after = FinishPass(settings_, panel_, history);
    for (const int id : kHistoryComboIds)
        panel_.SetItems(id, history[id]);
    if (QWidget* likeLast = panel_.Control(ctl::kRenameLikeLast))
        likeLast->setEnabled(true);
    if (!after.settingsFileExists)
        return;
    if (after.resetOptions)
        options_.ResetOptions();
    if (after.clearList)
        emit ClearListRequested();
    if (after.refreshList) {
        RefreshRenamedItems();
        StartBlanking();
    }
}

void PassActions::RefreshRenamedItems() {
    // Only the passes the rows have not followed yet: replayed again, an earlier pass
    // would move a row that now stands where that pass renamed from.
    std::vector<RenameBatch> passes = RenamesInOrder(undo_);
    const size_t followed = std::min(followedPasses_, passes.size());
    passes.erase(passes.begin(), passes.begin() + static_cast<std::ptrdiff_t>(followed));
    followedPasses_ = followed + passes.size();
    tolvane::RefreshRenamedItems(list_, passes, Pipeline());
}

void PassActions::StartBlanking() {
    const auto scaled = [this](int ms) { return static_cast<int>(ms * timerScale_); };
    // An earlier refresh still on its way goes on; nothing waits for it.
    QTimer::singleShot(scaled(kBlankNewNamesMs), this, [this, scaled] {
        list_.ClearNewNameColumn();
        preview_.Forget();
        QTimer::singleShot(scaled(kBlankStatusesMs), this, [this, scaled] {
            list_.ClearStatusColumn();
            QTimer::singleShot(scaled(kShowCountMs), this, [this] {
                // The count as adding shows it, in the window's language.
                ShowSummary(
                    DisplayText(ObjectCountText(list_.RowCount(), language_.Text("files"))));
            });
        });
    });
}

bool PassActions::Confirm(const QString& question) {
    if (confirm_)
        return confirm_(question);
    QMessageBox box(QMessageBox::Question, DisplayText(language_.Text("notice")), question,
                    QMessageBox::Ok | QMessageBox::Cancel, window_);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void PassActions::UndoRenames() {
    if (undo_.Empty()) {
        UndoJournalledPass();
        return;
    }
    if (!Confirm(DisplayText(language_.Text("cancelRename"))))
        return;
    const NewNamePipeline pipeline = Pipeline();
    PosixFileSystem fileSystem;
    UndoResult result;
    {
        const PassLock lock(Journal::DefaultFolder(), lockWait_);
        if (!Locked(lock))
            return;
        emit DiskChanging();
        result = tolvane::UndoRenames(undo_, fileSystem, &list_, &pipeline);
    }
    followedPasses_ = 0;  // the record is empty now
    emit DiskChanged();
    ShowUndoSummary(result);
}

// Nothing renamed since the window opened: the newest pass of the journal that is not
// undone yet (an earlier run's, or one of tolvane-cli) is offered with its time and
// size, so that a rename survives a closed window or a crash.
void PassActions::UndoJournalledPass() {
    PosixFileSystem fileSystem;
    // The journal is read under the lock, never half-written by another copy; the
    // lock is let go while the person is asked, and taken again for the undo.
    std::optional<PassRecord> asked;
    {
        const PassLock lock(Journal::DefaultFolder(), lockWait_);
        if (!Locked(lock) || !LatestPass(fileSystem, asked))
            return;
    }
    if (!asked)
        return;
    const PassRecord& pass = *asked;
    const QString when = QDateTime::fromMSecsSinceEpoch(pass.started / 1'000'000)
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString question = DisplayText(language_.Text("undoJournalPass"))
                                 .arg(when)
                                 .arg(static_cast<qulonglong>(FilesMoved(pass)));
    if (!Confirm(question))
        return;
    UndoResult result;
    {
        const PassLock lock(Journal::DefaultFolder(), lockWait_);
        std::optional<PassRecord> latest;
        if (!Locked(lock) || !LatestPass(fileSystem, latest))
            return;
        // Another copy renamed or undid meanwhile: the newest pass is no longer the one
        // the person agreed to undo.
        if (!latest || latest->journal != pass.journal) {
            ShowSummary(DisplayText(language_.Text("journalChanged")));
            return;
        }
        emit DiskChanging();
        result = UndoJournalPass(*latest, fileSystem);
    }
    emit DiskChanged();
    // Rows that show a file the undo moved back follow it to its old name.
    RenameBatch back;
    for (const UndoResult::Line& line : result.lines) {
        if (line.error.empty())
            back.push_back(Move{line.newPath, line.oldPath, {}});
    }
    const NewNamePipeline pipeline = Pipeline();
    FollowUndo(list_, {back}, &pipeline);
    ShowUndoSummary(result);
}

bool PassActions::LatestPass(FileSystem& fs, std::optional<PassRecord>& pass) {
    UndoablePass latest = LatestUndoablePass(Journal::DefaultFolder(), fs);
    if (!latest.error.empty()) {
        ShowSummary(DisplayText(language_.Text("journalRefused")) + QLatin1Char(' ') +
                    DisplayText(latest.error));
        return false;
    }
    pass = std::move(latest.pass);
    return true;
}

bool PassActions::Locked(const PassLock& lock) {
    if (lock.Held())
        return true;
    if (lock.Status() == PassLock::State::Busy) {
        ShowSummary(DisplayText(language_.Text("passBusy")));
    } else {
        ShowSummary(DisplayText(language_.Text("passLockFailed")) + QLatin1Char(' ') +
                    DisplayText(lock.Error()));
    }
    return false;
}

NewNamePipeline PassActions::Pipeline() const {
    return NewNamePipeline(panel_.Snapshot(), clock_,
                           PipelineTexts{AnchorSideItems(language_), BeforeWord(language_)});
}

void PassActions::ShowUndoSummary(const UndoResult& result) {
    QString summary = DisplayText(language_.Text("cancelSucess"));
    if (result.failed > 0) {
        summary += QStringLiteral(", %1 %2")
                       .arg(DisplayText(language_.Text("fail", "summary")))
                       .arg(result.failed);
    }
    if (!result.journalError.empty())
        summary += QStringLiteral("; ") + DisplayText(result.journalError);
    ShowSummary(summary);
}

}  // namespace tolvane
