#include "AddingFiles.h"

#include <QFile>
#include <QFileDialog>
#include <QMimeData>

#include "BatchLock.h"
#include "DisplayText.h"
#include "DropReader.h"
#include "OptionPanel.h"
#include "PreviewController.h"
#include "engine/OptionLists.h"
#include "engine/TextConvert.h"
#include "filelist/CollectFolder.h"
#include "filelist/FileList.h"
#include "filelist/ListEditing.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace tolvane {

namespace {

// Paths added between two looks at the progress and the keyboard.
constexpr size_t kPartSize = 512;

// A path from a dialog, as the bytes the file system knows it by.
std::wstring CorePath(const QString& path) {
    return ToWide(QFile::encodeName(path).toStdString());
}

}  // namespace

AddingFiles::AddingFiles(FileList& list, OptionPanel& panel, PreviewController& preview,
                         const Settings& settings, const Language& language, const Clock& clock,
                         QWidget* window)
    : QObject(window),
      list_(list),
      panel_(panel),
      preview_(preview),
      settings_(settings),
      language_(language),
      clock_(clock),
      window_(window) {}

void AddingFiles::AddBatch(const std::vector<std::wstring>& paths) {
    if (adding_) {
        waiting_.push_back(paths);
        return;
    }
    adding_ = true;
    AddOneBatch(paths);
    while (!waiting_.empty()) {
        const std::vector<std::wstring> next = std::move(waiting_.front());
        waiting_.erase(waiting_.begin());
        AddOneBatch(next);
    }
    adding_ = false;
}

void AddingFiles::AddOneBatch(const std::vector<std::wstring>& paths) {
    panel_.SetCaption(ctl::kObjectCount, {});
    panel_.SetCaption(ctl::kStatusLine, {});
    FileList::AddOptions add;
    add.autoSort = settings_.Flag(keys::kAutoSort);
    add.filterText = panel_.Text(ctl::kFilter);
    std::optional<NewNamePipeline> pipeline;
    const PipelineTexts texts{AnchorSideItems(language_), BeforeWord(language_)};
    bool inBackground = false;
    if (settings_.Flag(keys::kAutoUpdate)) {
        pipeline.emplace(panel_.Snapshot(), clock_, texts);
        // A template that reads the files themselves would read every new one here
        // and hold up the window: the rows come without new names, and the preview
        // computes them on its thread, with the progress bar for a long list.
        inBackground = pipeline->ReadsFileMetadata();
        if (!inBackground)
            add.pipeline = &*pipeline;
    }
    const bool inParts = lock_ && paths.size() > static_cast<size_t>(BatchLock::kLockAbove);
    if (inParts) {
        lock_->Begin(static_cast<int>(paths.size()));
        const std::span<const std::wstring> all(paths);
        for (size_t done = 0; done < paths.size();) {
            const size_t part = std::min(kPartSize, paths.size() - done);
            list_.AppendPaths(all.subspan(done, part), add);
            done += part;
            if (!lock_->Step(static_cast<int>(done)))
                break;
        }
        lock_->End();
    } else {
        list_.AppendPaths(paths, add);
    }
    list_.FinishBatch(paths.size(), add);
    if (inBackground) {
        list_.Counter().Reset();  // a whole pass: numbers follow the rows from the first
        preview_.Request(panel_.Snapshot(), texts);
    }
    panel_.SetCaption(ctl::kObjectCount,
                      DisplayText(ObjectCountText(list_.RowCount(), language_.Text("files"))));
    panel_.UpdateEnabling();
    if (QWidget* textMode = panel_.Control(ctl::kTextMode))
        textMode->setEnabled(true);
    emit BatchAdded();
}

std::vector<std::wstring> AddingFiles::BatchFor(const std::wstring& path) const {
    return BatchForOnePath(path, panel_.Checked(ctl::kIncludeSubfolders),
                           panel_.Checked(ctl::kRenameFolders));
}

void AddingFiles::AddOnePath(const std::wstring& path) {
    AddBatch(BatchFor(path));
}

void AddingFiles::AddFilesFromDialog() {
    const QStringList chosen = QFileDialog::getOpenFileNames(
        window_, QString(), QString(),
        DisplayText(language_.Text("allFiles")) + QStringLiteral(" (*)"));
    window_->activateWindow();
    if (chosen.isEmpty())
        return;
    std::vector<std::wstring> batch;
    for (const QString& path : chosen)
        batch.push_back(CorePath(path));
    AddBatch(batch);
}

void AddingFiles::AddFolderFromDialog() {
    const QString folder = QFileDialog::getExistingDirectory(
        window_, DisplayText(language_.Text("selectFolder")), QString());
    if (folder.isEmpty())
        return;
    std::vector<std::wstring> batch;
    CollectFolder(CorePath(folder), panel_.Checked(ctl::kIncludeSubfolders),
                  panel_.Checked(ctl::kRenameFolders), batch);
    AddBatch(batch);
}

bool AddingFiles::CanTakeDrop(const QMimeData& data) {
    return DropReader::CanTake(data);
}

}  // namespace tolvane
