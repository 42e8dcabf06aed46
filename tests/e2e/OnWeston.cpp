// on_weston PROGRAM [ARGUMENT...]: runs PROGRAM as a client of a private Wayland
// compositor (see XSession) and ends with its exit status; 1 when the compositor
// cannot start, so that a test meant for Wayland never passes without it.
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <sys/prctl.h>

#include <csignal>
#include <cstdio>

#include "XSession.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fputs("usage: on_weston PROGRAM [ARGUMENT...]\n", stderr);
        return 2;
    }
    qputenv("TOLVANE_TEST_WAYLAND", "1");
    const tolvane::test::XSession session;
    if (!session.Started()) {
        std::fprintf(stderr, "on_weston: %s\n", qPrintable(session.Problem()));
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), session.WaylandSocket());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.setInputChannelMode(QProcess::ForwardedInputChannel);
    // Killed with us (a time-out of ctest), never left running on its own.
    program.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    program.start(arguments.takeFirst(), arguments);
    if (!program.waitForStarted(30000)) {
        std::fprintf(stderr, "on_weston: %s\n", qPrintable(program.errorString()));
        return 1;
    }
    program.waitForFinished(-1);
    if (program.exitStatus() != QProcess::NormalExit) {
        std::fputs("on_weston: the program crashed\n", stderr);
        return 1;
    }
    return program.exitCode();
}
