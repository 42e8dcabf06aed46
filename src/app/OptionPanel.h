#pragma once

#include <QHash>
#include <QWidget>

#include <string>
#include <vector>

#include "engine/ControlTable.h"
#include "engine/RenameOptions.h"
#include "execute/OptionControlStates.h"

class QComboBox;

namespace tolvane {

class FileListView;

// The controls of the main window, made from the control table in one loop: each
// widget is created for its kind, placed by its dialog units, bound to the signals
// below and named for accessibility. The widgets hold the option values; the panel
// reads and writes them as option control states, so profiles, reset, history and
// the preview all go through the same core code. The file list and the status line
// are placed on every resize.
class OptionPanel : public QWidget, public OptionControlStates {
    Q_OBJECT

  public:
    explicit OptionPanel(QWidget* parent = nullptr);

    QWidget* Control(int id) const { return controls_.value(id, nullptr); }
    QComboBox* Combo(int id) const;
    FileListView* ListView() const { return listView_; }

    // Option control states over the widgets.
    std::wstring Text(int id) const override;
    void SetText(int id, std::wstring_view text) override;
    int Selection(int id) const override;
    int ItemCount(int id) const override;
    void SetSelection(int id, int index) override;
    bool Checked(int id) const override;
    void SetChecked(int id, bool checked) override;

    // The options as the controls show them now.
    RenameOptions Snapshot() const;
    // Sets every option control from `options`, without notifications.
    void ApplySilently(const RenameOptions& options);
    DeleteDirection Direction() const { return direction_; }
    // Shows the direction on link 1134; `tip` is the text of its tool tip.
    void SetDirection(DeleteDirection direction, const QString& tip);

    // Enables each dependent control exactly when its controlling button is checked.
    void UpdateEnabling();

    // Items of a drop-down list (nothing selected afterwards unless `keep`), or the
    // drop-down of an editable box (its text stays).
    void SetItems(int id, const std::vector<std::wstring>& items);
    std::vector<std::wstring> Items(int id) const;

    // The caption of a control (a link in "<a>text</a>" form) and its tool tip.
    void SetCaption(int id, const QString& text);
    void SetToolTip(int id, const QString& text);
    // Shows the outcome of a pass on a line under the list (`id`) and tells a screen
    // reader, also when the line already read so.
    void ShowOutcome(int id, const QString& text);

    // Lays the controls out again after their captions changed: a control whose
    // caption needs more room than its dialog units give it grows, and what follows
    // it on its row moves along.
    void Arrange();
    // Places the list and the row under it (status line, count, progress bar) only.
    void PlaceBottomRow();
    // The smallest size at which every control is inside the window.
    QSize MinimumContentSize() const;
    // Where a button of the row of the execute button fits, right of the filter box.
    QRect SpareButtonSpot() const { return spareSpot_; }

  signals:
    // An option control changed: a box or number edited, a check or radio clicked, a
    // list item chosen by the user.
    void OptionEdited(int id);
    // A push button or a link was activated.
    void ButtonClicked(int id);

  protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Build();
    QWidget* MakeControl(const ControlInfo& info);
    void Bind(const ControlInfo& info, QWidget* widget);
    int StatusRowHeight() const;

    QHash<int, QWidget*> controls_;
    QHash<int, QString> captions_;  // as the table or a language gives them
    QHash<int, QRect> placed_;      // where Arrange() put each control
    std::vector<std::pair<QRect, QWidget*>> groupBoxes_;
    FileListView* listView_ = nullptr;
    DeleteDirection direction_ = DeleteDirection::LeftToRight;
    int contentRight_ = 0;
    QRect spareSpot_;
    int listTop_ = 0;
};

}  // namespace tolvane
