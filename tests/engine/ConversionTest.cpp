#include <gtest/gtest.h>

#include "engine/CharConversions.h"
#include "engine/TextConvert.h"
#include "engine/Traditional.h"

namespace tolvane {
namespace {

struct ConversionCase {
    int mode;
    std::wstring input;
    std::wstring expected;
};

class NameConversionTest : public testing::TestWithParam<ConversionCase> {};

TEST_P(NameConversionTest, Converts) {
    const auto& c = GetParam();
    std::wstring name = c.input;
    ApplyNameConversion(c.mode, name);
    EXPECT_EQ(ToNarrow(name), ToNarrow(c.expected))
        << "mode " << c.mode << " on " << ToNarrow(c.input);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NameConversionTest,
    testing::Values(
        // Letter case touches ASCII letters only.
        ConversionCase{5, L"hello world", L"Hello world"}, ConversionCase{5, L"élan", L"élan"},
        ConversionCase{5, L"", L""}, ConversionCase{3, L"Ｆｕｌｌ abc", L"Ｆｕｌｌ ABC"},
        ConversionCase{4, L"ÄBC Straße", L"Äbc straße"},
        // Numerals to digits, with the fix-ups over every digit of the name.
        ConversionCase{6, L"二十三", L"23"}, ConversionCase{6, L"十三", L"13"},
        ConversionCase{6, L"二十", L"20"}, ConversionCase{6, L"十", L"10"},
        ConversionCase{6, L"十一", L"11"}, ConversionCase{6, L"一百", L"1百"},
        ConversionCase{6, L"2105", L"25"}, ConversionCase{6, L"510", L"50"},
        ConversionCase{6, L"第九十九回", L"第99回"},
        // Digits to numerals, one digit at a time.
        ConversionCase{7, L"2023", L"二0二三"}, ConversionCase{7, L"10", L"一0"},
        // Script conversion, character by character.
        ConversionCase{8, L"漢字", L"汉字"}, ConversionCase{9, L"汉字", L"漢字"},
        ConversionCase{9, L"干部", L"幹部"}, ConversionCase{9, L"abc 123", L"abc 123"},
        // Indexes acting elsewhere or nowhere.
        ConversionCase{1, L"abc", L"abc"}, ConversionCase{0, L"abc", L"abc"},
        ConversionCase{-1, L"abc", L"abc"}));

TEST(TraditionalTest, KeepsLengthAndUnmappedCharacters) {
    const std::wstring mixed = L"简体\U0001F600\xDCFF报告 v2";
    const std::wstring converted = Traditional::FromSimple(mixed);
    ASSERT_TRUE(Traditional::Available());
    EXPECT_EQ(converted.size(), mixed.size());
    EXPECT_EQ(ToNarrow(converted), ToNarrow(L"簡體\U0001F600\xDCFF報告 v2"));
    EXPECT_EQ(Traditional::ToSimple(converted), mixed);
}

TEST(TraditionalTest, NarrowOverloadsWorkOnUtf8) {
    EXPECT_EQ(Traditional::FromSimple(std::string("汉字.txt")), "漢字.txt");
    EXPECT_EQ(Traditional::ToSimple(std::string("漢字.txt")), "汉字.txt");
}

TEST(ExtensionCaseTest, ActsOnTheLastExtensionOnly) {
    std::wstring name = L"archive.tar.GZ";
    ApplyExtensionCase(2, name);
    EXPECT_EQ(name, L"archive.tar.gz");
    name = L"Makefile";
    ApplyExtensionCase(1, name);
    EXPECT_EQ(name, L"Makefile");
    name = L"a.txt";
    ApplyExtensionCase(3, name);
    EXPECT_EQ(name, L"a.txt");
}

}  // namespace
}  // namespace tolvane
