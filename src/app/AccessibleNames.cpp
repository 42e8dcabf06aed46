#include "AccessibleNames.h"

#include <cstdlib>

#include "engine/ControlTable.h"

namespace tolvane {

namespace {

bool HasCaption(const ControlInfo& info) {
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
    if (control == nullptr)
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

}  // namespace tolvane
