#pragma once

#include "app/CKestrinDlg.h"
#include "shell/SetDlg.h"

namespace tolvane {

// The window's commands that this library carries out: the settings dialog (Alt+S),
// exporting (Alt+O) and importing (Alt+I) a rename configuration.
CKestrinDlg::Dialogs ShellDialogs();

// The settings dialog's view of `window`: its files, its language, the file managers'
// menus for this program, and the window's toolbar, histories and restart.
SetDlg::Environment SettingsEnvironment(CKestrinDlg& window);

}  // namespace tolvane
