#include <gtest/gtest.h>

#include <random>

#include "engine/StringOps.h"
#include "engine/TextConvert.h"

namespace tolvane {
namespace {

TEST(TextConvertTest, EveryByteStringRoundTrips) {
    std::mt19937 random(42);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 24, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random() % 256);
        EXPECT_EQ(ToNarrow(ToWide(bytes)), bytes);
    }
}

TEST(TextConvertTest, DecodesValidUtf8AndEscapesTheRest) {
    struct Case {
        std::string bytes;
        std::wstring wide;
    };
    const Case cases[] = {
        {"abc", L"abc"},
        {"\xE6\xBC\xA2\xE5\xAD\x97", L"漢字"},
        {"\xF0\x9F\x98\x80", L"\U0001F600"},
        {"\xFF", L"\xDCFF"},
        {"a\xC3", L"a\xDCC3"},                              // cut sequence
        {"\xC0\xAF", L"\xDCC0\xDCAF"},                      // overlong '/'
        {"\xED\xB2\x80", L"\xDCED\xDCB2\xDC80"},            // encoded surrogate
        {"\xF4\x90\x80\x80", L"\xDCF4\xDC90\xDC80\xDC80"},  // above U+10FFFF
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToWide(c.bytes), c.wide);
        EXPECT_EQ(ToNarrow(c.wide), c.bytes);
    }
}

TEST(StringOpsTest, ExtensionAndStem) {
    struct Case {
        std::wstring text, extension, stem;
    };
    const Case cases[] = {
        {L"photo.jpg", L"jpg", L"photo"}, {L"a.b.c", L"c", L"a.b"},   {L".bashrc", L"bashrc", L""},
        {L"README", L"", L"README"},      {L"trail.", L"", L"trail"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtensionOf(c.text), c.extension);
        EXPECT_EQ(StemOf(c.text), c.stem);
    }
}

TEST(StringOpsTest, SplitKeepsTheLastPiece) {
    using Pieces = std::vector<std::wstring>;
    EXPECT_EQ(SplitString(L"a;b", L';'), (Pieces{L"a", L"b"}));
    EXPECT_EQ(SplitString(L"a;", L';'), (Pieces{L"a", L""}));
    EXPECT_EQ(SplitString(L"", L';'), (Pieces{L""}));
    EXPECT_EQ(SplitString(L";;", L';'), (Pieces{L"", L"", L""}));
}

TEST(StringOpsTest, DecimalPrefix) {
    struct Case {
        std::wstring text;
        int value;
    };
    const Case cases[] = {
        {L"12", 12},
        {L"  -7x", -7},
        {L"+3", 3},
        {L"abc", 0},
        {L"", 0},
        {L"4 5", 4},
        {L"99999999999", 2147483647},
        {L"-99999999999", -2147483647 - 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadDecimalPrefix(c.text), c.value);
}

TEST(StringOpsTest, StripInvalidNameCharsKeepsEverythingElse) {
    EXPECT_EQ(StripInvalidNameChars(L"a/b\\c:d*e?f\"g<h>i|j k.漢"), L"abcdefghij k.漢");
}

}  // namespace
}  // namespace tolvane
