#pragma once

#include <QObject>

#include <string>
#include <vector>

class QMimeData;
class QWidget;

namespace tolvane {

class BatchLock;
class Clock;
class FileList;
class Language;
class OptionPanel;
class PreviewController;
class Settings;

// Every way of bringing items into the list: the file dialog (F3), the folder
// browser (F4), a drop, and single paths from the command line or another copy of
// the program. A folder contributes what the two folder boxes ask for at that moment;
// each way ends in one batch for the list.
class AddingFiles : public QObject {
    Q_OBJECT

  public:
    AddingFiles(FileList& list, OptionPanel& panel, PreviewController& preview,
                const Settings& settings, const Language& language, const Clock& clock,
                QWidget* window);

    // Adds the paths as rows: new names computed unless the settings say otherwise
    // (in the background when the template reads the files), sorted, filtered; the
    // count under the list follows.
    // A batch of more than BatchLock::kLockAbove items goes in parts under the lock,
    // the progress shown; Escape keeps the rows added so far and drops the rest.
    void AddBatch(const std::vector<std::wstring>& paths);
    // A file or folder named by a full path; a path where nothing is adds nothing.
    void AddOnePath(const std::wstring& path);
    void AddFilesFromDialog();
    void AddFolderFromDialog();
    static bool CanTakeDrop(const QMimeData& data);
    // Batches of more than BatchLock::kLockAbove items go in parts under this lock;
    // without one, every batch is added at once.
    void SetBatchLock(BatchLock* lock) { lock_ = lock; }

  signals:
    void BatchAdded();

  private:
    void AddOneBatch(const std::vector<std::wstring>& paths);
    std::vector<std::wstring> BatchFor(const std::wstring& path) const;

    FileList& list_;
    OptionPanel& panel_;
    PreviewController& preview_;
    const Settings& settings_;
    const Language& language_;
    const Clock& clock_;
    QWidget* window_;
    BatchLock* lock_ = nullptr;
    // Batches that came while one was being added (a hand-off from another copy of
    // the program): they follow it in order.
    std::vector<std::vector<std::wstring>> waiting_;
    bool adding_ = false;
};

}  // namespace tolvane
