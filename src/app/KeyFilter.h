#pragma once

#include <QObject>
#include <QString>

namespace tolvane {

// Drops what may not be typed into a control, before the control sees it: into a
// number field anything but the digits 0 to 9 (Backspace included; Delete, the arrows
// and shortcuts still work); into the insert and replacement boxes the characters
// / \ : * ? ' < > |; into the template box the same but for the angle brackets, which
// write its tokens. Text committed by an input method is filtered alike.
// Pasting is not filtered.
class KeyFilter : public QObject {
    Q_OBJECT

  public:
    enum class Rule { DigitsOnly, NoNameBreakers, TemplateText };

    KeyFilter(Rule rule, QObject* parent);

    // The characters of `text` that the rule lets through.
    static QString Allowed(Rule rule, const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Rule rule_;
};

}  // namespace tolvane
