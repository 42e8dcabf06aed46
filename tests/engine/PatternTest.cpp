#include <gtest/gtest.h>

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
        ReplaceCase{"format rules apply", L"?b", L"[$&]", false, L"ab", L"[ab]"}),
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
        ReplaceCase{"\\w is ASCII only", L"\\w", L"_", true, L"aé中1", L"_é中_"},
        ReplaceCase{"dot is one whole character", L"^.", L"X", true, L"\U0001F600b", L"Xb"},
        ReplaceCase{"quantifiers count characters", L"^.{2}", L"", true, L"漢字報告", L"報告"},
        ReplaceCase{"characters outside any code page survive", L"x", L"y", true,
                    L"x\U0001F600\xDCFF", L"y\U0001F600\xDCFF"},
        ReplaceCase{"caret anchors at the start only", L"^a", L"X", true, L"a\na", L"X\na"}),
    ByLabel());

TEST(PatternTest, RunawayPatternIsGivenUpForTheRestOfThePass) {
    // "(a*)*b" matches short names but runs away on long runs of 'a'. Each runaway
    // leaves its name; after a few of them the pass stops trying, so that a preview of
    // many such names cannot freeze: the last "aab" is then left as it is.
    const ReplaceStep step(L"(a*)*b", L"x", true);
    std::wstring first = L"aab";
    step.Apply(first);
    EXPECT_EQ(first, L"x");
    const std::wstring longRun(300, L'a');
    for (int i = 0; i < 20; ++i) {
        std::wstring name = longRun;
        step.Apply(name);
        EXPECT_EQ(name, longRun);
    }
    EXPECT_TRUE(step.GaveUp());
    std::wstring last = L"aab";
    step.Apply(last);
    EXPECT_EQ(last, L"aab");
}

TEST(PatternTest, SlowNamesAndASpentPassBudgetGiveThePatternUp) {
    // Every name counts as slow: the first three are replaced, then the pattern is given up.
    PatternBudget everyNameSlow;
    everyNameSlow.slowName = std::chrono::nanoseconds(0);
    everyNameSlow.runaways = 3;
    const ReplaceStep slow(L"a", L"b", true, everyNameSlow);
    std::vector<std::wstring> got;
    for (int i = 0; i < 5; ++i) {
        std::wstring name = L"a";
        slow.Apply(name);
        got.push_back(name);
    }
    EXPECT_EQ(got, (std::vector<std::wstring>{L"b", L"b", L"b", L"a", L"a"}));

    PatternBudget nothingLeft;
    nothingLeft.pass = std::chrono::nanoseconds(0);
    const ReplaceStep spent(L"a", L"b", true, nothingLeft);
    std::wstring one = L"a", two = L"a";
    spent.Apply(one);
    spent.Apply(two);
    EXPECT_EQ(one + two, L"ba");
    EXPECT_TRUE(spent.GaveUp());

    // Plain text has no pattern to give up.
    const ReplaceStep plain(L"a", L"b", false, nothingLeft);
    for (int i = 0; i < 3; ++i) {
        std::wstring name = L"a";
        plain.Apply(name);
        EXPECT_EQ(name, L"b");
    }
    EXPECT_FALSE(plain.GaveUp());
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
