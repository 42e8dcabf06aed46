#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "BenchNames.h"

namespace tolvane::bench {

// The program's folders inside a scratch folder named after `prefix`, set before
// anything reads them, with the settings file of a second start: the window of a
// benchmark opens as a user's window would, and nothing of the user's is touched.
inline void UseScratchHome(const char* prefix) {
    static const ScratchFolder home(prefix);
    for (const char* folder : {"config/tolvane", "state", "run"})
        std::filesystem::create_directories(home.Path() / folder);
    std::filesystem::permissions(home.Path() / "run", std::filesystem::perms::owner_all);
    setenv("XDG_CONFIG_HOME", (home.Path() / "config").c_str(), 1);
    setenv("XDG_STATE_HOME", (home.Path() / "state").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home.Path() / "run").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::ofstream(home.Path() / "config/tolvane/Tolvane.ini")
        << "[set]\nisFirstRun=1\nremindCount=5\n";
}

}  // namespace tolvane::bench
