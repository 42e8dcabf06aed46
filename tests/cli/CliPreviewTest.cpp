#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "CliFixture.h"

namespace tolvane::test {
namespace {

TEST_F(CliPreviewTest, ListsAFolderInNaturalOrderWithNewNames) {
    dir_.File("photos/IMG_10.jpg");
    dir_.File("photos/IMG_9.jpg");
    dir_.File("photos/sub/skipped.jpg");
    const auto r = Run({"-s", "1035=A_", "photos"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Root() + "/photos/IMG_9.jpg\tA_IMG_9.jpg\n" + Root() +
                         "/photos/IMG_10.jpg\tA_IMG_10.jpg\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(CliPreviewTest, ArgumentsKeepTheirOrderAndDuplicatesAreListedOnce) {
    dir_.File("b.txt");
    dir_.File("a.txt");
    const auto r = Run({"-s", "1072=1", "b.txt", "a.txt", "./b.txt", Root() + "/a.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Root() + "/b.txt\t01.txt\n" + Root() + "/a.txt\t02.txt\n");
}

TEST_F(CliPreviewTest, FolderOptionsChooseWhatAFolderContributes) {
    dir_.File("top/f.txt");
    dir_.File("top/sub/g.txt");
    EXPECT_EQ(Run({"-s", "1033=1", "top"}).out,
              Root() + "/top/f.txt\tf.txt\n" + Root() + "/top/sub/g.txt\tg.txt\n");
    EXPECT_EQ(Run({"-s", "1034=1", "top/"}).out, Root() + "/top\ttop\n");
    EXPECT_EQ(Run({"-s", "1033=1", "-s", "1034=1", "top"}).out, Root() + "/top/sub\tsub\n");
}

TEST_F(CliPreviewTest, MissingPathIsReportedAndSkipped) {
    dir_.File("here.txt");
    const auto r = Run({"gone.txt", "here.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Root() + "/here.txt\there.txt\n");
    EXPECT_NE(r.err.find("gone.txt"), std::string::npos);
}

TEST_F(CliPreviewTest, EscapesAndUndecodableBytesInOutput) {
    dir_.File("tab\there\\.txt");
    dir_.File("line\nbreak.txt");
    dir_.File("\xff\xfe.txt");
    const auto r = Run({"-s", "1035=x", "."});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Root() + "/\xff\xfe.txt\tx\xff\xfe.txt\n" + Root() +
                         "/line\\nbreak.txt\txline\\nbreak.txt\n" + Root() +
                         "/tab\\there\\\\.txt\txtab\\there.txt\n");
}

TEST_F(CliPreviewTest, BadCommandLinesEndWithStatusTwo) {
    dir_.File("a.txt");
    const struct {
        std::vector<std::string> args;
        std::string mention;
    } cases[] = {
        {{"--bogus", "a.txt"}, "--bogus"},
        {{"--set", "1073=10", "a.txt"}, "1073=10"},
        {{"--set", "9999=1", "a.txt"}, "9999=1"},
        {{"--set", "1095=yes", "a.txt"}, "1095=yes"},
        {{"--set", "nonsense", "a.txt"}, "nonsense"},
        {{"--set"}, "--set"},
        {{"--now", "2023-02-30 00:00:00", "a.txt"}, "2023-02-30"},
    };
    for (const auto& c : cases) {
        const auto r = RunProcess(kCli, c.args, dir_.Path(), Env());
        EXPECT_EQ(r.status, 2) << c.mention;
        EXPECT_EQ(r.out, "") << c.mention;
        EXPECT_NE(r.err.find(c.mention), std::string::npos) << r.err;
    }
    const auto usage = RunProcess(kCli, {"--bogus"}, dir_.Path());
    EXPECT_NE(usage.err.find("Usage: tolvane-cli"), std::string::npos);
}

// A number no field can mean is refused by name and range, not used as another number.
TEST_F(CliPreviewTest, NumbersOutOfRangeAreRefused) {
    dir_.File("a.txt");
    const struct {
        std::string set;
        std::string message;
    } cases[] = {
        {"1062=99999999999999999999",
         "--set 1062=99999999999999999999: control 1062 takes a number from 0 to 2147483647, "
         "not \"99999999999999999999\""},
        {"1083=-2147483649", "control 1083 takes a number from -2147483648 to 2147483647"},
        {"1067=300", "control 1067 takes a number from 0 to 255"},
    };
    for (const auto& c : cases) {
        const auto r = Run({"-s", "1060=1", "--set", c.set, "a.txt"});
        EXPECT_EQ(r.status, 2) << c.set;
        EXPECT_EQ(r.out, "") << c.set;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    const auto r = Run({"-s", "1060=1", "-s", "1062=2147483647", "-s", "1067=12", "a.txt"});
    EXPECT_EQ(r.out, Root() + "/a.txt\t002147483647.txt\n") << r.err;
}

TEST_F(CliPreviewTest, HelpNamesEveryOption) {
    const auto r = RunProcess(kCli, {"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* option : {"--profile", "--set", "--r2l", "--now", "--help"}) {
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    }
}

TEST_F(CliPreviewTest, ProfileIsAppliedBeforeSettings) {
    dir_.File("abcdef.txt");
    dir_.File("p.ini", "[SET]\n1032=1\n1080=1\n1099=1\n1050=3\n1052=2\n1035=P_\n1088=0\n");
    // The profile clears every control it does not name; --set comes after it.
    const auto r = Run({"--profile", "p.ini", "-s", "1035=Q_", "abcdef.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    // Prefix "Q_" first, then two characters deleted from position 3 on.
    EXPECT_EQ(r.out, Root() + "/abcdef.txt\tQ_cdef.txt\n");
}

TEST_F(CliPreviewTest, RightToLeftDeletesBackwards) {
    dir_.File("abcdef");
    EXPECT_EQ(Run({"-s", "1050=3", "-s", "1052=2", "abcdef"}).out, Root() + "/abcdef\tabef\n");
    EXPECT_EQ(Run({"--r2l", "-s", "1050=3", "-s", "1052=2", "abcdef"}).out,
              Root() + "/abcdef\tcdef\n");
}

TEST_F(CliPreviewTest, MissingProfileClearsAllWithAWarning) {
    dir_.File("a.txt");
    const auto r = Run({"--profile", "none.ini", "-s", "1035=x", "a.txt"});
    EXPECT_EQ(r.status, 0);
    // No insert radio is checked and the extension is no longer ignored.
    EXPECT_EQ(r.out, Root() + "/a.txt\ta.txt\n");
    EXPECT_NE(r.err.find("none.ini"), std::string::npos);
}

TEST_F(CliPreviewTest, NowFixesDatesAndTemplates) {
    dir_.File("trip/pic.jpg");
    const auto r = Run({"-s", "1068=<dir>_<Y><M><D>_<#>", "trip"});
    EXPECT_EQ(r.out, Root() + "/trip/pic.jpg\ttrip_20230729_01.jpg\n");
}

TEST_F(CliPreviewTest, ScriptConversionWithoutDictionariesLeavesNames) {
    dir_.File("汉字.txt");
    const auto converted = Run({"-s", "1073=9", "汉字.txt"});
    EXPECT_EQ(converted.out, Root() + "/汉字.txt\t漢字.txt\n");
    // Damaged dictionaries: the converter cannot be loaded.
    dir_.File("dict/STCharacters.ocd2", "not a dictionary");
    dir_.File("dict/TSCharacters.ocd2", "not a dictionary");
    auto env = Env();
    env.push_back("TOLVANE_OPENCC_DATA_DIR=" + Root() + "/dict");
    const auto r = RunProcess(kCli, {"--now", kNow, "-s", "1073=9", "-s", "1035=x", "汉字.txt"},
                              dir_.Path(), env);
    EXPECT_EQ(r.status, 0);
    // The other options still apply; only the conversion is skipped.
    EXPECT_EQ(r.out, Root() + "/汉字.txt\tx汉字.txt\n");
}

TEST_F(CliPreviewTest, SavedProfileGivesTheSamePreview) {
    dir_.File("photos/IMG_1.jpg");
    dir_.File("photos/IMG_2.jpg");
    dir_.File("saved.ini", "; mine\n[other]\nkeep=1\n");
    const std::vector<std::string> options = {"-s", "1060=1",          "-s", "1067=3",
                                              "-s", "1068=<#>_<name>", "-s", "1086=1",
                                              "-s", "1087= - ",        "-s", "1113=a\nb\\c"};
    std::vector<std::string> save = options;
    save.insert(save.end(), {"--save-profile", "saved.ini"});
    const auto saved = Run(save);
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, "");

    std::vector<std::string> direct = options;
    direct.push_back("photos");
    const auto expected = Run(direct);
    const auto loaded = Run({"--profile", "saved.ini", "photos"});
    EXPECT_EQ(loaded.out, expected.out);
    EXPECT_EQ(loaded.out, Root() + "/photos/IMG_1.jpg\t001_IMG_1.jpg\n" + Root() +
                              "/photos/IMG_2.jpg\t002_IMG_2.jpg\n");

    // Saving again what was loaded writes the same file, other sections kept.
    std::ifstream first(dir_.Path() / "saved.ini");
    const std::string firstText((std::istreambuf_iterator<char>(first)), {});
    EXPECT_EQ(Run({"--profile", "saved.ini", "--save-profile", "again.ini"}).status, 0);
    std::ifstream second(dir_.Path() / "again.ini");
    const std::string secondText((std::istreambuf_iterator<char>(second)), {});
    EXPECT_NE(firstText.find("[other]\nkeep=1\n"), std::string::npos);
    EXPECT_NE(firstText.find("\n1113=a\\nb\\\\c\n"), std::string::npos) << firstText;
    EXPECT_EQ(firstText.substr(firstText.find("[set]")),
              secondText.substr(secondText.find("[set]")));
}

TEST_F(CliPreviewTest, SaveProfileThatCannotBeWrittenFails) {
    dir_.File("blocker");
    const auto r = Run({"--save-profile", "blocker/profile.ini"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("blocker/profile.ini"), std::string::npos);
}

TEST_F(CliPreviewTest, UserTemplatesFromTheSettingsExtendThePresetList) {
    dir_.File("a.txt");
    EXPECT_EQ(Run({"-s", "1071=14", "a.txt"}).status, 2);
    WriteSettings("[userCustom]\ntemplate=first;second;\nregex=n#\\d;\n");
    EXPECT_EQ(Run({"-s", "1071=14", "-s", "1089=6", "a.txt"}).status, 0);
    EXPECT_EQ(Run({"-s", "1089=7", "a.txt"}).status, 2);
}

TEST_F(CliPreviewTest, PathsResolveAsTheSystemResolvesThem) {
    dir_.File("real/inner/in.txt");
    dir_.File("real/out.txt");
    dir_.File("other/lexical.txt");
    std::filesystem::create_symlink(dir_.Path() / "real/inner", dir_.Path() / "other/link");
    dir_.File("plain.txt");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {{"other/link/.."}, 0, Root() + "/real/out.txt\tout.txt\n"},
        {{"other/link/in.txt"}, 0, Root() + "/real/inner/in.txt\tin.txt\n"},
        {{"other/link"}, 0, Root() + "/other/link/in.txt\tin.txt\n"},
        {{"-s", "1034=1", "other/link"}, 0, Root() + "/other/link\tlink\n"},
        {{"plain.txt/"}, 1, ""},
        {{"-s1034=1", "/"}, 0, ""},
    };
    for (const auto& c : cases) {
        const auto r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back() << r.err;
        EXPECT_EQ(r.out, c.out) << c.args.back();
    }
}

TEST_F(CliPreviewTest, NoPathIsABadCommandLine) {
    const auto r = RunProcess(kCli, {"-s", "1035=x"}, dir_.Path(), Env());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no PATH given"), std::string::npos);
    EXPECT_NE(r.err.find("Usage:"), std::string::npos);
}

TEST_F(CliPreviewTest, OutputThatCannotBeWrittenFails) {
    dir_.File("a.txt");
    const auto r =
        RunProcess("/bin/sh", {"-c", "\"$0\" a.txt > /dev/full", kCli}, dir_.Path(), Env());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("could not be written"), std::string::npos);
}

TEST_F(CliPreviewTest, NowKeepsATimeInADaylightSavingGap) {
    dir_.File("f");
    auto env = Env();
    env.push_back("TZ=Europe/Berlin");
    const auto r = RunProcess(
        kCli, {"--now", "2023-03-26 02:30:00", "-s", "1068=<date>_<time>", "f"}, dir_.Path(), env);
    EXPECT_EQ(r.out, Root() + "/f\t2023-03-26_023000\n");
}

TEST_F(CliPreviewTest, ProfilesInUtf16AndWithLongValues) {
    dir_.File("a.txt");
    const std::string longText(300, 'y');
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[set]\r\n1080=1\r\n1035=" + longText + "\r\n"))
        utf16 += std::string{c, '\0'};
    dir_.File("p.ini", utf16);
    const auto r = Run({"--profile", "p.ini", "a.txt"});
    // Too long a name for any file system: the preview says so.
    EXPECT_EQ(r.out, Root() + "/a.txt\t" + std::string(259, 'y') +
                         "a.txt\t× Invalid name\tthe new name is 264 bytes long; file systems "
                         "take at most 255\n");
}

}  // namespace
}  // namespace tolvane::test
