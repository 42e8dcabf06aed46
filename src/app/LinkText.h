#pragma once

#include <QString>

namespace tolvane {

// A link caption as the control table and the language files write it, "<a>text</a>"
// with plain text around it, as rich text for a label: the link made clickable, the
// rest escaped.
QString LinkHtml(const QString& caption);

// The text a caption shows: without link tags and without the tab before a shortcut.
QString PlainCaption(const QString& caption);

}  // namespace tolvane
