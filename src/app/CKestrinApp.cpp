#include "CKestrinApp.h"

#include <QApplication>
#include <QProcess>

#include <unistd.h>

#include <string>
#include <vector>

#include "CKestrinDlg.h"
#include "DialogUnits.h"
#include "engine/TextConvert.h"
#include "filelist/PathResolver.h"

namespace tolvane {

namespace {

[[noreturn]] void ExitNow() {
    ::_exit(0);
}

// The paths of the command line as the system names them: bytes, so that a name
// that is not UTF-8 is found again, and relative to the folder the program was
// started in. Empty arguments and paths where nothing is are left out.
std::vector<std::wstring> ArgumentPaths(int argc, char** argv) {
    std::vector<std::wstring> paths;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '\0')
            continue;
        const std::wstring path = ResolveArgumentPath(argv[i]);
        if (!path.empty())
            paths.push_back(path);
    }
    return paths;
}

}  // namespace

int CKestrinApp::Run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QApplication::setFont(WindowFont());
    const std::vector<std::wstring> paths = ArgumentPaths(argc, argv);

    CKestrinDlg::Environment environment;
    environment.exitNow = [] { ExitNow(); };
    environment.restart = [] {
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
        ExitNow();
    };
    CKestrinDlg window(environment);
    window.AddArguments(paths);
    window.show();
    return QApplication::exec();
}

}  // namespace tolvane
