#include "ComboBoxAccessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace tolvane {

namespace {

// Name from the accessible name or the label whose buddy the box is (the widget
// default), value from the text in the box or the chosen item, children as Qt's own
// interface has them (the list of items, then the field), and the box's own actions.
class ComboBoxAccessible : public QAccessibleWidget {
  public:
    explicit ComboBoxAccessible(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return Combo()->currentText();
        const QString text = QAccessibleWidget::text(t);
        // A box that nothing names is still better known by its text than by nothing.
        return t == QAccessible::Name && text.isEmpty() ? Combo()->currentText() : text;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = Combo()->isEditable();
        state.expandable = true;
        state.expanded = PopupShown();
        return state;
    }

    int childCount() const override { return Combo()->lineEdit() ? 2 : 1; }

    QAccessibleInterface* child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(Combo()->view());
        if (index == 1 && Combo()->lineEdit())
            return QAccessible::queryAccessibleInterface(Combo()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr)
            return -1;
        if (child->object() == Combo()->view())
            return 0;
        if (Combo()->lineEdit() && child->object() == Combo()->lineEdit())
            return 1;
        return -1;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} << QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override {
        if (name == showMenuAction() || name == pressAction()) {
            if (PopupShown())
                Combo()->hidePopup();
            else
                Combo()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(name);
    }

  private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
    bool PopupShown() const { return Combo()->view() && Combo()->view()->isVisible(); }
};

QAccessibleInterface* MakeComboBoxAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String("QComboBox"))
        return nullptr;
    return new ComboBoxAccessible(static_cast<QComboBox*>(object));
}

}  // namespace

void InstallComboBoxAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(MakeComboBoxAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

}  // namespace tolvane
