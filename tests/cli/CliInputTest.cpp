#include <gtest/gtest.h>
#include <sys/stat.h>

#include "../SpecialFiles.h"
#include "CliFixture.h"

namespace tolvane::test {
namespace {

// Files named to tolvane-cli that are no ordinary file of a sane size: a folder, a
// FIFO nobody writes, a socket, an endless device, a file of gigabytes.
class CliSpecialFileTest : public CliTest, public testing::WithParamInterface<SpecialFileCase> {
  protected:
    void SetUp() override { dir_.File("a.txt"); }

    // The special file at `relative`, with its identity for checking that it stays.
    struct stat Make(const std::string& relative) {
        const auto path = dir_.Path() / relative;
        std::filesystem::create_directories(path.parent_path());
        EXPECT_TRUE(MakeSpecialFile(path, GetParam().kind, 3ull << 30));
        struct stat st {};
        EXPECT_EQ(lstat(path.c_str(), &st), 0);
        return st;
    }

    void ExpectUnchanged(const std::string& relative, const struct stat& before) {
        struct stat after {};
        ASSERT_EQ(lstat((dir_.Path() / relative).c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_size, before.st_size);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
};

TEST_P(CliSpecialFileTest, ProfileIsRefused) {
    Make("p.ini");
    const auto r = Run({"--profile", "p.ini", "-s", "1035=x", "a.txt"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("--profile p.ini: "), std::string::npos) << r.err;
}

TEST_P(CliSpecialFileTest, SavedProfileIsRefusedAndLeftAlone) {
    const struct stat before = Make("p.ini");
    const auto r = Run({"-s", "1035=x", "--save-profile", "p.ini"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--save-profile p.ini: "), std::string::npos) << r.err;
    ExpectUnchanged("p.ini", before);
}

TEST_P(CliSpecialFileTest, SettingsFileIsWarnedAboutAndTheDefaultsUsed) {
    const struct stat before = Make("config/tolvane/Tolvane.ini");
    const auto r = Run({"-s", "1035=x", "a.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Root() + "/a.txt\txa.txt\n");
    EXPECT_NE(r.err.find("warning: settings file " + Root() + "/config/tolvane/Tolvane.ini: "),
              std::string::npos)
        << r.err;
    ExpectUnchanged("config/tolvane/Tolvane.ini", before);
}

TEST_P(CliSpecialFileTest, ListThatIsNoFileIsReportedAndSkipped) {
    if (GetParam().kind == SpecialFile::Fifo)
        GTEST_SKIP() << "a FIFO is a list read as it comes";
    Make("l.txt");
    const auto r = Run({"--list", "l.txt", "a.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Root() + "/a.txt\ta.txt\n");
    EXPECT_NE(r.err.find("--list l.txt: "), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Kinds, CliSpecialFileTest, testing::ValuesIn(kSpecialFiles), ByLabel());

using CliListTest = CliTest;

TEST_F(CliListTest, ALineWithANulByteNamesNothing) {
    dir_.File("abc1.txt");
    dir_.File("abc2.txt");
    dir_.File("l.txt", std::string("abc1.txt\0junk\n\0\nabc2.txt\n", 25));
    const auto r = Run({"--list", "l.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Root() + "/abc2.txt\tabc2.txt\n");
    // Of an even length, with both NULs at even offsets: still UTF-8, not UTF-16.
    const std::string even =
        Root() + std::string("/abc1.txt\0junk\n\0\n", 17) + Root() + "/abc2.txt\n";
    dir_.File("even.txt", even.size() % 2 == 0 ? even : "/" + even);
    const auto e = Run({"--list", "even.txt"});
    EXPECT_EQ(e.status, 0) << e.err;
    EXPECT_EQ(e.out, Root() + "/abc2.txt\tabc2.txt\n");
}

TEST_F(CliListTest, ListsComeFromPipesAndStandardInput) {
    dir_.File("a.txt");
    dir_.File("b.txt");
    const struct {
        const char* label;
        std::string command;
    } cases[] = {
        {"standard input", "printf 'a.txt\\nb.txt\\n' | \"$0\" --list -"},
        {"process substitution", "\"$0\" --list <(printf 'a.txt\\nb.txt\\n')"},
        {"a named pipe", "mkfifo p && { printf 'a.txt\\nb.txt\\n' > p & } && \"$0\" --list p"},
        {"standard input twice", "printf 'a.txt\\nb.txt\\n' | \"$0\" --list - --list -"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dir_.Path() / "p");
        const auto r = RunProcess("/bin/bash", {"-c", c.command, kCli}, dir_.Path(), Env());
        EXPECT_EQ(r.status, 0) << c.label << ": " << r.err;
        EXPECT_EQ(r.out, Root() + "/a.txt\ta.txt\n" + Root() + "/b.txt\tb.txt\n") << c.label;
    }
}

// As shell tools count them: relative lines from the working folder, wherever the
// list is; "." and ".." (as "find . > list" writes first) add nothing; blanks added
// around a name are dropped only when the name as written does not exist.
TEST_F(CliListTest, RelativeLinesCountFromTheWorkingFolder) {
    for (const char* name : {"a.txt", "sub/b.txt", "c.txt", "lists/a.txt", "lists/c.txt "})
        dir_.File(name);
    dir_.File("lists/l.txt", ".\n..\n./\na.txt\nsub/b.txt\n c.txt \n");
    const auto r = Run({"--list", "lists/l.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Root() + "/a.txt\ta.txt\n" + Root() + "/sub/b.txt\tb.txt\n" + Root() +
                         "/c.txt\tc.txt\n");
}

TEST_F(CliListTest, MissingListIsReported) {
    dir_.File("a.txt");
    const auto r = Run({"--list", "none.txt", "a.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Root() + "/a.txt\ta.txt\n");
    EXPECT_NE(r.err.find("--list none.txt: "), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tolvane::test
