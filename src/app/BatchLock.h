#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>

class QProgressBar;
class QWidget;

namespace tolvane {

class OptionPanel;

// Long work on the list (a batch of more than 100 items) done in parts while the
// window keeps painting: the option controls are locked, the progress bar shows how
// far the work is, every other input to the window waits until the work is done, and
// Escape cancels what is left. Closing the window meanwhile cancels too and closes it
// once the work has stopped.
class BatchLock : public QObject {
    Q_OBJECT

  public:
    // Batches of more items than this lock the controls and show the progress.
    static constexpr int kLockAbove = 100;

    BatchLock(OptionPanel& panel, QWidget* window);
    ~BatchLock() override;

    bool Busy() const { return busy_; }
    bool Cancelled() const { return cancelled_; }

    // Locks the controls and shows the progress bar with the range 0..total.
    void Begin(int total);
    // How far the work is. Now and then the window paints and answers Escape; false
    // once the user cancelled.
    bool Step(int done);
    // Hides the progress bar, unlocks the controls and gives the keyboard focus back to
    // the control that had it (locking a control that has the focus moves it away).
    void End();

    // Disables the option controls, the execute and "照上次改" buttons, the filter box,
    // the text-mode controls and the inline editor, or gives each back the state it
    // had; the reset button, the links, the list and the labels stay as they are.
    void LockControls(bool lock);

  signals:
    void Began();
    void Ended();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QProgressBar* Progress() const;

    OptionPanel& panel_;
    QPointer<QWidget> window_;
    QHash<QWidget*, bool> lockedStates_;
    QPointer<QWidget> focusBefore_;
    QElapsedTimer sinceEvents_;
    bool busy_ = false;
    bool cancelled_ = false;
    bool closeAsked_ = false;
};

}  // namespace tolvane
