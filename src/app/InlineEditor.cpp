#include "InlineEditor.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

#include "DisplayText.h"
#include "FileListView.h"
#include "filelist/FileList.h"
#include "filelist/ListEditing.h"

namespace tolvane {

namespace {

// Characters the field takes, as many as a name may have.
constexpr int kLongestName = 260;

}  // namespace

InlineEditor::InlineEditor(FileList& list, FileListView* view, QLineEdit* field)
    : QObject(view), list_(list), view_(view), field_(field) {
    // Inside the rows' area, the field is clipped by it and scrolls with nothing else.
    field_->setParent(view_->viewport());
    field_->hide();
    field_->setMaxLength(kLongestName);
    field_->installEventFilter(this);
    QAbstractItemModel* model = view_->model();
    const auto follow = [this] { FollowRow(); };
    connect(model, &QAbstractItemModel::layoutChanged, this, follow);
    connect(model, &QAbstractItemModel::rowsInserted, this, follow);
    connect(model, &QAbstractItemModel::rowsRemoved, this, follow);
    connect(model, &QAbstractItemModel::modelReset, this, follow);
    connect(model, &QAbstractItemModel::columnsInserted, this, follow);
    connect(model, &QAbstractItemModel::columnsRemoved, this, follow);
    const auto place = [this] { Place(); };
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, place);
    connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, this, place);
    connect(view_->horizontalHeader(), &QHeaderView::sectionResized, this, place);
}

bool InlineEditor::Begin() {
    if (!CanBeginInlineRename(list_))
        return false;
    if (Editing())
        Commit();
    int row = list_.SelectionMark();
    if (row < 0 || static_cast<size_t>(row) >= list_.RowCount() ||
        !list_.Row(static_cast<size_t>(row)).selected) {
        for (size_t r = 0; r < list_.RowCount(); ++r) {
            if (list_.Row(r).selected)
                row = static_cast<int>(r);
        }
    }
    row_ = row;
    path_ = list_.FullPath(static_cast<size_t>(row));
    view_->scrollTo(view_->model()->index(row_, ColumnLayout::kNewName));
    field_->setText(DisplayText(list_.Row(static_cast<size_t>(row)).newName));
    Place();
    field_->show();
    field_->raise();
    field_->setFocus(Qt::OtherFocusReason);
    field_->selectAll();
    return true;
}

void InlineEditor::Commit() {
    if (!Editing())
        return;
    const int row = row_;
    const std::wstring text = CoreText(field_->text());
    End();
    CommitInlineRename(list_, static_cast<size_t>(row), text);
    emit Committed();
}

void InlineEditor::Cancel() {
    End();
}

void InlineEditor::End() {
    const bool hadFocus = field_->hasFocus();
    row_ = -1;
    path_.clear();
    field_->hide();
    if (hadFocus)
        view_->setFocus(Qt::OtherFocusReason);
}

void InlineEditor::FollowRow() {
    if (!Editing())
        return;
    if (static_cast<size_t>(row_) < list_.RowCount() &&
        list_.FullPath(static_cast<size_t>(row_)) == path_) {
        Place();
        return;
    }
    for (size_t r = 0; r < list_.RowCount(); ++r) {
        if (list_.FullPath(r) == path_) {
            row_ = static_cast<int>(r);
            Place();
            return;
        }
    }
    Cancel();
}

void InlineEditor::Place() {
    if (!Editing())
        return;
    const QRect cell = view_->visualRect(view_->model()->index(row_, ColumnLayout::kNewName));
    field_->setGeometry(cell);
}

bool InlineEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched != field_ || !Editing())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Commit();
            return true;
        }
        if (key == Qt::Key_Escape) {
            Cancel();
            return true;
        }
    } else if (event->type() == QEvent::ShortcutOverride) {
        // Enter and Escape belong to the field while it is open.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
            event->accept();
    } else if (event->type() == QEvent::FocusOut) {
        // A menu or a tool tip taking the keyboard for a moment is not leaving the field.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            Commit();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tolvane
