#include "ListCommands.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QKeyEvent>

#include "DisplayText.h"
#include "FileListView.h"
#include "OptionPanel.h"
#include "engine/ControlTable.h"
#include "engine/TextConvert.h"
#include "filelist/CollectFolder.h"
#include "filelist/FileList.h"
#include "settings/Language.h"

namespace tolvane {

namespace {

// A file manager that has not answered by then is taken as absent.
constexpr int kFileManagerWaitMs = 3000;

}  // namespace

ListCommands::ListCommands(FileList& list, OptionPanel& panel, const Language& language,
                           QObject* parent)
    : QObject(parent), list_(list), panel_(panel), language_(language) {
    FileListView* view = panel_.ListView();
    view->installEventFilter(this);
    connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() > 0)
            OpenFile();
    });
}

void ListCommands::Move(MoveDirection direction) {
    MoveSelectedRows(list_, direction);
}

void ListCommands::RemoveSelected() {
    if (tolvane::RemoveSelected(list_, panel_.Text(ctl::kFilter))) {
        emit ClearListRequested();
        return;
    }
    ShowCount();
}

void ListCommands::CheckSelected(bool checked) {
    tolvane::CheckSelected(list_, checked);
}

void ListCommands::SelectEveryRow() {
    tolvane::SelectEveryRow(list_);
}

void ListCommands::SelectAllLink() {
    SelectAll(list_);
}

void ListCommands::InvertLink() {
    InvertSelection(list_);
}

void ListCommands::ShowCount() {
    panel_.SetCaption(ctl::kObjectCount,
                      DisplayText(ObjectCountText(list_.RowCount(), language_.Text("files"))));
}

QUrl ListCommands::FileUrl(const std::wstring& path) {
    const QByteArray bytes = QByteArray::fromStdString(ToNarrow(path));
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

void ListCommands::OpenFile() {
    const int mark = list_.SelectionMark();
    if (mark < 0 || static_cast<size_t>(mark) >= list_.RowCount())
        return;
    const std::wstring path = list_.FullPath(static_cast<size_t>(mark));
    if (PathExists(path))
        QDesktopServices::openUrl(FileUrl(path));
}

void ListCommands::OpenLocations() {
    QList<QUrl> files;
    for (size_t r = 0; r < list_.RowCount(); ++r) {
        if (list_.Row(r).selected)
            files << FileUrl(list_.FullPath(r));
    }
    const int mark = list_.SelectionMark();
    if (files.isEmpty() && mark >= 0 && static_cast<size_t>(mark) < list_.RowCount())
        files << FileUrl(list_.FullPath(static_cast<size_t>(mark)));
    if (files.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        OpenFolders(files);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    QStringList uris;
    for (const QUrl& file : files)
        uris << QString::fromLatin1(file.toEncoded());
    call << uris << QString();
    // Asked without waiting: a file manager that starts slowly never holds up the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kFileManagerWaitMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, files](QDBusPendingCallWatcher* finished) {
                if (finished->isError())
                    OpenFolders(files);
                finished->deleteLater();
            });
}

void ListCommands::OpenFolders(const QList<QUrl>& files) {
    QList<QUrl> folders;
    for (const QUrl& file : files) {
        const QUrl folder = file.adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash);
        if (!folders.contains(folder))
            folders << folder;
    }
    for (const QUrl& folder : folders)
        QDesktopServices::openUrl(folder);
}

bool ListCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool control = key->modifiers() & Qt::ControlModifier;
    if (control && key->key() == Qt::Key_A) {
        SelectEveryRow();
        return true;
    }
    // Other keys count the same with Ctrl held or not.
    const Qt::KeyboardModifiers others =
        key->modifiers() & ~(Qt::ControlModifier | Qt::KeypadModifier);
    if (others != Qt::NoModifier)
        return QObject::eventFilter(watched, event);
    if (key->key() == Qt::Key_Delete) {
        RemoveSelected();
        return true;
    }
    if (key->key() == Qt::Key_F2) {
        emit InlineRenameRequested();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tolvane
