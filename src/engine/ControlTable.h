#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tolvane {

enum class ControlKind : std::uint8_t {
    EditableCombo,  // editable drop-down combo box with input history
    DropDownList,   // drop-down list; its value is the selected index
    CheckBox,
    RadioButton,
    Edit,
    Spin,
    PushButton,
    Link,
    StaticText,
    GroupBox,
    ListView,
    ProgressBar,
};

enum ControlFlag : std::uint8_t {
    kNoFlags = 0,
    kHidden = 1,
    kDigitsOnly = 2,  // typing accepts digits only
    kMultiLine = 4,
    kGroupStart = 8,  // first radio button of a new group
};

// One control of the main window: its id, kind, built-in text, position in dialog
// units and flags. Control ids are also the keys of language files and profiles.
struct ControlInfo {
    int id;
    ControlKind kind;
    const wchar_t* text;
    short x, y, width, height;
    std::uint8_t flags;
};

// Every control of the main window in template order, which is also the tab order
// and the order in which the window's children are walked.
std::span<const ControlInfo> MainWindowControls();

// The entry of `id`, nullptr when the main window has no such control.
const ControlInfo* FindMainWindowControl(int id);

// Control ids of the option area.
namespace ctl {
inline constexpr int kHiddenCombo = 1130;
inline constexpr int kIncludeSubfolders = 1033;
inline constexpr int kRenameFolders = 1034;
inline constexpr int kConversion = 1073;
inline constexpr int kSequence = 1072;
inline constexpr int kInsertText = 1035;
inline constexpr int kInsertPrefix = 1080;
inline constexpr int kInsertSuffix = 1081;
inline constexpr int kInsertAtPosition = 1082;
inline constexpr int kInsertPositionEdit = 1083;
inline constexpr int kInsertPositionSpin = 1085;
inline constexpr int kInsertAtText = 1086;
inline constexpr int kAnchorText = 1087;
inline constexpr int kAnchorSide = 1088;
inline constexpr int kFindText = 1045;
inline constexpr int kReplaceText = 1046;
inline constexpr int kUseRegex = 1095;
inline constexpr int kRegexPreset = 1089;
inline constexpr int kDeleteAtPosition = 1099;
inline constexpr int kDeletePositionEdit = 1050;
inline constexpr int kDeletePositionSpin = 1049;
inline constexpr int kDeleteAtLocator = 1100;
inline constexpr int kLocatorText = 1101;
inline constexpr int kDeleteCountEdit = 1052;
inline constexpr int kDeleteCountSpin = 1051;
inline constexpr int kSerialEnabled = 1060;
inline constexpr int kSerialStartEdit = 1062;
inline constexpr int kSerialStartSpin = 1061;
inline constexpr int kSerialIncrementEdit = 1064;
inline constexpr int kSerialIncrementSpin = 1063;
inline constexpr int kSerialDigitsEdit = 1067;
inline constexpr int kSerialDigitsSpin = 1066;
inline constexpr int kTemplateText = 1068;
inline constexpr int kTemplatePreset = 1071;
inline constexpr int kAddUserTemplate = 1069;
inline constexpr int kTextMode = 1114;
inline constexpr int kResetOptions = 1106;
inline constexpr int kRenameLikeLast = 1118;
inline constexpr int kExecute = 1074;
inline constexpr int kFilter = 1090;
inline constexpr int kIgnoreExtension = 1032;
inline constexpr int kTextModeEditor = 1113;
inline constexpr int kInPlaceEditor = 1136;
inline constexpr int kDeleteDirection = 1134;
inline constexpr int kFileList = 1018;
inline constexpr int kObjectCount = 1077;
inline constexpr int kProgress = 1078;
inline constexpr int kStatusLine = 1096;
}  // namespace ctl

// The controls stored in an option section, in the order they are visited and written.
inline constexpr std::array<int, 35> kProfileControlOrder = {
    1130, 1033, 1034, 1073, 1072, 1035, 1080, 1081, 1082, 1083, 1086, 1087,
    1088, 1045, 1046, 1095, 1089, 1099, 1050, 1100, 1101, 1052, 1060, 1062,
    1064, 1067, 1068, 1071, 1114, 1118, 1074, 1090, 1032, 1113, 1136};

// The editable combo boxes that keep an input history.
inline constexpr std::array<int, 8> kHistoryComboIds = {1035, 1087, 1045, 1046,
                                                        1101, 1068, 1090, 1130};

// The radio button group that `radioId` belongs to; empty for other ids.
std::span<const int> RadioGroupOf(int radioId);

// An up-down control: the edit it steps and the range its arrows keep to. Typing
// is not bound by the range.
struct SpinInfo {
    int id;
    int buddy;
    int min;
    int max;
};
std::span<const SpinInfo> SpinControls();
const SpinInfo* FindSpin(int spinId);

// A control with a tool tip: the language key of its text. The direction link 1134
// takes the key of the current direction ("l2r" or "r2l") instead.
struct ControlTip {
    int id;
    const char* key;
};
std::span<const ControlTip> ControlTips();

// The controls that may not receive the characters no name may hold.
inline constexpr std::array<int, 3> kNameTextControlIds = {1035, 1046, 1068};

}  // namespace tolvane
