#pragma once

#include <QObject>

class QMenu;
class QPoint;

namespace tolvane {

class CommandTable;
class FileList;
class FileListView;
class Language;

// The menu of the rows (a right click in the list): moving, inline rename, check,
// uncheck, remove, open the file, show it in the file manager, clear. Each item is
// enabled as the selection allows at the moment the menu opens; an empty list opens
// no menu.
class RowMenu : public QObject {
    Q_OBJECT

  public:
    RowMenu(CommandTable& commands, FileList& list, const Language& language, FileListView* view);

    QMenu* Menu() const { return menu_; }
    // Enables each item for the selection of the moment.
    void UpdateEnabling();
    // Opens the menu at `global` (screen coordinates); false when the list is empty.
    bool Popup(const QPoint& global);

  private:
    FileList& list_;
    FileListView* view_;
    QMenu* menu_;
};

}  // namespace tolvane
