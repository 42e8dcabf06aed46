#include "FileListView.h"

#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

#include "FileListModel.h"
#include "RowSelection.h"
#include "SelectionDelegate.h"
#include "filelist/FileList.h"

namespace tolvane {

FileListView::FileListView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Qt selects nothing itself; see the class comment.
    setSelectionMode(QAbstractItemView::NoSelection);
    setItemDelegate(new SelectionDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Drops go to the window, which adds what is dropped.
    setAcceptDrops(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &FileListView::HeaderClicked);
}

FileListView::~FileListView() = default;

void FileListView::SetFileListModel(FileListModel* model) {
    model_ = model;
    setModel(model);
    selection_ = std::make_unique<RowSelection>(model->List());
    // Rows that come, go or move shift the rows a span was begun over.
    connect(model, &FileListModel::ListSelectionChanged, this, &FileListView::FollowListSelection);
    connect(model, &FileListModel::layoutChanged, this, &FileListView::FollowListSelection);
    connect(model, &FileListModel::rowsInserted, this, &FileListView::FollowListSelection);
    connect(model, &FileListModel::rowsRemoved, this, &FileListView::FollowListSelection);
    connect(model, &FileListModel::modelReset, this, &FileListView::FollowListSelection);
    connect(model, &FileListModel::columnsInserted, this,
            [this](const QModelIndex&, int first, int last) { SetWidthOfInserted(first, last); });
    connect(model, &FileListModel::SortIndicatorChanged, this,
            [this](int column, bool descending, bool shown) {
                horizontalHeader()->setSortIndicatorShown(shown);
                // Qt draws an ascending order as a downward triangle; the list's
                // arrow points up while names ascend, down while they descend.
                horizontalHeader()->setSortIndicator(
                    column, descending ? Qt::AscendingOrder : Qt::DescendingOrder);
            });
    ApplyStartWidths();
}

void FileListView::ApplyStartWidths() {
    const ColumnLayout& columns = model_->List().Columns();
    for (int c = 0; c < columns.Count(); ++c)
        setColumnWidth(c, InfoOf(columns.KindAt(c)).startWidth);
}

void FileListView::FitColumnToTexts(int column, const QStringList& texts) {
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, fontMetrics().horizontalAdvance(text));
    // The cell's own margins on both sides, and room for the grid line.
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    setColumnWidth(column, std::max(columnWidth(column), widest + margin + 2));
}

void FileListView::SetWidthOfInserted(int first, int last) {
    const ColumnLayout& columns = model_->List().Columns();
    for (int c = first; c <= last && c < columns.Count(); ++c)
        setColumnWidth(c, InfoOf(columns.KindAt(c)).switchedOnWidth);
}

template <class F>
void FileListView::Select(F&& change) {
    if (!selection_)
        return;
    selecting_ = true;
    change(*selection_);
    selecting_ = false;
}

bool FileListView::IsSelected(int row) const {
    const FileList& list = model_->List();
    return row >= 0 && static_cast<size_t>(row) < list.RowCount() &&
           list.Row(static_cast<size_t>(row)).selected;
}

void FileListView::mousePressEvent(QMouseEvent* event) {
    emit RowsClicked();
    const QModelIndex index = indexAt(event->position().toPoint());
    const int before = currentIndex().isValid() ? currentIndex().row() : -1;
    // The current index, the focus and the check box, as for any table.
    QTableView::mousePressEvent(event);
    dragging_ = false;
    if (!model_)
        return;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int row = index.row();
    if (event->button() == Qt::RightButton) {
        // The row menu acts on the selection: a row outside it becomes the selection.
        if (index.isValid() && !shift && !control) {
            Select([&](RowSelection& s) {
                IsSelected(row) ? s.Focus(static_cast<size_t>(row))
                                : s.Only(static_cast<size_t>(row));
            });
        }
        return;
    }
    if (!index.isValid()) {
        if (!shift && !control)
            Select([](RowSelection& s) { s.Clear(); });
        return;
    }
    Select([&](RowSelection& s) {
        if (shift)
            s.SpanTo(static_cast<size_t>(row), true, before);
        else if (control)
            dragSelects_ = s.Toggle(static_cast<size_t>(row));
        else
            s.Only(static_cast<size_t>(row));
    });
    if (shift || !control)
        dragSelects_ = true;
    dragging_ = event->button() == Qt::LeftButton;
    dragRow_ = row;
}

void FileListView::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    if (!dragging_ || !(event->buttons() & Qt::LeftButton))
        return;
    const int row = rowAt(static_cast<int>(event->position().y()));
    if (row < 0 || row == dragRow_)
        return;
    dragRow_ = row;
    Select([&](RowSelection& s) { s.SpanTo(static_cast<size_t>(row), dragSelects_, -1); });
}

void FileListView::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QTableView::mouseReleaseEvent(event);
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex before = currentIndex();
    const bool checkedBefore = before.isValid() && model_ && IsChecked(before.row());
    QTableView::keyPressEvent(event);
    const QModelIndex now = currentIndex();
    if (!model_ || !now.isValid())
        return;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool control = modifiers & Qt::ControlModifier;
    // Shift+Tab is Backtab: a move back, not a span.
    const bool shift = (modifiers & Qt::ShiftModifier) && event->key() != Qt::Key_Backtab;
    const auto row = static_cast<size_t>(now.row());
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Select) {
        // Space on the check box checks; elsewhere it selects (Ctrl: turns the row over).
        if (now == before && IsChecked(now.row()) != checkedBefore)
            return;
        Select([&](RowSelection& s) { control ? void(s.Toggle(row)) : s.Add(row); });
        return;
    }
    if (now == before)
        return;
    // Ctrl with an arrow or a page key moves the current row only; Home and End move to
    // the first or the last row, Ctrl or not, and take the selection there.
    const bool toEnd = event->key() == Qt::Key_Home || event->key() == Qt::Key_End;
    if (shift)
        Select([&](RowSelection& s) { s.SpanTo(row, true, before.isValid() ? before.row() : -1); });
    else if (!control || toEnd)
        Select([&](RowSelection& s) { s.Only(row); });
}

// The rows are the items of this list: Home and End go to its first and its last row
// (a table's own would go to the first or last cell of the current row), in the column
// the current cell is in.
QModelIndex FileListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    if ((cursorAction == MoveHome || cursorAction == MoveEnd) && model_ && model_->rowCount() > 0) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        return model_->index(cursorAction == MoveHome ? 0 : model_->rowCount() - 1, column);
    }
    return QTableView::moveCursor(cursorAction, modifiers);
}

bool FileListView::IsChecked(int row) const {
    const FileList& list = model_->List();
    return row >= 0 && static_cast<size_t>(row) < list.RowCount() &&
           list.Row(static_cast<size_t>(row)).checked;
}

void FileListView::FollowListSelection() {
    if (!model_)
        return;
    viewport()->update();
    MirrorSelectionForAccessibility();
    if (selecting_ || !selection_)
        return;
    selection_->Forget();
    const int mark = model_->List().SelectionMark();
    if (mark >= 0 && mark < model_->rowCount()) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        selectionModel()->setCurrentIndex(model_->index(mark, column),
                                          QItemSelectionModel::NoUpdate);
    }
}

// Assistive technology reads the selected rows from Qt's selection model, which the
// view otherwise leaves empty (its ranges cost a search per painted cell: 50,000 of them
// when every other row of 100,000 is selected). It is filled only while such a reader
// listens.
void FileListView::MirrorSelectionForAccessibility() {
    QItemSelectionModel* model = selectionModel();
    if (!model)
        return;
    if (!QAccessible::isActive() && !mirrorAlways_) {
        if (model->hasSelection())
            model->clearSelection();
        return;
    }
    QItemSelection selection;
    const FileList& list = model_->List();
    const size_t rows = std::min(list.RowCount(), static_cast<size_t>(model_->rowCount()));
    const int lastColumn = model_->columnCount() - 1;
    for (size_t r = 0; r < rows; ++r) {
        if (!list.Row(r).selected)
            continue;
        size_t end = r;
        while (end + 1 < rows && list.Row(end + 1).selected)
            ++end;
        selection.select(model_->index(static_cast<int>(r), 0),
                         model_->index(static_cast<int>(end), lastColumn));
        r = end;
    }
    model->select(selection, QItemSelectionModel::ClearAndSelect);
}

}  // namespace tolvane
