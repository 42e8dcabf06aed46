// Two real copies of the program: a later one hands its paths to the running one and
// ends. What the running copy received is read from the disk: its options number the
// items in list order (the last options, loaded at start), and Ctrl+F2 renames them.
#include <QFile>
#include <QtTest>

#include <memory>

#include "E2eSupport.h"
#include "TestSupport.h"
#include "TolvaneCopy.h"
#include "XSession.h"

namespace tolvane::test {

namespace {

constexpr int kTimeoutMs = 60000;
const std::string kCli = TOLVANE_CLI;

// Settings of a user who has the window start with the options of the last pass, and
// whose last pass numbered the items: "<#>_<name>", from 1. The section is what the
// command-line front end saves for these options, so it holds every control.
bool WriteNumberingSettings(const std::filesystem::path& home) {
    const std::filesystem::path profile = home / "numbering.ini";
    const ProcessResult saved = RunProcess(
        kCli, {"--set", "1060=1", "--set", "1068=<#>_<name>", "--save-profile", profile.string()});
    QFile file(QString::fromStdString(profile.string()));
    if (saved.status != 0 || !file.open(QIODevice::ReadOnly))
        return false;
    QByteArray options = file.readAll();
    if (!options.startsWith("[set]"))
        return false;
    options.replace(0, 5, "[lastSet]");
    QFile settings(TolvaneCopy::SettingsFile(QPath(home)));
    return settings.open(QIODevice::WriteOnly) &&
           settings.write(
               "[set]\nisFirstRun=1\nremindCount=0\nshowToolbar=0\n"
               "loadLastSet=1\nhasLastSet=1\nrefreshFile=0\n" +
               options) > 0;
}

}  // namespace

class HandOffTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        x_ = std::make_unique<XSession>();
        if (!x_->Started())
            QSKIP(
                qPrintable(QStringLiteral("no X server to run the program in: ") + x_->Problem()));
    }

    void init() {
        home_ = std::make_unique<TempDir>();
        work_ = std::make_unique<TempDir>();
        QVERIFY(TolvaneCopy::PrepareHome(QPath(home_->Path())));
        QVERIFY(WriteNumberingSettings(home_->Path()));
        for (const char* name : {"a", "b", "c", "d"})
            work_->File(name, name);
    }

    void HandsPathsToTheRunningCopyInOrder() {
        TolvaneCopy first(*x_, Home(), {}, Work());
        const QString window = first.WaitForWindow(kTimeoutMs);
        QVERIFY2(!window.isEmpty(), first.Report().constData());

        // Not in name order, relative and absolute; the empty argument would name the
        // working folder (and so add "d") if it were sent.
        TolvaneCopy second(
            *x_, Home(),
            {QStringLiteral("c"), QString(), Work() + QStringLiteral("/a"), QStringLiteral("b")},
            Work());
        QCOMPARE(second.WaitForExit(kTimeoutMs), 0);
        QCOMPARE(first.Process().state(), QProcess::Running);

        QVERIFY(x_->Activate(window));
        QVERIFY(x_->Key(QStringLiteral("ctrl+F2")));
        const QByteArrayList numbered = {"1_c", "2_a", "3_b", "d"};
        QCOMPARE(WaitForNames(work_->Path(), numbered, kTimeoutMs), Sorted(numbered));
    }

    void RecoversTheLockOfAKilledCopy() {
        {
            TolvaneCopy crashed(*x_, Home(), {}, Work());
            QVERIFY2(!crashed.WaitForWindow(kTimeoutMs).isEmpty(), crashed.Report().constData());
            crashed.Process().kill();  // SIGKILL: lock and socket stay behind
            QVERIFY(crashed.Process().waitForFinished(kTimeoutMs));
        }
        QVERIFY(QFile::exists(Home() + QStringLiteral("/run/Tolvane.lock")));

        // The next start is the running copy: it shows its window and stays.
        TolvaneCopy next(*x_, Home(), {Work() + QStringLiteral("/b")}, Work());
        const QString window = next.WaitForWindow(kTimeoutMs);
        QVERIFY2(!window.isEmpty(), next.Report().constData());
        TolvaneCopy later(*x_, Home(), {QStringLiteral("d")}, Work());
        QCOMPARE(later.WaitForExit(kTimeoutMs), 0);
        QCOMPARE(next.Process().state(), QProcess::Running);

        QVERIFY(x_->Activate(window));
        QVERIFY(x_->Key(QStringLiteral("ctrl+F2")));
        const QByteArrayList numbered = {"a", "1_b", "c", "2_d"};
        QCOMPARE(WaitForNames(work_->Path(), numbered, kTimeoutMs), Sorted(numbered));
    }

  private:
    QString Home() const { return QPath(home_->Path()); }
    QString Work() const { return QPath(work_->Path()); }

    std::unique_ptr<XSession> x_;
    std::unique_ptr<TempDir> home_;
    std::unique_ptr<TempDir> work_;
};

}  // namespace tolvane::test

QTEST_GUILESS_MAIN(tolvane::test::HandOffTest)
#include "HandOffTest.moc"
