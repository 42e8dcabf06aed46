#include "XSession.h"

#include <QProcessEnvironment>

#include "E2eSupport.h"

namespace tolvane::test {

namespace {

// A loaded two-core machine may take this long to bring a server up.
constexpr int kStartTimeoutMs = 30000;
constexpr int kReadSliceMs = 50;

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

XSession::XSession() {
    started_ = StartServer() && StartWindowManager();
}

XSession::~XSession() {
    Stop(windowManager_);
    Stop(server_);
}

bool XSession::StartServer() {
    // -displayfd: the server takes the first free display number and writes it once
    // it accepts connections, so two test runs never race for a number.
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
    return WaitUntil(
        [&] {
            Xdotool({QStringLiteral("windowactivate"), window}, 5000);
            return ActiveWindow() == window;
        },
        kStartTimeoutMs);
}

QString XSession::ActiveWindow() const {
    return Xdotool({QStringLiteral("getactivewindow")}).value_or(QString());
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
