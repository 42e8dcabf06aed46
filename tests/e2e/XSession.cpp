#include "XSession.h"

#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <sys/prctl.h>

#include <csignal>

#include "E2eSupport.h"

namespace tolvane::test {

namespace {

// A loaded two-core machine may take this long to bring a server up.
constexpr int kStartTimeoutMs = 30000;
constexpr int kReadSliceMs = 50;

// A server or compositor outlives a test that was killed (a time-out of ctest) unless
// the system ends it with the test.
void EndWithThisProcess(QProcess& process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

}  // namespace

XSession::XSession() : wayland_(WaylandWanted()) {
    started_ = StartServer() && (wayland_ ? StartCompositor() : StartWindowManager());
}

bool XSession::WaylandWanted() {
    return qEnvironmentVariable("TOLVANE_TEST_WAYLAND") == QLatin1String("1");
}

XSession::~XSession() {
    Stop(windowManager_);
    Stop(server_);
}

bool XSession::StartServer() {
    // -displayfd: the server takes the first free display number and writes it once
    // it accepts connections, so two test runs never race for a number.
    EndWithThisProcess(server_);
    server_.start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp")});
    if (!server_.waitForStarted(kStartTimeoutMs)) {
        problem_ = QStringLiteral("Xvfb cannot start: ") + server_.errorString();
        return false;
    }
    QByteArray out;
    const bool answered = WaitUntil(
        [&] {
            server_.waitForReadyRead(kReadSliceMs);
            out += server_.readAllStandardOutput();
            return out.contains('\n') || server_.state() == QProcess::NotRunning;
        },
        kStartTimeoutMs);
    bool isNumber = false;
    const int number = out.trimmed().toInt(&isNumber);
    if (!answered || !isNumber) {
        problem_ = QStringLiteral("Xvfb did not start a display: ") +
                   QString::fromLocal8Bit(server_.readAllStandardError()).trimmed();
        return false;
    }
    display_ = QStringLiteral(":%1").arg(number);
    return true;
}

bool XSession::StartWindowManager() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    windowManager_.setProcessEnvironment(env);
    EndWithThisProcess(windowManager_);
    windowManager_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!windowManager_.waitForStarted(kStartTimeoutMs)) {
        problem_ = QStringLiteral("openbox cannot start: ") + windowManager_.errorString();
        return false;
    }
    // The manager is in charge once it has published the desktops on the root window.
    const bool ready = WaitUntil(
        [&] {
            const std::optional<QString> desktops = Xdotool({QStringLiteral("get_num_desktops")});
            return (desktops && desktops->toInt() > 0) ||
                   windowManager_.state() == QProcess::NotRunning;
        },
        kStartTimeoutMs);
    if (!ready || windowManager_.state() == QProcess::NotRunning) {
        problem_ = QStringLiteral("openbox did not take over the display: ") +
                   QString::fromLocal8Bit(windowManager_.readAllStandardError()).trimmed();
        return false;
    }
    return true;
}

// The compositor takes the place of the window manager (and its process slot): one
// output, a window of the X server, and a seat whose keyboard is the X keyboard.
bool XSession::StartCompositor() {
    if (!compositorRuntime_.isValid()) {
        problem_ =
            QStringLiteral("no runtime folder for weston: ") + compositorRuntime_.errorString();
        return false;
    }
    const QString log = compositorRuntime_.filePath(QStringLiteral("weston.log"));
    waylandSocket_ = compositorRuntime_.filePath(QStringLiteral("wayland-tolvane"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), compositorRuntime_.path());
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_SOCKET"));
    windowManager_.setProcessEnvironment(env);
    windowManager_.setStandardOutputFile(QProcess::nullDevice());
    windowManager_.setStandardErrorFile(log);
    EndWithThisProcess(windowManager_);
    // Software rendering (no GPU here); never idle, so the screen never locks mid-test.
    windowManager_.start(
        QStringLiteral("weston"),
        {QStringLiteral("--backend=x11-backend.so"), QStringLiteral("--use-pixman"),
         QStringLiteral("--socket=wayland-tolvane"), QStringLiteral("--width=1280"),
         QStringLiteral("--height=1000"), QStringLiteral("--idle-time=0")});
    if (!windowManager_.waitForStarted(kStartTimeoutMs)) {
        problem_ = QStringLiteral("weston cannot start: ") + windowManager_.errorString();
        return false;
    }
    QString output;
    WaitUntil(
        [&] {
            const std::optional<QString> found =
                Xdotool({QStringLiteral("search"), QStringLiteral("--class"),
                         QStringLiteral("^Weston Compositor$")});
            if (found && !found->isEmpty())
                output = found->section(QLatin1Char('\n'), 0, 0);
            return (!output.isEmpty() && QFileInfo::exists(waylandSocket_)) ||
                   windowManager_.state() == QProcess::NotRunning;
        },
        kStartTimeoutMs);
    if (output.isEmpty() || !QFileInfo::exists(waylandSocket_) ||
        windowManager_.state() == QProcess::NotRunning) {
        QFile text(log);
        problem_ =
            QStringLiteral("weston did not come up: ") +
            (text.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(text.readAll().right(2000))
                                            : QString());
        return false;
    }
    compositorWindow_ = output;
    if (!Activate(output)) {
        problem_ = QStringLiteral("weston's window does not take the keyboard");
        return false;
    }
    return true;
}

std::optional<QString> XSession::Xdotool(const QStringList& arguments, int timeoutMs) const {
    QProcess xdotool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    xdotool.setProcessEnvironment(env);
    xdotool.start(QStringLiteral("xdotool"), arguments);
    if (!xdotool.waitForFinished(timeoutMs)) {
        xdotool.kill();
        xdotool.waitForFinished(5000);
        return std::nullopt;
    }
    if (xdotool.exitStatus() != QProcess::NormalExit || xdotool.exitCode() != 0)
        return std::nullopt;
    QString out = QString::fromLocal8Bit(xdotool.readAllStandardOutput());
    while (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out;
}

QString XSession::WaitForWindow(qint64 pid, const QString& title, int timeoutMs) const {
    QString window;
    WaitUntil(
        [&] {
            // --all: every condition must hold (xdotool's default is any of them).
            const std::optional<QString> found = Xdotool(
                {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"), title});
            if (found && !found->isEmpty())
                window = found->section(QLatin1Char('\n'), 0, 0);
            return !window.isEmpty();
        },
        timeoutMs);
    return window;
}

bool XSession::Activate(const QString& window) const {
    // Without a window manager the keyboard goes where the focus is set.
    const QString verb =
        wayland_ ? QStringLiteral("windowfocus") : QStringLiteral("windowactivate");
    return WaitUntil(
        [&] {
            Xdotool({verb, window}, 5000);
            return ActiveWindow() == window;
        },
        kStartTimeoutMs);
}

QString XSession::ActiveWindow() const {
    return Xdotool(
               {wayland_ ? QStringLiteral("getwindowfocus") : QStringLiteral("getactivewindow")})
        .value_or(QString());
}

bool XSession::Type(const QString& text) const {
    return Xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text},
                   60000)
        .has_value();
}

bool XSession::Key(const QString& keys) const {
    return Xdotool({QStringLiteral("key"), keys}).has_value();
}

}  // namespace tolvane::test
