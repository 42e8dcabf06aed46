#pragma once

#include <QObject>

#include <string>

class QAction;
class QMenu;
class QWidget;

namespace tolvane {

class FileList;
class Language;

// Menu 138 under the link "导入导出": new names pasted from the clipboard, one per line
// from the top row, and the list's names, new names, paths or whole rows copied to it.
// With no rows every item is greyed.
class ClipboardMenu : public QObject {
    Q_OBJECT

  public:
    ClipboardMenu(FileList& list, const Language& language, QWidget* window);

    // Shows the menu under `link`, where its text begins.
    void Open(QWidget* link);
    // Carries out one of the menu's five commands.
    void Run(int command);
    QMenu* Menu() const { return menu_; }
    QAction* Action(int command) const;

  signals:
    // New names came from the clipboard.
    void NewNamesPasted();
    // Nothing was pasted: the program holding the clipboard did not answer.
    void ClipboardSilent();

  private:
    void Enable();

    FileList& list_;
    QMenu* menu_;
};

}  // namespace tolvane
