#pragma once

#include <QObject>

#include "filelist/ColumnLayout.h"

class QMenu;
class QPoint;

namespace tolvane {

class CommandTable;
class FileList;
class FileListView;
class Language;
class Settings;

// The menu of the list's header: fit the widths of the name, new-name and folder
// columns, and the four optional columns switched on and off. A switch is stored in
// section "listSet" under the item's command id, so the next start shows the same
// columns; the check marks are read from there as the menu opens.
class HeaderMenu : public QObject {
    Q_OBJECT

  public:
    HeaderMenu(CommandTable& commands, FileList& list, const Settings& settings,
               const Language& language, FileListView* view);

    QMenu* Menu() const { return menu_; }
    // The check marks as the settings hold them.
    void UpdateChecks();
    void Popup(const QPoint& global);

    // Switches the column on when it is off and off when it is on; stores the switch.
    void Switch(OptionalColumn column);
    // The name, new-name and folder columns as wide as their texts; nothing stored.
    void FitColumns();

  private:
    FileList& list_;
    const Settings& settings_;
    FileListView* view_;
    QMenu* menu_;
};

}  // namespace tolvane
