#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

#include <string>
#include <vector>

#include "filelist/ListEditing.h"

class QDBusPendingCallWatcher;

namespace tolvane {

class FileList;
class FileListView;
class Language;
class OptionPanel;

// The commands that change or open the rows of the list without adding any: moving
// the selected block, removing, checking and unchecking, selecting every row,
// "全选" and "反选", opening a file and showing files in the file manager; and the
// keys of the list (Ctrl+A, Delete, F2) and its double click.
class ListCommands : public QObject {
    Q_OBJECT

  public:
    ListCommands(FileList& list, OptionPanel& panel, const Language& language,
                 QObject* parent = nullptr);

    void Move(MoveDirection direction);
    // Removes the selected rows; the count under the list follows, and a list left
    // empty is cleared as F9 clears it.
    void RemoveSelected();
    void CheckSelected(bool checked);
    void SelectEveryRow();
    void SelectAllLink();
    void InvertLink();
    // The file of the selection mark, with the desktop's application for it; nothing
    // when it no longer exists.
    void OpenFile();
    // The file manager shows the selected rows' files selected (the mark's when none
    // is selected), all in one request; where no file manager answers, their folders
    // open.
    void OpenLocations();

    // A file path as a file URL: every byte of the name kept, also those not UTF-8.
    static QUrl FileUrl(const std::wstring& path);

  signals:
    void ClearListRequested();
    void InlineRenameRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowCount();
    void OpenFolders(const QList<QUrl>& files);

    FileList& list_;
    OptionPanel& panel_;
    const Language& language_;
};

}  // namespace tolvane
