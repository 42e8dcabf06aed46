#include "SelectionDelegate.h"

#include "FileListModel.h"

namespace tolvane {

void SelectionDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state.setFlag(QStyle::State_Selected,
                          index.data(FileListModel::kSelectedRole).toBool());
}

}  // namespace tolvane
