#include "SpinButtons.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

#include "engine/StringOps.h"

namespace tolvane {

SpinButtons::SpinButtons(QLineEdit* buddy, int min, int max, QWidget* parent)
    : QWidget(parent),
      buddy_(buddy),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)),
      min_(min),
      max_(max) {
    for (QToolButton* button : {up_, down_}) {
        button->setArrowType(button == up_ ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        // The field keeps the focus; the arrows are for the mouse, Up and Down for keys.
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
    buddy_->installEventFilter(this);
}

void SpinButtons::Step(int delta) {
    const int value = ReadDecimalPrefix(buddy_->text().toStdWString());
    // A field may hold the largest number there is: one more must not wrap around.
    const auto next =
        static_cast<int>(std::clamp<long long>(static_cast<long long>(value) + delta, min_, max_));
    if (next != value || buddy_->text().isEmpty())
        buddy_->setText(QString::number(next));
}

void SpinButtons::SetAccessibleNames(const QString& up, const QString& down) {
    up_->setAccessibleName(up);
    down_->setAccessibleName(down);
}

bool SpinButtons::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress && isEnabled()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            Step(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SpinButtons::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

void SpinButtons::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        up_->setEnabled(isEnabled());
        down_->setEnabled(isEnabled());
    }
}

}  // namespace tolvane
