#include "StatusLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>

#include <algorithm>

namespace tolvane {

namespace {

// Qt's own interface of a label names it by its text only while no accessible name
// is set, and offers no text interface, so a screen reader cannot read the line by
// characters or words.
class StatusLabelAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit StatusLabelAccessible(StatusLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return Label()->SpokenText();
        if (t == QAccessible::Value)
            return Shown();
        return QAccessibleWidget::text(t);
    }

    // Read-only text: no cursor to move, nothing to select.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override {
        const QString shown = Shown();
        start = std::clamp(start, 0, static_cast<int>(shown.size()));
        end = std::clamp(end, start, static_cast<int>(shown.size()));
        return shown.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(Shown().size()); }
    QRect characterRect(int offset) const override {
        const QString shown = Shown();
        if (offset < 0 || offset >= shown.size())
            return {};
        const QFontMetrics metrics(Label()->font());
        const QRect contents = Label()->contentsRect();
        const int x = metrics.horizontalAdvance(shown.left(offset));
        const QPoint origin = Label()->mapToGlobal(contents.topLeft());
        return {origin.x() + x, origin.y() + (contents.height() - metrics.height()) / 2,
                metrics.horizontalAdvance(shown.at(offset)), metrics.height()};
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QString shown = Shown();
        const QFontMetrics metrics(Label()->font());
        const int x = Label()->mapFromGlobal(point).x() - Label()->contentsRect().left();
        for (int i = 0; i < shown.size(); ++i) {
            if (metrics.horizontalAdvance(shown.left(i + 1)) > x)
                return x < 0 ? -1 : i;
        }
        return -1;
    }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

  private:
    StatusLabel* Label() const { return static_cast<StatusLabel*>(widget()); }
    QString Shown() const { return Label()->text(); }
};

QAccessibleInterface* MakeStatusLabelAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(StatusLabel::staticMetaObject.className()))
        return new StatusLabelAccessible(static_cast<StatusLabel*>(object));
    return nullptr;
}

}  // namespace

StatusLabel::StatusLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(MakeStatusLabelAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    setTextFormat(Qt::PlainText);
}

void StatusLabel::Show(const QString& text) {
    if (text == this->text())
        return;
    setText(text);  // which tells a screen reader of the new name
    emit Announced(SpokenText());
}

void StatusLabel::Announce() {
    // Qt 6.4 has no announcement event: a name change of the line is what a screen
    // reader hears.
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
    emit Announced(SpokenText());
}

QString StatusLabel::SpokenText() const {
    if (!accessibleName().isEmpty())
        return accessibleName();
    return text().isEmpty() ? accessibleDescription() : text();
}

}  // namespace tolvane
