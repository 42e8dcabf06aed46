#include "ClipboardMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

#include "ClipboardCopy.h"
#include "DisplayText.h"
#include "DropReader.h"
#include "filelist/ClipboardTexts.h"
#include "filelist/FileList.h"
#include "settings/Language.h"
#include "settings/MenuTable.h"

namespace tolvane {

ClipboardMenu::ClipboardMenu(FileList& list, const Language& language, QWidget* window)
    : QObject(window), list_(list), menu_(new QMenu(window)) {
    menu_->setObjectName(QStringLiteral("menu138"));
    const std::vector<MenuItemText> texts = PopupMenuTexts(language, MenuId::ImportExport);
    for (const MenuItemInfo& item : MenuItems()) {
        if (item.menu != MenuId::ImportExport)
            continue;
        std::wstring text = item.text;
        for (const MenuItemText& translated : texts) {
            if (translated.commandId == item.commandId)
                text = translated.text;
        }
        QAction* action = menu_->addAction(DisplayText(text));
        action->setData(item.commandId);
        connect(action, &QAction::triggered, this, [this, id = item.commandId] { Run(id); });
    }
    connect(menu_, &QMenu::aboutToShow, this, &ClipboardMenu::Enable);
}

QAction* ClipboardMenu::Action(int command) const {
    for (QAction* action : menu_->actions()) {
        if (action->data().toInt() == command)
            return action;
    }
    return nullptr;
}

void ClipboardMenu::Enable() {
    for (QAction* action : menu_->actions())
        action->setEnabled(!list_.Empty());
}

void ClipboardMenu::Open(QWidget* link) {
    Enable();
    menu_->popup(link->mapToGlobal(QPoint(0, link->height())));
}

void ClipboardMenu::Run(int command) {
    if (list_.Empty())
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (command == cmd::kPasteNewNames) {
        const std::unique_ptr<QMimeData> data = ClipboardCopy::Take();
        if (!data) {
            emit ClipboardSilent();
            return;
        }
        PasteNewNames(list_, DropReader::Text(*data));
        emit NewNamesPasted();
        return;
    }
    std::wstring text;
    switch (command) {
        case cmd::kCopyNames: text = ExportNames(list_); break;
        case cmd::kCopyNewNames: text = ExportNewNames(list_); break;
        case cmd::kCopyNamesAndNewNames: text = ExportPathsAndNewPaths(list_); break;
        case cmd::kCopyAll: text = ExportAllColumns(list_); break;
        default: return;
    }
    if (!text.empty())
        clipboard->setText(DisplayText(text));
}

}  // namespace tolvane
