#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "../SpecialFiles.h"
#include "../TestSupport.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace tolvane::test {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct ReadCase {
    const char* label;
    std::string file;
    std::wstring section, key, expected;
};

class IniReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, Reads) {
    const auto& c = GetParam();
    TempDir dir;
    const auto path = dir.File("t.ini", c.file);
    EXPECT_EQ(IniFile::Load(path).Get(c.section, c.key), c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    testing::Values(
        ReadCase{"plain", "[set]\nwidth=800\n", L"set", L"width", L"800"},
        ReadCase{"section case", "[SET]\nwidth=800\n", L"set", L"width", L"800"},
        ReadCase{"key case", "[set]\nWidth=800\n", L"set", L"width", L"800"},
        ReadCase{"blanks around names and values", " [ set ] \n width = 800 \n", L"set", L"width",
                 L"800"},
        ReadCase{"CRLF lines", "[set]\r\nwidth=800\r\n", L"set", L"width", L"800"},
        ReadCase{"absent key", "[set]\nwidth=800\n", L"set", L"height", L""},
        ReadCase{"absent section", "[set]\nwidth=800\n", L"other", L"width", L""},
        ReadCase{"key of another section", "[a]\nk=1\n[b]\nx=2\n", L"b", L"k", L""},
        ReadCase{"first duplicate section wins", "[s]\nk=1\n[s]\nk=2\nj=3\n", L"s", L"k", L"1"},
        ReadCase{"first duplicate key wins", "[s]\nk=1\nk=2\n", L"s", L"k", L"1"},
        ReadCase{"line without '=' is skipped", "[s]\ngarbage\nk=1\n", L"s", L"k", L"1"},
        ReadCase{"value with '='", "[s]\nk=a=b\n", L"s", L"k", L"a=b"},
        ReadCase{"quotes are removed", "[s]\nk=\" x \"\n", L"s", L"k", L" x "},
        ReadCase{"UTF-8 with BOM", "\xEF\xBB\xBF[s]\nk=漢字\n", L"s", L"k", L"漢字"},
        ReadCase{"UTF-16 LE with BOM", std::string("\xFF\xFE[\0s\0]\0\n\0k\0=\0\x22\x6C\n\0", 18),
                 L"s", L"k", L"\x6C22"},
        ReadCase{"UTF-16 BE with BOM", std::string("\xFE\xFF\0[\0s\0]\0\n\0k\0=\x6C\x22", 16), L"s",
                 L"k", L"\x6C22"},
        ReadCase{"value cut to 259 characters", "[s]\nk=" + std::string(300, 'x') + "\n", L"s",
                 L"k", std::wstring(259, L'x')},
        ReadCase{"cut counts characters, not bytes",
                 "[s]\nk=" +
                     [] {
                         std::string s;
                         for (int i = 0; i < 300; ++i)
                             s += "漢";
                         return s;
                     }() +
                     "\n",
                 L"s", L"k", std::wstring(259, L'漢')}),
    ByLabel());

TEST(IniFileTest, MissingFileReadsEmpty) {
    TempDir dir;
    const auto doc = IniFile::Load(dir.Path() / "none.ini");
    EXPECT_EQ(doc.Get(L"set", L"width"), L"");
    EXPECT_FALSE(doc.HasSection(L"set"));
}

TEST(IniFileTest, WriteReplacesInPlaceAndKeepsEverythingElse) {
    TempDir dir;
    const std::string original =
        "; my settings\n[set]\nwidth=800\n; keep me\nheight=600\n\n[other]\nx=1\n";
    const auto path = dir.File("t.ini", original);
    IniFile doc = IniFile::Load(path);
    doc.Set(L"SET", L"Width", L"1024");
    doc.Set(L"set", L"language", L"ENG");
    doc.Set(L"new", L"k", L"v");
    ASSERT_TRUE(doc.Save(path));
    EXPECT_EQ(
        ReadFile(path),
        "; my settings\n[set]\nWidth=1024\n; keep me\nheight=600\nlanguage=ENG\n\n[other]\nx=1\n"
        "[new]\nk=v\n");
}

TEST(IniFileTest, ValuesRoundTripExactly) {
    TempDir dir;
    const auto path = dir.Path() / "t.ini";
    const std::wstring values[] = {L" - ", L"\"quoted\"", L"'a'",         L"a=b;c#d",
                                   L"\t",  L"\"",         L"漢字 \xDCFF", L""};
    IniFile doc;
    for (size_t i = 0; i < std::size(values); ++i)
        doc.Set(L"s", std::to_wstring(i), values[i]);
    ASSERT_TRUE(doc.Save(path));
    const IniFile back = IniFile::Load(path);
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(back.Get(L"s", std::to_wstring(i)), values[i]);
}

TEST(IniFileTest, LineBreaksInValuesNeverBreakTheFile) {
    IniFile doc;
    doc.Set(L"s", L"k", L"one\ntwo\r\nthree");
    doc.Set(L"s", L"after", L"x");
    const IniFile back = IniFile::Parse(doc.Serialize());
    EXPECT_EQ(back.Get(L"s", L"k"), L"one two  three");
    EXPECT_EQ(back.Get(L"s", L"after"), L"x");
}

TEST(IniFileTest, GarbageNeverLosesKeys) {
    std::mt19937 random(7);
    std::string garbage(5 << 20, '\0');  // two copies make a 10 MB file
    for (char& b : garbage)
        b = static_cast<char>(random() % 256);
    TempDir dir;
    const auto path = dir.File("t.ini", garbage + "\n[set]\nwidth=800\n" + garbage);
    IniFile doc = IniFile::Load(path);
    EXPECT_EQ(doc.Get(L"set", L"width"), L"800");
    doc.Set(L"set", L"height", L"600");
    ASSERT_TRUE(doc.Save(path));
    const IniFile back = IniFile::Load(path);
    EXPECT_EQ(back.Get(L"set", L"width"), L"800");
    EXPECT_EQ(back.Get(L"set", L"height"), L"600");
    // Every other byte, invalid UTF-8 included, is written back as it was.
    EXPECT_NE(ReadFile(path).find(garbage), std::string::npos);
}

constexpr uid_t kNobody = 65534;

TEST(IniFileTest, SaveKeepsModeAndOwnerAndLeavesNoTemporaryFile) {
    TempDir dir;
    const auto path = dir.File("t.ini", "[s]\nk=1\n");
    // Root may give the file to another user, and must give the replacement back.
    const bool root = geteuid() == 0;
    const uid_t owner = root ? kNobody : geteuid();
    const gid_t group = root ? kNobody : getegid();
    ASSERT_EQ(chown(path.c_str(), owner, group), 0);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    IniFile doc = IniFile::Load(path);
    doc.Set(L"s", L"k", L"2");
    ASSERT_TRUE(doc.Save(path));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(IniFileTest, SaveIntoAMissingFolderFails) {
    TempDir dir;
    IniFile doc;
    doc.Set(L"s", L"k", L"v");
    EXPECT_FALSE(doc.Save(dir.Path() / "no" / "such" / "t.ini"));
}

TEST(IniFileTest, SaveWritesThroughASymbolicLink) {
    TempDir dir;
    const auto real = dir.File("real.ini", "[s]\nk=1\n");
    const auto link = dir.Path() / "link.ini";
    std::filesystem::create_symlink(real, link);
    IniFile doc = IniFile::Load(link);
    doc.Set(L"s", L"k", L"2");
    ASSERT_TRUE(doc.Save(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(IniFile::Load(real).Get(L"s", L"k"), L"2");
}

class IniSpecialFileTest : public testing::TestWithParam<SpecialFileCase> {};

// Whatever sits where the file should be is read as nothing, at once and within a
// bound, and is never replaced by a write.
TEST_P(IniSpecialFileTest, ReadsAsEmptyAndIsNeverReplaced) {
    TempDir dir;
    const auto path = dir.Path() / "Tolvane.ini";
    ASSERT_TRUE(MakeSpecialFile(path, GetParam().kind));
    struct stat before {};
    ASSERT_EQ(lstat(path.c_str(), &before), 0);

    EXPECT_FALSE(IniFile::Load(path).HasSection(L"set"));
    const Settings settings(path);
    EXPECT_EQ(settings.Text(keys::kWidth), L"");
    EXPECT_FALSE(settings.Write(keys::kWidth, L"800"));
    EXPECT_FALSE(IniFile::WriteValue(path, L"set", L"k", L"v"));

    struct stat after {};
    ASSERT_EQ(lstat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, IniSpecialFileTest, testing::ValuesIn(kSpecialFiles), ByLabel());

TEST(IniFileTest, AFileOfTheLargestSizeIsStillRead) {
    TempDir dir;
    const std::string tail = "\n[set]\nwidth=800\n";
    const auto path = dir.File("t.ini", std::string((16u << 20) - tail.size(), ';') + tail);
    EXPECT_EQ(IniFile::Load(path).Get(L"set", L"width"), L"800");
}

// Runs `body` in a child process that has become user `uid`; 0 when body returned
// true, 1 when it returned false, 2 when the identity could not be taken.
int AsUser(uid_t uid, const std::function<bool()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0)
            _exit(2);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

struct ProtectedCase {
    const char* label;
    uid_t owner;
    mode_t mode;
    bool mayWrite;
};

void PrintTo(const ProtectedCase& c, std::ostream* os) {
    *os << c.label;
}

class IniProtectedFileTest : public testing::TestWithParam<ProtectedCase> {};

// The replacement is made in a folder that anyone may write, where a rename could
// replace any file: only a file that we may write ourselves is replaced.
TEST_P(IniProtectedFileTest, SaveReplacesOnlyWhatWeMayWrite) {
    if (geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    const auto& c = GetParam();
    TempDir dir;
    ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);
    const auto path = dir.File("profile.ini", "[set]\n1035=old\n[other]\nkeep=1\n");
    ASSERT_EQ(chown(path.c_str(), c.owner, c.owner), 0);
    ASSERT_EQ(chmod(path.c_str(), c.mode), 0);

    const int result = AsUser(kNobody, [&] {
        IniFile doc = IniFile::Load(path);
        doc.Set(L"set", L"1035", L"new");
        return doc.Save(path);
    });
    ASSERT_NE(result, 2) << "cannot act as user " << kNobody;
    EXPECT_EQ(result == 0, c.mayWrite);
    EXPECT_EQ(IniFile::Load(path).Get(L"set", L"1035"), c.mayWrite ? L"new" : L"old");
    EXPECT_EQ(IniFile::Load(path).Get(L"other", L"keep"), L"1");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.mode);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniProtectedFileTest,
    testing::Values(ProtectedCase{"our own read-only file", kNobody, 0444, false},
                    ProtectedCase{"a file of another user", 0, 0644, false},
                    ProtectedCase{"a file of another user open to all", 0, 0666, true},
                    ProtectedCase{"our own file", kNobody, 0640, true}),
    ByLabel());

}  // namespace
}  // namespace tolvane::test
