#include "BatchLock.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QTimer>

#include "OptionPanel.h"
#include "engine/ControlTable.h"

namespace tolvane {

namespace {

// The window paints and reads its input this often while the work goes on.
constexpr int kEventsEveryMs = 40;

bool Locked(const ControlInfo& info) {
    switch (info.kind) {
        case ControlKind::EditableCombo:
        case ControlKind::DropDownList:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::Edit:
        case ControlKind::Spin: return true;
        case ControlKind::PushButton:
            return info.id == ctl::kExecute || info.id == ctl::kRenameLikeLast;
        default: return false;
    }
}

// Input that would change the list or the options while the work is half done.
bool HeldOff(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::InputMethod: return true;
        default: return false;
    }
}

}  // namespace

BatchLock::BatchLock(OptionPanel& panel, QWidget* window)
    : QObject(window), panel_(panel), window_(window) {}

BatchLock::~BatchLock() {
    if (busy_)
        qApp->removeEventFilter(this);
}

QProgressBar* BatchLock::Progress() const {
    return qobject_cast<QProgressBar*>(panel_.Control(ctl::kProgress));
}

void BatchLock::LockControls(bool lock) {
    if (lock) {
        for (const ControlInfo& info : MainWindowControls()) {
            QWidget* widget = Locked(info) ? panel_.Control(info.id) : nullptr;
            if (!widget || lockedStates_.contains(widget))
                continue;
            lockedStates_.insert(widget, widget->isEnabled());
            widget->setEnabled(false);
        }
        return;
    }
    for (auto it = lockedStates_.begin(); it != lockedStates_.end(); ++it)
        it.key()->setEnabled(it.value());
    lockedStates_.clear();
}

void BatchLock::Begin(int total) {
    busy_ = true;
    cancelled_ = false;
    closeAsked_ = false;
    // The window's focus widget also while it is hidden: an add from the command line
    // runs before the window first shows, and its focus must be there when it does.
    focusBefore_ = window_ ? window_->focusWidget() : nullptr;
    LockControls(true);
    if (QProgressBar* bar = Progress()) {
        bar->setRange(0, std::max(1, total));
        bar->setValue(0);
        bar->show();
        panel_.Arrange();
    }
    qApp->installEventFilter(this);
    sinceEvents_.start();
    emit Began();
    // The locked controls and the bar show before the first part of the work.
    QCoreApplication::processEvents();
}

bool BatchLock::Step(int done) {
    if (QProgressBar* bar = Progress())
        bar->setValue(std::min(done, bar->maximum()));
    if (sinceEvents_.elapsed() >= kEventsEveryMs) {
        QCoreApplication::processEvents();
        sinceEvents_.restart();
    }
    return !cancelled_;
}

void BatchLock::End() {
    if (!busy_)
        return;
    qApp->removeEventFilter(this);
    busy_ = false;
    if (QProgressBar* bar = Progress()) {
        bar->hide();
        bar->setValue(0);
        panel_.Arrange();
    }
    LockControls(false);
    if (focusBefore_ && focusBefore_->isEnabled() && window_ &&
        window_->focusWidget() != focusBefore_)
        focusBefore_->setFocus(Qt::OtherFocusReason);
    focusBefore_ = nullptr;
    emit Ended();
    if (closeAsked_ && window_)
        QTimer::singleShot(0, window_.data(), &QWidget::close);
}

bool BatchLock::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!busy_ || !widget || !window_ || widget->window() != window_)
        return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type == QEvent::Close && widget == window_) {
        cancelled_ = true;
        closeAsked_ = true;
        event->ignore();
        return true;
    }
    if (!HeldOff(type))
        return QObject::eventFilter(watched, event);
    if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        cancelled_ = true;
    // An accepted override keeps the window's shortcuts from running their commands.
    if (type == QEvent::ShortcutOverride)
        event->accept();
    return true;
}

}  // namespace tolvane
