#include "EcmaPattern.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "ClassSet.h"

namespace tolvane {

namespace {

constexpr int kMaxNesting = 200;        // PCRE2 refuses deeper nesting of parentheses
constexpr uint64_t kMaxRepeat = 65535;  // and larger counts in braces

bool IsSyntaxCharacter(wchar_t c) {
    return std::wstring_view(L"^$\\.*+?()[]{}|").find(c) != std::wstring_view::npos;
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// A character of the pattern as a code point (wchar_t is signed here).
uint32_t CodeOf(wchar_t c) {
    return static_cast<std::make_unsigned_t<wchar_t>>(c);
}

bool IsDecimal(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// Identifier characters of group names. Beyond ASCII any letter-like character is taken:
// blanks and line terminators are not.
bool IsIdentifierChar(uint32_t c, bool first) {
    if (c == '$' || c == '_' || IsAsciiLetter(static_cast<wchar_t>(c)))
        return true;
    if (c < 0x80)
        return !first && IsDecimal(static_cast<wchar_t>(c));
    if (c == 0x200C || c == 0x200D)
        return !first;
    for (const CodeRange& r : kSpaceRanges) {
        if (c >= r.lo && c <= r.hi)
            return false;
    }
    return c <= kMaxCodePoint;
}

class Parser {
  public:
    explicit Parser(std::wstring_view pattern) : p_(pattern) {}

    std::optional<TranslatedPattern> Run(std::wstring& error) {
        if (ScanGroups() && Disjunction(0) && !AtEnd())
            Fail(L"unmatched ')'");
        if (!error_.empty()) {
            error = error_;
            return std::nullopt;
        }
        TranslatedPattern result;
        result.pcre2 = std::move(out_);
        result.groups = totalGroups_;
        result.names = std::move(names_);
        return result;
    }

  private:
    bool AtEnd() const { return i_ >= p_.size(); }
    wchar_t Peek(size_t ahead = 0) const { return i_ + ahead < p_.size() ? p_[i_ + ahead] : L'\0'; }
    bool Fail(std::wstring message) {
        if (error_.empty())
            error_ = std::move(message) + L" (at character " + std::to_wstring(i_ + 1) + L")";
        return false;
    }

    // Counts the capturing groups and reads their names first: a back-reference may
    // come before its group.
    bool ScanGroups() {
        int number = 0;
        for (size_t k = 0; k < p_.size(); ++k) {
            const wchar_t c = p_[k];
            if (c == L'\\') {
                ++k;
            } else if (c == L'[') {
                for (++k; k < p_.size() && p_[k] != L']'; ++k) {
                    if (p_[k] == L'\\')
                        ++k;
                }
            } else if (c == L'(') {
                if (k + 1 < p_.size() && p_[k + 1] == L'?') {
                    if (k + 2 >= p_.size() || p_[k + 2] != L'<' || k + 3 >= p_.size() ||
                        p_[k + 3] == L'=' || p_[k + 3] == L'!')
                        continue;
                    ++number;
                    const size_t save = i_;
                    i_ = k + 3;
                    std::wstring name;
                    const bool ok = GroupName(name);
                    i_ = save;
                    if (!ok)
                        return false;
                    for (const auto& [existing, n] : names_) {
                        if (existing == name)
                            return Fail(L"duplicate group name '" + name + L"'");
                    }
                    names_.emplace_back(std::move(name), number);
                } else {
                    ++number;
                }
            }
        }
        totalGroups_ = number;
        return true;
    }

    // Reads "name>" after "(?<" or "\k<".
    bool GroupName(std::wstring& name) {
        name.clear();
        while (!AtEnd() && Peek() != L'>') {
            uint32_t c = CodeOf(Peek());
            if (c == L'\\') {
                ++i_;
                if (Peek() != L'u' || !UnicodeEscape(c))
                    return Fail(L"invalid group name");
            } else {
                ++i_;
            }
            if (!IsIdentifierChar(c, name.empty()))
                return Fail(L"invalid group name");
            name += static_cast<wchar_t>(c);
        }
        if (AtEnd() || name.empty())
            return Fail(L"invalid group name");
        ++i_;  // '>'
        return true;
    }

    bool Disjunction(int depth) {
        if (depth > kMaxNesting)
            return Fail(L"groups nested too deeply");
        if (!Alternative(depth))
            return false;
        while (Peek() == L'|' && !AtEnd()) {
            ++i_;
            out_ += L'|';
            if (!Alternative(depth))
                return false;
        }
        return true;
    }

    bool Alternative(int depth) {
        while (!AtEnd() && Peek() != L'|' && Peek() != L')') {
            if (!Term(depth))
                return false;
        }
        return true;
    }

    static bool IsQuantifierStart(wchar_t c) {
        return c == L'*' || c == L'+' || c == L'?' || c == L'{';
    }

    bool Term(int depth) {
        // Assertions take no quantifier.
        bool assertion = true;
        const wchar_t c = Peek();
        if (c == L'^') {
            ++i_;
            out_ += L"\\A";
        } else if (c == L'$') {
            ++i_;
            out_ += L"\\z";
        } else if (c == L'\\' && (Peek(1) == L'b' || Peek(1) == L'B')) {
            out_ += Peek(1) == L'b' ? L"\\b" : L"\\B";
            i_ += 2;
        } else if (c == L'(' && Peek(1) == L'?' &&
                   (Peek(2) == L'=' || Peek(2) == L'!' ||
                    (Peek(2) == L'<' && (Peek(3) == L'=' || Peek(3) == L'!')))) {
            const size_t opener = Peek(2) == L'<' ? 4 : 3;
            out_.append(p_.substr(i_, opener));
            i_ += opener;
            if (!GroupBody(depth))
                return false;
        } else {
            assertion = false;
            if (!Atom(depth))
                return false;
        }
        if (!IsQuantifierStart(Peek()) || AtEnd())
            return true;
        if (assertion)
            return Fail(L"nothing to repeat");
        return Quantifier();
    }

    bool Quantifier() {
        const wchar_t c = Peek();
        if (c != L'{') {
            ++i_;
            out_ += c;
        } else {
            ++i_;
            uint64_t min = 0, max = 0;
            bool bounded = true;
            if (!Number(min))
                return Fail(L"incomplete quantifier");
            max = min;
            if (Peek() == L',') {
                ++i_;
                if (Peek() == L'}')
                    bounded = false;
                else if (!Number(max))
                    return Fail(L"incomplete quantifier");
            }
            if (Peek() != L'}' || AtEnd())
                return Fail(L"incomplete quantifier");
            ++i_;
            if (bounded && max < min)
                return Fail(L"numbers out of order in quantifier");
            if (min > kMaxRepeat)
                return Fail(L"the repeat count is too large");
            if (max > kMaxRepeat)
                bounded = false;  // no name is that long: the same as no limit
            out_ += L'{' + std::to_wstring(min);
            if (!bounded)
                out_ += L',';
            else if (max != min)
                out_ += L',' + std::to_wstring(max);
            out_ += L'}';
        }
        if (Peek() == L'?' && !AtEnd()) {
            ++i_;
            out_ += L'?';
        }
        return true;
    }

    bool Number(uint64_t& value) {
        if (!IsDecimal(Peek()) || AtEnd())
            return false;
        value = 0;
        while (!AtEnd() && IsDecimal(Peek())) {
            value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(Peek() - L'0'),
                                       uint64_t{1} << 53);
            ++i_;
        }
        return true;
    }

    bool Atom(int depth) {
        const wchar_t c = Peek();
        switch (c) {
            case L'.': {
                ++i_;
                ClassSet dot;
                dot.Add(kLineTerminatorRanges, true);
                dot.AppendTo(out_, false);
                return true;
            }
            case L'(': return Group(depth);
            case L'[': return CharacterClass();
            case L'\\': return AtomEscape();
            case L'*':
            case L'+':
            case L'?': return Fail(L"nothing to repeat");
            case L'{': return Fail(L"lone quantifier brackets");
            case L'}':
            case L']': return Fail(L"lone '" + std::wstring(1, c) + L"'");
            default:
                ++i_;
                AppendCodePoint(out_, static_cast<uint32_t>(c));
                return true;
        }
    }

    bool Group(int depth) {
        ++i_;  // '('
        if (Peek() == L'?') {
            if (Peek(1) == L':') {
                i_ += 2;
                out_ += L"(?:";
            } else if (Peek(1) == L'<') {
                i_ += 2;
                std::wstring name;
                if (!GroupName(name))
                    return false;
                out_ += L'(';
            } else {
                return Fail(L"invalid group");
            }
        } else {
            out_ += L'(';
        }
        return GroupBody(depth);
    }

    // What follows the opening of a group, up to and with its ')'.
    bool GroupBody(int depth) {
        if (!Disjunction(depth + 1))
            return false;
        if (Peek() != L')' || AtEnd())
            return Fail(L"unterminated group");
        ++i_;
        out_ += L')';
        return true;
    }

    void AppendBackReference(int group) { out_ += L"\\g{" + std::to_wstring(group) + L"}"; }

    bool AtomEscape() {
        ++i_;  // '\'
        if (AtEnd())
            return Fail(L"\\ at end of pattern");
        const wchar_t c = Peek();
        if (c >= L'1' && c <= L'9') {
            uint64_t group = 0;
            Number(group);
            if (group > static_cast<uint64_t>(totalGroups_))
                return Fail(L"invalid escape: no group " + std::to_wstring(group));
            AppendBackReference(static_cast<int>(group));
            return true;
        }
        if (c == L'k') {
            ++i_;
            if (Peek() != L'<')
                return Fail(L"invalid named reference");
            ++i_;
            std::wstring name;
            if (!GroupName(name))
                return false;
            for (const auto& [existing, number] : names_) {
                if (existing == name) {
                    AppendBackReference(number);
                    return true;
                }
            }
            return Fail(L"invalid named capture referenced");
        }
        ClassSet set;
        bool isSet = false;
        if (!ClassEscapeSet(set, isSet))
            return false;
        if (isSet) {
            set.AppendTo(out_, false);
            return true;
        }
        uint32_t code = 0;
        if (!CharacterEscape(code, false))
            return false;
        AppendCodePoint(out_, code);
        return true;
    }

    // \d \D \s \S \w \W \p{..} \P{..} at the current character (after the backslash):
    // adds the set and consumes it, or leaves `isSet` false.
    bool ClassEscapeSet(ClassSet& set, bool& isSet) {
        const wchar_t c = Peek();
        isSet = true;
        switch (c) {
            case L'd':
            case L'D': set.Add(kDigitRanges, c == L'D'); break;
            case L's':
            case L'S': set.Add(kSpaceRanges, c == L'S'); break;
            case L'w':
            case L'W': set.Add(kWordRanges, c == L'W'); break;
            case L'p':
            case L'P': ++i_; return PropertyEscape(set, c == L'P');
            default: isSet = false; return true;
        }
        ++i_;
        return true;
    }

    bool PropertyEscape(ClassSet& set, bool negated) {
        if (Peek() != L'{')
            return Fail(L"invalid property name");
        const size_t close = p_.find(L'}', i_);
        if (close == std::wstring_view::npos)
            return Fail(L"invalid property name");
        const std::wstring_view body = p_.substr(i_ + 1, close - i_ - 1);
        i_ = close + 1;
        return set.AddProperty(body, negated) || Fail(L"invalid property name");
    }

    // One character escape after the backslash; `inClass` allows \- as well.
    bool CharacterEscape(uint32_t& code, bool inClass) {
        const wchar_t c = Peek();
        ++i_;
        switch (c) {
            case L'f': code = 0x0C; return true;
            case L'n': code = 0x0A; return true;
            case L'r': code = 0x0D; return true;
            case L't': code = 0x09; return true;
            case L'v': code = 0x0B; return true;
            case L'c':
                if (!IsAsciiLetter(Peek()) || AtEnd())
                    return Fail(L"invalid control escape");
                code = static_cast<uint32_t>(Peek()) % 32;
                ++i_;
                return true;
            case L'0':
                if (IsDecimal(Peek()) && !AtEnd())
                    return Fail(L"invalid decimal escape");
                code = 0;
                return true;
            case L'x': {
                const int high = HexValue(Peek()), low = HexValue(Peek(1));
                if (high < 0 || low < 0 || i_ + 1 >= p_.size())
                    return Fail(L"invalid escape");
                code = static_cast<uint32_t>(high * 16 + low);
                i_ += 2;
                return true;
            }
            case L'u': --i_; return UnicodeEscape(code);
            default:
                if (IsSyntaxCharacter(c) || c == L'/' || (inClass && c == L'-')) {
                    code = CodeOf(c);
                    return true;
                }
                --i_;
                return Fail(L"invalid escape");
        }
    }

    // \uXXXX (a surrogate pair of two of them is one code point) or \u{X...}, at 'u'.
    bool UnicodeEscape(uint32_t& code) {
        ++i_;  // 'u'
        if (Peek() == L'{') {
            ++i_;
            uint64_t value = 0;
            size_t digits = 0;
            while (!AtEnd() && HexValue(Peek()) >= 0) {
                value = std::min<uint64_t>(value * 16 + static_cast<uint64_t>(HexValue(Peek())),
                                           kMaxCodePoint + 1);
                ++i_;
                ++digits;
            }
            if (digits == 0 || Peek() != L'}' || AtEnd() || value > kMaxCodePoint)
                return Fail(L"invalid Unicode escape");
            ++i_;
            code = static_cast<uint32_t>(value);
            return true;
        }
        if (!FourHex(code))
            return Fail(L"invalid Unicode escape");
        if (code >= 0xD800 && code <= 0xDBFF && Peek() == L'\\' && Peek(1) == L'u') {
            const size_t save = i_;
            i_ += 2;
            uint32_t trail = 0;
            if (FourHex(trail) && trail >= 0xDC00 && trail <= 0xDFFF)
                code = 0x10000 + ((code - 0xD800) << 10) + (trail - 0xDC00);
            else
                i_ = save;
        }
        return true;
    }

    bool FourHex(uint32_t& code) {
        if (i_ + 4 > p_.size())
            return false;
        code = 0;
        for (size_t k = 0; k < 4; ++k) {
            const int digit = HexValue(p_[i_ + k]);
            if (digit < 0)
                return false;
            code = code * 16 + static_cast<uint32_t>(digit);
        }
        i_ += 4;
        return true;
    }

    // One member of a class: a code point, or a set (then `isSet`).
    bool ClassAtom(ClassSet& set, uint32_t& code, bool& isSet) {
        isSet = false;
        if (AtEnd())
            return Fail(L"unterminated character class");
        const wchar_t c = Peek();
        if (c != L'\\') {
            ++i_;
            code = CodeOf(c);
            return true;
        }
        ++i_;
        if (AtEnd())
            return Fail(L"\\ at end of pattern");
        if (Peek() == L'b') {
            ++i_;
            code = 0x08;
            return true;
        }
        if (!ClassEscapeSet(set, isSet))
            return false;
        return isSet || CharacterEscape(code, true);
    }

    bool CharacterClass() {
        ++i_;  // '['
        bool negated = false;
        if (Peek() == L'^' && !AtEnd()) {
            negated = true;
            ++i_;
        }
        ClassSet set;
        while (true) {
            if (AtEnd())
                return Fail(L"unterminated character class");
            if (Peek() == L']') {
                ++i_;
                break;
            }
            uint32_t low = 0;
            bool lowIsSet = false;
            if (!ClassAtom(set, low, lowIsSet))
                return false;
            if (Peek() == L'-' && Peek(1) != L']' && i_ + 1 < p_.size()) {
                ++i_;  // '-'
                uint32_t high = 0;
                bool highIsSet = false;
                if (!ClassAtom(set, high, highIsSet))
                    return false;
                if (lowIsSet || highIsSet)
                    return Fail(L"invalid character class");
                if (high < low)
                    return Fail(L"range out of order in character class");
                set.Add(low, high);
                continue;
            }
            if (!lowIsSet)
                set.Add(low, low);
        }
        set.AppendTo(out_, negated);
        return true;
    }

    std::wstring_view p_;
    size_t i_ = 0;
    std::wstring out_;
    std::wstring error_;
    int totalGroups_ = 0;
    std::vector<std::pair<std::wstring, int>> names_;
};

}  // namespace

std::optional<TranslatedPattern> TranslateEcmaPattern(std::wstring_view pattern,
                                                      std::wstring* error) {
    std::wstring message;
    Parser parser(pattern);
    std::optional<TranslatedPattern> result = parser.Run(message);
    if (!result && error)
        *error = std::move(message);
    return result;
}

}  // namespace tolvane
