#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "shell/ExecQuoting.h"
#include "shell/FileManagerMenus.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

unsigned ModeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

struct QuoteCase {
    const char* label;
    std::string path;
    std::optional<std::string> desktop;  // the Exec word as written into the file
    std::optional<std::string> nemo;
};

void PrintTo(const QuoteCase& c, std::ostream* os) {
    *os << c.label;
}

class ExecQuotingTest : public testing::TestWithParam<QuoteCase> {};

// Written by the rules: quote in whole, escape " ` $ \ inside, double %, then escape
// every backslash once more for the string value.
TEST_P(ExecQuotingTest, QuotesThePathForEachFileKind) {
    const QuoteCase& c = GetParam();
    EXPECT_EQ(DesktopExecWord(c.path), c.desktop);
    EXPECT_EQ(NemoExecWord(c.path), c.nemo);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExecQuotingTest,
    testing::Values(
        QuoteCase{"plain", "/usr/bin/tolvane", "\"/usr/bin/tolvane\"", "'/usr/bin/tolvane'"},
        QuoteCase{"blanks", "/opt/My Apps/tolvane", "\"/opt/My Apps/tolvane\"",
                  "'/opt/My Apps/tolvane'"},
        QuoteCase{"double quote", "/a\"b/tolvane", "\"/a\\\\\"b/tolvane\"", "'/a\"b/tolvane'"},
        QuoteCase{"apostrophe", "/it's/tolvane", "\"/it's/tolvane\"", "'/it'\\\\''s/tolvane'"},
        QuoteCase{"dollar and backtick", "/$HOME/`x`/t", "\"/\\\\$HOME/\\\\`x\\\\`/t\"",
                  "'/$HOME/`x`/t'"},
        QuoteCase{"backslash", "/a\\b/t", "\"/a\\\\\\\\b/t\"", "'/a\\\\b/t'"},
        QuoteCase{"percent", "/100%F/t", "\"/100%%F/t\"", std::nullopt},
        QuoteCase{"chinese", "/home/李雷/程序/tolvane", "\"/home/李雷/程序/tolvane\"",
                  "'/home/李雷/程序/tolvane'"},
        QuoteCase{"not utf-8", "/caf\xe9/t", std::nullopt, std::nullopt},
        QuoteCase{"line break", "/a\nb/t", std::nullopt, std::nullopt},
        QuoteCase{"tab", "/a\tb/t", std::nullopt, std::nullopt}),
    ByLabel());

// The shell reads the word back as the very bytes, whatever they are.
TEST(ExecQuotingTest, AShellWordReadsBackAsThePath) {
    for (const std::string path :
         {"/opt/My Apps/tolvane", "/it's/a \"b\"/$x/`y`/\\z", "/caf\xe9/\n/t", "-n"}) {
        const ProcessResult result =
            RunProcess("/bin/sh", {"-c", "printf '%s' " + ShellWord(path)});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, path);
    }
}

class FileManagerMenusTest : public testing::Test {
  protected:
    TempDir dir;
    fs::path data = dir.Path() / "data";
    fs::path program = dir.Path() / "My Apps" / "tolvane";
    FileManagerMenus menus{program, data};

    std::vector<fs::path> ContextMenuFiles() const {
        return {menus.ServiceMenu(), menus.NemoAction(), menus.FilesScript()};
    }
};

TEST_F(FileManagerMenusTest, ContextMenuIsCreatedFoundRecreatedAndRemoved) {
    EXPECT_FALSE(menus.ContextMenuExists());
    const auto added = menus.AddContextMenu();
    EXPECT_TRUE(added.Clean());
    EXPECT_EQ(added.written, ContextMenuFiles());
    EXPECT_TRUE(menus.ContextMenuExists());

    const std::string service = ReadAll(menus.ServiceMenu());
    EXPECT_NE(service.find("\nExec=\"" + program.native() + "\" %F\n"), std::string::npos);
    EXPECT_NE(service.find("\nMimeType=all/allfiles;inode/directory;\n"), std::string::npos);
    EXPECT_NE(ReadAll(menus.NemoAction()).find("\nExec='" + program.native() + "' %U\n"),
              std::string::npos);
    EXPECT_NE(ReadAll(menus.FilesScript()).find("\nexec '" + program.native() + "' \"$@\"\n"),
              std::string::npos);
    EXPECT_EQ(ModeOf(menus.ServiceMenu()), 0755u);
    EXPECT_EQ(ModeOf(menus.FilesScript()), 0755u);
    EXPECT_EQ(ModeOf(menus.NemoAction()), 0644u);

    // Again: the same files, nothing else in their folders.
    const std::string before = ReadAll(menus.NemoAction());
    EXPECT_TRUE(menus.AddContextMenu().Clean());
    EXPECT_EQ(ReadAll(menus.NemoAction()), before);
    for (const fs::path& file : ContextMenuFiles()) {
        EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1) << file;
    }

    // A neighbour of the user's in the same folders stays.
    const fs::path neighbour = dir.File("data/kio/servicemenus/other.desktop", "mine\n");
    const auto removed = menus.RemoveContextMenu();
    EXPECT_TRUE(removed.Clean());
    EXPECT_EQ(removed.removed, ContextMenuFiles());
    for (const fs::path& file : ContextMenuFiles())
        EXPECT_FALSE(fs::exists(file)) << file;
    EXPECT_TRUE(fs::exists(neighbour));
    EXPECT_TRUE(fs::is_directory(data / "nemo" / "actions"));
    EXPECT_FALSE(menus.ContextMenuExists());
}

// GNOME Files runs the script with the selected items as its arguments: each reaches
// the program as one argument, blanks, quotes and all.
TEST_F(FileManagerMenusTest, TheScriptHandsEveryItemOverAsOneArgument) {
    fs::create_directories(program.parent_path());
    {
        std::ofstream out(program);
        out << "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done\n";
    }
    fs::permissions(program, fs::perms::owner_all);
    ASSERT_TRUE(menus.AddContextMenu().Clean());
    const ProcessResult result = RunProcess(
        menus.FilesScript().native(), {"a b.txt", "it's \"x\"", "$HOME", "--help"}, dir.Path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "[a b.txt][it's \"x\"][$HOME][--help]");
}

TEST_F(FileManagerMenusTest, AFileOfTheUsersWithOurNameIsLeftAloneAndReported) {
    const fs::path own = dir.File("data/nemo/actions/tolvane.nemo_action", "[Nemo Action]\n");
    const auto added = menus.AddContextMenu();
    ASSERT_EQ(added.left.size(), 1u);
    EXPECT_EQ(added.left[0].path, own);
    EXPECT_EQ(added.left[0].problem, FileManagerMenus::Outcome::Problem::NotOurs);
    EXPECT_EQ(added.written, (std::vector<fs::path>{menus.ServiceMenu(), menus.FilesScript()}));
    EXPECT_EQ(ReadAll(own), "[Nemo Action]\n");

    const auto removed = menus.RemoveContextMenu();
    ASSERT_EQ(removed.left.size(), 1u);
    EXPECT_EQ(removed.left[0].problem, FileManagerMenus::Outcome::Problem::NotOurs);
    EXPECT_EQ(ReadAll(own), "[Nemo Action]\n");
    EXPECT_FALSE(fs::exists(menus.ServiceMenu()));

    // The user's own service menu is not "ours": the box opens unchecked.
    dir.File("data/kio/servicemenus/tolvane.desktop", "[Desktop Entry]\nType=Service\n");
    EXPECT_FALSE(menus.ContextMenuExists());
    // Our marker must be a line of its own, not a piece of one.
    dir.File("data/kio/servicemenus/tolvane.desktop",
             std::string("# quoting: ") + FileManagerMenus::kMarker + "\n");
    EXPECT_FALSE(menus.ContextMenuExists());
}

TEST_F(FileManagerMenusTest, AFolderThatCannotBeMadeIsReportedAndTheRestWritten) {
    dir.File("data/kio", "a file where a folder should be");
    const auto added = menus.AddContextMenu();
    ASSERT_EQ(added.left.size(), 1u);
    EXPECT_EQ(added.left[0].path, menus.ServiceMenu());
    EXPECT_EQ(added.left[0].problem, FileManagerMenus::Outcome::Problem::CannotWrite);
    EXPECT_FALSE(added.left[0].reason.empty());
    EXPECT_EQ(added.written.size(), 2u);
}

TEST_F(FileManagerMenusTest, APathNoDesktopEntryCanHoldIsReportedNotWrittenWrong) {
    const FileManagerMenus odd(dir.Path() / "caf\xe9" / "tolvane", data);
    const auto added = odd.AddContextMenu();
    ASSERT_EQ(added.left.size(), 2u);
    EXPECT_EQ(added.left[0].problem, FileManagerMenus::Outcome::Problem::CannotName);
    EXPECT_FALSE(fs::exists(odd.ServiceMenu()));
    EXPECT_FALSE(fs::exists(odd.NemoAction()));
    // The script takes any bytes.
    EXPECT_EQ(added.written, std::vector<fs::path>{odd.FilesScript()});
}

TEST_F(FileManagerMenusTest, SendToWritesBothEntriesOnceAndLeavesExistingOnes) {
    const auto added = menus.AddSendTo();
    EXPECT_TRUE(added.Clean());
    // Both are desktop entries as the rules have them.
    for (const fs::path& entry : added.written) {
        const ProcessResult valid = RunProcess("/usr/bin/desktop-file-validate", {entry.native()});
        EXPECT_EQ(valid.status, 0) << entry << valid.out << valid.err;
    }
    EXPECT_EQ(added.written, (std::vector<fs::path>{menus.ThunarSendTo(), menus.OpenWithEntry()}));
    const std::string entry = ReadAll(menus.OpenWithEntry());
    EXPECT_NE(entry.find("\nMimeType=inode/directory;application/octet-stream;\n"),
              std::string::npos);
    EXPECT_NE(entry.find("\nExec=\"" + program.native() + "\" %F\n"), std::string::npos);
    // It stands in for the installed entry in the menu, so it says all that one says.
    for (const char* line : {"\nGenericName[zh_CN]=批量重命名\n", "\nComment[zh_TW]=",
                             "\nKeywords=", "\nCategories=Utility;FileTools;\n"})
        EXPECT_NE(entry.find(line), std::string::npos) << line;
    EXPECT_EQ(entry.find('@'), std::string::npos) << entry;
    EXPECT_TRUE(FileManagerMenus::IsOurs(menus.ThunarSendTo()));

    // An existing entry, ours or the user's, stays as it is.
    dir.File("data/applications/tolvane.desktop", "user's own\n");
    const FileManagerMenus moved(dir.Path() / "elsewhere" / "tolvane", data);
    const auto again = moved.AddSendTo();
    EXPECT_TRUE(again.Clean());
    EXPECT_TRUE(again.written.empty());
    EXPECT_EQ(ReadAll(menus.OpenWithEntry()), "user's own\n");
    EXPECT_NE(ReadAll(menus.ThunarSendTo()).find(program.native()), std::string::npos);
}

TEST(ArgumentsTest, FileUrisBecomeTheirPathsAndEverythingElseStays) {
    std::vector<std::string> given = {"tolvane",
                                      "file:///home/u/a%20b.txt",
                                      "file://localhost/tmp/%E6%9D%8E",
                                      "file:/not/a/uri",
                                      "relative.txt",
                                      "file:///caf%E9"};
    std::vector<char*> argv;
    for (std::string& argument : given)
        argv.push_back(argument.data());
    EXPECT_EQ(ArgumentsWithUrisAsPaths(static_cast<int>(argv.size()), argv.data()),
              (std::vector<std::string>{"tolvane", "/home/u/a b.txt", "/tmp/李", "file:/not/a/uri",
                                        "relative.txt", "/caf\xe9"}));
}

}  // namespace
}  // namespace tolvane::test
