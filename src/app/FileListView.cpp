#include "FileListView.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "FileListModel.h"
#include "filelist/FileList.h"

namespace tolvane {

FileListView::FileListView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
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
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &FileListView::HeaderClicked);
}

void FileListView::SetFileListModel(FileListModel* model) {
    model_ = model;
    setModel(model);
    connect(model, &FileListModel::ListSelectionChanged, this, &FileListView::FollowListSelection);
    connect(model, &FileListModel::layoutChanged, this, &FileListView::FollowListSelection);
    connect(model, &FileListModel::rowsInserted, this, &FileListView::FollowListSelection);
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
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FileListView::TellListSelection);
    ApplyStartWidths();
}

void FileListView::ApplyStartWidths() {
    const ColumnLayout& columns = model_->List().Columns();
    for (int c = 0; c < columns.Count(); ++c)
        setColumnWidth(c, InfoOf(columns.KindAt(c)).startWidth);
}

void FileListView::SetWidthOfInserted(int first, int last) {
    const ColumnLayout& columns = model_->List().Columns();
    for (int c = first; c <= last && c < columns.Count(); ++c)
        setColumnWidth(c, InfoOf(columns.KindAt(c)).switchedOnWidth);
}

void FileListView::mousePressEvent(QMouseEvent* event) {
    emit RowsClicked();
    QTableView::mousePressEvent(event);
}

void FileListView::FollowListSelection() {
    if (syncing_ || !model_)
        return;
    syncing_ = true;
    const FileList& list = model_->List();
    QItemSelection selection;
    const int lastColumn = model_->columnCount() - 1;
    for (size_t r = 0; r < list.RowCount();) {
        if (!list.Row(r).selected) {
            ++r;
            continue;
        }
        const size_t first = r;
        while (r < list.RowCount() && list.Row(r).selected)
            ++r;
        selection.select(model_->index(static_cast<int>(first), 0),
                         model_->index(static_cast<int>(r - 1), lastColumn));
    }
    // Cleared first: Qt compares an old and a new selection range by range, which
    // takes minutes when both hold tens of thousands of ranges (an inverted list).
    selectionModel()->clearSelection();
    selectionModel()->select(selection, QItemSelectionModel::Select);
    if (list.SelectionMark() >= 0)
        selectionModel()->setCurrentIndex(model_->index(list.SelectionMark(), 0),
                                          QItemSelectionModel::NoUpdate);
    syncing_ = false;
}

void FileListView::TellListSelection() {
    if (syncing_ || !model_)
        return;
    syncing_ = true;
    FileList& list = model_->List();
    std::vector<bool> selected(list.RowCount(), false);
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) {
            if (static_cast<size_t>(r) < selected.size())
                selected[static_cast<size_t>(r)] = true;
        }
    }
    const QModelIndex current = selectionModel()->currentIndex();
    list.SetRowStates(nullptr, &selected, current.isValid() ? current.row() : -1);
    syncing_ = false;
}

}  // namespace tolvane
