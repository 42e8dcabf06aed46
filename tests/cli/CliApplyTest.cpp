#include <gtest/gtest.h>

#include "CliFixture.h"

namespace tolvane::test {
namespace {

class CliApplyTest : public CliTest {
  protected:
    // Without a language file the built-in texts show.
    CliApplyTest() { locale_ = "zh_CN.UTF-8"; }
};

TEST_F(CliApplyTest, RenamesAndPrintsStatusesAndTheSummary) {
    for (const char* name : {"IMG_1.jpg", "IMG_2.jpg", "notes.txt", "IMG_3.jpg", "photo_3.jpg"}) {
        dir_.File(name, name);
    }
    const auto r = Run({"--apply", "-s", "1045=IMG_", "-s", "1046=photo_", "IMG_1.jpg", "IMG_2.jpg",
                        "notes.txt", "IMG_3.jpg"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Root() + "/IMG_1.jpg\tphoto_1.jpg\t√成功\n" + Root() +
                         "/IMG_2.jpg\tphoto_2.jpg\t√成功\n" + Root() +
                         "/notes.txt\tnotes.txt\t无修改\n" + Root() +
                         "/IMG_3.jpg\tphoto_3.jpg\t×失败\tFile exists\n" +
                         "成功 2, 失败 1, 无修改 1, 未选中 0\n");
    EXPECT_EQ(Holds("photo_1.jpg"), "IMG_1.jpg");
    EXPECT_EQ(Holds("photo_3.jpg"), "photo_3.jpg");
    EXPECT_EQ(Holds("IMG_3.jpg"), "IMG_3.jpg");
}

TEST_F(CliApplyTest, UndoRevertsPassesNewestFirst) {
    dir_.File("p", "p");
    EXPECT_EQ(Run({"--apply", "-s", "1045=p", "-s", "1046=q", "p"}).status, 0);
    EXPECT_EQ(Run({"--apply", "-s", "1045=q", "-s", "1046=r", "q"}).status, 0);
    EXPECT_EQ(Holds("r"), "p");

    const auto first = Run({"--undo"});
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, Root() + "/r\t" + Root() + "/q\t√成功\n成功 1, 失败 0\n");
    EXPECT_EQ(Holds("q"), "p");
    const auto second = Run({"--undo"});
    EXPECT_EQ(second.out, Root() + "/q\t" + Root() + "/p\t√成功\n成功 1, 失败 0\n");
    EXPECT_EQ(Holds("p"), "p");

    const auto nothing = Run({"--undo"});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_NE(nothing.err.find("nothing to undo"), std::string::npos);
}

TEST_F(CliApplyTest, UndoThatCannotPutAFileBackFailsAndCanBeRetried) {
    dir_.File("old", "old");
    Run({"--apply", "-s", "1035=x", "old"});
    dir_.File("a", "a");
    Run({"--apply", "-s", "1035=x", "a"});
    dir_.File("a", "new a");
    const auto r = Run({"--undo"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Root() + "/xa\t" + Root() + "/a\t×失败\tFile exists\n成功 0, 失败 1\n");
    EXPECT_EQ(Holds("xa"), "a");

    // The pass stays open: once its old name is free, the next undo takes it back,
    // not the older pass.
    std::filesystem::remove(dir_.Path() / "a");
    EXPECT_EQ(Run({"--undo"}).status, 0);
    EXPECT_EQ(Holds("a"), "a");
    EXPECT_EQ(Holds("xold"), "old");
}

TEST_F(CliApplyTest, AFileThatIsGoneDoesNotHoldUpOlderPasses) {
    dir_.File("a", "a");
    Run({"--apply", "-s", "1035=x", "a"});
    dir_.File("b", "b");
    Run({"--apply", "-s", "1035=y", "b"});
    std::filesystem::remove(dir_.Path() / "yb");
    EXPECT_EQ(Run({"--undo"}).status, 1);
    EXPECT_EQ(Run({"--undo"}).status, 0);
    EXPECT_EQ(Holds("a"), "a");
}

TEST_F(CliApplyTest, ListedRelativePathsAreUndoneFromAnyFolder) {
    dir_.File("rel/r.txt", "r");
    dir_.File("rel.lst", "rel/r.txt\n");
    const auto r = Run({"--apply", "-s", "1035=P_", "--list", "rel.lst"});
    EXPECT_EQ(r.out, Root() + "/rel/r.txt\tP_r.txt\t√成功\n成功 1, 失败 0, 无修改 0, 未选中 0\n");
    const auto undo = RunProcess(kCli, {"--undo"}, "/", Env());
    EXPECT_EQ(undo.status, 0) << undo.out << undo.err;
    EXPECT_EQ(Holds("rel/r.txt"), "r");
}

TEST_F(CliApplyTest, NothingIsRenamedWithoutAJournal) {
    dir_.File("a", "a");
    dir_.File("state", "a file where the journal folder would be");
    auto env = Env();
    env.push_back("XDG_STATE_HOME=" + Root() + "/state");
    const auto r = RunProcess(kCli, {"--apply", "-s", "1035=x", "a"}, dir_.Path(), env);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Holds("a"), "a");
    EXPECT_NE(r.err.find("nothing was renamed"), std::string::npos);
}

TEST_F(CliApplyTest, WithoutApplyNothingChanges) {
    dir_.File("a", "a");
    const auto r = Run({"-s", "1035=x", "a"});
    EXPECT_EQ(r.out, Root() + "/a\txa\n");
    EXPECT_EQ(Holds("a"), "a");
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "state"));
}

TEST_F(CliApplyTest, UndoTakesNoPaths) {
    EXPECT_EQ(Run({"--undo", "a"}).status, 2);
    EXPECT_EQ(Run({"--undo", "--apply"}).status, 2);
}

}  // namespace
}  // namespace tolvane::test
