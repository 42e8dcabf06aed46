#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include "WindowFixture.h"
#include "app/AccessibleNames.h"
#include "app/OptionPanel.h"
#include "app/SpinButtons.h"
#include "app/StatusLabel.h"
#include "engine/ControlTable.h"

namespace tolvane {

using test::TypeText;
using test::WindowFixture;

// What a screen reader gets from the main window, read through Qt's accessibility
// interface as the AT-SPI bridge reads it.
class AccessibilityTest : public QObject {
    Q_OBJECT

  private:
    static QString Spoken(QObject* object, QAccessible::Text kind = QAccessible::Name) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
        return face ? face->text(kind) : QStringLiteral("<no interface>");
    }

    // The whole text through the text interface, as a reader reads a line by words.
    static QString ReadText(QObject* object) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
        QAccessibleTextInterface* text = face ? face->textInterface() : nullptr;
        return text ? text->text(0, text->characterCount()) : QStringLiteral("<no text>");
    }

    static StatusLabel* Line(WindowFixture& f, int id) {
        return qobject_cast<StatusLabel*>(f.Control(id));
    }

  private slots:
    void LinesUnderTheListSayWhatTheyShow() {
        WindowFixture f;
        for (const char* name : {"a1.txt", "a2.txt", "a3.txt"})
            f.MakeFile(name);
        f.Open();
        StatusLabel* count = Line(f, ctl::kObjectCount);
        StatusLabel* status = Line(f, ctl::kStatusLine);
        QVERIFY(count && status);
        QCOMPARE(Spoken(count), f.SummaryLine());
        QCOMPARE(Spoken(status), QStringLiteral("状态"));
        QCOMPARE(Spoken(f.Control(ctl::kProgress)), QStringLiteral("进度"));

        f.AddFiles({"a1.txt", "a2.txt", "a3.txt"});
        QCOMPARE(f.SummaryLine(), QStringLiteral("3个对象"));
        QCOMPARE(Spoken(count), QStringLiteral("3个对象"));
        QCOMPARE(ReadText(count), QStringLiteral("3个对象"));

        // A pattern that does not compile shows in the status line.
        QTest::mouseClick(f.Control(ctl::kUseRegex), Qt::LeftButton);
        test::PreviewWaiter waiter(f.Window());
        TypeText(f.Combo(ctl::kFindText), QStringLiteral("(a"));
        QVERIFY(waiter.Wait());
        test::WaitForPreviewIdle(f.Window());
        QVERIFY(!f.StatusLine().isEmpty());
        QCOMPARE(Spoken(status), f.StatusLine());
        QCOMPARE(ReadText(status), f.StatusLine());
        QAccessibleTextInterface* text =
            QAccessible::queryAccessibleInterface(status)->textInterface();
        QCOMPARE(text->text(1, 3), f.StatusLine().mid(1, 2));
        QCOMPARE(text->text(-4, 1000), f.StatusLine());
    }

    void EveryPassIsAnnounced() {
        WindowFixture f;
        // old2's new name is taken by a file outside the list: each pass fails alike.
        for (const char* name : {"old2.txt", "new2.txt"})
            f.MakeFile(name);
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nclearInput=0\nrefreshFile=0\n"));
        f.Open();
        f.AddFiles({"old2.txt"});
        test::PreviewWaiter waiter(f.Window());
        TypeText(f.Combo(ctl::kFindText), QStringLiteral("old"));
        TypeText(f.Combo(ctl::kReplaceText), QStringLiteral("new"));
        QVERIFY(waiter.Wait());
        test::WaitForPreviewIdle(f.Window());
        StatusLabel* count = Line(f, ctl::kObjectCount);
        QSignalSpy heard(count, &StatusLabel::Announced);

        QTest::mouseClick(f.Control(ctl::kExecute), Qt::LeftButton);
        const QString summary = f.SummaryLine();
        QVERIFY2(summary.startsWith(QStringLiteral("成功 0, 失败 1")), qPrintable(summary));
        QCOMPARE(heard.count(), 1);
        QCOMPARE(heard.at(0).at(0).toString(), summary);
        QCOMPARE(Spoken(count), summary);

        QTest::mouseClick(f.Control(ctl::kExecute), Qt::LeftButton);
        QCOMPARE(f.SummaryLine(), summary);
        QCOMPARE(heard.count(), 2);
        QCOMPARE(heard.at(1).at(0).toString(), summary);
    }

    void InputsKeepTheirLabelsName_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("buddy");  // named by a label, not by a radio button
        QTest::newRow("insert") << ctl::kInsertText << "插入：" << true;
        QTest::newRow("find") << ctl::kFindText << "替换：" << true;
        QTest::newRow("replace") << ctl::kReplaceText << "替换为" << true;
        QTest::newRow("template") << ctl::kTemplateText << "模板：" << true;
        QTest::newRow("filter") << ctl::kFilter << "过滤：" << true;
        QTest::newRow("anchor") << ctl::kAnchorText << "文本" << false;
        QTest::newRow("locator") << ctl::kLocatorText << "定位符" << false;
        // Drop-down lists, with an item chosen.
        QTest::newRow("conversion") << ctl::kConversion << "转换" << false;
        QTest::newRow("anchor side") << ctl::kAnchorSide << "文本" << false;
        QTest::newRow("preset") << ctl::kTemplatePreset << "预设" << false;
    }
    void InputsKeepTheirLabelsName() {
        QFETCH(int, id);
        QFETCH(QString, name);
        QFETCH(bool, buddy);
        WindowFixture f;
        f.Open();
        QComboBox* box = f.Combo(id);
        box->setEnabled(true);
        if (box->isEditable())
            box->setEditText(QStringLiteral(" -x \"y\" "));
        else
            box->setCurrentIndex(1);
        QVERIFY(!box->currentText().isEmpty());
        QCOMPARE(Spoken(box), name);
        QCOMPARE(Spoken(box, QAccessible::Value), box->currentText());
        if (box->isEditable())
            QCOMPARE(Spoken(box->lineEdit()), name);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
        QCOMPARE(face->role(), QAccessible::ComboBox);
        // The items stay readable while the list is closed.
        QCOMPARE(face->child(0)->childCount(), box->count());
        if (buddy) {
            const auto* label = qobject_cast<QLabel*>(f.Control(LabelIdOf(id)));
            QVERIFY(label);
            QCOMPARE(label->buddy(), box);
        }
    }

    void CaptionsMnemonicReachesItsBox() {
        WindowFixture f;
        f.Open(1033);
        QCOMPARE(Spoken(f.Combo(ctl::kInsertText)), QStringLiteral("Insert:"));
        // A language that marks a letter in a caption: Alt+letter goes to the box.
        // (Alt+I is taken by the import command.)
        f.Window().Panel().SetCaption(1142, QStringLiteral("Inser&t:"));
        f.Combo(ctl::kFindText)->setFocus();
        QTRY_VERIFY(f.Combo(ctl::kFindText)->hasFocus());
        QTest::keyClick(f.Window().focusWidget(), Qt::Key_T, Qt::AltModifier);
        QTRY_VERIFY(f.Combo(ctl::kInsertText)->hasFocus());
        QCOMPARE(Spoken(f.Combo(ctl::kInsertText)), QStringLiteral("Insert:"));
    }

    void HiddenControlsBorrowNoCaption() {
        WindowFixture f;
        f.Open();
        // The history box and the in-place editor only happen to stand on the rows of
        // "个字符" and "位数".
        constexpr int kCharsLabel = 1150;
        for (const int id : {ctl::kHiddenCombo, ctl::kInPlaceEditor})
            QCOMPARE(f.Control(id)->accessibleName(), QString());
        QCOMPARE(qobject_cast<QLabel*>(f.Control(kCharsLabel))->buddy(), nullptr);
    }

    void NumberArrowsSayWhatTheyChange_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("spin");
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("down");
        QTest::addColumn<QString>("field");
        const auto add = [](const char* row, int spin, const QString& field) {
            QTest::newRow(row) << 2052 << spin << "增加 " + field << "减少 " + field << field;
        };
        add("insert", ctl::kInsertPositionSpin, "插入位置");
        add("from", ctl::kDeletePositionSpin, "删除起始位置");
        add("count", ctl::kDeleteCountSpin, "删除字符数");
        add("start", ctl::kSerialStartSpin, "序号起始值");
        add("step", ctl::kSerialIncrementSpin, "序号增量");
        add("digits", ctl::kSerialDigitsSpin, "序号位数");
        QTest::newRow("English") << 1033 << ctl::kInsertPositionSpin << "Increase insert position"
                                 << "Decrease insert position"
                                 << "insert position";
    }
    void NumberArrowsSayWhatTheyChange() {
        QFETCH(int, language);
        QFETCH(int, spin);
        QFETCH(QString, up);
        QFETCH(QString, down);
        QFETCH(QString, field);
        WindowFixture f;
        f.Open(language);
        auto* arrows = qobject_cast<SpinButtons*>(f.Control(spin));
        QVERIFY(arrows);
        QCOMPARE(Spoken(arrows->Up()), up);
        QCOMPARE(Spoken(arrows->Down()), down);
        // The field is described by what it holds: two fields are labelled "位置".
        QCOMPARE(Spoken(arrows->Buddy(), QAccessible::Description), field);
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::AccessibilityTest)
#include "AccessibilityTest.moc"
