#include "CKestrinApp.h"

#include <QApplication>
#include <QProcess>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ApplicationIcon.h"
#include "CKestrinDlg.h"
#include "CommandLinePaths.h"
#include "DialogUnits.h"
#include "InstanceChannel.h"
#include "engine/TextConvert.h"

namespace tolvane {

namespace {

[[noreturn]] void ExitNow() {
    ::_exit(0);
}

// The paths of the command line as the system names them: bytes, so that a name
// that is not UTF-8 is found again, and relative to the folder the program was
// started in. Paths where nothing is are left out.
std::vector<std::wstring> ArgumentPaths(int argc, char** argv) {
    std::vector<std::wstring> paths;
    for (const std::string& argument : PathArguments(argc, argv)) {
        std::wstring path = ResolveGivenPath(argument);
        if (!path.empty())
            paths.push_back(std::move(path));
    }
    return paths;
}

QByteArray Bytes(const std::wstring& path) {
    return QByteArray::fromStdString(ToNarrow(path));
}

}  // namespace

int CKestrinApp::Run(int argc, char** argv, CKestrinDlg::Dialogs dialogs) {
    // Qt takes options such as -platform or -reverse from the arguments it is given,
    // and every argument here names a file: Qt sees the program's name alone. Its
    // settings still come from the environment (QT_QPA_PLATFORM and the like).
    char fallbackName[] = "tolvane";
    char* qtArguments[] = {argc > 0 ? argv[0] : fallbackName, nullptr};
    int qtCount = 1;
    QApplication app(qtCount, qtArguments);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    // Desktops match the window to its installed entry (icon, name) by this.
    QGuiApplication::setDesktopFileName(QStringLiteral("tolvane"));
    QApplication::setWindowIcon(ApplicationIcon());
    QApplication::setFont(WindowFont());

    // Resolved here, against this copy's working folder, also when they are handed to
    // the running copy: that one has a folder of its own.
    std::vector<std::wstring> paths = ArgumentPaths(argc, argv);
    InstanceChannel channel(QStringLiteral("Tolvane"));
    if (!channel.Claim()) {
        // Another copy runs: it raises its window and takes the paths, one by one.
        QByteArrayList arguments;
        for (const std::wstring& path : paths)
            arguments.push_back(Bytes(path));
        qsizetype delivered = 0;
        if (channel.HandOff(arguments, 5000, &delivered))
            return 0;
        // Nothing handed over may be lost: what the running copy did not take, this
        // copy lists in a window of its own.
        std::fputs(
            "Tolvane: the running window did not answer; opening another window "
            "with the paths it did not take.\n",
            stderr);
        paths.erase(paths.begin(), paths.begin() + delivered);
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
        &channel, &InstanceChannel::PathReceived, &window, [&window](const QByteArray& given) {
            const std::wstring path = ResolveGivenPath(
                std::string_view(given.constData(), static_cast<size_t>(given.size())));
            if (!path.empty())
                window.AddOnePath(path);
        });
    window.AddArguments(paths);
    window.show();
    return QApplication::exec();
}

}  // namespace tolvane
