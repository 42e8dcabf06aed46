#include "RenameOptions.h"

#include "ControlTable.h"

namespace tolvane {

RenameOptions RenameOptions::WindowDefaults() {
    RenameOptions o;
    o.anchorSide = 0;
    o.insertPrefix = true;
    o.deleteAtPosition = true;
    o.ignoreExtension = true;
    o.insertPosition = L"1";
    o.deletePosition = L"0";
    o.deleteCount = L"1";
    o.serialStart = L"1";
    o.serialIncrement = L"1";
    o.serialDigits = L"1";
    return o;
}

std::optional<InsertMode> CheckedInsertMode(const RenameOptions& options) {
    if (options.insertPrefix)
        return InsertMode::Prefix;
    if (options.insertSuffix)
        return InsertMode::Suffix;
    if (options.insertAtPosition)
        return InsertMode::Position;
    if (options.insertAtText)
        return InsertMode::Text;
    return std::nullopt;
}

std::optional<DeleteMode> CheckedDeleteMode(const RenameOptions& options) {
    if (options.deleteAtPosition)
        return DeleteMode::Position;
    if (options.deleteAtLocator)
        return DeleteMode::Locator;
    return std::nullopt;
}

void ResetOptions(RenameOptions& options) {
    RenameOptions cleared = RenameOptions::WindowDefaults();
    cleared.deleteDirection = options.deleteDirection;
    cleared.textMode = options.textMode;
    cleared.textModeText = options.textModeText;
    options = std::move(cleared);
}

void ToggleDeleteDirection(RenameOptions& options) {
    options.deleteDirection = options.deleteDirection == DeleteDirection::LeftToRight
                                  ? DeleteDirection::RightToLeft
                                  : DeleteDirection::LeftToRight;
}

namespace {

// The check box or radio button that control `id` depends on; none for other ids.
bool RenameOptions::*ControllingButton(int id) {
    switch (id) {
        case ctl::kInsertPositionEdit:
        case ctl::kInsertPositionSpin: return &RenameOptions::insertAtPosition;
        case ctl::kAnchorText:
        case ctl::kAnchorSide: return &RenameOptions::insertAtText;
        case ctl::kRegexPreset: return &RenameOptions::useRegex;
        case ctl::kDeletePositionEdit:
        case ctl::kDeletePositionSpin: return &RenameOptions::deleteAtPosition;
        case ctl::kLocatorText: return &RenameOptions::deleteAtLocator;
        case ctl::kSerialStartEdit:
        case ctl::kSerialStartSpin:
        case ctl::kSerialIncrementEdit:
        case ctl::kSerialIncrementSpin:
        case ctl::kSerialDigitsEdit:
        case ctl::kSerialDigitsSpin: return &RenameOptions::serialEnabled;
        default: return nullptr;
    }
}

}  // namespace

bool IsDependentControl(int id) { return ControllingButton(id) != nullptr; }

bool IsOptionControlEnabled(const RenameOptions& options, int id) {
    bool RenameOptions::*button = ControllingButton(id);
    return button == nullptr || options.*button;
}

}  // namespace tolvane
