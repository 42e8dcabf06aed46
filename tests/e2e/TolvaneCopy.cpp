#include "TolvaneCopy.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <sys/stat.h>

#include "E2eSupport.h"
#include "XSession.h"

namespace tolvane::test {

namespace {

const QString kProgram = QStringLiteral(TOLVANE_PROGRAM);

QString RuntimeFolder(const QString& home) {
    return home + QStringLiteral("/run");
}

}  // namespace

TolvaneCopy::TolvaneCopy(const XSession& x, const QString& home, const QStringList& arguments,
                         const QString& workingFolder)
    : x_(x) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (x.Wayland()) {
        // A client of the compositor only: no X server to fall back on. The protocol
        // log tells when a window of the copy has the keyboard.
        env.remove(QStringLiteral("DISPLAY"));
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), x.WaylandSocket());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("client"));
    } else {
        env.insert(QStringLiteral("DISPLAY"), x.Display());
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeFolder(home));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/state"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(workingFolder);
    // Into files, not pipes: a copy must never block on output that nobody reads while
    // the test polls.
    static int serial = 0;
    errorFile_ = home + QStringLiteral("/tolvane-%1.err").arg(++serial);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(errorFile_);
    process_.start(kProgram, arguments);
    process_.waitForStarted(30000);
}

TolvaneCopy::~TolvaneCopy() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

bool TolvaneCopy::PrepareHome(const QString& home) {
    const QDir dir(home);
    if (!dir.mkpath(QStringLiteral("config/tolvane")) || !dir.mkpath(QStringLiteral("state")) ||
        !dir.mkpath(QStringLiteral("run")))
        return false;
    return ::chmod(QFile::encodeName(RuntimeFolder(home)).constData(), 0700) == 0;
}

QString TolvaneCopy::SettingsFile(const QString& home) {
    return home + QStringLiteral("/config/tolvane/Tolvane.ini");
}

QString TolvaneCopy::WaitForWindow(int timeoutMs) {
    if (!x_.Wayland())
        return x_.WaitForWindow(Pid(), QStringLiteral("^Tolvane$"), timeoutMs);
    // A Wayland client cannot be told apart on the X server; its window is there once
    // the compositor has given it the keyboard, and keys then go through the
    // compositor's window.
    const bool focused = WaitUntil([&] { return KeyboardOnMainWindow() == 1; }, timeoutMs);
    return focused && process_.state() == QProcess::Running ? x_.CompositorWindow() : QString();
}

bool TolvaneCopy::WaitForOtherWindowFocused(const QString& window, int timeoutMs) {
    if (!x_.Wayland()) {
        return WaitUntil(
            [&] {
                const QString active = x_.ActiveWindow();
                return !active.isEmpty() && active != window;
            },
            timeoutMs);
    }
    return WaitUntil([&] { return KeyboardOnMainWindow() == 0; }, timeoutMs);
}

bool TolvaneCopy::Activate(const QString& window, int timeoutMs) {
    return x_.Activate(window) &&
           (!x_.Wayland() || WaitUntil([&] { return KeyboardOnMainWindow() == 1; }, timeoutMs));
}

int TolvaneCopy::KeyboardOnMainWindow() const {
    // Every window shares the compositor's: the protocol log names the surface that
    // got the keyboard, the main window's first, and a leave with the keyboard nowhere.
    const QRegularExpression focus(
        QStringLiteral(
            "^\\[[ 0-9.]+\\] wl_keyboard@\\d+\\.(enter|leave)\\(\\d+, (wl_surface@\\d+|nil)"),
        QRegularExpression::MultilineOption);
    QFile log(errorFile_);
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    QString main, last;
    bool entered = false;
    for (const QRegularExpressionMatch& match :
         focus.globalMatch(QString::fromLocal8Bit(log.readAll()))) {
        entered = match.captured(1) == QLatin1String("enter");
        last = match.captured(2);
        if (entered && main.isEmpty())
            main = last;
    }
    if (!entered)
        return -1;
    return last == main ? 1 : 0;
}

int TolvaneCopy::WaitForExit(int timeoutMs) {
    if (!process_.waitForFinished(timeoutMs) || process_.exitStatus() != QProcess::NormalExit)
        return -1;
    return process_.exitCode();
}

QByteArray TolvaneCopy::Report() {
    process_.waitForFinished(0);  // takes note of an end that has already happened
    QByteArray report;
    if (process_.state() != QProcess::NotRunning)
        report = "still running";
    else if (process_.exitStatus() == QProcess::CrashExit)
        report = "crashed";
    else
        report = "ended with status " + QByteArray::number(process_.exitCode());
    QFile file(errorFile_);
    if (file.open(QIODevice::ReadOnly)) {
        report += "; standard error: ";
        // Without the Wayland protocol log: its lines start with a time stamp.
        const QRegularExpression protocol(QStringLiteral("^\\[[ 0-9.]+\\] "));
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty() && !protocol.match(QString::fromLocal8Bit(line)).hasMatch())
                report += line + '\n';
        }
    }
    return report;
}

}  // namespace tolvane::test
