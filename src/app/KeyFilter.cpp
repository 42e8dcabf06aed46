#include "KeyFilter.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace tolvane {

namespace {

bool Refused(KeyFilter::Rule rule, QChar c) {
    if (rule == KeyFilter::Rule::DigitsOnly)
        return c < u'0' || c > u'9';
    if (rule == KeyFilter::Rule::TemplateText)
        return QStringView(u"/\\:*?'|").contains(c);
    return QStringView(u"/\\:*?'<>|").contains(c);
}

}  // namespace

KeyFilter::KeyFilter(Rule rule, QObject* parent) : QObject(parent), rule_(rule) {}

QString KeyFilter::Allowed(Rule rule, const QString& text) {
    QString kept;
    for (const QChar c : text) {
        if (!Refused(rule, c))
            kept += c;
    }
    return kept;
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;  // shortcuts: copy, paste, select all
        if (rule_ == Rule::DigitsOnly && key->key() == Qt::Key_Backspace)
            return true;
        const QString text = key->text();
        if (text.isEmpty() || !text.front().isPrint())
            return false;  // Delete, arrows, Home, End
        const QString kept = Allowed(rule_, text);
        if (kept == text)
            return false;
        // A key may carry several characters (an input method that types its text):
        // the allowed ones still arrive.
        if (!kept.isEmpty()) {
            QKeyEvent allowed(QEvent::KeyPress, Qt::Key_unknown, key->modifiers(), kept,
                              key->isAutoRepeat(), key->count());
            QCoreApplication::sendEvent(watched, &allowed);
        }
        return true;
    }
    if (event->type() == QEvent::InputMethod) {
        auto* input = static_cast<QInputMethodEvent*>(event);
        const QString kept = Allowed(rule_, input->commitString());
        if (kept != input->commitString()) {
            input->setCommitString(kept, input->replacementStart(), input->replacementLength());
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tolvane
