#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>

#include <vector>

#include "filelist/ColumnLayout.h"
#include "filelist/FileListObserver.h"

namespace tolvane {

class FileList;
class TextSource;

// The file list as a Qt table: rows and cells read from the core list when they are
// drawn, changes forwarded as the finest signals that describe them (rows inserted or
// removed, a cell range changed, colours repainted); only clearing the list resets.
// Column 0 carries the check box, the name column the file's icon, the status column
// the reason of a failure as its tool tip. Colours follow the cell colour table, made
// readable on a dark palette.
class FileListModel : public QAbstractTableModel, public FileListObserver {
    Q_OBJECT

  public:
    // Whether the cell's row is selected in the core list: the view draws its selection
    // from this.
    static constexpr int kSelectedRole = Qt::UserRole + 1;

    FileListModel(FileList& list, const TextSource& texts, QObject* parent = nullptr);
    ~FileListModel() override;

    FileList& List() const { return list_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // FileListObserver.
    void RowsInserted(size_t first, size_t count) override;
    void RowsRemoved(size_t first, size_t count) override;
    void RowsReordered() override;
    void CellsChanged(size_t first, size_t last, int column) override;
    void ColoursChanged() override;
    void ColumnColoursChanged(int column) override;
    void ColumnsChanged() override;
    void SelectionChanged() override;
    void Reset() override;

  signals:
    // The core list's selection changed; the view follows it.
    void ListSelectionChanged();
    // The user checked or unchecked a row.
    void CheckToggled();
    // The sort column or its arrow changed.
    void SortIndicatorChanged(int column, bool descending, bool shown);

  private:
    QIcon IconOf(size_t row) const;
    QColor Shown(bool text, std::uint8_t red, std::uint8_t green, std::uint8_t blue) const;

    FileList& list_;
    const TextSource& texts_;
    int shownRows_ = 0;
    ColumnLayout shownColumns_;
    // Icons by kind of file, asked for only when a row is drawn.
    mutable std::vector<qint16> iconOfRow_;
    mutable std::vector<QIcon> icons_;
    mutable QHash<QString, qint16> iconByKind_;
};

}  // namespace tolvane
