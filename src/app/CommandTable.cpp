#include "CommandTable.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include "settings/MenuTable.h"

namespace tolvane {

CommandTable::CommandTable(QMainWindow* window) : QObject(window), window_(window) {}

void CommandTable::Define(int id, const QList<QKeySequence>& keys, std::function<void()> run) {
    commands_.insert(id, {keys, std::move(run)});
    for (const QKeySequence& key : keys) {
        auto* shortcut = new QShortcut(key, window_);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, this, [this, id] { Run(id); });
    }
}

bool CommandTable::Run(int id) const {
    const auto it = commands_.find(id);
    if (it == commands_.end() || !it->run)
        return false;
    it->run();
    return true;
}

QList<QKeySequence> CommandTable::Keys(int id) const {
    return commands_.value(id).keys;
}

void CommandTable::BuildMenuBar(QMenuBar* bar) {
    for (const MenuTitleInfo& title : MenuBarTitles())
        menus_.push_back(bar->addMenu(QString::fromWCharArray(title.resourceText)));
    for (const MenuItemInfo& item : MenuItems()) {
        if (item.menu != MenuId::MenuBar || item.commandId == 0)
            continue;
        // The caption shows its shortcut after a tab; the keys themselves belong to
        // the window, so that both of undo's work and a menu never takes one away.
        auto* action = new QAction(QString::fromWCharArray(item.text), this);
        action->setObjectName(QStringLiteral("command%1").arg(item.commandId));
        const int id = item.commandId;
        connect(action, &QAction::triggered, this, [this, id] { Run(id); });
        menus_[item.title]->addAction(action);
        actions_.insert(id, action);
    }
}

QMenu* CommandTable::BuildPopup(MenuId menu, const std::vector<MenuItemText>& texts,
                                QWidget* parent) {
    auto* popup = new QMenu(parent);
    for (const MenuItemInfo& item : MenuItems()) {
        if (item.menu != menu)
            continue;
        if (item.commandId == 0) {
            popup->addSeparator();
            continue;
        }
        QString text = QString::fromWCharArray(item.text);
        // A language without this item keeps the built-in caption, never an empty one.
        for (const MenuItemText& translated : texts) {
            if (translated.commandId == item.commandId && !translated.text.empty())
                text = QString::fromStdWString(translated.text);
        }
        QAction* action = popup->addAction(text);
        action->setObjectName(QStringLiteral("command%1").arg(item.commandId));
        const int id = item.commandId;
        connect(action, &QAction::triggered, this, [this, id] { Run(id); });
    }
    return popup;
}

void CommandTable::SetMenuTitle(int position, const QString& text) {
    if (position >= 0 && position < menus_.size())
        menus_[position]->setTitle(text);
}

void CommandTable::SetItemText(int id, const QString& text) {
    if (QAction* action = Action(id))
        action->setText(text);
}

}  // namespace tolvane
