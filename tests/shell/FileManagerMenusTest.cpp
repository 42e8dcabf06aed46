#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

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

// A stand-in for the program that writes the arguments it was started with, each
// ended by a NUL, to `out` (whole or not at all: a launcher returns before it runs).
void WriteArgumentPrinter(const fs::path& program, const fs::path& out) {
    fs::create_directories(program.parent_path());
    {
        std::ofstream script(program);
        script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > "
               << ShellWord(out.native() + ".part") << " && mv "
               << ShellWord(out.native() + ".part") << ' ' << ShellWord(out.native()) << "\n";
    }
    fs::permissions(program, fs::perms::owner_all);
}

// What the printer wrote, waiting up to 10 s for it.
std::optional<std::vector<std::string>> PrintedArguments(const fs::path& out) {
    for (int i = 0; i < 500 && !fs::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!fs::exists(out))
        return std::nullopt;
    std::vector<std::string> arguments;
    const std::string text = ReadAll(out);
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\0', start);
        arguments.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

// The value of `key` in a key file, its escapes undone as GLib's reader does.
std::string KeyFileValue(const fs::path& file, const std::string& key) {
    std::istringstream lines(ReadAll(file));
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with(key + "="))
            continue;
        std::string value;
        for (size_t i = key.size() + 1; i < line.size(); ++i) {
            if (line[i] != '\\' || i + 1 == line.size()) {
                value += line[i];
                continue;
            }
            const char c = line[++i];
            value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        }
        return value;
    }
    return {};
}

// A local path as GLib writes it as a URI: every byte but letters, digits and
// "-._~!$&'()*+,=:@/" %-escaped.
std::string FileUri(const std::string& path) {
    static const std::string kKept = "-._~!$&'()*+,=:@/";
    std::string uri = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) && byte < 0x80) {
            uri += c;
        } else if (kKept.find(c) != std::string::npos) {
            uri += c;
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        }
    }
    return uri;
}

// A command line split into words as GLib's g_shell_parse_argv splits it (shell
// quoting, no expansion of any kind); none where a quote is left open.
std::optional<std::vector<std::string>> ShellSplit(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            if (++i < line.size() && line[i] != '\n')
                word += line[i];
        } else if (c == '\'') {
            const size_t end = line.find('\'', i + 1);
            if (end == std::string::npos)
                return std::nullopt;
            word += line.substr(i + 1, end - i - 1);
            i = end;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i >= line.size())
                    return std::nullopt;
                if (line[i] == '"')
                    break;
                if (line[i] == '\\' && i + 1 < line.size() &&
                    std::string_view("$`\"\\\n").find(line[i + 1]) != std::string_view::npos)
                    ++i;
                word += line[i];
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

// Nemo's launch of an action, as its documentation and sources describe it (Nemo is
// not installed here): the Exec value read from the key file, its %U replaced by the
// items' URIs, each in the quotes that Quote names and separated by a blank, then the
// line split like a shell line and run.
std::optional<std::vector<std::string>> NemoLaunch(const fs::path& action,
                                                   const std::vector<fs::path>& items) {
    std::string exec = KeyFileValue(action, "Exec");
    const std::string quoteType = KeyFileValue(action, "Quote");
    const std::string quote = quoteType == "double"     ? "\""
                              : quoteType == "single"   ? "'"
                              : quoteType == "backtick" ? "`"
                                                        : "";
    std::string uris;
    for (const fs::path& item : items)
        uris += (uris.empty() ? "" : " ") + quote + FileUri(item.native()) + quote;
    const size_t token = exec.find('%');
    if (token == std::string::npos || exec.compare(token, 2, "%U") != 0)
        return std::nullopt;
    exec.replace(token, 2, uris);
    return ShellSplit(exec);
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
    EXPECT_NE(ReadAll(menus.FilesScript()).find("\nexec '" + program.native() + "' -- \"$@\"\n"),
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

// Each of the three files offers Tolvane on its own, so any one left counts.
TEST_F(FileManagerMenusTest, AnyOneContextMenuFileOfOursMeansTheMenuExists) {
    const std::vector<fs::path> files = ContextMenuFiles();
    for (const fs::path& kept : files) {
        ASSERT_TRUE(menus.AddContextMenu().Clean());
        for (const fs::path& file : files) {
            if (file != kept)
                fs::remove(file);
        }
        EXPECT_TRUE(menus.ContextMenuExists()) << kept;
        fs::remove(kept);
        EXPECT_FALSE(menus.ContextMenuExists()) << kept;
    }
}

// GNOME Files runs the script with the selected items as its arguments: each reaches
// the program as one argument, blanks, quotes and all, after the "--" that ends the
// options, so that names such as "-reverse" or "--" itself stay names.
TEST_F(FileManagerMenusTest, TheScriptHandsEveryItemOverAsOneArgument) {
    const fs::path out = dir.Path() / "arguments";
    WriteArgumentPrinter(program, out);
    ASSERT_TRUE(menus.AddContextMenu().Clean());
    const std::vector<std::string> items = {"a b.txt", "it's \"x\"", "$HOME", "-reverse", "--"};
    const ProcessResult result = RunProcess(menus.FilesScript().native(), items, dir.Path());
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> expected = {"--"};
    expected.insert(expected.end(), items.begin(), items.end());
    EXPECT_EQ(PrintedArguments(out), expected);
}

// Nemo hands each selected item over whole, whatever its name: apostrophes, blanks in
// a row, quotes, '$' and Chinese; the program turns the URIs back into the paths.
TEST_F(FileManagerMenusTest, NemoStartsTheProgramWithEveryItemAsItIs) {
    const fs::path out = dir.Path() / "arguments";
    WriteArgumentPrinter(program, out);
    ASSERT_TRUE(menus.AddContextMenu().Clean());
    const std::vector<std::vector<std::string>> selections = {
        {"Mum's party.jpg"},
        {"Mum's party.jpg", "Dad's  party .jpg"},
        {"李雷的 照片.jpg", "a \"quoted\" $HOME `x` \\y.jpg", "100% #1;.jpg"},
    };
    for (const std::vector<std::string>& names : selections) {
        std::vector<fs::path> items;
        for (const std::string& name : names)
            items.push_back(dir.File("photos/" + name, "x"));
        const auto command = NemoLaunch(menus.NemoAction(), items);
        ASSERT_TRUE(command.has_value()) << names[0] << ": the command line does not parse";
        ASSERT_FALSE(command->empty());
        fs::remove(out);
        const ProcessResult run = RunProcess(
            command->front(), std::vector<std::string>(command->begin() + 1, command->end()));
        ASSERT_EQ(run.status, 0) << run.err;
        const auto printed = PrintedArguments(out);
        ASSERT_TRUE(printed.has_value());

        std::vector<std::string> arguments = {"tolvane"};
        arguments.insert(arguments.end(), printed->begin(), printed->end());
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        std::vector<std::string> expected = {"tolvane"};
        for (const fs::path& item : items)
            expected.push_back(item.native());
        EXPECT_EQ(ArgumentsWithUrisAsPaths(static_cast<int>(argv.size()), argv.data()), expected)
            << names[0];
    }
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

// The entries as the desktop starts them: GLib (here through `gio launch`) reads the
// entry, finds the program and gives it the items, also where the program's path holds
// '%', quotes, '$' or a backslash.
TEST(SendToLaunchTest, TheEntriesStartTheProgramWithTheItemsWhateverItsPath) {
    for (const std::string folder : {"My Apps", "100%F done%%", "it's \"q\" $x `y` \\z"}) {
        TempDir local;
        const fs::path program = local.Path() / folder / "tolvane";
        const fs::path out = local.Path() / "arguments";
        WriteArgumentPrinter(program, out);
        const FileManagerMenus menus(program, local.Path() / "data");
        ASSERT_TRUE(menus.AddSendTo().Clean()) << folder;
        const std::vector<std::string> items = {local.File("Mum's party.jpg").native(),
                                                local.File("李雷 照片 .jpg").native(),
                                                local.File("-reverse").native()};
        for (const fs::path& entry : {menus.ThunarSendTo(), menus.OpenWithEntry()}) {
            const ProcessResult valid =
                RunProcess("/usr/bin/desktop-file-validate", {entry.native()});
            EXPECT_EQ(valid.status, 0) << entry << valid.out << valid.err;
            fs::remove(out);
            std::vector<std::string> arguments = {"launch", entry.native()};
            arguments.insert(arguments.end(), items.begin(), items.end());
            const ProcessResult launched = RunProcess("/usr/bin/gio", arguments, local.Path());
            ASSERT_EQ(launched.status, 0) << entry << ": " << launched.err;
            EXPECT_EQ(PrintedArguments(out), items) << entry;
        }
    }
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
    // It claims no type (see the test below) and says that Tolvane never removes it.
    EXPECT_EQ(entry.find("MimeType="), std::string::npos);
    EXPECT_TRUE(entry.starts_with(std::string(FileManagerMenus::kSendToMarker) + "\n"));
    EXPECT_TRUE(FileManagerMenus::IsOurs(menus.OpenWithEntry()));
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

// Installers and the package's trigger rebuild the desktop's MIME cache
// (update-desktop-database). Then neither GLib (`gio mime`) nor xdg-mime may choose
// the "Open With" entry, which is the installed entry with our marker line, to open
// folders or unknown files: the system's file manager keeps them, and where there is
// none, nothing opens them.
TEST(OpenWithEntryTest, NeverBecomesTheDefaultForFoldersOrUnknownFiles) {
    const std::string fileManager =
        "[Desktop Entry]\nType=Application\nName=Files\nExec=/bin/true %U\n"
        "MimeType=inode/directory;application/octet-stream;\n";
    for (const bool withFileManager : {true, false}) {
        TempDir local;
        const fs::path dataHome = local.Path() / "data";
        const fs::path system = local.Path() / "system";
        // GLib passes over an entry whose program is not there.
        const fs::path program = local.Path() / "bin" / "tolvane";
        WriteArgumentPrinter(program, local.Path() / "arguments");
        ASSERT_TRUE(FileManagerMenus(program, dataHome).AddSendTo().Clean());
        fs::create_directories(system / "applications");
        if (withFileManager)
            local.File("system/applications/files.desktop", fileManager);
        fs::create_directory_symlink("/usr/share/mime", system / "mime");
        for (const fs::path& applications : {dataHome / "applications", system / "applications"}) {
            const ProcessResult rebuilt =
                RunProcess("/usr/bin/update-desktop-database", {applications.native()});
            ASSERT_EQ(rebuilt.status, 0) << rebuilt.err;
        }
        const std::vector<std::string> environment = {
            "HOME=" + local.Path().native(),
            "XDG_DATA_HOME=" + dataHome.native(),
            "XDG_CONFIG_HOME=" + (local.Path() / "config").native(),
            "XDG_DATA_DIRS=" + system.native(),
            "XDG_CONFIG_DIRS=" + (local.Path() / "etc").native(),
            "XDG_CURRENT_DESKTOP=",
            "DESKTOP_SESSION=",
            "KDE_FULL_SESSION=",
            "GNOME_DESKTOP_SESSION_ID=",
            "DISPLAY=",
            "LC_ALL=C.UTF-8"};
        for (const std::string type : {"inode/directory", "application/octet-stream"}) {
            const ProcessResult glib = RunProcess("/usr/bin/gio", {"mime", type}, {}, environment);
            EXPECT_EQ(glib.status, 0) << type << glib.err;
            EXPECT_EQ(glib.out.find("tolvane"), std::string::npos) << type << glib.out;
            EXPECT_EQ(
                glib.out.find("Default application for \u201c" + type + "\u201d: files.desktop"),
                withFileManager ? 0 : std::string::npos)
                << type << glib.out;
            const ProcessResult xdg =
                RunProcess("/usr/bin/xdg-mime", {"query", "default", type}, {}, environment);
            EXPECT_EQ(xdg.out, withFileManager ? "files.desktop\n" : "") << type << xdg.err;
        }
    }
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
