#include "AfterPass.h"

#include "InputHistory.h"
#include "OptionControlStates.h"
#include "OptionSection.h"
#include "engine/ControlTable.h"
#include "settings/Settings.h"

namespace tolvane {

AfterPassActions FinishPass(const Settings& settings, const OptionControlStates& controls,
                            std::map<int, std::vector<std::wstring>>& historyLists) {
    std::error_code ec;
    std::filesystem::create_directories(settings.File().parent_path(), ec);
    SaveOptionSection(controls, kLastSetSection, settings.File());
    settings.Write(keys::kHasLastSet, L"1");

    AfterPassActions actions;
    actions.settingsFileExists = settings.FileExists();
    if (!actions.settingsFileExists)
        return actions;
    for (int id : kHistoryComboIds)
        RecordInputHistory(settings, id, controls.Text(id), historyLists[id]);
    actions.resetOptions = settings.Flag(keys::kClearInput);
    actions.clearList = settings.Flag(keys::kClearFile);
    actions.refreshList = settings.Flag(keys::kRefreshFile);
    return actions;
}

}  // namespace tolvane
