#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace tolvane {

// The up and down arrows beside a number field: each step changes the field's number
// by one within the range; a field holding no number counts as 0. The field stays a
// plain edit, so what is typed is not bound by the range. Up and Down in the field
// step as the arrows do.
class SpinButtons : public QWidget {
    Q_OBJECT

  public:
    SpinButtons(QLineEdit* buddy, int min, int max, QWidget* parent = nullptr);

    void Step(int delta);
    QLineEdit* Buddy() const { return buddy_; }
    // What a screen reader calls the two arrows.
    void SetAccessibleNames(const QString& up, const QString& down);
    QToolButton* Up() const { return up_; }
    QToolButton* Down() const { return down_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QLineEdit* buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int min_;
    int max_;
};

}  // namespace tolvane
