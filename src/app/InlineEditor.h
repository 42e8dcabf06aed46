#pragma once

#include <QObject>

#include <string>

class QLineEdit;

namespace tolvane {

class FileList;
class FileListView;

// The inline rename of one row's new name (F2, or the row menu): the field 1136 sits
// over the row's new-name cell, wherever the list is scrolled or sorted, and follows
// the row while it is open (scrolling, sorting, moving, columns switched). Enter and
// leaving the field commit its text (without the characters no name may hold);
// Escape cancels. A row that leaves the list ends the edit without a change.
class InlineEditor : public QObject {
    Q_OBJECT

  public:
    InlineEditor(FileList& list, FileListView* view, QLineEdit* field);

    bool Editing() const { return row_ >= 0; }
    // The row being edited, -1 when none.
    int Row() const { return row_; }
    QLineEdit* Field() const { return field_; }

    // Opens the editor when exactly one row is selected; false otherwise.
    bool Begin();
    void Commit();
    void Cancel();

  signals:
    void Committed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Finds the edited row again after the rows changed, then places the field.
    void FollowRow();
    void Place();
    void End();

    FileList& list_;
    FileListView* view_;
    QLineEdit* field_;
    int row_ = -1;
    std::wstring path_;  // the edited row's file: rows move, paths in the list are unique
};

}  // namespace tolvane
