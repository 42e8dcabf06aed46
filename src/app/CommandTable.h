#pragma once

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QObject>

#include <functional>
#include <vector>

#include "settings/Language.h"
#include "settings/MenuTable.h"

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;

namespace tolvane {

// Every command of the window in one table: its id, its shortcuts and what it does.
// The menu bar is made from the menu table (captions, in the language of the moment),
// each item running its command; the shortcuts run the same commands. A command
// whose id has no entry in the table does nothing.
class CommandTable : public QObject {
    Q_OBJECT

  public:
    explicit CommandTable(QMainWindow* window);

    void Define(int id, const QList<QKeySequence>& keys, std::function<void()> run);
    // Runs the command `id`; false when there is no such command.
    bool Run(int id) const;
    QList<QKeySequence> Keys(int id) const;

    // The five menus with their items, in the order of the menu table.
    void BuildMenuBar(QMenuBar* bar);
    void SetMenuTitle(int position, const QString& text);
    void SetItemText(int id, const QString& text);
    QAction* Action(int id) const { return actions_.value(id, nullptr); }
    // A pop-up menu of the menu table (the row menu, the column menu): one action per
    // item, named "command<id>", running its command; `texts` replace the built-in
    // captions where they hold text.
    QMenu* BuildPopup(MenuId menu, const std::vector<MenuItemText>& texts, QWidget* parent);
    QMenu* Menu(int position) const { return menus_.value(position, nullptr); }

  private:
    struct Command {
        QList<QKeySequence> keys;
        std::function<void()> run;
    };

    QMainWindow* window_;
    QHash<int, Command> commands_;
    QHash<int, QAction*> actions_;
    QList<QMenu*> menus_;
};

}  // namespace tolvane
