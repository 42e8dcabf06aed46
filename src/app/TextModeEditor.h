#pragma once

#include <QHash>
#include <QObject>

#include "filelist/TextModeSession.h"

class QPlainTextEdit;
class QWidget;

namespace tolvane {

class FileList;
class OptionPanel;

// Text mode (check box 1114): the option area gives way to editor 1113, one line per
// row, and each edit gives the rows of the lines it touched their new names at once.
// The list with its links, the filter, the object count, the execute button and the
// check box itself stay. Leaving brings back what was shown before, as it was.
class TextModeEditor : public QObject {
    Q_OBJECT

  public:
    TextModeEditor(FileList& list, OptionPanel& panel, QObject* parent = nullptr);

    // The check box was clicked: enters or leaves as it now says.
    void Toggle();
    // Unchecks the box and leaves (the list cleared, the toolbar switched).
    void Leave();
    bool Active() const { return session_.Active(); }
    QPlainTextEdit* Editor() const { return editor_; }

  signals:
    // New names were typed.
    void NamesEdited();
    // The editor's lines stopped (or started again) matching the rows it was made for:
    // from a line added or taken away on, lines rename the rows of their new places.
    void LineCountMismatch(bool mismatch, int lines, int rows);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Enter();
    void Place();
    void OnContentsChange(int position, int removed, int added);

    FileList& list_;
    OptionPanel& panel_;
    QPlainTextEdit* editor_;
    TextModeSession session_;
    // What text mode hid, and the enabled state of the two buttons it greys.
    QList<QWidget*> hidden_;
    QHash<int, bool> enabled_;
    bool settingText_ = false;
    int rowsAtBegin_ = 0;
    bool mismatch_ = false;
};

}  // namespace tolvane
