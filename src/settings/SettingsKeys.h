#pragma once

#include <span>

namespace tolvane {

// How a reader understands a stored value, and so what an absent value means.
enum class ValueRule {
    Text,        // the text itself; absent = empty
    Number,      // decimal prefix; absent or not a number = 0
    ExactlyOne,  // on exactly when "1"; absent = off
    NotZero,     // on unless "0"; absent = on
};

// One key of Tolvane.ini. `rule` is how the program reads it; the settings
// dialog shows some flags by a rule of its own (`dialogRule`).
struct SettingKey {
    const wchar_t* section;
    const wchar_t* key;
    ValueRule rule;
    ValueRule dialogRule;
    const char* absentMeans;
};

namespace keys {
// Section "set".
extern const SettingKey kLanguage;
extern const SettingKey kIsFirstRun;
extern const SettingKey kRemindCount;
extern const SettingKey kShowToolbar;
extern const SettingKey kShowTip;
extern const SettingKey kLoadLastSet;
extern const SettingKey kHasLastSet;
extern const SettingKey kWidth;
extern const SettingKey kHeight;
extern const SettingKey kAutoSort;
extern const SettingKey kAutoUpdate;
extern const SettingKey kClearInput;
extern const SettingKey kClearFile;
extern const SettingKey kRefreshFile;
// Section "userCustom".
extern const SettingKey kUserRegex;
extern const SettingKey kUserTemplates;
// Section "listSet": the optional columns and the fit-widths check mark.
extern const SettingKey kColumnSize;
extern const SettingKey kColumnExtension;
extern const SettingKey kColumnCreated;
extern const SettingKey kColumnModified;
extern const SettingKey kFitColumns;
}  // namespace keys

// Every fixed key, in the order of the table above.
std::span<const SettingKey* const> AllSettingKeys();

// Sections whose keys are control ids: the last rename options and the input history.
inline constexpr const wchar_t* kLastSetSection = L"lastSet";
inline constexpr const wchar_t* kRemindSection = L"remind";
inline constexpr const wchar_t* kProfileSection = L"set";

// The defaults a first run writes.
inline constexpr const wchar_t* kDefaultUserRegex = L"number#\\d;letter#[a-zA-Z];";
inline constexpr const wchar_t* kDefaultUserTemplates = L"example_<date>;example_<#>;";

}  // namespace tolvane
