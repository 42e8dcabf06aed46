#include "RowMenu.h"

#include <QAction>
#include <QMenu>

#include "CommandTable.h"
#include "FileListView.h"
#include "filelist/FileList.h"
#include "filelist/ListEditing.h"
#include "settings/Language.h"

namespace tolvane {

RowMenu::RowMenu(CommandTable& commands, FileList& list, const Language& language,
                 FileListView* view)
    : QObject(view),
      list_(list),
      view_(view),
      menu_(commands.BuildPopup(MenuId::RowMenu, PopupMenuTexts(language, MenuId::RowMenu), view)) {
    menu_->setObjectName(QStringLiteral("rowMenu"));
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { Popup(view_->viewport()->mapToGlobal(at)); });
}

void RowMenu::UpdateEnabling() {
    for (QAction* action : menu_->actions()) {
        bool ok = false;
        const int id = action->objectName().mid(7).toInt(&ok);
        if (ok)
            action->setEnabled(IsRowCommandEnabled(list_, id));
    }
}

bool RowMenu::Popup(const QPoint& global) {
    if (list_.Empty())
        return false;
    UpdateEnabling();
    menu_->popup(global);
    return true;
}

}  // namespace tolvane
