#pragma once

#include <map>
#include <string>
#include <vector>

namespace tolvane {

class OptionControlStates;
class Settings;

// What the settings ask the window to do once a pass is over.
struct AfterPassActions {
    bool settingsFileExists = false;  // without it nothing below applies
    bool resetOptions = false;        // "clearInput" anything but "0"
    bool clearList = false;           // "clearFile" exactly "1"
    bool refreshList = false;         // "refreshFile" anything but "0"
};

// The settings part of a pass in the window: the options go to section "lastSet"
// and "hasLastSet" becomes "1"; then, when Tolvane.ini exists, the input history of
// the eight boxes is recorded (into `historyLists`, the boxes' drop-down lists by id)
// and the after-pass settings are read, all before any of them is carried out.
AfterPassActions FinishPass(const Settings& settings, const OptionControlStates& controls,
                            std::map<int, std::vector<std::wstring>>& historyLists);

}  // namespace tolvane
