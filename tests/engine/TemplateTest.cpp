#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <chrono>
#include <cstdio>

#include "../TestSupport.h"
#include "PipelineTestSupport.h"
#include "engine/Template.h"
#include "engine/TextConvert.h"

namespace tolvane::test {
namespace {

auto WithTemplate(std::wstring text, bool serial = false) {
    return [=](RenameOptions& o) {
        o.templateText = text;
        if (serial) {
            o.serialEnabled = true;
            o.serialDigits = L"3";
        }
    };
}

struct TemplateCase {
    const char* label;
    Setup setup;
    std::wstring oldName;
    std::wstring expected;
    std::tm now = July29();
};

class TemplateCaseTest : public testing::TestWithParam<TemplateCase> {};

TEST_P(TemplateCaseTest, Expands) {
    const TemplateCase& c = GetParam();
    const auto names = PreviewNames(c.setup, {c.oldName}, L"/photos/trip", c.now);
    EXPECT_EQ(ToNarrow(names[0]), ToNarrow(c.expected)) << c.label;
}

std::tm October20() {
    std::tm t = July29();
    t.tm_mon = 9;
    t.tm_mday = 20;
    return t;
}

std::tm July9() {
    std::tm t = July29();
    t.tm_mday = 9;
    return t;
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, TemplateCaseTest,
    testing::Values(
        TemplateCase{"counter and name", WithTemplate(L"<#>_<name>"), L"pic.jpg", L"01_pic.jpg"},
        TemplateCase{"serial and name", WithTemplate(L"<#>_<name>", true), L"pic.jpg",
                     L"001_pic.jpg"},
        TemplateCase{"self sees the insertion",
                     [](RenameOptions& o) {
                         o.templateText = L"<#>_<self>";
                         o.insertText = L"A_";
                     },
                     L"pic.jpg", L"01_A_pic.jpg"},
        TemplateCase{"self is the stem taken whole", WithTemplate(L"<#>_<self>"), L"a.b.c",
                     L"01_a.b.c"},
        TemplateCase{"name keeps the extension when it is not ignored",
                     [](RenameOptions& o) {
                         o.templateText = L"<name>";
                         o.ignoreExtension = false;
                     },
                     L"a.txt", L"a.txt"},
        TemplateCase{"literal text around the counter", WithTemplate(L"prefix_<#>_suffix"), L"x",
                     L"prefix_01_suffix"},
        TemplateCase{"short date without zeros", WithTemplate(L"<y>-<m>-<d>"), L"x", L"23-7-9",
                     July9()},
        TemplateCase{"long date with zeros", WithTemplate(L"<Y><M><D>"), L"x", L"20230709",
                     July9()},
        TemplateCase{"two-digit month and day keep their zeros", WithTemplate(L"<y>-<m>-<d>"), L"x",
                     L"23-10-20", October20()},
        TemplateCase{"date and time", WithTemplate(L"<date>_<time>"), L"x", L"2023-07-29_101112"},
        TemplateCase{"folder name", WithTemplate(L"<dir>_<#>"), L"x", L"trip_01"},
        TemplateCase{"a lone # is the counter", WithTemplate(L"file#"), L"x", L"file01"},
        TemplateCase{"unknown token keeps its word", WithTemplate(L"<datum>_<#>"), L"x",
                     L"datum_01"},
        TemplateCase{"# inside the old name is not replaced", WithTemplate(L"<name>"), L"a#b.txt",
                     L"a#b.txt"},
        TemplateCase{"empty expansion gives an empty stem", WithTemplate(L"<>"), L"x.jpg",
                     L".jpg"}),
    ByLabel());

TEST(TemplateTest, TokensInsideFolderOrNameAreNotExpanded) {
    EXPECT_EQ(PreviewNames(WithTemplate(L"<dir>+<name>"), {L"<self>"}, L"/photos/<name>")[0],
              L"name+self");
}

TEST(TemplateTest, RandomTokenIsOneValuePerName) {
    const auto names = PreviewNames(WithTemplate(L"<date>_<r>_<r>"), {L"a", L"b"});
    for (const auto& name : names) {
        ASSERT_EQ(name.size(), 10u + 1 + 32 + 1 + 32);
        EXPECT_EQ(name.substr(0, 11), L"2023-07-29_");
        const std::wstring first = name.substr(11, 32);
        EXPECT_EQ(first.find_first_not_of(L"0123456789ABCDEF"), std::wstring::npos);
        EXPECT_EQ(name.substr(44), first);
    }
    EXPECT_NE(names[0], names[1]);
}

TEST(TemplateTest, FileTimesComeFromTheFile) {
    TempDir dir;
    const auto file = dir.File("shot.jpg", "data");
    const struct utimbuf times { 1690625472, 1690625472 };  // 2023-07-29 10:11:12 UTC
    ASSERT_EQ(utime(file.c_str(), &times), 0);

    const auto names =
        PreviewNames(WithTemplate(L"<mdate>_<mtime>"), {L"shot.jpg"}, ToWide(dir.Path().string()));
    EXPECT_EQ(names[0], L"2023-07-29_2023-07-29-101112.jpg");

    // The creation time is the birth time, or the status-change time: today either way.
    const auto created =
        PreviewNames(WithTemplate(L"<cdate>"), {L"shot.jpg"}, ToWide(dir.Path().string()));
    // The file was made during this test, so its creation date is today (or, across
    // midnight, the day before the check): the calendar's days, counted without the
    // formatting under test.
    const auto day = [](std::chrono::system_clock::time_point t) {
        const std::chrono::year_month_day ymd(std::chrono::floor<std::chrono::days>(t));
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02u-%02u.jpg", static_cast<int>(ymd.year()),
                      static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
        return ToWide(text);
    };
    const auto now = std::chrono::system_clock::now();
    EXPECT_TRUE(created[0] == day(now) || created[0] == day(now - std::chrono::minutes(1)))
        << ToNarrow(created[0]);
}

TEST(TemplateTest, MissingFileGivesTheStartOfTheTimeCount) {
    const auto names = PreviewNames(WithTemplate(L"<mtime>"), {L"gone.jpg"}, L"/no/such/folder");
    EXPECT_EQ(names[0], L"1970-01-01-000000.jpg");
}

TEST(TemplateTest, FileTimesAreReadOnlyWhenUsed) {
    int reads = 0;
    TemplateInputs in;
    in.counterText = L"01";
    in.readFileTimes = [&] {
        ++reads;
        return FileTimes{};
    };
    EXPECT_EQ(ExpandTemplate(L"<#>_<name>", in), L"01_");
    EXPECT_EQ(reads, 0);
    ExpandTemplate(L"<cdate><mdate>", in);
    EXPECT_EQ(reads, 1);
}

}  // namespace
}  // namespace tolvane::test
