#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include "WindowFixture.h"
#include "app/OptionPanel.h"
#include "engine/ControlTable.h"
#include "filelist/ColumnLayout.h"

namespace tolvane {

using test::CommitText;
using test::PressKey;
using test::TypeText;
using test::WindowFixture;

// What typing and clicking does to the option controls: which characters the fields
// take, how the number fields step, which controls are enabled.
class OptionInputTest : public QObject {
    Q_OBJECT

  private:
    static QString Text(const WindowFixture& f, int id) {
        return QString::fromStdWString(f.Window().Panel().Text(id));
    }

    static QToolButton* Arrow(const WindowFixture& f, int spinId, Qt::ArrowType type) {
        for (QToolButton* button : f.Control(spinId)->findChildren<QToolButton*>()) {
            if (button->arrowType() == type)
                return button;
        }
        return nullptr;
    }

    // Presses `key` until the field stops changing; the field's last text.
    static QString StepToTheEnd(QWidget* field, Qt::Key key) {
        auto* edit = qobject_cast<QLineEdit*>(field);
        QString before;
        for (int i = 0; i < 300 && before != edit->text(); ++i) {
            before = edit->text();
            PressKey(field, key);
        }
        return edit->text();
    }

  private slots:
    void NumberFieldsTakeDigitsOnly_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("spin");
        QTest::addColumn<int>("enabledBy");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::newRow("insert position") << 1083 << 1085 << 1082 << -100 << 100;
        QTest::newRow("delete position") << 1050 << 1049 << 1099 << 0 << 100;
        QTest::newRow("delete count") << 1052 << 1051 << 0 << 0 << 100;
        QTest::newRow("serial start") << 1062 << 1061 << 1060 << 0 << 100;
        QTest::newRow("serial increment") << 1064 << 1063 << 1060 << 1 << 100;
        QTest::newRow("serial digits") << 1067 << 1066 << 1060 << 1 << 100;
    }
    void NumberFieldsTakeDigitsOnly() {
        QFETCH(int, field);
        QFETCH(int, spin);
        QFETCH(int, enabledBy);
        QFETCH(int, min);
        QFETCH(int, max);
        WindowFixture f;
        f.Open();
        if (enabledBy != 0 && !f.Window().Panel().Checked(enabledBy))
            QTest::mouseClick(f.Control(enabledBy), Qt::LeftButton);
        QWidget* edit = f.Control(field);
        QVERIFY(edit->isEnabled());
        const QString start = Text(f, field);
        PressKey(edit, Qt::Key_End);
        TypeText(edit, QStringLiteral("a-Z +.,"));
        QCOMPARE(Text(f, field), start);
        PressKey(edit, Qt::Key_Backspace);
        QCOMPARE(Text(f, field), start);
        TypeText(edit, QStringLiteral("五٣"));  // digits of other scripts are no digits here
        QCOMPARE(Text(f, field), start);
        TypeText(edit, QStringLiteral("2"));
        QCOMPARE(Text(f, field), start + QStringLiteral("2"));
        PressKey(edit, Qt::Key_Home);
        PressKey(edit, Qt::Key_Delete);
        QCOMPARE(Text(f, field), QStringLiteral("2"));
        CommitText(edit, QStringLiteral("x7-"));
        QCOMPARE(Text(f, field), QStringLiteral("72"));

        // Up and Down step within the range and stop at its ends.
        QCOMPARE(StepToTheEnd(edit, Qt::Key_Up), QString::number(max));
        QCOMPARE(StepToTheEnd(edit, Qt::Key_Down), QString::number(min));
        // So do the arrows beside the field.
        QToolButton* up = Arrow(f, spin, Qt::UpArrow);
        QToolButton* down = Arrow(f, spin, Qt::DownArrow);
        QVERIFY(up && down && up->isVisible() && down->isVisible());
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(Text(f, field), QString::number(min));
        QTest::mouseClick(up, Qt::LeftButton);
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(Text(f, field), QString::number(min + 2));
        // Selecting the text and typing replaces it; shortcuts still work.
        PressKey(edit, Qt::Key_A, Qt::ControlModifier);
        TypeText(edit, QStringLiteral("15"));
        QCOMPARE(Text(f, field), QStringLiteral("15"));
    }

    // A number past what a field can mean shows as the number the names use, whether
    // typed, pasted in by an input method or set by a profile.
    void NumberFieldsShowTheNumberUsed_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("newName");  // of "a.txt", serial numbers on
        QTest::newRow("serial start")
            << 1062 << QStringLiteral("99999999999999999999") << QStringLiteral("2147483647")
            << QStringLiteral("2147483647.txt");
        QTest::newRow("delete count") << 1052 << QStringLiteral("2147483648")
                                      << QStringLiteral("2147483647") << QStringLiteral("1.txt");
        QTest::newRow("serial digits") << 1067 << QStringLiteral("300") << QStringLiteral("255")
                                       << QString(254, u'0') + QStringLiteral("1.txt");
        QTest::newRow("within range") << 1064 << QStringLiteral("2147483647")
                                      << QStringLiteral("2147483647") << QStringLiteral("1.txt");
    }
    void NumberFieldsShowTheNumberUsed() {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, newName);
        WindowFixture f;
        f.Open();
        f.MakeFile("a.txt");
        f.AddFiles({QStringLiteral("a.txt")});
        OptionPanel& panel = f.Window().Panel();
        if (!panel.Checked(ctl::kSerialEnabled))
            QTest::mouseClick(f.Control(ctl::kSerialEnabled), Qt::LeftButton);
        QWidget* edit = f.Control(field);
        PressKey(edit, Qt::Key_A, Qt::ControlModifier);
        TypeText(edit, typed);
        QCOMPARE(Text(f, field), shown);
        test::WaitForPreviewIdle(f.Window());
        QCOMPARE(QString::fromStdWString(f.Window().List().Row(0).newName), newName);

        PressKey(edit, Qt::Key_A, Qt::ControlModifier);
        CommitText(edit, typed);
        QCOMPARE(Text(f, field), shown);
        panel.SetText(field, typed.toStdWString());
        QCOMPARE(Text(f, field), shown);
        // The arrows step back into their range from there, never round to its other end.
        PressKey(edit, Qt::Key_Up);
        QCOMPARE(Text(f, field), QStringLiteral("100"));
    }

    // The template box takes the angle brackets of its tokens ("<#>_<name>" is how a
    // template is written); the other name boxes drop them with the other seven.
    void NameBoxesDropForbiddenCharacters_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typedKept");
        QTest::addColumn<QString>("committedKept");
        QTest::newRow("insert text")
            << ctl::kInsertText << QStringLiteral("abcdefghij\"k") << QStringLiteral("照片2024");
        QTest::newRow("replacement")
            << ctl::kReplaceText << QStringLiteral("abcdefghij\"k") << QStringLiteral("照片2024");
        QTest::newRow("template") << ctl::kTemplateText << QStringLiteral("abcdefg<h>ij\"k")
                                  << QStringLiteral("照片<2024>");
    }
    void NameBoxesDropForbiddenCharacters() {
        QFETCH(int, box);
        QFETCH(QString, typedKept);
        QFETCH(QString, committedKept);
        WindowFixture f;
        f.Open();
        QComboBox* combo = f.Combo(box);
        TypeText(combo, QStringLiteral("a/b\\c:d*e?f'g<h>i|j\"k"));
        QCOMPARE(Text(f, box), typedKept);
        // Chinese, one character to a key, as most input methods deliver it.
        combo->setEditText({});
        TypeText(combo, QStringLiteral("文件/名|称"));
        QCOMPARE(Text(f, box), QStringLiteral("文件名称"));
        // A key that carries several characters keeps the allowed ones.
        combo->setEditText({});
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown,
                            QStringLiteral("中:文"), Qt::NoModifier);
        QCOMPARE(Text(f, box), QStringLiteral("中文"));
        // Text committed by an input method.
        combo->setEditText({});
        CommitText(combo, QStringLiteral("照片<2024>"));
        QCOMPARE(Text(f, box), committedKept);
        CommitText(combo, QStringLiteral("？＊"));  // full-width forms are ordinary characters
        QCOMPARE(Text(f, box), committedKept + QStringLiteral("？＊"));
    }

    void ATemplateTypedByHandNamesTheFiles() {
        WindowFixture f;
        f.Open();
        f.MakeFile("a.txt");
        f.AddFiles({QStringLiteral("a.txt")});
        test::PreviewWaiter waiter(f.Window());
        TypeText(f.Combo(ctl::kTemplateText), QStringLiteral("<#>_<name>"));
        QVERIFY(waiter.Wait());
        QCOMPARE(QString::fromStdWString(f.Window().List().Row(0).newName),
                 QStringLiteral("01_a.txt"));
    }

    void OtherBoxesTakeEveryCharacter() {
        WindowFixture f;
        f.Open();
        TypeText(f.Combo(ctl::kFindText), QStringLiteral("(\\d+)|x*?"));
        QCOMPARE(Text(f, ctl::kFindText), QStringLiteral("(\\d+)|x*?"));
        QTest::mouseClick(f.Control(ctl::kDeleteAtLocator), Qt::LeftButton);
        TypeText(f.Combo(ctl::kLocatorText), QStringLiteral("a:b"));
        QCOMPARE(Text(f, ctl::kLocatorText), QStringLiteral("a:b"));
    }

    void DependentControlsFollowTheirButton_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("otherButton");
        QTest::addColumn<QList<int>>("dependents");
        QTest::newRow("insert at position")
            << ctl::kInsertAtPosition << ctl::kInsertPrefix << QList<int>{1083, 1085};
        QTest::newRow("insert at text")
            << ctl::kInsertAtText << ctl::kInsertSuffix << QList<int>{1087, 1088};
        QTest::newRow("regular expression") << ctl::kUseRegex << ctl::kUseRegex << QList<int>{1089};
        QTest::newRow("delete at locator")
            << ctl::kDeleteAtLocator << ctl::kDeleteAtPosition << QList<int>{1101};
        QTest::newRow("delete at position")
            << ctl::kDeleteAtPosition << ctl::kDeleteAtLocator << QList<int>{1050, 1049};
        QTest::newRow("serial") << ctl::kSerialEnabled << ctl::kSerialEnabled
                                << QList<int>{1062, 1061, 1064, 1063, 1067, 1066};
    }
    void DependentControlsFollowTheirButton() {
        QFETCH(int, button);
        QFETCH(int, otherButton);
        QFETCH(QList<int>, dependents);
        WindowFixture f;
        f.Open();
        OptionPanel& panel = f.Window().Panel();
        const auto verify = [&](const char* when) {
            for (const int id : dependents) {
                QVERIFY2(f.Control(id)->isEnabled() == panel.Checked(button),
                         qPrintable(QStringLiteral("%1 %2").arg(id).arg(when)));
            }
        };
        verify("at start");
        // A click, then the other radio of the group (or a second click on a check box).
        QTest::mouseClick(f.Control(button), Qt::LeftButton);
        QVERIFY(panel.Checked(button));
        verify("after checking");
        QTest::mouseClick(f.Control(otherButton), Qt::LeftButton);
        QVERIFY(!panel.Checked(button));
        verify("after unchecking");
        // The keyboard does the same.
        PressKey(f.Control(button), Qt::Key_Space);
        QVERIFY(panel.Checked(button));
        verify("after Space");
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::OptionInputTest)
#include "OptionInputTest.moc"
