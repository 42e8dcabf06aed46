// Two real copies of the program: a later one hands its paths to the running one and
// ends. What the running copy received is read from the disk: its options number the
// items in list order (the last options, loaded at start), and Ctrl+F2 renames them.
#include <QFile>
#include <QtTest>

#include <signal.h>

#include <filesystem>
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

    // A later copy resolves its paths where it was started and sends each as it names
    // a file: blanks at the ends kept where such a file exists, dropped only where it
    // does not; "./", ".." and links resolved, so a file already listed stays one row.
    void HandsPathsOverAsTheyNameFiles() {
        work_->File("a ", "a with a blank");
        work_->Folder("sub");
        work_->File("real/x", "x");
        std::filesystem::create_directory_symlink(work_->Path() / "real", work_->Path() / "link");
        TolvaneCopy first(*x_, Home(), {Work() + QStringLiteral("/real/x")}, Work());
        const QString window = first.WaitForWindow(kTimeoutMs);
        QVERIFY2(!window.isEmpty(), first.Report().constData());

        TolvaneCopy second(
            *x_, Home(),
            {Work() + QStringLiteral("/a "), QStringLiteral("./b"), QStringLiteral("sub/../c"),
             QStringLiteral("link/x"), QStringLiteral("  d\t")},
            Work());
        QVERIFY2(second.WaitForExit(kTimeoutMs) == 0, second.Report().constData());

        QVERIFY(x_->Activate(window));
        QVERIFY(x_->Key(QStringLiteral("ctrl+F2")));
        // "a " was the one listed: "a" stays (the new name loses its trailing blank, as
        // every new name does).
        const QByteArrayList numbered = {"a", "2_a", "3_b", "4_c", "5_d", "link", "real", "sub"};
        QCOMPARE(WaitForNames(work_->Path(), numbered, kTimeoutMs), Sorted(numbered));
        QCOMPARE(WaitForNames(work_->Path() / "real", {"1_x"}, kTimeoutMs), QByteArrayList{"1_x"});
    }

    // Names that Qt would take as its own options are files like any other; after "--"
    // even a name that starts with '-' is one, and "--" itself is left out.
    void TakesEveryArgumentAsAPath() {
        const QStringList names = {QStringLiteral("-platform"), QStringLiteral("x.jpg"),
                                   QStringLiteral("-reverse"),  QStringLiteral("-style"),
                                   QStringLiteral("y.jpg"),     QStringLiteral("-session"),
                                   QStringLiteral("--"),        QStringLiteral("-b")};
        for (const QString& name : names) {
            if (name != QLatin1String("--"))
                work_->File(name.toStdString(), "x");
        }
        TolvaneCopy first(*x_, Home(), names, Work());
        const QString window = first.WaitForWindow(kTimeoutMs);
        QVERIFY2(!window.isEmpty(), first.Report().constData());
        QVERIFY(x_->Activate(window));
        QVERIFY(x_->Key(QStringLiteral("ctrl+F2")));
        const QByteArrayList numbered = {"1_-platform", "2_x.jpg",    "3_-reverse", "4_-style",
                                         "5_y.jpg",     "6_-session", "7_-b",       "a",
                                         "b",           "c",          "d"};
        QCOMPARE(WaitForNames(work_->Path(), numbered, kTimeoutMs), Sorted(numbered));
    }

    // A running copy that does not answer (here: stopped) takes nothing, so the later
    // copy says so and lists its paths in a window of its own.
    void OpensItsOwnWindowWhenTheRunningOneDoesNotAnswer() {
        TolvaneCopy first(*x_, Home(), {}, Work());
        QVERIFY2(!first.WaitForWindow(kTimeoutMs).isEmpty(), first.Report().constData());
        QCOMPARE(::kill(pid_t(first.Pid()), SIGSTOP), 0);

        TolvaneCopy second(*x_, Home(), {QStringLiteral("b")}, Work());
        const QString window = second.WaitForWindow(kTimeoutMs);
        // Woken, the first window would raise itself for the hand-off it missed and take
        // the keys meant for the second: it is ended instead.
        first.Process().kill();
        QVERIFY(first.Process().waitForFinished(kTimeoutMs));
        QVERIFY2(!window.isEmpty(), second.Report().constData());
        QVERIFY2(second.Report().contains("did not answer"), second.Report().constData());

        QVERIFY(x_->Activate(window));
        QVERIFY(x_->Key(QStringLiteral("ctrl+F2")));
        const QByteArrayList numbered = {"a", "1_b", "c", "d"};
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
