#pragma once

#include <span>
#include <string>

#include "engine/ControlTable.h"

namespace tolvane {

// The controls of the settings dialog, in tab order, with their built-in texts.
std::span<const ControlInfo> SettingsDialogControls();

// The language key of a settings-dialog control. Ids that the main window also
// uses (1032, 1088) get a key of their own, "set" + id, so that one language file
// can give each dialog its right text; a file without that key still gives both
// the text of the plain id.
std::wstring SettingsDialogTextKey(int id);
bool IsSharedWithMainWindow(int id);

}  // namespace tolvane
