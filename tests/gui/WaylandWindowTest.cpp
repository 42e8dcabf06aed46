#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QToolBar>
#include <QUrl>
#include <QtTest>

#include "WindowFixture.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "app/PathListActions.h"
#include "engine/ControlTable.h"
#include "filelist/ColumnLayout.h"
#include "settings/MenuTable.h"

namespace tolvane {

using test::WindowFixture;

// The window as a native Wayland client (run by on_weston, never offscreen): what the
// platform leaves to the compositor is said, not pretended.
class WaylandWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland")); }

    // No Wayland protocol lets a client keep itself above others: Ctrl+T and the pin
    // say where the desktop offers it, and nothing claims the window is on top.
    void OnTopIsLeftToTheDesktop_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("notice");
        QTest::newRow("Chinese") << 2052 << QStringLiteral("Wayland 下只有桌面能置顶窗口");
        QTest::newRow("English") << 1033 << QStringLiteral("Under Wayland only the desktop");
    }
    void OnTopIsLeftToTheDesktop() {
        QFETCH(int, language);
        QFETCH(QString, notice);
        WindowFixture f;
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nshowToolbar=1\n"));
        CKestrinDlg& window = f.Open(language);
        auto* pin = window.findChild<QAction*>(QStringLiteral("toolbar%1").arg(cmd::kAlwaysOnTop));
        QVERIFY(pin != nullptr);
        const QString tip = pin->toolTip();
        for (int press = 0; press < 2; ++press) {
            if (press == 0)
                pin->trigger();
            else
                test::PressKey(f.Control(ctl::kInsertText), Qt::Key_T, Qt::ControlModifier);
            QVERIFY2(f.StatusLine().startsWith(notice), qPrintable(f.StatusLine()));
            QVERIFY(!window.AlwaysOnTop());
            QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QCOMPARE(pin->toolTip(), tip);
            QVERIFY(window.isVisible());
        }
    }

    // F7 with the clipboard held by another program: read while it delivers; once it
    // never does, given up with a word on the status line, and the window goes on.
    // (One holder for both: the first to take the clipboard here is the only one that can.)
    void F7GivesUpOnASilentClipboardOwner() {
        WindowFixture f;
        f.Open(1033);
        const QString file = QString::fromStdString(f.MakeFile("held.txt").string());
        QProcess holder;
        holder.start(QStringLiteral(TOLVANE_CLIPBOARD_HOLDER),
                     {QUrl::fromLocalFile(file).toString() + QStringLiteral("\r\n")});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("holding"));
        // The offer's formats come with it, from the compositor, without asking the owner.
        QTRY_VERIFY(QGuiApplication::clipboard()->mimeData() != nullptr &&
                    QGuiApplication::clipboard()->mimeData()->hasFormat(
                        QStringLiteral("application/x-tolvane-holder")));

        QSignalSpy imported(&f.Window().PathLists(), &PathListActions::Imported);
        test::PressKey(f.Window().Panel().ListView(), Qt::Key_F7);
        QVERIFY(imported.wait(10000));
        test::WaitForPreviewIdle(f.Window());
        QCOMPARE(f.Column(ColumnLayout::kName), QStringList{"held.txt"});
        QVERIFY(!f.StatusLine().startsWith(QStringLiteral("The program holding")));

        holder.write("silent\n");
        QVERIFY(holder.waitForBytesWritten());
        // Qt keeps what it read of an offer: a window that takes the keyboard anew is
        // offered the clipboard anew.
        f.Open(1033);
        QTRY_VERIFY(QGuiApplication::clipboard()->mimeData() != nullptr &&
                    QGuiApplication::clipboard()->mimeData()->hasFormat(
                        QStringLiteral("application/x-tolvane-holder")));
        f.MakeFile("a.txt");
        f.AddFiles({"a.txt"});
        test::PressKey(f.Window().Panel().ListView(), Qt::Key_F7);
        QVERIFY2(f.StatusLine().startsWith(QStringLiteral("The program holding the clipboard")),
                 qPrintable(f.StatusLine()));
        QCOMPARE(f.Column(ColumnLayout::kName), QStringList{"a.txt"});
        // Still answering: a prefix typed now shows in the new names.
        test::PreviewWaiter waiter(f.Window());
        test::TypeText(f.Combo(ctl::kInsertText), QStringLiteral("x_"));
        QVERIFY(waiter.Wait());
        QCOMPARE(f.Column(ColumnLayout::kNewName), QStringList{"x_a.txt"});
        holder.kill();
        holder.waitForFinished();
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::WaylandWindowTest)
#include "WaylandWindowTest.moc"
