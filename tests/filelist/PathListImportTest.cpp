#include <gtest/gtest.h>
#include <iconv.h>

#include "../TestSupport.h"
#include "engine/TextConvert.h"
#include "filelist/PathListImport.h"

namespace tolvane::test {
namespace {

using Texts = std::vector<std::wstring>;

std::string Utf16(const std::wstring& text, bool bigEndian, bool withMark = true) {
    std::string bytes = !withMark ? "" : bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : text) {
        const auto unit = static_cast<char16_t>(c);  // the test texts are in the BMP
        const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

std::string Gb18030(const std::string& utf8) {
    const iconv_t cd = iconv_open("GB18030", "UTF-8");
    std::string out(utf8.size() * 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

class PathListFileTest : public testing::Test {
  protected:
    void SetUp() override {
        dir_.File("旅行/北京.jpg");
        dir_.File("plain.txt");
        chinese_ = (dir_.Path() / "旅行/北京.jpg").string();
        plain_ = (dir_.Path() / "plain.txt").string();
    }

    Texts Import(const std::string& bytes) {
        return ReadPathListFile(dir_.File("list.txt", bytes));
    }

    TempDir dir_;
    std::string chinese_, plain_;
};

TEST_F(PathListFileTest, ReadsEveryEncoding) {
    const std::string lines = chinese_ + "\n" + plain_ + "\n";
    const Texts expected = {ToWide(chinese_), ToWide(plain_)};
    EXPECT_EQ(Import(lines), expected);
    EXPECT_EQ(Import("\xEF\xBB\xBF" + lines), expected);
    EXPECT_EQ(Import(Utf16(ToWide(lines), false)), expected);
    EXPECT_EQ(Import(Utf16(ToWide(lines), true)), expected);
    EXPECT_EQ(Import(Gb18030(lines)), expected);
    // Without a byte-order mark, UTF-16 shows itself by the zero bytes of its ASCII
    // characters; no name holds a zero byte.
    EXPECT_EQ(Import(Utf16(ToWide(lines), false, false)), expected);
    EXPECT_EQ(Import(Utf16(ToWide(lines), true, false)), expected);
    EXPECT_EQ(Import(Utf16(ToWide(plain_ + "\n"), false, false)), Texts{ToWide(plain_)});
}

TEST_F(PathListFileTest, ALineWithANulByteNamesNothing) {
    using namespace std::string_literals;
    const std::string lines = plain_ + "\0junk\n\0\n"s + plain_ + "\0\n"s + chinese_ + "\n";
    EXPECT_EQ(Import(lines), Texts{ToWide(chinese_)});
    const std::wstring clipboard = ToWide(plain_) + L"\0junk\n\0\n"s + ToWide(chinese_);
    EXPECT_EQ(PathsFromClipboardText(clipboard), Texts{ToWide(chinese_)});
}

TEST_F(PathListFileTest, AMillionLinesAreRead) {
    std::string lines;
    for (int i = 0; i < 1000000; ++i)
        lines += dir_.Path().string() + "/none" + std::to_string(i) + "\n";
    lines += plain_ + "\n";
    EXPECT_EQ(Import(lines), Texts{ToWide(plain_)});
}

TEST_F(PathListFileTest, UsesLinesAsTheyStand) {
    EXPECT_EQ(Import(plain_ + " \n" + "  " + plain_ + "\n/no/such/file\n\n"), Texts{});
    EXPECT_EQ(Import(plain_ + "\r\n" + chinese_), (Texts{ToWide(plain_), ToWide(chinese_)}));
    EXPECT_EQ(ReadPathListFile(dir_.Path() / "missing.txt"), Texts{});
}

TEST_F(PathListFileTest, ClipboardLinesAreTrimmedAndExtracted) {
    const std::wstring plain = ToWide(plain_);
    const std::wstring text = L"  " + plain + L" \r\n\"" + ToWide(chinese_) + L"\"\nnothing here\n";
    EXPECT_EQ(PathsFromClipboardText(text), (Texts{plain, ToWide(chinese_)}));
    // Words of a text never name what lies in the working folder.
    EXPECT_EQ(PathsFromClipboardText(L".\n..\n" + ToWide(dir_.Path().filename().string())),
              Texts{});
}

// A path may itself hold " /": when nothing exists from the last start on, the
// earlier starts are tried.
TEST_F(PathListFileTest, ClipboardLinesFallBackToEarlierStarts) {
    const std::string spaced = (dir_.Path() / "a /b.txt").string();
    dir_.File("a /b.txt");
    dir_.File("second.txt");
    const std::wstring second = ToWide((dir_.Path() / "second.txt").string());
    EXPECT_EQ(PathsFromClipboardText(ToWide(spaced)), Texts{ToWide(spaced)});
    EXPECT_EQ(PathsFromClipboardText(ToWide(plain_) + L" " + second), Texts{second});
    EXPECT_EQ(PathsFromClipboardText(L"cp /no/such/place " + ToWide(spaced)),
              Texts{ToWide(spaced)});
}

struct ExtractCase {
    const char* label;
    std::wstring line;
    std::wstring expected;
};

class ExtractPathTest : public testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractPathTest, FindsThePath) {
    const auto& c = GetParam();
    EXPECT_EQ(ToNarrow(ExtractPathFromLine(c.line)), ToNarrow(c.expected)) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractPathTest,
    testing::Values(
        ExtractCase{"a plain path", L"/home/u/a b.txt", L"/home/u/a b.txt"},
        ExtractCase{"inside double quotes", L"\"/home/u/a b.txt\"", L"/home/u/a b.txt"},
        ExtractCase{"inside single quotes after a command", L"rm '/tmp/x y' now", L"/tmp/x y"},
        ExtractCase{"after a list number", L"1. /home/u/list.txt", L"/home/u/list.txt"},
        ExtractCase{"file URI with escapes", L"file:///home/u/a%20b.txt", L"/home/u/a b.txt"},
        ExtractCase{"file URI of localhost", L"file://localhost/tmp/%E6%BC%A2.txt", L"/tmp/漢.txt"},
        ExtractCase{"file URI with undecodable bytes", L"file:///tmp/%FF", L"/tmp/\xDCFF"},
        ExtractCase{"file URI with an apostrophe", L"file:///tmp/it's%20x.txt", L"/tmp/it's x.txt"},
        ExtractCase{"file URI in single quotes", L"'file:///tmp/a%20b'", L"/tmp/a b"},
        ExtractCase{"windows path in quotes", L"\"C:\\dir\\a.txt\"", L"C:\\dir\\a.txt"},
        ExtractCase{"two windows paths give the second", L"C:\\a.txt D:\\b.txt", L"D:\\b.txt"},
        ExtractCase{"two paths give the second", L"/a/x.txt /b/y.txt", L"/b/y.txt"},
        ExtractCase{"a command with two paths", L"mv /a/x.txt /b/y.txt", L"/b/y.txt"},
        ExtractCase{"two quoted paths", L"\"/a/x y\" \"/b/y z\"", L"/b/y z"},
        ExtractCase{"a quoted path holding a blank and slash", L"'/a/x /y'", L"/a/x /y"},
        ExtractCase{"numbered windows path", L"1. C:\\test\\list.txt", L"C:\\test\\list.txt"},
        ExtractCase{"no path at all", L"just words", L"just words"},
        ExtractCase{"a slash inside a word is no path", L"and/or", L"and/or"}),
    ByLabel());

}  // namespace
}  // namespace tolvane::test
