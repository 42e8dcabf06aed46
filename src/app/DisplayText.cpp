#include "DisplayText.h"

namespace tolvane {

QString DisplayText(std::wstring_view text) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (const wchar_t c : text) {
        const auto code = static_cast<char32_t>(c);
        if (code >= 0xD800 && code <= 0xDFFF)
            out += QChar(QChar::ReplacementCharacter);
        else
            out += QString::fromUcs4(&code, 1);
    }
    return out;
}

std::wstring CoreText(const QString& text) {
    return text.toStdWString();
}

}  // namespace tolvane
