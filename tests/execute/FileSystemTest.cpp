#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

#include "../TestSupport.h"
#include "CaseInsensitiveFolder.h"
#include "execute/FileSystem.h"

namespace tolvane {
namespace {

using Listing = std::map<std::string, std::string>;

TEST(MoveNoReplaceTest, CaseOnlyChangeGoesThroughATemporaryName) {
    for (bool refusesFlag : {false, true}) {
        CaseInsensitiveFolder folder(refusesFlag);
        folder.Create("/d/Photo.JPG", "p");
        folder.Create("/d/other", "o");
        EXPECT_EQ(MoveNoReplace(folder, "/d/Photo.JPG", "/d/photo.jpg"), 0);
        EXPECT_EQ(folder.Listing(), (Listing{{"/d/photo.jpg", "p"}, {"/d/other", "o"}}));
        // A real clash is still refused, and nothing changes.
        EXPECT_EQ(MoveNoReplace(folder, "/d/photo.jpg", "/d/OTHER"), EEXIST);
        EXPECT_EQ(folder.Listing(), (Listing{{"/d/photo.jpg", "p"}, {"/d/other", "o"}}));
        EXPECT_EQ(MoveNoReplace(folder, "/d/gone", "/d/x"), ENOENT);
    }
}

TEST(MoveNoReplaceTest, RefusedFlagFallsBackToCheckThenRename) {
    CaseInsensitiveFolder folder(true);
    folder.Create("/d/a", "a");
    EXPECT_EQ(MoveNoReplace(folder, "/d/a", "/d/b"), 0);
    EXPECT_EQ(folder.Listing(), (Listing{{"/d/b", "a"}}));
}

// Asks for each name: what a listing of the folder must agree with.
class NameByName final : public FileSystem {
  public:
    explicit NameByName(FileSystem& real) : real_(real) {}
    int RenameNoReplace(const std::string& from, const std::string& to) override {
        return real_.RenameNoReplace(from, to);
    }
    int RenameReplacing(const std::string& from, const std::string& to) override {
        return real_.RenameReplacing(from, to);
    }
    int Status(const std::string& path, FileId& id, std::int64_t& born) override {
        return real_.Status(path, id, born);
    }
    bool HasExactName(const std::string& path) override { return real_.HasExactName(path); }

  private:
    FileSystem& real_;
};

// Identities from the folder's listing are those each file reports: files, a hard
// link, symbolic links (a dangling one too), a folder, a pipe, names that are not
// there or differ in letter case, and a name given twice.
TEST(IdentifyInFolderTest, AListingAgreesWithAskingForEachName) {
    test::TempDir dir;
    std::vector<std::string> names;
    names.reserve(108);
    for (int i = 0; i < 100; ++i)
        names.push_back(dir.File("f" + std::to_string(i), "x").filename().string());
    dir.Folder("sub");
    ASSERT_EQ(link((dir.Path() / "f1").c_str(), (dir.Path() / "hard").c_str()), 0);
    ASSERT_EQ(symlink("f2", (dir.Path() / "link").c_str()), 0);
    ASSERT_EQ(symlink("nothing", (dir.Path() / "dangling").c_str()), 0);
    ASSERT_EQ(mkfifo((dir.Path() / "pipe").c_str(), 0600), 0);
    for (const char* name : {"sub", "hard", "link", "dangling", "pipe", "gone", "F3", "f4"})
        names.emplace_back(name);
    const std::vector<std::string_view> views(names.begin(), names.end());

    PosixFileSystem posix;
    NameByName byName(posix);
    std::vector<FileId> listed, asked;
    std::vector<int> listedErrors, askedErrors;
    posix.IdentifyInFolder(dir.Path().string(), views, listed, listedErrors);
    byName.IdentifyInFolder(dir.Path().string(), views, asked, askedErrors);
    EXPECT_EQ(listedErrors, askedErrors);
    ASSERT_EQ(listed.size(), asked.size());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(listed[i], asked[i]) << names[i];
    EXPECT_EQ(askedErrors[names.size() - 3], ENOENT);
    EXPECT_EQ(listed[1], listed[100 + 1]);  // f1 and its hard link
}

}  // namespace
}  // namespace tolvane
