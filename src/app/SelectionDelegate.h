#pragma once

#include <QStyledItemDelegate>

namespace tolvane {

// Draws a cell as selected when its row is selected in the core list (the model's
// FileListModel::kSelectedRole), not from Qt's selection model: a selection of 50,000
// separate rows costs the painting of a cell one look-up instead of a search.
class SelectionDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace tolvane
