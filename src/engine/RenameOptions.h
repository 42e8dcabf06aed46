#pragma once

#include <optional>
#include <string>

namespace tolvane {

// Whole-name conversion (list 1073); the index is the meaning.
enum class ConversionMode : int {
    None = 0,
    ExtensionUpper = 1,
    ExtensionLower = 2,
    NameUpper = 3,
    NameLower = 4,
    FirstCharUpper = 5,
    CnNumeralsToDigits = 6,
    DigitsToCnNumerals = 7,
    TraditionalToSimplified = 8,
    SimplifiedToTraditional = 9,
};

// Generated name (list 1072); each index produces what its label says.
enum class SequenceMode : int {
    None = 0,
    IncreasingNumber = 1,  // "数字递增": two-digit counter
    RandomNumber = 2,      // "随机数": random string
    DateAndNumber = 3,     // "日期+数字递增": date, "_", counter
    DateAndRandom = 4,     // "日期+随机数": date, "_", random string
    NameAndDate = 5,       // "原名+日期": old name, "_", date
};

enum class InsertMode { Prefix, Suffix, Position, Text };
enum class DeleteMode { Position, Locator };

enum class DeleteDirection : int { LeftToRight = 1, RightToLeft = 2 };

// The values of the option controls, one field per control. Text fields hold the
// text as typed; numeric fields hold the edit's text and are read as decimal
// prefixes when a number is needed; list fields hold the selected index (-1 = none);
// radio buttons are kept one flag each, because a loaded profile may check none or
// several of a group.
struct RenameOptions {
    bool ignoreExtension = false;    // 1032
    bool includeSubfolders = false;  // 1033
    bool renameFolders = false;      // 1034
    int conversion = -1;             // 1073, ConversionMode or -1
    int sequenceMode = -1;           // 1072, SequenceMode or -1

    std::wstring insertText;        // 1035
    bool insertPrefix = false;      // 1080
    bool insertSuffix = false;      // 1081
    bool insertAtPosition = false;  // 1082
    std::wstring insertPosition;    // 1083
    bool insertAtText = false;      // 1086
    std::wstring anchorText;        // 1087
    int anchorSide = -1;            // 1088: 0 before, 1 after

    std::wstring findText;     // 1045
    std::wstring replaceText;  // 1046
    bool useRegex = false;     // 1095
    int regexPreset = -1;      // 1089

    bool deleteAtPosition = false;  // 1099
    std::wstring deletePosition;    // 1050
    bool deleteAtLocator = false;   // 1100
    std::wstring locatorText;       // 1101
    std::wstring deleteCount;       // 1052
    // Not a control: the direction link 1134 lives with the window, and neither
    // reset nor profiles change it.
    DeleteDirection deleteDirection = DeleteDirection::LeftToRight;

    bool serialEnabled = false;    // 1060
    std::wstring serialStart;      // 1062
    std::wstring serialIncrement;  // 1064
    std::wstring serialDigits;     // 1067

    std::wstring templateText;  // 1068
    int templatePreset = -1;    // 1071

    // Controls that take part in profiles and history but no new name depends on.
    std::wstring hiddenComboText;  // 1130
    bool textMode = false;         // 1114
    std::wstring filterText;       // 1090
    std::wstring textModeText;     // 1113
    std::wstring inPlaceText;      // 1136

    // The options of a freshly opened main window.
    static RenameOptions WindowDefaults();

    bool operator==(const RenameOptions&) const = default;
};

// The first checked insert radio, none when no radio of the group is checked.
std::optional<InsertMode> CheckedInsertMode(const RenameOptions& options);

// The first checked delete radio, none when neither is checked.
std::optional<DeleteMode> CheckedDeleteMode(const RenameOptions& options);

// Empties every text, list selection and check of the option area except the
// text-mode box and its editor, then restores the window defaults. The delete
// direction stays as it was.
void ResetOptions(RenameOptions& options);

// Flips the delete direction between front-to-back and back-to-front.
void ToggleDeleteDirection(RenameOptions& options);

// Whether the control `id` is enabled: each dependent control is enabled exactly
// when its controlling button is checked; any other control is always enabled.
bool IsOptionControlEnabled(const RenameOptions& options, int id);
// Whether control `id` is enabled by a button of the options (so that nothing else
// decides whether it is).
bool IsDependentControl(int id);

}  // namespace tolvane
