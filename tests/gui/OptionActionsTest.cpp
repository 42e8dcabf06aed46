#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTextDocumentFragment>
#include <QtTest>

#include "WindowFixture.h"
#include "app/OptionPanel.h"
#include "engine/ControlTable.h"
#include "execute/OptionSection.h"
#include "filelist/ColumnLayout.h"

namespace tolvane {

using test::PressKey;
using test::TypeText;
using test::WindowFixture;

// What the option controls do beyond holding a value: the preset lists, the user's
// own templates, the direction link and resetting every option.
class OptionActionsTest : public QObject {
    Q_OBJECT

  private:
    static QString Text(const WindowFixture& f, int id) {
        return QString::fromStdWString(f.Window().Panel().Text(id));
    }

    static QStringList Items(const WindowFixture& f, int id) {
        QStringList items;
        for (const std::wstring& item : f.Window().Panel().Items(id))
            items << QString::fromStdWString(item);
        return items;
    }

    static void Choose(QComboBox* combo, const QString& text) {
        const int index = combo->findText(text, Qt::MatchExactly);
        QVERIFY2(index >= 0, qPrintable(text));
        test::ChooseItem(combo, index);
    }

    // Clicks the link text of a link label, where it is drawn.
    static void ClickLink(QWidget* widget) {
        auto* label = qobject_cast<QLabel*>(widget);
        QVERIFY(label != nullptr);
        const QString html = label->text();
        const qsizetype open = html.indexOf(QStringLiteral("\">")) + 2;
        const QString before =
            QTextDocumentFragment::fromHtml(html.left(html.indexOf(u'<'))).toPlainText();
        const QString link = html.mid(open, html.indexOf(QStringLiteral("</a>")) - open);
        const QFontMetrics metrics(label->font());
        const int x = label->contentsRect().left() + metrics.horizontalAdvance(before) +
                      metrics.horizontalAdvance(link) / 2;
        QSignalSpy activated(label, &QLabel::linkActivated);
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(x, label->height() / 2));
        QCOMPARE(activated.size(), 1);
    }

    // Every option control as an option section stores it.
    static QStringList StoredState(const WindowFixture& f) {
        QStringList state;
        for (const int id : kProfileControlOrder) {
            state << QStringLiteral("%1=%2").arg(id).arg(
                QString::fromStdWString(StoredControlValue(f.Window().Panel(), id)));
        }
        return state;
    }

    static void OpenSecondStart(WindowFixture& f, const QString& extraSettings = {}) {
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nremindCount=5\n[userCustom]\n") +
                        extraSettings);
        f.Open();
    }

  private slots:
    void PatternPresetFillsTheFindBox_data() {
        QTest::addColumn<QString>("userRules");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("expression");
        const QString defaults = QStringLiteral("number#\\d;letter#[a-zA-Z];");
        QTest::newRow("preset") << defaults << "字母数字"
                                << "[a-zA-Z0-9]*";
        QTest::newRow("IP preset") << defaults << "IP"
                                   << "[1-9]\\d{0,9}";
        QTest::newRow("user rule") << defaults << "number"
                                   << "\\d";
        QTest::newRow("none") << defaults << "不选择"
                              << "";
        QTest::newRow("rule named like a preset") << "IP#\\d+;"
                                                  << "IP"
                                                  << "\\d+";
    }
    void PatternPresetFillsTheFindBox() {
        QFETCH(QString, userRules);
        QFETCH(QString, item);
        QFETCH(QString, expression);
        WindowFixture f;
        OpenSecondStart(f, QStringLiteral("regex=%1\n").arg(userRules));
        f.Combo(ctl::kFindText)->setEditText(QStringLiteral("old"));
        QTest::mouseClick(f.Control(ctl::kUseRegex), Qt::LeftButton);
        Choose(f.Combo(ctl::kRegexPreset), item);
        QCOMPARE(Text(f, ctl::kFindText), expression);
        QVERIFY(f.Window().Panel().Checked(ctl::kUseRegex));
        QVERIFY(f.Control(ctl::kRegexPreset)->isEnabled());
        // A rule named like a preset is listed twice; both entries give the rule.
        const QStringList items = Items(f, ctl::kRegexPreset);
        if (QTest::currentDataTag() == QByteArray("rule named like a preset")) {
            QCOMPARE(items.count(QStringLiteral("IP")), 2);
            f.Combo(ctl::kFindText)->setEditText({});
            test::ChooseItem(f.Combo(ctl::kRegexPreset), items.lastIndexOf(QStringLiteral("IP")));
            QCOMPARE(Text(f, ctl::kFindText), expression);
        }
    }

    void PresetReachesTheNewNames() {
        WindowFixture f;
        OpenSecondStart(f, QStringLiteral("regex=number#\\d;\n"));
        f.MakeFile("a1b22.txt");
        f.AddFiles({"a1b22.txt"});
        QTest::mouseClick(f.Control(ctl::kUseRegex), Qt::LeftButton);
        TypeText(f.Combo(ctl::kReplaceText), QStringLiteral("#"));
        test::PreviewWaiter waiter(f.Window());
        Choose(f.Combo(ctl::kRegexPreset), QStringLiteral("number"));
        QVERIFY(waiter.Wait());
        QCOMPARE(f.Cell(0, ColumnLayout::kNewName), QStringLiteral("a#b##.txt"));
    }

    void TemplatePresetFillsTheTemplateBox() {
        WindowFixture f;
        OpenSecondStart(f, QStringLiteral("template=mine_<#>;\n"));
        QComboBox* presets = f.Combo(ctl::kTemplatePreset);
        Choose(presets, QStringLiteral("<y>-<m>-<d>"));
        QCOMPARE(presets->currentText(), QStringLiteral("<y>-<m>-<d>"));
        QCOMPARE(Text(f, ctl::kTemplateText), QStringLiteral("<y>-<m>-<d>"));
        Choose(presets, QStringLiteral("mine_<#>"));
        QCOMPARE(Text(f, ctl::kTemplateText), QStringLiteral("mine_<#>"));
        Choose(presets, QStringLiteral("不选择"));
        QCOMPARE(Text(f, ctl::kTemplateText), QString());
    }

    void ClearListTemplateRemovesTheUserTemplates() {
        WindowFixture f;
        OpenSecondStart(f, QStringLiteral("template=a;[清空列表];b;\n"));
        QComboBox* presets = f.Combo(ctl::kTemplatePreset);
        QCOMPARE(Items(f, ctl::kTemplatePreset).mid(0, 4),
                 (QStringList{"不选择", "a", "[清空列表]", "b"}));
        f.Combo(ctl::kTemplateText)->setEditText(QStringLiteral("kept"));
        Choose(presets, QStringLiteral("[清空列表]"));
        const QStringList items = Items(f, ctl::kTemplatePreset);
        QCOMPARE(items.size(), 13);
        QCOMPARE(items.mid(0, 2), (QStringList{"不选择", "<#>_<name>"}));
        QCOMPARE(f.Setting("userCustom", "template"), QString());
        QCOMPARE(Text(f, ctl::kTemplateText), QStringLiteral("kept"));
        // Gone for good: the next start lists none either.
        f.Open();
        QCOMPARE(Items(f, ctl::kTemplatePreset).size(), 13);
    }

    void AddToStoresTheTemplateWithoutSemicolons() {
        WindowFixture f;
        OpenSecondStart(f, QStringLiteral("template=example_<#>;\n"));
        TypeText(f.Combo(ctl::kTemplateText), QStringLiteral("x;y"));
        QCOMPARE(Text(f, ctl::kTemplateText), QStringLiteral("x;y"));
        ClickLink(f.Control(ctl::kAddUserTemplate));
        QComboBox* presets = f.Combo(ctl::kTemplatePreset);
        QCOMPARE(presets->itemText(0), QStringLiteral("xy"));
        QCOMPARE(presets->currentIndex(), 0);
        QCOMPARE(presets->currentText(), QStringLiteral("xy"));
        QCOMPARE(f.Setting("userCustom", "template"), QStringLiteral("example_<#>;;xy"));
        // The template box keeps what was typed.
        QCOMPARE(Text(f, ctl::kTemplateText), QStringLiteral("x;y"));
        f.Open();
        QVERIFY(Items(f, ctl::kTemplatePreset).contains(QStringLiteral("xy")));
    }

    void DirectionLinkToggles() {
        WindowFixture f;
        f.Open();
        f.MakeFile("abcdef.txt");
        f.AddFiles({"abcdef.txt"});
        QTest::mouseClick(f.Control(ctl::kDeleteAtPosition), Qt::LeftButton);
        auto* position = f.Control(ctl::kDeletePositionEdit);
        PressKey(position, Qt::Key_A, Qt::ControlModifier);
        TypeText(position, QStringLiteral("3"));
        test::PreviewWaiter forward(f.Window());
        PressKey(f.Control(ctl::kDeleteCountEdit), Qt::Key_A, Qt::ControlModifier);
        TypeText(f.Control(ctl::kDeleteCountEdit), QStringLiteral("2"));
        QVERIFY(forward.Wait());
        QCOMPARE(f.Cell(0, ColumnLayout::kNewName), QStringLiteral("abef.txt"));
        auto* link = qobject_cast<QLabel*>(f.Control(ctl::kDeleteDirection));
        QVERIFY(link->text().contains(QStringLiteral("→")));
        test::PreviewWaiter backward(f.Window());
        ClickLink(link);
        QVERIFY(link->text().contains(QStringLiteral("←")));
        QCOMPARE(link->toolTip(), QStringLiteral("从后往前"));
        QVERIFY(backward.Wait());
        QCOMPARE(f.Cell(0, ColumnLayout::kNewName), QStringLiteral("cdef.txt"));
        ClickLink(link);
        QVERIFY(link->text().contains(QStringLiteral("→")));
        QCOMPARE(link->toolTip(), QStringLiteral("从前往后"));
    }

    void ResetBringsBackAFreshWindow_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("F8") << true;
        QTest::newRow("button") << false;
    }
    void ResetBringsBackAFreshWindow() {
        QFETCH(bool, byKey);
        WindowFixture f;
        OpenSecondStart(f);
        const QStringList fresh = StoredState(f);
        f.MakeFile("a.txt");
        f.AddFiles({"a.txt"});
        test::PreviewWaiter waiter(f.Window());
        TypeText(f.Combo(ctl::kInsertText), QStringLiteral("x_"));
        QVERIFY(waiter.Wait());
        QCOMPARE(f.Cell(0, ColumnLayout::kNewName), QStringLiteral("x_a.txt"));
        // Change every kind of control.
        QTest::mouseClick(f.Control(ctl::kIncludeSubfolders), Qt::LeftButton);
        QTest::mouseClick(f.Control(ctl::kIgnoreExtension), Qt::LeftButton);
        QTest::mouseClick(f.Control(ctl::kInsertAtText), Qt::LeftButton);
        TypeText(f.Combo(ctl::kAnchorText), QStringLiteral("a"));
        test::ChooseItem(f.Combo(ctl::kAnchorSide), 1);
        test::ChooseItem(f.Combo(ctl::kConversion), 3);
        test::ChooseItem(f.Combo(ctl::kSequence), 1);
        TypeText(f.Combo(ctl::kFindText), QStringLiteral("b"));
        TypeText(f.Combo(ctl::kReplaceText), QStringLiteral("c"));
        QTest::mouseClick(f.Control(ctl::kUseRegex), Qt::LeftButton);
        test::ChooseItem(f.Combo(ctl::kRegexPreset), 1);
        QTest::mouseClick(f.Control(ctl::kDeleteAtLocator), Qt::LeftButton);
        TypeText(f.Combo(ctl::kLocatorText), QStringLiteral("."));
        TypeText(f.Control(ctl::kDeleteCountEdit), QStringLiteral("4"));
        QTest::mouseClick(f.Control(ctl::kSerialEnabled), Qt::LeftButton);
        TypeText(f.Control(ctl::kSerialStartEdit), QStringLiteral("9"));
        TypeText(f.Control(ctl::kSerialDigitsEdit), QStringLiteral("3"));
        test::ChooseItem(f.Combo(ctl::kTemplatePreset), 2);
        TypeText(f.Combo(ctl::kFilter), QStringLiteral("a"));
        ClickLink(f.Control(ctl::kDeleteDirection));
        QVERIFY(StoredState(f) != fresh);
        test::WaitForPreviewIdle(f.Window());
        const QString shown = f.Cell(0, ColumnLayout::kNewName);

        if (byKey)
            PressKey(f.Combo(ctl::kInsertText), Qt::Key_F8);
        else
            QTest::mouseClick(f.Control(ctl::kResetOptions), Qt::LeftButton);
        QCOMPARE(StoredState(f), fresh);
        for (const int id :
             {1083, 1085, 1087, 1088, 1089, 1101, 1062, 1061, 1064, 1063, 1067, 1066})
            QVERIFY2(!f.Control(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(f.Control(ctl::kDeletePositionEdit)->isEnabled());
        // The direction is no option: it stays as chosen, on the link and its tip.
        auto* link = qobject_cast<QLabel*>(f.Control(ctl::kDeleteDirection));
        QVERIFY(link->text().contains(QStringLiteral("←")));
        QCOMPARE(link->toolTip(), QStringLiteral("从后往前"));
        // The names shown stay until the next change.
        QTest::qWait(50);
        QCOMPARE(f.Cell(0, ColumnLayout::kNewName), shown);
        QCOMPARE(f.RowCount(), 1);
        test::PreviewWaiter next(f.Window());
        TypeText(f.Combo(ctl::kInsertText), QStringLiteral("y"));
        QVERIFY(next.Wait());
        QCOMPARE(f.Cell(0, ColumnLayout::kNewName), QStringLiteral("ya.txt"));
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::OptionActionsTest)
#include "OptionActionsTest.moc"
