#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "engine/TextConvert.h"
#include "filelist/CollectFolder.h"
#include "filelist/NaturalCompare.h"
#include "filelist/PathsExist.h"

#include <filesystem>
#include <string_view>

namespace tolvane::test {
namespace {

TEST(NaturalCompareTest, Orders) {
    struct Case {
        std::string a, b;
        int expected;
    };
    const Case cases[] = {
        {"file2", "file10", -1},
        {"a01", "a1", 1},
        {"abc", "ab", 1},
        {"same", "same", 0},
        {"x9y", "x09y", -1},
        {"B", "a", -1},                                           // byte order, not case-folded
        {"漢", "a", -1},                                          // non-ASCII bytes sort first
        {"v99999999999999999999", "v100000000000000000000", -1},  // longer than any integer
        {"", "a", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NaturalCompare(c.a, c.b), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(NaturalCompare(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
    }
}

class CollectFolderTest : public testing::Test {
  protected:
    void SetUp() override {
        dir_.File("top/f10.txt");
        dir_.File("top/f2.txt");
        dir_.File("top/sub1/inner.txt");
        dir_.File("top/sub1/deeper/too-deep.txt");
        dir_.Folder("top/sub2");
        dir_.File("top/.hidden");
    }

    std::vector<std::wstring> Collect(bool subfolders, bool folders) {
        std::vector<std::wstring> out;
        CollectFolder(ToWide((dir_.Path() / "top").string()), subfolders, folders, out);
        for (auto& path : out)
            path = path.substr(dir_.Path().string().size());
        return out;
    }

    TempDir dir_;
};

TEST_F(CollectFolderTest, FourCombinations) {
    using Paths = std::vector<std::wstring>;
    EXPECT_EQ(Collect(false, false), (Paths{L"/top/.hidden", L"/top/f2.txt", L"/top/f10.txt"}));
    EXPECT_EQ(Collect(true, false),
              (Paths{L"/top/.hidden", L"/top/f2.txt", L"/top/f10.txt", L"/top/sub1/inner.txt"}));
    EXPECT_EQ(Collect(false, true), (Paths{L"/top"}));
    EXPECT_EQ(Collect(true, true), (Paths{L"/top/sub1", L"/top/sub2"}));
}

// Subfolders are entered only when they are real folders: a link may lead out of the
// folder given, or back into it. A link is still an item of its own.
TEST_F(CollectFolderTest, NeverDescendsThroughASymbolicLink) {
    namespace fs = std::filesystem;
    dir_.File("outside/victim.txt");
    fs::create_directory_symlink(dir_.Path() / "outside", dir_.Path() / "top/out");
    fs::create_directory_symlink(".", dir_.Path() / "top/self");
    fs::create_symlink("f2.txt", dir_.Path() / "top/f2-link");
    fs::create_symlink("gone", dir_.Path() / "top/dangling");
    using Paths = std::vector<std::wstring>;
    const Paths files = {L"/top/.hidden", L"/top/dangling", L"/top/f2-link", L"/top/f2.txt",
                         L"/top/f10.txt"};
    EXPECT_EQ(Collect(false, false), files);
    Paths withSubfolders = files;
    withSubfolders.push_back(L"/top/sub1/inner.txt");
    EXPECT_EQ(Collect(true, false), withSubfolders);
    EXPECT_EQ(Collect(true, true), (Paths{L"/top/out", L"/top/self", L"/top/sub1", L"/top/sub2"}));
}

TEST_F(CollectFolderTest, MissingFolderContributesNothing) {
    std::vector<std::wstring> out;
    CollectFolder(ToWide((dir_.Path() / "nope").string()), false, false, out);
    CollectFolder(L"", false, false, out);
    EXPECT_TRUE(out.empty());
}

TEST(PathTest, UndecodableNamesAreListedAndFoundAgain) {
    TempDir dir;
    dir.File("\xff\xfe name.txt", "x");
    std::vector<std::wstring> out;
    CollectFolder(ToWide(dir.Path().string()), false, false, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(PathExists(out[0]));
    EXPECT_FALSE(IsFolder(out[0]));
    EXPECT_EQ(ToNarrow(SplitFullPath(out[0]).name), "\xff\xfe name.txt");
}

TEST(PathTest, SplitAndJoin) {
    EXPECT_EQ(SplitFullPath(L"/a/b/c.txt").folder, L"/a/b");
    EXPECT_EQ(SplitFullPath(L"/a/b/c.txt").name, L"c.txt");
    EXPECT_EQ(SplitFullPath(L"/c.txt").folder, L"");
    EXPECT_EQ(JoinPath(L"", L"c.txt"), L"/c.txt");
    EXPECT_EQ(JoinPath(L"/a", L"b "), L"/a/b ");
}

// Asked about many paths at once, the answer for each is the one PathExists gives for
// it alone, whether its folder is listed (many names) or looked up name by name.
TEST(PathsExistTest, AnswersAsEachPathAlone) {
    TempDir dir;
    const std::string many = (dir.Path() / "many").string();
    const std::string few = (dir.Path() / "few").string();
    std::vector<std::string> paths;
    for (int i = 0; i < 4500; ++i) {  // enough names for the folder to be listed
        if (i % 3 != 0)
            dir.File("many/n" + std::to_string(i));
        paths.push_back(many + "/n" + std::to_string(i));
    }
    dir.File("many/\xff\xfe");
    dir.File("many/with space ");
    dir.File("few/a");
    dir.Folder("many/sub");
    std::error_code ec;
    std::filesystem::create_symlink(dir.Path() / "nowhere", dir.Path() / "many/dangling", ec);
    ASSERT_FALSE(ec);
    for (const char* name :
         {"\xff\xfe", "with space ", "with space", "sub", "sub/", "dangling", "N1", ""})
        paths.push_back(many + "/" + std::string(name));
    for (const char* name : {"a", "b", "a/"})
        paths.push_back(few + "/" + std::string(name));
    for (int i = 0; i < 4500; ++i)  // a folder that is not there, asked about often
        paths.push_back((dir.Path() / "absent").string() + "/n" + std::to_string(i));
    paths.push_back("/");
    paths.push_back("/tmp");
    paths.push_back("relative-name");

    std::vector<std::string_view> views(paths.begin(), paths.end());
    const std::vector<bool> exist = PathsExist(views);
    ASSERT_EQ(exist.size(), paths.size());
    int found = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(exist[i], PathExists(ToWide(paths[i]))) << paths[i];
        found += exist[i] ? 1 : 0;
    }
    // n*; in many: the two odd names, sub, sub/, dangling and the folder itself ("");
    // a; the root and /tmp.
    EXPECT_EQ(found, 3000 + 6 + 1 + 2);
}

}  // namespace
}  // namespace tolvane::test
