#include "TextConvert.h"

namespace tolvane {

namespace {

constexpr char32_t kEscapeBase = 0xDC00;
constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at text[i], 0 when the bytes there are not one.
// Overlong forms, encoded surrogates and values above U+10FFFF are not valid.
size_t ValidSequenceLength(std::string_view text, size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    const size_t left = text.size() - i;
    auto at = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left < 2 || !IsContinuation(at(1)))
            return 0;
        cp = ((b0 & 0x1Fu) << 6) | (at(1) & 0x3Fu);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3 || !IsContinuation(at(1)) || !IsContinuation(at(2)))
            return 0;
        cp = ((b0 & 0x0Fu) << 12) | ((at(1) & 0x3Fu) << 6) | (at(2) & 0x3Fu);
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
            return 0;
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4 || !IsContinuation(at(1)) || !IsContinuation(at(2)) || !IsContinuation(at(3)))
            return 0;
        cp = ((b0 & 0x07u) << 18) | ((at(1) & 0x3Fu) << 12) | ((at(2) & 0x3Fu) << 6) |
             (at(3) & 0x3Fu);
        if (cp < 0x10000 || cp > 0x10FFFF)
            return 0;
        return 4;
    }
    return 0;
}

// The number of bytes AppendNarrow writes for `c`.
size_t NarrowLength(char32_t c) {
    if (c < 0x80 || (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF))
        return 1;
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return 3;  // U+FFFD
    return c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

}  // namespace

void AppendNarrow(std::string& out, std::wstring_view text) {
    // The exact size first, so the text holds no spare room, then one pass that
    // writes the bytes directly.
    size_t length = 0;
    for (wchar_t wc : text)
        length += NarrowLength(static_cast<char32_t>(wc));
    const size_t start = out.size();
    out.resize(start + length);
    char* p = out.data() + start;
    for (wchar_t wc : text) {
        auto c = static_cast<char32_t>(wc);
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
            continue;
        }
        if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            *p++ = static_cast<char>(c - kEscapeBase);
            continue;
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            c = kReplacement;
        if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (c >> 18));
            *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    out.resize(static_cast<size_t>(p - out.data()));
}

std::string ToNarrow(std::wstring_view text) {
    std::string out;
    AppendNarrow(out, text);
    return out;
}

std::wstring ToWide(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(static_cast<wchar_t>(b));
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t n = ValidSequenceLength(text, i, cp);
        if (n == 0) {
            out.push_back(static_cast<wchar_t>(kEscapeBase + b));
            ++i;
        } else {
            out.push_back(static_cast<wchar_t>(cp));
            i += n;
        }
    }
    return out;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        const char32_t unit = bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const auto c0 = static_cast<unsigned char>(bytes[i + 2]);
            const auto c1 = static_cast<unsigned char>(bytes[i + 3]);
            const char32_t low = bigEndian ? (c0 << 8 | c1) : (c1 << 8 | c0);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(
                    static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                i += 2;
                continue;
            }
        }
        out.push_back(static_cast<wchar_t>(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit));
    }
    return out;
}

std::string EscapeForLine(std::string_view bytes) {
    std::string out;
    AppendEscaped(out, bytes);
    return out;
}

void AppendEscaped(std::string& out, std::string_view bytes) {
    for (char c : bytes) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            default: out.push_back(c);
        }
    }
}

std::string UnescapeLine(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            const char next = line[i + 1];
            if (next == '\\' || next == 't' || next == 'n') {
                out.push_back(next == 't' ? '\t' : next == 'n' ? '\n' : '\\');
                ++i;
                continue;
            }
        }
        out.push_back(line[i]);
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t n = ValidSequenceLength(bytes, i, cp);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

}  // namespace tolvane
