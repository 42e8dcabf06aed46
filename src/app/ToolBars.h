#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QToolBar;
class QToolButton;
class QWidget;

namespace tolvane {

class CommandTable;
class Language;

// The main toolbar (add files, add a folder, undo, rename, settings, always on top)
// and the single always-on-top button that stands in for it while it is hidden.
// Images come from the desktop's icon theme, with images of our own where the theme
// has none, so no button is ever empty.
class ToolBars : public QObject {
    Q_OBJECT

  public:
    ToolBars(QMainWindow* window, QWidget* panel, const CommandTable& commands,
             const Language& language);

    void Show(bool shown);
    bool Shown() const;
    // The always-on-top buttons show the state: their image and tool tip follow it.
    void ShowOnTop(bool onTop);
    // Where the stand-in button goes on the panel.
    void PlaceSmallButton(int x, int y, int size);

    QToolBar* Main() const { return main_; }
    QToolButton* SmallButton() const { return small_; }

  private:
    QMainWindow* window_;
    const Language& language_;
    QToolBar* main_;
    QAction* onTopAction_ = nullptr;
    QToolButton* small_;
};

}  // namespace tolvane
