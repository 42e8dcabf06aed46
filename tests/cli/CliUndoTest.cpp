#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <map>
#include <thread>

#include "../execute/FaultyFileSystem.h"
#include "CliFixture.h"
#include "engine/TextConvert.h"
#include "execute/PassLock.h"
#include "execute/RenamePass.h"
#include "filelist/FileList.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class CliUndoTest : public CliTest {
  protected:
    // Without a language file the built-in texts show.
    CliUndoTest() { locale_ = "zh_CN.UTF-8"; }

    fs::path JournalFolder() const { return dir_.Path() / "state" / "tolvane"; }
    // `chattr` on a file; false where the file system has no such attribute.
    static bool Chattr(const char* flag, const fs::path& file) {
        const std::string command =
            std::string("chattr ") + flag + " '" + file.string() + "' 2>/dev/null";
        return std::system(command.c_str()) == 0;
    }

    // tolvane-cli waiting up to `waitMs` for another pass or undo.
    ProcessResult RunWaiting(const std::vector<std::string>& args, const std::string& waitMs) {
        std::vector<std::string> env = Env();
        env.push_back("TOLVANE_LOCK_WAIT_MS=" + waitMs);
        return RunProcess(kCli, args, dir_.Path(), env);
    }

    static std::string Number(int i) {
        std::string n = std::to_string(i);
        return std::string(4 - n.size(), '0') + n;
    }
    // Files a0000, b0000, a0001, ... of folder "pairs", each holding its name, and the
    // pass that swapped each pair, journalled where tolvane-cli looks.
    void SwapPairs(int pairs) {
        std::vector<std::wstring> paths;
        for (int i = 0; i < pairs; ++i) {
            for (const char* side : {"a", "b"}) {
                const std::string name = side + Number(i);
                paths.push_back(ToWide(dir_.File("pairs/" + name, name).string()));
            }
        }
        FileList list;
        list.AddPaths(paths, {});
        for (size_t r = 0; r < list.RowCount(); ++r)
            list.SetNewName(r, list.Row(r ^ 1).name);
        UndoRecord undo;
        PosixFileSystem posix;
        const auto pass =
            ExecuteRenames(list, undo, PassTexts::From(BuiltInTexts()), posix, JournalFolder());
        ASSERT_EQ(pass->succeeded, 2 * pairs);
    }
    // Every name of folder "pairs", temporary ones too, with what it holds.
    std::map<std::string, std::string> Pairs() const {
        std::map<std::string, std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.Path() / "pairs")) {
            const std::string name = entry.path().filename().string();
            names[name] = Holds("pairs/" + name);
        }
        return names;
    }
    // The pairs as they were before the swap, each name with `prefix`.
    static std::map<std::string, std::string> Unswapped(int pairs, const std::string& prefix) {
        std::map<std::string, std::string> names;
        for (int i = 0; i < pairs; ++i) {
            names[prefix + "a" + Number(i)] = "a" + Number(i);
            names[prefix + "b" + Number(i)] = "b" + Number(i);
        }
        return names;
    }
};

// Rows "2", "3" and "2/x" numbered 1, 2, 3: the file x inside
// folder 2 becomes 3 there, and folder 2 becomes 1: nothing of folder 3 moves but
// the folder itself.
TEST_F(CliUndoTest, FoldersAndTheFilesInsideThemAreRenamedAndUndone) {
    dir_.File("2/x", "in 2");
    dir_.File("3/x", "in 3");
    const auto r = Run({"--apply", "-s", "1034=1", "-s", "1060=1", "2", "3", "2/x"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Root() + "/2\t1\t√成功\n" + Root() + "/3\t2\t√成功\n" + Root() +
                         "/2/x\t3\t√成功\n成功 3, 失败 0, 无修改 0, 未选中 0\n");
    EXPECT_EQ(Holds("1/3"), "in 2");
    EXPECT_EQ(Holds("2/x"), "in 3");

    const auto undo = Run({"--undo"});
    EXPECT_EQ(undo.status, 0) << undo.out << undo.err;
    EXPECT_EQ(Holds("2/x"), "in 2");
    EXPECT_EQ(Holds("3/x"), "in 3");
    EXPECT_FALSE(fs::exists(dir_.Path() / "1"));
}

// A pass killed at every step of a cycle, without its end line, some moves made
// and not noted: tolvane-cli --undo puts every file back.
TEST_F(CliUndoTest, UndoesAPassKilledAtAnyStep) {
    for (const char* name : {"1", "2", "3"})
        dir_.File(name, std::string("was ") + name);
    FileList list;
    list.AddPaths({ToWide(Root() + "/1"), ToWide(Root() + "/2"), ToWide(Root() + "/3")}, {});
    const wchar_t* const newNames[] = {L"2", L"3", L"1"};
    for (size_t r = 0; r < 3; ++r)
        list.SetNewName(r, newNames[r]);
    const PassTexts texts = PassTexts::From(BuiltInTexts());
    int kills = 0;
    for (int call = 1; call < 10; ++call) {
        for (const bool after : {false, true}) {
            const bool killed = KillPassAt(
                [&](FileSystem& fs) {
                    UndoRecord undo;
                    ExecuteRenames(list, undo, texts, fs, JournalFolder());
                },
                call, after);
            if (!killed)
                continue;
            ++kills;
            const auto r = Run({"--undo"});
            EXPECT_EQ(r.status, 0) << r.out << r.err;
            for (const char* name : {"1", "2", "3"})
                ASSERT_EQ(Holds(name), std::string("was ") + name) << call << " " << after;
            EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()),
                      4);  // and the state folder
        }
    }
    EXPECT_EQ(kills, 8);  // four moves, killed before and after each
}

// A move through a temporary name whose second step fails, and the way back too,
// leaves the file under that name; tolvane-cli --undo finds it by the journal's note.
// (A rename to the other name of a hard link goes that way on any file system.)
TEST_F(CliUndoTest, FindsAFileLeftAtItsTemporaryName) {
    dir_.File("a", "a");
    ASSERT_EQ(link((dir_.Path() / "a").c_str(), (dir_.Path() / "b").c_str()), 0);
    FileList list;
    list.AddPaths({ToWide(Root() + "/a")}, {});
    list.SetNewName(0, L"b");
    PosixFileSystem posix;
    FaultyFileSystem faulty(posix);
    faulty.failCalls = {4};  // a -> b refused, a -> temporary, on to b refused, back fails
    UndoRecord undo;
    ExecuteRenames(list, undo, PassTexts::From(BuiltInTexts()), faulty, JournalFolder());
    EXPECT_EQ(Holds("a"), "<missing>");
    EXPECT_NE(
        list.Row(0).statusTip.find(L"; the file is left at " + ToWide(Root()) + L"/.tolvane-"),
        std::wstring::npos);

    const auto r = Run({"--undo"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with(Root() + "/.tolvane-")) << r.out;
    EXPECT_EQ(Holds("a"), "a");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 3);
}

struct HandEdited {
    const char* label;
    std::string journal;  // after the header; <root> stands for the test folder
    const char* says;
};

class HandEditedJournalTest : public CliUndoTest, public testing::WithParamInterface<HandEdited> {};

TEST_P(HandEditedJournalTest, IsRefusedAndMovesNothing) {
    const HandEdited& c = GetParam();
    dir_.File("victim/secret", "secret");
    std::string text = "tolvane-journal 2\nstarted\t1700000000\n" + c.journal;
    for (size_t at; (at = text.find("<root>")) != std::string::npos;)
        text.replace(at, 6, Root());
    dir_.File("state/tolvane/pass-000000000001.journal", text);

    const auto r = Run({"--undo"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot undo: the journal " + JournalFolder().string()), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was moved"), std::string::npos);
    EXPECT_EQ(Holds("victim/secret"), "secret");
    EXPECT_EQ(Holds("loot"), "<missing>");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandEditedJournalTest,
    testing::Values(HandEdited{"a name that leaves its folder",
                               "folder\t<root>\nplan\t1\tloot\tvictim/secret\t0\t0\ndone\t1\n",
                               "line 4: a name"},
                    HandEdited{"a folder with a NUL",
                               "folder\t<root>\0/x\nplan\t1\tloot\tsecret\t0\t0\n"s,
                               "line 3: the line holds a NUL byte"},
                    HandEdited{"a relative folder",
                               "folder\tvictim\nplan\t1\tloot\tsecret\t0\t0\ndone\t1\n",
                               "line 3: the folder is not an absolute path"}),
    ByLabel());

TEST_F(CliUndoTest, AnUndoThatCannotBeNotedSaysSoAndIsOfferedAgain) {
    dir_.File("a", "a");
    ASSERT_EQ(Run({"--apply", "-s", "1035=x", "a"}).status, 0);
    const fs::path journal = JournalFolder() / "pass-000000000001.journal";
    if (!Chattr("+i", journal))
        GTEST_SKIP() << "no immutable attribute here";
    const auto r = Run({"--undo"});
    Chattr("-i", journal);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Root() + "/xa\t" + Root() + "/a\t√成功\n成功 1, 失败 0\n");
    EXPECT_NE(r.err.find("the journal " + journal.string() +
                         " could not note the undo (Operation not permitted), so the next "
                         "--undo will take this pass again"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Holds("a"), "a");

    // The same pass again: nothing is left to move back, and now it is closed.
    const auto again = Run({"--undo"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, "成功 0, 失败 0\n");
    EXPECT_EQ(Run({"--undo"}).status, 1);
}

// A file-size limit makes the journal's write fail: the program says why and renames
// nothing, instead of being ended by SIGXFSZ.
TEST_F(CliUndoTest, AFileSizeLimitStopsTheRenamesWithAMessage) {
    dir_.File("a", "a");
    std::vector<std::string> args = {
        "-c", "{ (ulimit -f 0; exec \"$0\" \"$@\"); echo \"exit $?\"; } 2>&1 | cat",
        kCli, "--apply",
        "-s", "1035=x",
        "a"};
    const auto r = RunProcess("/bin/sh", args, dir_.Path(), Env());
    EXPECT_NE(r.out.find("could not be written (File too large), so nothing was renamed"),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(r.out.ends_with("exit 1\n")) << r.out;
    EXPECT_EQ(Holds("a"), "a");
}

TEST_F(CliUndoTest, NamesWithLineFeedsAndBytesThatAreNotUtf8) {
    dir_.File("line\nfeed", "lf");
    dir_.File("\xff.txt", "ff");
    ASSERT_EQ(Run({"--apply", "-s", "1035=x", "line\nfeed", "\xff.txt"}).status, 0);
    EXPECT_EQ(Holds("xline\nfeed"), "lf");
    const auto r = Run({"--undo"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Root() + "/x\xff.txt\t" + Root() + "/\xff.txt\t√成功\n" + Root() +
                         "/xline\\nfeed\t" + Root() + "/line\\nfeed\t√成功\n成功 2, 失败 0\n");
    EXPECT_EQ(Holds("line\nfeed"), "lf");
    EXPECT_EQ(Holds("\xff.txt"), "ff");
}

// Another copy holds the lock throughout: an undo and a pass wait a moment, then say
// that another one is running and change nothing; afterwards the undo goes ahead.
TEST_F(CliUndoTest, WhileAnotherPassOrUndoRunsNothingIsChanged) {
    SwapPairs(2);
    dir_.File("p", "p");
    const auto swapped = Pairs();
    {
        const PassLock other(JournalFolder(), std::chrono::milliseconds(0));
        ASSERT_TRUE(other.Held());
        const std::vector<std::vector<std::string>> commands = {{"--undo"},
                                                                {"--apply", "-s", "1035=x", "p"}};
        for (const auto& command : commands) {
            const auto r = RunWaiting(command, "100");
            EXPECT_EQ(r.status, 1) << command[0];
            EXPECT_EQ(r.out, "") << command[0];
            EXPECT_NE(r.err.find("another rename or undo of Tolvane is running (it holds " +
                                 (JournalFolder() / PassLock::kFileName).string() + ")"),
                      std::string::npos)
                << r.err;
            EXPECT_NE(r.err.find(command[0] == "--undo" ? "; nothing was moved; try again"
                                                        : "; nothing was renamed; try again"),
                      std::string::npos)
                << r.err;
        }
        EXPECT_EQ(Pairs(), swapped);
        EXPECT_EQ(Holds("p"), "p");
    }
    const auto undo = Run({"--undo"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(Pairs(), Unswapped(2, ""));
}

// Two undos started at once over a pass of swaps (both wait while the test holds the
// lock, so that they meet there): one takes the whole pass back, the other then finds
// nothing left to undo, and no file stays under a temporary name.
TEST_F(CliUndoTest, TwoUndosAtOnceTakeThePassBackOnce) {
    constexpr int kPairs = 1000;
    SwapPairs(kPairs);
    const auto swapped = Pairs();
    std::future<ProcessResult> first, second;
    {
        const PassLock held(JournalFolder(), std::chrono::milliseconds(0));
        ASSERT_TRUE(held.Held());
        first = std::async(std::launch::async, [&] { return RunWaiting({"--undo"}, "30000"); });
        second = std::async(std::launch::async, [&] { return RunWaiting({"--undo"}, "30000"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(Pairs(), swapped);  // nothing moves while another copy holds the lock
    }
    const ProcessResult a = first.get(), b = second.get();
    const ProcessResult& undid = a.status == 0 ? a : b;
    const ProcessResult& other = a.status == 0 ? b : a;
    EXPECT_EQ(undid.status, 0) << a.err << b.err;
    EXPECT_TRUE(undid.out.ends_with("\n成功 " + std::to_string(2 * kPairs) + ", 失败 0\n"))
        << undid.out.substr(undid.out.size() - std::min<size_t>(undid.out.size(), 200));
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(other.out, "");
    EXPECT_NE(other.err.find("nothing to undo"), std::string::npos) << other.err;
    EXPECT_EQ(Pairs(), Unswapped(kPairs, ""));
    EXPECT_EQ(Run({"--undo"}).status, 1);
}

// A pass and an undo started at once over the same files: whichever goes first, the
// other works on what it left. The undo takes back the swap, and the pass then
// renames the files it finds; or the pass goes first and the undo takes it back.
TEST_F(CliUndoTest, APassAndAnUndoAtOnceEachWorkOnWhatTheOtherLeft) {
    constexpr int kPairs = 1000;
    SwapPairs(kPairs);
    const auto swapped = Pairs();
    std::string list;
    for (const auto& [name, _] : swapped)
        list += Root() + "/pairs/" + name + "\n";
    dir_.File("pairs.lst", list);
    std::future<ProcessResult> undo, pass;
    {
        const PassLock held(JournalFolder(), std::chrono::milliseconds(0));
        ASSERT_TRUE(held.Held());
        undo = std::async(std::launch::async, [&] { return RunWaiting({"--undo"}, "30000"); });
        pass = std::async(std::launch::async, [&] {
            return RunWaiting({"--apply", "-s", "1035=x_", "--list", "pairs.lst"}, "30000");
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(Pairs(), swapped);
    }
    const ProcessResult undone = undo.get(), renamed = pass.get();
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_EQ(renamed.status, 0) << renamed.err;
    EXPECT_TRUE(renamed.out.ends_with("成功 " + std::to_string(2 * kPairs) +
                                      ", 失败 0, 无修改 0, 未选中 0\n"));
    std::map<std::string, std::string> swappedBack = Unswapped(kPairs, "");
    for (auto& [name, holds] : swappedBack)
        holds = (name[0] == 'a' ? "b" : "a") + name.substr(1);
    const auto after = Pairs();
    EXPECT_TRUE(after == Unswapped(kPairs, "x_") || after == swappedBack)
        << after.begin()->first << " holds " << after.begin()->second;
}

}  // namespace
}  // namespace tolvane::test
