#include "HeaderMenu.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>

#include "CommandTable.h"
#include "FileListView.h"
#include "filelist/FileList.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace tolvane {

HeaderMenu::HeaderMenu(CommandTable& commands, FileList& list, const Settings& settings,
                       const Language& language, FileListView* view)
    : QObject(view),
      list_(list),
      settings_(settings),
      view_(view),
      menu_(commands.BuildPopup(MenuId::Columns, PopupMenuTexts(language, MenuId::Columns), view)) {
    menu_->setObjectName(QStringLiteral("headerMenu"));
    for (QAction* action : menu_->actions())
        action->setCheckable(true);
    QHeaderView* header = view_->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QWidget::customContextMenuRequested, this,
            [this, header](const QPoint& at) { Popup(header->mapToGlobal(at)); });
}

void HeaderMenu::UpdateChecks() {
    for (QAction* action : menu_->actions()) {
        const QString id = action->objectName().mid(7);
        action->setChecked(settings_.Read(L"listSet", id.toStdWString()) == L"1");
    }
}

void HeaderMenu::Popup(const QPoint& global) {
    UpdateChecks();
    menu_->popup(global);
}

void HeaderMenu::Switch(OptionalColumn column) {
    const bool on = !list_.Columns().IsOn(column);
    list_.SwitchColumn(column, on);
    const int id = InfoOf(KindOf(column)).commandId;
    settings_.Write(L"listSet", std::to_wstring(id), on ? L"1" : L"0");
}

void HeaderMenu::FitColumns() {
    if (list_.Empty())
        return;
    view_->setUpdatesEnabled(false);
    for (const int column :
         {ColumnLayout::kName, ColumnLayout::kNewName, list_.Columns().FolderColumn()})
        view_->resizeColumnToContents(column);
    view_->setUpdatesEnabled(true);
}

}  // namespace tolvane
