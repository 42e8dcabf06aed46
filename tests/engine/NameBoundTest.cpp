#include <gtest/gtest.h>

#include "PipelineTestSupport.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"

namespace tolvane::test {
namespace {

constexpr size_t kBound = kMaxNewNameLength;

std::wstring Repeat(std::wstring_view piece, size_t times) {
    std::wstring text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

struct BoundCase {
    const char* label;
    Setup setup;
    // Empty: the step went past the bound, and the name stops one character past it.
    std::wstring expected = {};
};

class NameBoundTest : public testing::TestWithParam<BoundCase> {};

// "photo.jpg", its extension kept aside (the window's default), through each step
// that can make a name longer.
TEST_P(NameBoundTest, StopsOnePastTheBound) {
    const BoundCase& c = GetParam();
    const std::wstring name = PreviewName(c.setup, L"photo.jpg");
    if (c.expected.empty()) {
        EXPECT_EQ(name.size(), kBound + 1) << c.label;
    } else {
        EXPECT_EQ(ToNarrow(name), ToNarrow(c.expected)) << c.label;
        EXPECT_LE(name.size(), kBound) << c.label;
    }
}

const std::wstring kHuge(100'000, L'i');

INSTANTIATE_TEST_SUITE_P(
    Steps, NameBoundTest,
    testing::Values(
        BoundCase{"prefix", [](RenameOptions& o) { o.insertText = kHuge; }},
        BoundCase{"suffix",
                  [](RenameOptions& o) {
                      o.insertPrefix = false;
                      o.insertSuffix = true;
                      o.insertText = kHuge;
                  }},
        BoundCase{"at a position",
                  [](RenameOptions& o) {
                      o.insertPrefix = false;
                      o.insertAtPosition = true;
                      o.insertPosition = L"3";
                      o.insertText = kHuge;
                  }},
        BoundCase{"beside a text",
                  [](RenameOptions& o) {
                      o.insertPrefix = false;
                      o.insertAtText = true;
                      o.anchorText = L"ot";
                      o.insertText = kHuge;
                  }},
        BoundCase{"plain replacement",
                  [](RenameOptions& o) {
                      o.findText = L"o";
                      o.replaceText = std::wstring(600, L'r');
                  }},
        BoundCase{"wildcard replacement",
                  [](RenameOptions& o) {
                      o.findText = L"p?o";
                      o.replaceText = kHuge;
                  }},
        BoundCase{"regular expression repeating what precedes each match",
                  [](RenameOptions& o) {
                      o.useRegex = true;
                      o.findText = L"(.)";
                      o.replaceText = Repeat(L"$`$1", 5000);
                  }},
        BoundCase{"Chinese numerals to digits",
                  [](RenameOptions& o) {
                      o.insertText = Repeat(L"十a", 600);
                      o.conversion = static_cast<int>(ConversionMode::CnNumeralsToDigits);
                  }},
        BoundCase{"33,000 serial numbers of 200 digits",
                  [](RenameOptions& o) {
                      o.serialEnabled = true;
                      o.serialDigits = L"200";
                      o.templateText = Repeat(L"<#>", 33'000);
                  }},
        BoundCase{"the name built so far, many times",
                  [](RenameOptions& o) {
                      o.insertText = std::wstring(500, L'a');
                      o.templateText = L"<self>-<self>-<self>";
                  }},
        BoundCase{"a long template", [](RenameOptions& o) { o.templateText = kHuge; }},
        BoundCase{"the extension put back",
                  [](RenameOptions& o) { o.templateText = std::wstring(kBound - 1, L't'); }},
        // Names just within the bound are built whole.
        BoundCase{"prefix up to the bound",
                  [](RenameOptions& o) { o.insertText = std::wstring(kBound - 9, L'i'); },
                  std::wstring(kBound - 9, L'i') + L"photo.jpg"},
        BoundCase{"replacement up to the bound",
                  [](RenameOptions& o) {
                      o.findText = L"(h)(o)";
                      o.useRegex = true;
                      o.replaceText = L"$2" + std::wstring(kBound - 10, L'r') + L"$1";
                  },
                  L"po" + std::wstring(kBound - 10, L'r') + L"hto.jpg"},
        BoundCase{
            "template up to the bound",
            [](RenameOptions& o) { o.templateText = std::wstring(kBound - 8, L't') + L"<#>#"; },
            std::wstring(kBound - 8, L't') + L"0101.jpg"}),
    ByLabel());

// A row past the bound still counts: the serial numbers of the rows after it are theirs.
TEST(NameBoundTest, RowsAfterALongOneKeepTheirNumbers) {
    const auto names = PreviewNames(
        [](RenameOptions& o) {
            o.insertPrefix = false;
            o.insertAtText = true;
            o.anchorText = L"LONG";
            o.insertText = kHuge;
            o.templateText = L"<#>_<self>";
        },
        {L"a.jpg", L"LONG.jpg", L"b.jpg"});
    EXPECT_EQ(ToNarrow(names[0]), "01_a.jpg");
    EXPECT_EQ(names[1].size(), kBound + 1);
    EXPECT_EQ(ToNarrow(names[2]), "03_b.jpg");
}

}  // namespace
}  // namespace tolvane::test
