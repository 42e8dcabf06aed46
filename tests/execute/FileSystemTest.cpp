#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <map>

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

}  // namespace
}  // namespace tolvane
