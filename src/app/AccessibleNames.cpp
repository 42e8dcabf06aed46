#include "AccessibleNames.h"

#include <cstdlib>

#include "engine/ControlTable.h"

namespace tolvane {

namespace {

// The lines under the list show what happened, not what a control is: they name
// nothing, and are named by what they show (StatusLabel).
bool ShowsState(int id) {
    return id == ctl::kObjectCount || id == ctl::kStatusLine;
}

bool HasCaption(const ControlInfo& info) {
    if (ShowsState(info.id))
        return false;
    switch (info.kind) {
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::PushButton:
        case ControlKind::Link:
        case ControlKind::StaticText: return true;
        default: return false;
    }
}

}  // namespace

int LabelIdOf(int id) {
    if (const SpinInfo* spin = FindSpin(id))
        return LabelIdOf(spin->buddy);
    if (id == ctl::kTextModeEditor)
        return ctl::kTextMode;
    const ControlInfo* control = FindMainWindowControl(id);
    // The progress bar stands in the row of the lines under the list: none of them
    // names it.
    if (control == nullptr || ShowsState(id) || id == ctl::kProgress)
        return 0;
    // A hidden control (a history store, the in-place editor shown over a cell) only
    // happens to stand on a row: the caption there is about something else.
    if (control->flags & kHidden)
        return 0;
    if (HasCaption(*control))
        return id;
    // Rows are about 16 units apart; a label sits within a few units of its control.
    const int centre = control->y + 6;
    const ControlInfo* best = nullptr;
    for (const ControlInfo& other : MainWindowControls()) {
        if (!HasCaption(other) || other.id <= 0 || other.x + other.width > control->x + 2 ||
            std::abs(other.y + other.height / 2 - centre) > 5)
            continue;
        if (best == nullptr || other.x > best->x)
            best = &other;
    }
    return best ? best->id : 0;
}

const char* NumberFieldNameKey(int fieldId) {
    switch (fieldId) {
        case ctl::kInsertPositionEdit: return "insertPosition";
        case ctl::kDeletePositionEdit: return "deleteFrom";
        case ctl::kDeleteCountEdit: return "deleteCount";
        case ctl::kSerialStartEdit: return "serialStart";
        case ctl::kSerialIncrementEdit: return "serialStep";
        case ctl::kSerialDigitsEdit: return "serialDigits";
        default: return nullptr;
    }
}

}  // namespace tolvane
