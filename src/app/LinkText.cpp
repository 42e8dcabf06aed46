#include "LinkText.h"

namespace tolvane {

QString LinkHtml(const QString& caption) {
    const qsizetype open = caption.indexOf(QStringLiteral("<a>"));
    const qsizetype close = caption.indexOf(QStringLiteral("</a>"), open + 3);
    if (open < 0 || close < 0)
        return caption.toHtmlEscaped();
    return caption.left(open).toHtmlEscaped() + QStringLiteral("<a href=\"#\">") +
           caption.mid(open + 3, close - open - 3).toHtmlEscaped() + QStringLiteral("</a>") +
           caption.mid(close + 4).toHtmlEscaped();
}

QString PlainCaption(const QString& caption) {
    QString text = caption;
    text.remove(QStringLiteral("<a>")).remove(QStringLiteral("</a>"));
    const qsizetype tab = text.indexOf(u'\t');
    if (tab >= 0)
        text.truncate(tab);
    return text.trimmed();
}

}  // namespace tolvane
