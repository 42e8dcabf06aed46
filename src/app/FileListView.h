#pragma once

#include <QTableView>

namespace tolvane {

class FileListModel;

// The list of rows: a virtual table over the model, one line per row, the check box
// in the serial column. Its selection mirrors the rows' selected flags of the core
// list both ways. A click on a header sorts (through the core list's rules); a click
// anywhere in the rows empties the cell colour table first.
class FileListView : public QTableView {
    Q_OBJECT

  public:
    explicit FileListView(QWidget* parent = nullptr);

    void SetFileListModel(FileListModel* model);
    // Widths of the columns as the list starts: the start-up width of each column.
    void ApplyStartWidths();

  signals:
    void HeaderClicked(int column);
    void RowsClicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void FollowListSelection();
    void TellListSelection();
    void SetWidthOfInserted(int first, int last);

    FileListModel* model_ = nullptr;
    bool syncing_ = false;
};

}  // namespace tolvane
