#include "TolvaneCopy.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include <sys/stat.h>

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
    env.insert(QStringLiteral("DISPLAY"), x.Display());
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
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
    return x_.WaitForWindow(Pid(), QStringLiteral("^Tolvane$"), timeoutMs);
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
    if (file.open(QIODevice::ReadOnly))
        report += "; standard error: " + file.readAll();
    return report;
}

}  // namespace tolvane::test
