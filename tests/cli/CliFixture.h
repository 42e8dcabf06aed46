#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../TestSupport.h"

namespace tolvane::test {

inline const std::string kCli = TOLVANE_CLI_PATH;
inline const std::string kNow = "2023-07-29 10:11:12";

// Runs the real tolvane-cli in a temporary folder, with settings and journal of its own.
class CliTest : public testing::Test {
  protected:
    // The program reads the user's settings: give it a settings folder of its own.
    std::vector<std::string> Env() const {
        return {"XDG_CONFIG_HOME=" + Root() + "/config", "XDG_STATE_HOME=" + Root() + "/state",
                "LANG=" + locale_, "LC_ALL=", "LC_MESSAGES="};
    }

    ProcessResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--now", kNow});
        return RunProcess(kCli, args, dir_.Path(), Env());
    }

    void WriteSettings(const std::string& content) const {
        dir_.File("config/tolvane/Tolvane.ini", content);
    }

    std::string Root() const { return dir_.Path().string(); }

    // The content of a file of the test folder, or "<missing>".
    std::string Holds(const std::string& name) const {
        std::ifstream in(dir_.Path() / name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return in ? s.str() : "<missing>";
    }

    TempDir dir_;
    std::string locale_ = "C.UTF-8";
};

using CliPreviewTest = CliTest;

}  // namespace tolvane::test
