#pragma once

#include <QTableView>

#include <memory>

namespace tolvane {

class FileListModel;
class RowSelection;

// The list of rows: a virtual table over the model, one line per row, the check box
// in the serial column. The rows' selected flags of the core list are the selection:
// Qt's selection model stays empty (it would hold two tracked indexes for each run of
// selected rows and search them all for every cell it paints), the cells are drawn
// selected from the model, and clicks, Shift and Ctrl clicks, dragging and the keys
// select through RowSelection. A click on a header sorts (through the core list's
// rules); a click anywhere in the rows empties the cell colour table first.
class FileListView : public QTableView {
    Q_OBJECT

  public:
    explicit FileListView(QWidget* parent = nullptr);
    ~FileListView() override;

    void SetFileListModel(FileListModel* model);
    // Widths of the columns as the list starts: the start-up width of each column.
    void ApplyStartWidths();
    // Widens `column` so that each of `texts` fits it (statuses in a language whose
    // words are longer than the start width allows).
    void FitColumnToTexts(int column, const QStringList& texts);
    // Fills Qt's selection model also while no screen reader listens (the platform
    // decides when one does; tests have none).
    void SetMirrorSelection(bool always) { mirrorAlways_ = always; }

  signals:
    void HeaderClicked(int column);
    void RowsClicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

  private:
    void FollowListSelection();
    void MirrorSelectionForAccessibility();
    void SetWidthOfInserted(int first, int last);
    bool IsSelected(int row) const;
    bool IsChecked(int row) const;
    // Runs a change of RowSelection: the list's report of it is then no change of its own.
    template <class F>
    void Select(F&& change);

    FileListModel* model_ = nullptr;
    std::unique_ptr<RowSelection> selection_;
    bool selecting_ = false;
    // A left button held down since a press on a row: moving extends from the anchor.
    bool dragging_ = false;
    bool dragSelects_ = true;
    int dragRow_ = -1;
    bool mirrorAlways_ = false;
};

}  // namespace tolvane
