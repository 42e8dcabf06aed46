#include <gtest/gtest.h>

#include "CliFixture.h"

namespace tolvane::test {
namespace {

using CliPatternTest = CliTest;

TEST_F(CliPatternTest, ARunawayOnOneNameRefusesToRenameAnything) {
    // The second name makes "(x+x+)+y" backtrack without end; the first and third are
    // harmless, and would be renamed if the pass went ahead.
    const std::string runaway = std::string(60, 'x') + "zy";
    for (const std::string& name : {std::string("a_xxy"), runaway, std::string("b_xxy")})
        dir_.File(name, name);
    const auto r = Run({"--apply", "-s", "1095=1", "-s", "1045=(x+x+)+y", "-s", "1046=-", "a_xxy",
                        runaway, "b_xxy"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ran away"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was renamed"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir_.Path() / "a_xxy"));
    EXPECT_TRUE(std::filesystem::exists(dir_.Path() / runaway));
    EXPECT_TRUE(std::filesystem::exists(dir_.Path() / "b_xxy"));

    // A preview lists the names and warns that they are incomplete.
    const auto preview =
        Run({"-s", "1095=1", "-s", "1045=(x+x+)+y", "-s", "1046=-", "a_xxy", runaway, "b_xxy"});
    EXPECT_EQ(preview.status, 0);
    EXPECT_EQ(preview.out, Root() + "/a_xxy\ta_-\n" + Root() + "/" + runaway + "\t" + runaway +
                               "\n" + Root() + "/b_xxy\tb_xxy\n");
    EXPECT_NE(preview.err.find("ran away"), std::string::npos) << preview.err;
}

TEST_F(CliPatternTest, AnInvalidPatternIsReportedWithItsReason) {
    dir_.File("a.txt");
    const auto r = Run({"-s", "1095=1", "-s", "1045=(?i)a", "-s", "1046=b", "a.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Root() + "/a.txt\ta.txt\n");
    EXPECT_NE(r.err.find("invalid group"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tolvane::test
