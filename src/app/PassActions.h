#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <optional>

#include "engine/NewNamePipeline.h"
#include "execute/PassLock.h"
#include "execute/RevertPass.h"
#include "execute/UndoRecord.h"

class QWidget;

namespace tolvane {

class Clock;
class FileList;
class Language;
class OptionActions;
class OptionPanel;
class PreviewController;
class Settings;

// Renaming and taking it back, from the window: a pass over the rows with statuses
// and the summary line, the settings a pass leaves (last options, input history), the
// actions the settings ask for afterwards, the refresh that blanks the preview and the
// statuses a few seconds later, and undo after a confirmation.
class PassActions : public QObject {
    Q_OBJECT

  public:
    PassActions(FileList& list, OptionPanel& panel, OptionActions& options,
                PreviewController& preview, const Settings& settings, const Language& language,
                const Clock& clock, QWidget* window);

    void ExecuteRenames();
    void UndoRenames();
    // Rows of renamed items take their new names and a fresh preview (the link "刷新").
    void RefreshRenamedItems();

    // The refresh's delays are multiplied by this (tests shorten them).
    void SetTimerScale(double scale) { timerScale_ = scale; }
    // Tests answer the confirmation instead of a person.
    void SetConfirm(std::function<bool(const QString& question)> confirm) {
        confirm_ = std::move(confirm);
    }
    const UndoRecord& Record() const { return undo_; }
    // How long a pass or undo waits for another copy's to end (tests shorten it).
    void SetLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

  signals:
    void ClearListRequested();
    // Files are about to be renamed or moved back: work that reads the disk is moot.
    void DiskChanging();
    // Files were renamed or moved back: what was read of the disk before is out of date.
    void DiskChanged();

  private:
    void RenameWhenNamesAreRead();
    void StartBlanking();
    void UndoJournalledPass();
    void ShowUndoSummary(const UndoResult& result);
    // Whether the lock is held; says why not where a pass reports otherwise.
    bool Locked(const PassLock& lock);
    // The newest pass of the journal that can be undone, if any; false (and said where
    // a pass reports) when the journal is refused.
    bool LatestPass(FileSystem& fs, std::optional<PassRecord>& pass);
    NewNamePipeline Pipeline() const;
    bool Confirm(const QString& question);
    void ShowSummary(const QString& text);

    FileList& list_;
    OptionPanel& panel_;
    OptionActions& options_;
    PreviewController& preview_;
    const Settings& settings_;
    const Language& language_;
    const Clock& clock_;
    QWidget* window_;
    UndoRecord undo_;
    size_t followedPasses_ = 0;  // the passes of undo_ the rows have been moved by
    double timerScale_ = 1.0;
    std::chrono::milliseconds lockWait_ = PassLock::Wait();
    // A pass asked for while the names are read from the files follows their end.
    bool renameWhenRead_ = false;
    std::function<bool(const QString&)> confirm_;
};

}  // namespace tolvane
