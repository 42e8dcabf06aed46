#include "PathListActions.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QPointer>

#include "AddingFiles.h"
#include "ClipboardCopy.h"
#include "DisplayText.h"
#include "DropReader.h"
#include "filelist/CollectFolder.h"
#include "filelist/FileList.h"
#include "filelist/PathListImport.h"
#include "settings/Language.h"

namespace tolvane {

PathListActions::PathListActions(FileList& list, AddingFiles& adding, const Language& language,
                                 QWidget* window)
    : QObject(window), list_(list), adding_(adding), language_(language), window_(window) {}

PathListActions::~PathListActions() {
    // A reading thread touches nothing of the window; its result is dropped.
    for (Worker& worker : workers_)
        worker.thread.join();
}

void PathListActions::ImportFromDialog() {
    const QString chosen = QFileDialog::getOpenFileName(
        window_, QString(), QString(),
        QStringLiteral("txt (*.txt);;") + DisplayText(language_.Text("allFiles")) +
            QStringLiteral(" (*)"));
    window_->activateWindow();
    if (!chosen.isEmpty())
        ImportFile(QFile::encodeName(chosen).toStdString());
}

void PathListActions::ImportFile(const std::filesystem::path& file) {
    // Relative lines count from the list's folder: the window's working folder is
    // whatever the desktop started it in, usually the home folder.
    Run([file] { return ReadPathListFile(file, RelativeLines::FromListFolder); }, false);
}

void PathListActions::ImportFromClipboard() {
    const std::unique_ptr<QMimeData> data = ClipboardCopy::Take();
    if (!data) {
        emit ClipboardSilent();
        return;
    }
    Run([carried = DropReader::Read(*data)] { return DropReader::Resolve(carried); }, true);
}

void PathListActions::AddDropped(const QMimeData& data, bool includeSubfolders,
                                 bool renameFolders) {
    Run(
        [carried = DropReader::Read(data), includeSubfolders, renameFolders] {
            std::vector<std::wstring> batch;
            for (const std::wstring& item : DropReader::Resolve(carried)) {
                std::vector<std::wstring> items =
                    BatchForOnePath(item, includeSubfolders, renameFolders);
                batch.insert(batch.end(), std::make_move_iterator(items.begin()),
                             std::make_move_iterator(items.end()));
            }
            return batch;
        },
        false);
}

void PathListActions::Run(std::function<std::vector<std::wstring>()> work, bool clearColours) {
    std::erase_if(workers_, [](Worker& worker) {
        if (!*worker.done)
            return false;
        worker.thread.join();
        return true;
    });
    ++running_;
    QPointer<PathListActions> self(this);
    auto done = std::make_shared<std::atomic<bool>>(false);
    workers_.push_back({done, std::thread([self, work = std::move(work), clearColours, done] {
                            auto paths = std::make_shared<std::vector<std::wstring>>(work());
                            *done = true;
                            QMetaObject::invokeMethod(
                                QCoreApplication::instance(),
                                [self, paths, clearColours] {
                                    if (!self)
                                        return;
                                    --self->running_;
                                    if (clearColours)
                                        self->list_.ClearColours();
                                    self->adding_.AddBatch(*paths);
                                    emit self->Imported(static_cast<int>(paths->size()));
                                },
                                Qt::QueuedConnection);
                        })});
}

}  // namespace tolvane
