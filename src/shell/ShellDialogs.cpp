#include "ShellDialogs.h"

#include <QCoreApplication>
#include <QFile>

#include "ProfileFiles.h"
#include "app/CommandTable.h"
#include "engine/Clock.h"
#include "settings/MenuTable.h"

namespace tolvane {

SetDlg::Environment SettingsEnvironment(CKestrinDlg& window) {
    SetDlg::Environment environment;
    environment.paths = window.Env().paths;
    environment.systemLanguageId = window.Env().systemLanguageId;
    environment.menus =
        FileManagerMenus(QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString(),
                         XdgFolder("XDG_DATA_HOME", ".local/share"));
    environment.showToolbar = [&window](bool shown) { window.ShowToolbar(shown); };
    environment.shortenHistories = [&window](int count) { window.ShortenInputHistories(count); };
    // Through the window's own command, which stores a pending window size first.
    environment.restart = [&window] { window.Commands().Run(cmd::kRestart); };
    return environment;
}

CKestrinDlg::Dialogs ShellDialogs() {
    CKestrinDlg::Dialogs dialogs;
    dialogs.settings = [](CKestrinDlg& window) {
        SetDlg dialog(SettingsEnvironment(window), &window);
        dialog.exec();
    };
    dialogs.exportProfile = [](CKestrinDlg& window) {
        const SystemClock clock;
        ProfileFiles(window, clock).Export();
    };
    dialogs.importProfile = [](CKestrinDlg& window) {
        const SystemClock clock;
        ProfileFiles(window, clock).Import();
    };
    return dialogs;
}

}  // namespace tolvane
