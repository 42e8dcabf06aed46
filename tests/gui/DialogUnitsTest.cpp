#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QtTest>

#include "app/DialogUnits.h"

namespace tolvane {

class DialogUnitsTest : public QObject {
    Q_OBJECT

  private slots:
    void RoundsHalfAwayFromZeroAsTheOriginalPlatform() {
        // Base units 7 x 16 (a 9-point font on the original platform): the control
        // table's x 95 is 166.25 pixels -> 166, y 21 is 42 -> 42, width 57 is 99.75 -> 100.
        const DialogUnits units(7, 16);
        QCOMPARE(units.Rect(95, 21, 57, 10), QRect(166, 42, 100, 20));
        QCOMPARE(units.X(2), 4);  // 3.5 rounds up
        QCOMPARE(units.X(-2), -4);
        QCOMPARE(units.Y(3), 6);
    }

    void GrowsWithTheFont() {
        QFont small = WindowFont();
        QFont large = small;
        large.setPointSizeF(small.pointSizeF() * 1.5);
        const DialogUnits a(small), b(large);
        QVERIFY(a.BaseX() > 0 && a.BaseY() > 0);
        QVERIFY(b.X(474) > a.X(474));
        QVERIFY(b.Y(381) > a.Y(381));
        QCOMPARE(a.BaseY(), QFontMetrics(small).height());
    }

    void WindowFontIsAtLeastNinePoints() {
        QFont tiny = QApplication::font();
        tiny.setPointSizeF(6);
        QApplication::setFont(tiny);
        QVERIFY(WindowFont().pointSizeF() >= 9);
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::DialogUnitsTest)
#include "DialogUnitsTest.moc"
