#include "SettingsKeys.h"

namespace tolvane::keys {

using R = ValueRule;

const SettingKey kLanguage{L"set", L"language", R::Text, R::Text,
                           "no language file on a Chinese system, else ENG"};
const SettingKey kIsFirstRun{L"set", L"isFirstRun", R::Text, R::Text, "this start is a first run"};
const SettingKey kRemindCount{L"set", L"remindCount", R::Number, R::Text, "no input history"};
const SettingKey kShowToolbar{L"set", L"showToolbar", R::NotZero, R::NotZero, "toolbar shown"};
const SettingKey kShowTip{L"set", L"showTip", R::NotZero, R::NotZero, "tool tips on"};
const SettingKey kLoadLastSet{L"set", L"loadLastSet", R::ExactlyOne, R::ExactlyOne,
                              "last options not applied at start"};
const SettingKey kHasLastSet{L"set", L"hasLastSet", R::ExactlyOne, R::ExactlyOne,
                             "button 1118 disabled at start"};
const SettingKey kWidth{L"set", L"width", R::Number, R::Number, "the dialog's own size"};
const SettingKey kHeight{L"set", L"height", R::Number, R::Number, "the dialog's own size"};
const SettingKey kAutoSort{L"set", L"autoSort", R::ExactlyOne, R::NotZero,
                           "adding does not sort, yet the dialog shows it on"};
const SettingKey kAutoUpdate{L"set", L"autoUpdate", R::NotZero, R::NotZero,
                             "new names computed when adding"};
const SettingKey kClearInput{L"set", L"clearInput", R::NotZero, R::NotZero,
                             "options reset after a rename batch"};
const SettingKey kClearFile{L"set", L"clearFile", R::ExactlyOne, R::ExactlyOne,
                            "the list stays after a batch"};
const SettingKey kRefreshFile{L"set", L"refreshFile", R::NotZero, R::NotZero,
                              "the list is refreshed after a batch"};
const SettingKey kUserRegex{L"userCustom", L"regex", R::Text, R::Text, "no user patterns"};
const SettingKey kUserTemplates{L"userCustom", L"template", R::Text, R::Text, "no user templates"};
const SettingKey kColumnSize{L"listSet", L"32852", R::ExactlyOne, R::ExactlyOne, "hidden"};
const SettingKey kColumnExtension{L"listSet", L"32853", R::ExactlyOne, R::ExactlyOne, "hidden"};
const SettingKey kColumnCreated{L"listSet", L"32854", R::ExactlyOne, R::ExactlyOne, "hidden"};
const SettingKey kColumnModified{L"listSet", L"32855", R::ExactlyOne, R::ExactlyOne, "hidden"};
const SettingKey kFitColumns{L"listSet", L"32857", R::ExactlyOne, R::ExactlyOne, "no check mark"};

}  // namespace tolvane::keys

namespace tolvane {

std::span<const SettingKey* const> AllSettingKeys() {
    static const SettingKey* const kAll[] = {
        &keys::kLanguage,   &keys::kIsFirstRun,      &keys::kRemindCount,   &keys::kShowToolbar,
        &keys::kShowTip,    &keys::kLoadLastSet,     &keys::kHasLastSet,    &keys::kWidth,
        &keys::kHeight,     &keys::kAutoSort,        &keys::kAutoUpdate,    &keys::kClearInput,
        &keys::kClearFile,  &keys::kRefreshFile,     &keys::kUserRegex,     &keys::kUserTemplates,
        &keys::kColumnSize, &keys::kColumnExtension, &keys::kColumnCreated, &keys::kColumnModified,
        &keys::kFitColumns,
    };
    return kAll;
}

}  // namespace tolvane
