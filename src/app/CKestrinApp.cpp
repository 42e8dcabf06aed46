#include "CKestrinApp.h"

#include <QApplication>
#include <QProcess>

#include <unistd.h>

#include <string>
#include <vector>

#include "ApplicationIcon.h"
#include "CKestrinDlg.h"
#include "DialogUnits.h"
#include "InstanceChannel.h"
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

int CKestrinApp::Run(int argc, char** argv, CKestrinDlg::Dialogs dialogs) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    // Desktops match the window to its installed entry (icon, name) by this.
    QGuiApplication::setDesktopFileName(QStringLiteral("tolvane"));
    QApplication::setWindowIcon(ApplicationIcon());
    QApplication::setFont(WindowFont());

    InstanceChannel channel(QStringLiteral("Tolvane"));
    if (!channel.Claim()) {
        // Another copy runs: it raises its window and takes the paths, one by one.
        QByteArrayList arguments;
        for (int i = 1; i < argc; ++i)
            arguments.push_back(QByteArray(argv[i]));
        channel.HandOff(arguments);
        return 0;
    }

    CKestrinDlg::Environment environment;
    environment.dialogs = std::move(dialogs);
    environment.exitNow = [&channel] {
        channel.Release();
        ExitNow();
    };
    // The new copy must find neither lock nor socket of this one.
    environment.restart = [&channel] {
        channel.Release();
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
        ExitNow();
    };
    CKestrinDlg window(environment);
    QObject::connect(&channel, &InstanceChannel::ActivationRequested, &window,
                     &CKestrinDlg::ShowFromOtherCopy);
    QObject::connect(
        &channel, &InstanceChannel::PathReceived, &window, [&window](const QByteArray& path) {
            window.AddOnePath(
                ToWide(std::string_view(path.constData(), static_cast<size_t>(path.size()))));
        });
    window.AddArguments(ArgumentPaths(argc, argv));
    window.show();
    return QApplication::exec();
}

}  // namespace tolvane
