#include <QAction>
#include <QGuiApplication>
#include <QToolBar>
#include <QtTest>

#include "WindowFixture.h"
#include "engine/ControlTable.h"
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
};

}  // namespace tolvane

QTEST_MAIN(tolvane::WaylandWindowTest)
#include "WaylandWindowTest.moc"
