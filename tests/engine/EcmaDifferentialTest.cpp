// Patterns mean what they mean in ECMAScript: every new name is compared with what a
// real ECMAScript engine (Node.js) gives for String.prototype.replace(new RegExp(p, "gu"),
// r), over patterns users write and names of every kind. Left out on purpose, as the
// matcher differs there: look-behinds of varying length (refused), groups inside a
// repeated group (not reset at each repetition), and a repetition whose pass matched
// nothing (it ends the repetition instead of being undone: `(a*)+b`).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "../TestSupport.h"
#include "engine/Pattern.h"
#include "engine/TextConvert.h"

namespace tolvane::test {
namespace {

struct Case {
    std::wstring find;
    std::wstring replacement;
    std::wstring subject;
    bool regex = true;
};

// A JSON string of `text`: every character beyond printable ASCII as \uXXXX, those
// beyond the BMP as a surrogate pair, so the engine sees exactly these code points.
std::string JsonString(std::wstring_view text) {
    std::string out = "\"";
    char buffer[16];
    auto unit = [&](unsigned u) {
        std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
        out += buffer;
    };
    for (const wchar_t c : text) {
        const auto code = static_cast<unsigned>(c);
        if (code >= 0x20 && code < 0x7F && c != L'"' && c != L'\\') {
            out += static_cast<char>(c);
        } else if (code > 0xFFFF) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out + "\"";
}

std::string Describe(const Case& c) {
    return (c.regex ? "regex " : "wildcard ") + JsonString(c.find) + " -> " +
           JsonString(c.replacement) + " on " + JsonString(c.subject);
}

// What the engine gives for each case: the new name, or none for an invalid pattern.
std::vector<std::optional<std::wstring>> EngineResults(const std::vector<Case>& cases) {
    TempDir dir;
    std::string input;
    for (const Case& c : cases) {
        const std::wstring pattern = c.regex ? c.find : WildcardToRegex(c.find);
        input += "[" + JsonString(pattern) + "," + JsonString(c.replacement) + "," +
                 JsonString(c.subject) + "]\n";
    }
    const std::filesystem::path file = dir.File("cases.jsonl", input);
    const ProcessResult node =
        RunProcess("/usr/bin/env", {"node", TOLVANE_ECMA_SCRIPT, file.string()});
    EXPECT_EQ(node.status, 0) << "Node.js is needed (scripts/bootstrap installs it): " << node.err;
    std::vector<std::optional<std::wstring>> results;
    std::istringstream lines(node.out);
    for (std::string line; std::getline(lines, line);) {
        if (line == "invalid") {
            results.emplace_back();
            continue;
        }
        std::wstring name;
        std::istringstream codes(line);
        for (unsigned long code = 0; codes >> code;)
            name += static_cast<wchar_t>(code);
        results.emplace_back(std::move(name));
    }
    return results;
}

void ExpectSameAsEngine(const std::vector<Case>& cases) {
    const auto expected = EngineResults(cases);
    ASSERT_EQ(expected.size(), cases.size());
    int mismatches = 0;
    for (size_t i = 0; i < cases.size() && mismatches < 20; ++i) {
        const Case& c = cases[i];
        const ReplaceStep step(c.find, c.replacement, c.regex);
        std::wstring name = c.subject;
        step.Apply(name);
        const bool ok = expected[i] ? !step.IsInvalid() && name == *expected[i] : step.IsInvalid();
        if (!ok) {
            ++mismatches;
            ADD_FAILURE() << Describe(c)
                          << "\n  engine: " << (expected[i] ? JsonString(*expected[i]) : "invalid")
                          << "\n  ours:   "
                          << (step.IsInvalid() ? "invalid: " + ToNarrow(step.Error())
                                               : JsonString(name));
        }
        EXPECT_FALSE(step.GaveUp()) << Describe(c);
    }
}

const std::vector<std::wstring> kNames = {
    L"IMG_0001.jpg",
    L"report 2023-05-17 final.txt",
    L"汉字ABC.txt",
    L"會議記錄 第二十三次.docx",
    L"a\U00020085b",
    L"\U0001F600smile\U0001F600.png",
    L"a.b.c",
    L"  lead and trail  ",
    L"tab\tand\vform\ffeed",
    L"line1\nline2\rline3",
    L"para\u2028graph\u2029end\u0085",
    L"a\u3000b\u00a0c\ufeffd\u2003e",
    L"bad\xDCFF\xDC80.txt",
    L"aaa",
    L"",
};

TEST(EcmaDifferentialTest, PatternsUsersWriteReplaceAsInECMAScript) {
    struct Pattern {
        std::wstring find;
        std::wstring replacement;
        bool astralNames = true;
    };
    const std::vector<Pattern> patterns = {
        {L"[\\u4e00-\\u9fa5]", L"Z"},
        {L"[\\u4e00-\\u9fa5]+", L"<$&>"},
        {L"[^\\u4e00-\\u9fa5]+", L"_"},
        {L"\\p{Script=Han}+", L"[$&]"},
        {L"\\p{sc=Hani}", L"H"},
        {L"\\P{L}", L""},
        {L"\\p{Lu}\\p{Ll}*", L"($&)"},
        {L"\\p{White_Space}", L"_"},
        {L"\\d+", L"#"},
        {L"(\\d+)", L"[$1]"},
        {L"(\\d+)-(\\d+)-(\\d+)", L"$3.$2.$1"},
        {L"(?<y>\\d{4})-(?<m>\\d\\d)", L"$<m>/$<y>$<nope>"},
        {L"(a)\\1", L"<$1>"},
        {L"\\1(a)", L"<$1>"},
        {L"(?<c>.)\\k<c>", L"2$<c>"},
        {L"(?=\\d)", L"^"},
        {L"\\.(?!jpg$)", L"!"},
        {L"(?<=_)\\d+", L"N"},
        {L"(?<!\\d)\\d{2}(?!\\d)", L"NN"},
        {L".*?_", L""},
        {L".+?", L"-"},
        {L"a*?", L"-"},
        {L"^", L">"},
        {L"$", L"<"},
        {L"^.{3}", L""},
        {L".$", L"!"},
        {L"\\b", L"|"},
        // Not on characters beyond the BMP: there V8 also finds \B between the two
        // halves of one character, which ECMAScript does not.
        {L"\\B", L".", false},
        {L"\\w+", L"W"},
        {L"\\W", L"_"},
        {L"\\s+", L" "},
        {L"\\S+", L"S"},
        {L"[\\s_]+", L"-"},
        {L"[^a-z]", L""},
        {L"[.]", L"dot"},
        {L"\\.", L"dot"},
        {L"[\\d-]+", L"D"},
        {L"[^]", L"x"},
        {L"[]", L"x"},
        {L".", L"x"},
        {L"\\u{1F600}", L":)"},
        {L"\\uD83D\\uDE00", L":)"},
        {L"[\\uD83D\\uDE00-\\uD83D\\uDE4F]", L"E"},
        {L"\\uDCFF", L"?"},
        {L"(?:ab|a)+", L"$&$&"},
        {L"a{2,3}", L"A"},
        {L"a{2,}?", L"A"},
        {L"x*", L"-"},
        {L"(.)(.)", L"$2$1"},
        {L"(a)|(b)", L"[$1|$2]"},
        {L"b", L"$`|$'|$$|$0|$00|$01|$10|$<"},
        {L"(a)", L"$10$01$1$2"},
        {L"\\t|\\n|\\v|\\f|\\r", L"_"},
        {L"\\x41|\\u0042|\\cJ|\\0", L"?"},
        {L"IMG_(\\d+)\\.(jpg|png)", L"photo-$1.$2"},
        {L"\\/", L"/"},
        {L"\\^\\$\\\\\\.\\*\\+\\?\\(\\)\\[\\]\\{\\}\\|", L"x"},
        // Refused by ECMAScript: Perl-only and malformed syntax.
        {L"(?i)abc", L"x"},
        {L"\\Q.\\E", L"x"},
        {L"a++", L"x"},
        {L"(?P<n>a)", L"x"},
        {L"(?>a)", L"x"},
        {L"(?#note)", L"x"},
        {L"\\z", L"x"},
        {L"\\A", L"x"},
        {L"[z-a]", L"x"},
        {L"[\\d-z]", L"x"},
        {L"a{2,1}", L"x"},
        {L"a{2", L"x"},
        {L"(", L"x"},
        {L")", L"x"},
        {L"[", L"x"},
        {L"{", L"x"},
        {L"}", L"x"},
        {L"]", L"x"},
        {L"\\-", L"x"},
        {L"\\a", L"x"},
        {L"a**", L"x"},
        {L"\\k<x>", L"x"},
        {L"\\2(a)", L"x"},
        {L"(?<a>x)(?<a>y)", L"x"},
        {L"\\p{Han}", L"x"},
        {L"\\p{L&}", L"x"},
        {L"\\pL", L"x"},
        {L"\\u{110000}", L"x"},
        {L"\\c1", L"x"},
        {L"\\00", L"x"},
        {L"(?=a)*", L"x"},
        {L"\\", L"x"},
    };
    std::vector<Case> cases;
    for (const Pattern& p : patterns) {
        for (const std::wstring& name : kNames) {
            const bool astral =
                std::any_of(name.begin(), name.end(), [](wchar_t c) { return c > 0xFFFF; });
            if (p.astralNames || !astral)
                cases.push_back({p.find, p.replacement, name});
        }
    }
    ExpectSameAsEngine(cases);
}

TEST(EcmaDifferentialTest, WildcardsReplaceAsTheirTranslation) {
    const std::vector<std::wstring> wildcards = {
        L"*",       L"?",      L"IMG_*", L"*.txt", L"a?c", L"*a*",  L"**b",
        L"?*?",     L"a*b*c",  L"*_*_*", L".*",    L"*.",  L"汉*",  L"*?",
        L"(*).jpg", L"[0-9]*", L"a*|b*", L"$*",    L"*+",  L"\\d*", L"*\U0001F600*",
    };
    std::vector<Case> cases;
    for (const std::wstring& wildcard : wildcards) {
        for (const std::wstring& name : kNames) {
            cases.push_back({wildcard, L"<$&>", name, false});
            cases.push_back({wildcard, L"$`$1", name, false});
        }
    }
    // Random wildcards over few characters find the corners of star placement.
    std::mt19937 random(7);
    const std::wstring patternChars = L"ab.*?", nameChars = L"ab\n.";
    for (int round = 0; round < 1500; ++round) {
        Case c{L"", L"[$&]", L"", false};
        for (size_t i = 1 + random() % 6; i > 0; --i)
            c.find += patternChars[random() % patternChars.size()];
        for (size_t i = random() % 10; i > 0; --i)
            c.subject += nameChars[random() % nameChars.size()];
        if (IsWildcardPattern(c.find))
            cases.push_back(std::move(c));
    }
    ExpectSameAsEngine(cases);
}

}  // namespace
}  // namespace tolvane::test
