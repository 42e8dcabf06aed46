#include <gtest/gtest.h>

#include <atomic>
#include <cwctype>
#include <thread>

#include "PipelineTestSupport.h"
#include "engine/Pattern.h"
#include "engine/TextConvert.h"

namespace tolvane::test {
namespace {

struct ReplaceCase {
    const char* label;
    std::wstring find;
    std::wstring replacement;
    bool regex;
    std::wstring subject;
    std::wstring expected;
};

class ReplaceStepTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceStepTest, Replaces) {
    const auto& c = GetParam();
    const ReplaceStep step(c.find, c.replacement, c.regex);
    std::wstring name = c.subject;
    step.Apply(name);
    EXPECT_EQ(ToNarrow(name), ToNarrow(c.expected)) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Plain, ReplaceStepTest,
    testing::Values(ReplaceCase{"every occurrence", L"a", L"b", false, L"banana", L"bbnbnb"},
                    ReplaceCase{"no overlap", L"aa", L"x", false, L"aaaa a", L"xx a"},
                    ReplaceCase{"case-sensitive", L"A", L"x", false, L"aA", L"ax"},
                    ReplaceCase{"group reference is literal", L"b", L"$1", false, L"abc", L"a$1c"},
                    ReplaceCase{"regex characters are literal", L"(1)", L"-", false, L"a(1)",
                                L"a-"},
                    ReplaceCase{"empty find does nothing", L"", L"x", false, L"abc", L"abc"}),
    ByLabel());

INSTANTIATE_TEST_SUITE_P(
    Wildcard, ReplaceStepTest,
    testing::Values(
        ReplaceCase{"star", L"IMG_*", L"photo", false, L"IMG_0001", L"photo"},
        ReplaceCase{"star alone matches all, then the empty end", L"*", L"X", false, L"abc", L"XX"},
        ReplaceCase{"question mark is one character", L"a?c", L"x", false, L"abc-adc", L"x-x"},
        ReplaceCase{"question mark is one whole character", L"?", L"x", false, L"漢\U0001F600",
                    L"xx"},
        ReplaceCase{"dot keeps its meaning", L"*.txt", L"x", false, L"a_txt", L"x"},
        ReplaceCase{"invalid translation leaves the name", L"(*", L"x", false, L"abc", L"abc"},
        ReplaceCase{"format rules apply", L"?b", L"[$&]", false, L"ab", L"[ab]"},
        ReplaceCase{"question mark matches any astral character", L"a?b", L"x", false,
                    L"a\U00020085b", L"x"},
        ReplaceCase{"stars stop at a line break", L"a*", L"x", false, L"ab\nab", L"x\nx"}),
    ByLabel());

INSTANTIATE_TEST_SUITE_P(
    Regex, ReplaceStepTest,
    testing::Values(
        ReplaceCase{"groups", L"(\\d+)", L"[$1]", true, L"a12b3", L"a[12]b[3]"},
        ReplaceCase{"white space removed", L"\\s", L"", true, L"a b\tc", L"abc"},
        ReplaceCase{"empty matches take part", L"[a-zA-Z0-9]*", L"X", true, L"ab-cd", L"XX-XX"},
        ReplaceCase{"unbalanced parenthesis leaves the name", L"(", L"x", true, L"a(b", L"a(b"},
        ReplaceCase{"dollar sign and whole match", L"b", L"$$$&", true, L"abc", L"a$bc"},
        ReplaceCase{"text before and after the match", L"b", L"<$`|$'>", true, L"abc", L"a<a|c>c"},
        ReplaceCase{"two-digit group falls back to one digit", L"(a)", L"$10", true, L"a", L"a0"},
        ReplaceCase{"missing group is literal", L"a", L"$2", true, L"a", L"$2"},
        ReplaceCase{"backslash in the format is literal", L"b", L"\\n", true, L"abc", L"a\\nc"},
        ReplaceCase{"Chinese range by code point", L"[\\u4e00-\\u9fa5]", L"Z", true, L"汉字ABC.txt",
                    L"ZZABC.txt"},
        ReplaceCase{"dot matches any astral character", L"a.b", L"x", true, L"a\U00020085b", L"x"},
        ReplaceCase{"back-reference before its group is empty", L"\\1(a)", L"[$1]", true, L"ba",
                    L"b[a]"},
        ReplaceCase{"Perl-only syntax leaves the name", L"a++", L"x", true, L"aa", L"aa"},
        ReplaceCase{"named groups", L"(?<y>\\d{4})-(?<m>\\d\\d)", L"$<m>.$<y>", true, L"2023-05",
                    L"05.2023"},
        ReplaceCase{"\\w is ASCII only", L"\\w", L"_", true, L"aé中1", L"_é中_"},
        ReplaceCase{"dot is one whole character", L"^.", L"X", true, L"\U0001F600b", L"Xb"},
        ReplaceCase{"quantifiers count characters", L"^.{2}", L"", true, L"漢字報告", L"報告"},
        ReplaceCase{"characters outside any code page survive", L"x", L"y", true,
                    L"x\U0001F600\xDCFF", L"y\U0001F600\xDCFF"},
        ReplaceCase{"caret anchors at the start only", L"^a", L"X", true, L"a\na", L"X\na"}),
    ByLabel());

// "(x+x+)+y" backtracks exponentially on a long run of x not followed by y.
const std::wstring kRunaway = L"(x+x+)+y";
const std::wstring kRunawayName = std::wstring(60, L'x') + L"zy";

TEST(PatternTest, ARunawayOnOneNameGivesThePatternUpAtOnce) {
    const ReplaceStep step(kRunaway, L"-", true);
    std::vector<std::wstring> names{L"xxy", kRunawayName, L"xxy"};
    for (std::wstring& name : names)
        step.Apply(name);
    // The name it ran away on, and every later one, keep their names: nothing is
    // built from a pattern that gave up.
    EXPECT_EQ(names, (std::vector<std::wstring>{L"-", kRunawayName, L"xxy"}));
    EXPECT_TRUE(step.GaveUp());
}

TEST(PatternTest, WorkIsCountedInStepsSoLoadDoesNotChangeTheNames) {
    // Each name needs a few thousand steps, so the pass budget runs down name by name. Where it
    // runs out depends on the steps alone, not on how busy the machine is while the names are
    // computed.
    const std::wstring name = std::wstring(12, L'x') + L"zy";
    auto run = [&] {
        PatternBudget budget;
        budget.passSteps = 200'000;
        const ReplaceStep step(kRunaway, L"-", true, budget);
        std::wstring result;
        for (int i = 0; i < 40; ++i) {
            std::wstring n = name + L"xxy";
            step.Apply(n);
            result += n == name + L"-" ? L'+' : L'0';
        }
        return result;
    };
    const std::wstring idle = run();
    std::atomic<bool> stop{false};
    std::vector<std::thread> busy;
    for (int i = 0; i < 8; ++i) {
        busy.emplace_back([&] {
            volatile unsigned long spin = 0;
            while (!stop)
                spin = spin + 1;
        });
    }
    const std::wstring loaded = run();
    stop = true;
    for (std::thread& t : busy)
        t.join();
    EXPECT_EQ(idle, loaded);
    // Some names were done before the budget ran out, and the rest were not.
    EXPECT_EQ(idle.front(), L'+');
    EXPECT_EQ(idle.back(), L'0');
}

TEST(PatternTest, CheapSearchesNeverSpendThePassBudget) {
    PatternBudget none;
    none.passSteps = 0;
    const ReplaceStep step(L"(\\d)", L"<$1>", true, none);
    for (int i = 0; i < 1000; ++i) {
        std::wstring name = L"IMG_" + std::to_wstring(i) + L"_2024-05-06.jpg";
        std::wstring expected;
        for (const wchar_t c : name)
            expected += iswdigit(c) ? std::wstring{L'<', c, L'>'} : std::wstring(1, c);
        step.Apply(name);
        ASSERT_EQ(name, expected);
    }
    EXPECT_FALSE(step.GaveUp());
}

// A pattern that matches an empty text at every place searches once per character;
// each search a little costly, the pass runs down its budget name by name instead of
// running for minutes on searches each just within what is not counted.
TEST(PatternTest, SearchesAtEveryPlaceRunDownThePassBudget) {
    PatternBudget budget;
    budget.passSteps /= 10;  // the same pattern on a list ten times as long
    const std::wstring name = std::wstring(240, L'a') + L".txt";
    const ReplaceStep everywhere(L"(?=a{0,30}a{0,30}a{0,30}c)|", L"", true, budget);
    int names = 0;
    for (; names < 2'000 && !everywhere.GaveUp(); ++names) {
        std::wstring n = name;
        everywhere.Apply(n);
    }
    EXPECT_TRUE(everywhere.GaveUp());
    EXPECT_LT(names, 200) << names;
}

TEST(PatternTest, WildcardsOfThousandsOfStarsMatchWithoutBacktracking) {
    // Without a linear matcher this takes minutes on one name.
    const std::wstring name = std::wstring(199, L'a') + L'c';
    const ReplaceStep stars(std::wstring(3000, L'*') + L"b", L"x", false);
    std::wstring unchanged = name;
    stars.Apply(unchanged);
    EXPECT_EQ(unchanged, name);
    std::wstring withB = name + L'b';
    stars.Apply(withB);
    EXPECT_EQ(withB, L"x");
    // With syntax beyond wildcards the text is a regular expression: bounded by steps.
    const ReplaceStep group(L"(" + std::wstring(3000, L'*') + L"b)", L"x", false);
    std::wstring grouped = name;
    group.Apply(grouped);
    EXPECT_EQ(grouped, name);
}

TEST(PatternTest, InvalidPatternsSayWhy) {
    const ReplaceStep perl(L"(?i)abc", L"x", true);
    EXPECT_TRUE(perl.IsInvalid());
    EXPECT_NE(perl.Error().find(L"group"), std::wstring::npos) << ToNarrow(perl.Error());
    // Valid ECMAScript that the matcher cannot run is refused too, with its reason.
    const ReplaceStep lookbehind(L"(?<=a+)b", L"x", true);
    EXPECT_TRUE(lookbehind.IsInvalid());
    EXPECT_FALSE(lookbehind.Error().empty());
}

TEST(FilterSearchTest, MatchAndSearchHonourTheBudget) {
    const auto regex = CompiledRegex::Compile(kRunaway);
    ASSERT_TRUE(regex);
    PatternWork work;
    EXPECT_EQ(regex->Search(L"axxyb", work), std::optional<bool>(true));
    EXPECT_EQ(regex->Match(L"axxyb", work), std::optional<bool>(false));
    EXPECT_EQ(regex->Match(L"xxy", work), std::optional<bool>(true));
    EXPECT_EQ(regex->Search(kRunawayName, work), std::nullopt);
    EXPECT_TRUE(work.GaveUp());
}

TEST(PatternTest, CompileRejectsInvalidExpressions) {
    EXPECT_EQ(CompiledRegex::Compile(L"("), nullptr);
    EXPECT_EQ(CompiledRegex::Compile(L"[a-"), nullptr);
    EXPECT_NE(CompiledRegex::Compile(L"a|b"), nullptr);
}

TEST(PatternTest, WildcardTranslation) {
    EXPECT_EQ(WildcardToRegex(L"IMG_*.j?g"), L"IMG_.*.j.{1}g");
    EXPECT_TRUE(IsWildcardPattern(L"a?"));
    EXPECT_FALSE(IsWildcardPattern(L"a.b"));
}

}  // namespace
}  // namespace tolvane::test
