#include <gtest/gtest.h>
#include <iconv.h>

#include <random>

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
        return ReadPathListFile(dir_.File("list.txt", bytes), RelativeLines::FromListFolder);
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
    EXPECT_EQ(Import(plain_ + "\r\n" + chinese_), (Texts{ToWide(plain_), ToWide(chinese_)}));
    EXPECT_EQ(Import("/no/such/file\n\n"), Texts{});
    EXPECT_EQ(ReadPathListFile(dir_.Path() / "missing.txt", RelativeLines::FromListFolder),
              Texts{});
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

// Blanks at either end and quotes are part of a Linux name: a line names the path as
// given when something exists there, and the trimmed path only when nothing does.
// '@' stands for the test folder. Relative lines of a list count from the list's folder;
// the clipboard has no folder. "." and ".." name nothing anywhere.
struct GivenCase {
    const char* label;
    std::string line;
    const char* list;       // what the line of a list file names, "" for nothing
    const char* clipboard;  // what the clipboard line names, "" for nothing
};

class PathsAsGivenTest : public testing::TestWithParam<GivenCase> {
  protected:
    void SetUp() override {
        for (const char* name : {"a", "a ", " b", "c", "it", "it's.txt", "sub/d.txt"})
            dir_.File(name);
    }
    std::string Line() const {
        std::string line = GetParam().line;
        for (size_t at; (at = line.find('@')) != std::string::npos;)
            line.replace(at, 1, dir_.Path().string());
        return line;
    }
    Texts Named(const char* name) const {
        return *name ? Texts{ToWide((dir_.Path() / name).string())} : Texts{};
    }
    TempDir dir_;
};

TEST_P(PathsAsGivenTest, ListLines) {
    // Written twice with other lines around it: the line ends are no part of a path.
    const Texts named = Named(GetParam().list);
    EXPECT_EQ(ReadPathListFile(dir_.File("list.txt", Line()), RelativeLines::FromListFolder),
              named);
    EXPECT_EQ(PathsFromListBytes("\r\n" + Line() + "\r\n\n", dir_.Path()), named);
}

TEST_P(PathsAsGivenTest, ClipboardLines) {
    EXPECT_EQ(PathsFromClipboardText(ToWide(Line())), Named(GetParam().clipboard));
    EXPECT_EQ(PathsFromClipboardText(L"\n" + ToWide(Line()) + L"\r\n"),
              Named(GetParam().clipboard));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PathsAsGivenTest,
    testing::Values(
        GivenCase{"a trailing blank that is part of the name", "@/a ", "a ", "a "},
        GivenCase{"no blank", "@/a", "a", "a"},
        GivenCase{"blanks added after the path", "@/c  ", "c", "c"},
        GivenCase{"tabs at both ends", "\t@/c\t", "c", "c"},
        GivenCase{"blanks at both ends", "  @/a  ", "a", "a"},
        GivenCase{"a relative name with a trailing blank", "a ", "a ", ""},
        GivenCase{"a relative name with a leading blank", " b", " b", ""},
        GivenCase{"a relative name with blanks added", "c \t", "c", ""},
        GivenCase{"a relative path", "sub/d.txt", "sub/d.txt", ""},
        GivenCase{"a relative path through dot-dot", "./sub/../it", "it", ""},
        GivenCase{"dot", ".", "", ""},
        GivenCase{"dot-dot", "..", "", ""},
        GivenCase{"dot with a slash", "./", "", ""},
        GivenCase{"dot with blanks", " . ", "", ""},
        GivenCase{"dot-dot with blanks", "\t..  ", "", ""},
        GivenCase{"an apostrophe inside quotes", "'@/it's.txt'", "", "it's.txt"},
        GivenCase{"an apostrophe without quotes", "@/it's.txt", "it's.txt", "it's.txt"},
        GivenCase{"a blank inside quotes", "\"@/a \"", "", "a "},
        GivenCase{"a file URI", "file://@/it's.txt", "", "it's.txt"},
        GivenCase{"a file URI with an escaped slash", "file://@/sub%2Fd.txt", "", ""},
        GivenCase{"a file URI with an escaped NUL", "file://@/a%00", "", ""}),
    ByLabel());

TEST(PathListRelativeLinesTest, CountFromTheFolderGiven) {
    TempDir listFolder, other;
    listFolder.File("x.txt");
    other.File("x.txt");
    EXPECT_EQ(PathsFromListBytes("x.txt\n", other.Path()),
              Texts{ToWide((other.Path() / "x.txt").string())});
    EXPECT_EQ(ReadPathListFile(listFolder.File("list", "x.txt\n../" +
                                                            other.Path().filename().string() +
                                                            "/x.txt\n"),
                               RelativeLines::FromListFolder),
              (Texts{ToWide((listFolder.Path() / "x.txt").string()),
                     ToWide((other.Path() / "x.txt").string())}));
}

// Bytes of no text at all, short lines full of dots and blanks among them (as
// "find . > list" starts with "."), name nothing, in whatever encoding they are taken.
TEST(PathListGarbageTest, AddsNothing) {
    TempDir dir;
    const std::string alphabet("..\n\r \t\xFF\xFE\x00\xC3\x80\x81Z", 13);
    std::mt19937 random(17);
    for (int round = 0; round < 20; ++round) {
        std::string bytes;
        for (int i = 0; i < 4000; ++i)
            bytes += alphabet[random() % alphabet.size()];
        EXPECT_EQ(ReadPathListFile(dir.File("list", bytes), RelativeLines::FromListFolder),
                  Texts{})
            << round;
    }
}

TEST(FileUriTest, EscapesThatNameNoFile) {
    EXPECT_EQ(DecodeFileUriPath("/d/a%20b%e6%BC%A2"), std::string("/d/a b\xE6\xBC\xA2"));
    EXPECT_EQ(DecodeFileUriPath("/d/100%25"), std::string("/d/100%"));
    EXPECT_EQ(DecodeFileUriPath("/d/a%2"), std::string("/d/a%2"));
    for (const char* encoded : {"/d/a%00", "/d/a%2Fb", "/d/a%2fb", "/%2F"})
        EXPECT_EQ(DecodeFileUriPath(encoded), std::nullopt) << encoded;
    EXPECT_EQ(PathOfFileUri(L"file:///d/x%2F..%2Fy"), std::nullopt);
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
