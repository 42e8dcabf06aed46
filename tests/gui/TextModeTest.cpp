#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

#include "WindowFixture.h"
#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "app/TextModeEditor.h"
#include "engine/ControlTable.h"
#include "filelist/ColumnLayout.h"
#include "settings/MenuTable.h"

namespace tolvane {

using test::PressKey;
using test::TypeText;
using test::WindowFixture;

// Text mode as a person uses it: the check box, typing lines, leaving again.
class TextModeTest : public QObject {
    Q_OBJECT

  private:
    static QPlainTextEdit* Editor(WindowFixture& f) {
        return qobject_cast<QPlainTextEdit*>(f.Control(ctl::kTextModeEditor));
    }

    // Files named by `names` listed, text mode entered by a click on its box.
    static void EnterWith(WindowFixture& f, const QStringList& names) {
        for (const QString& name : names)
            f.MakeFile(name.toStdString());
        f.AddFiles(names);
        test::WaitForPreviewIdle(f.Window());
        QTest::mouseClick(f.Control(ctl::kTextMode), Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(Editor(f)->isVisible());
    }

    // Puts the cursor at the end of line `line` (or its start) and types there.
    static void TypeAtLine(WindowFixture& f, int line, const QString& text, bool atEnd = true) {
        QPlainTextEdit* editor = Editor(f);
        QTextCursor cursor(editor->document()->findBlockByNumber(line));
        if (atEnd)
            cursor.movePosition(QTextCursor::EndOfBlock);
        editor->setTextCursor(cursor);
        TypeText(editor, text);
    }

  private slots:
    void EntersEditsAndLeaves() {
        WindowFixture f;
        f.Open();
        QVERIFY(!f.Control(ctl::kTextMode)->isEnabled());
        EnterWith(f, {"a.txt", "b.txt", "README"});
        QCOMPARE(Editor(f)->toPlainText(), QStringLiteral("a\nb\nREADME\n"));
        // The ten controls stay, the two buttons are greyed, the options are gone.
        for (const int id : {ctl::kFileList, 1026, 1027, 1029, 1031, 1112, ctl::kFilter,
                             ctl::kObjectCount, ctl::kExecute, ctl::kTextMode})
            QVERIFY2(f.Control(id)->isVisible(), qPrintable(QString::number(id)));
        for (const int id : {ctl::kResetOptions, ctl::kRenameLikeLast})
            QVERIFY(f.Control(id)->isVisible() && !f.Control(id)->isEnabled());
        for (const int id : {ctl::kInsertText, ctl::kFindText, ctl::kTemplateText, 1139})
            QVERIFY(!f.Control(id)->isVisible());
        QVERIFY(f.Window().Panel().findChild<QWidget*>(QStringLiteral("frame0"))->isHidden());

        TypeAtLine(f, 1, QStringLiteral("_x"));
        TypeAtLine(f, 2, QStringLiteral(" "));  // only blanks added: the name stays
        QCOMPARE(f.Column(ColumnLayout::kNewName), (QStringList{"a.txt", "b_x.txt", "README"}));
        test::SavePicture(f.Window(), QStringLiteral("text-mode"));

        QTest::mouseClick(f.Control(ctl::kTextMode), Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(!Editor(f)->isVisible());
        QVERIFY(f.Control(ctl::kInsertText)->isVisible());
        QVERIFY(f.Control(ctl::kResetOptions)->isEnabled());
        QVERIFY(!f.Control(ctl::kRenameLikeLast)->isEnabled());  // as it was before
        QCOMPARE(f.Column(ColumnLayout::kNewName), (QStringList{"a.txt", "b_x.txt", "README"}));
        // The typed names are what a pass renames to, also from text mode itself; the
        // pass lets "照上次改" be used once text mode is left.
        QTest::mouseClick(f.Control(ctl::kTextMode), Qt::LeftButton, {}, QPoint(4, 4));
        TypeAtLine(f, 0, QStringLiteral("_y"));
        QTest::mouseClick(f.Control(ctl::kExecute), Qt::LeftButton);
        QTRY_COMPARE(f.NamesOnDisk(), (QStringList{"README", "a_y.txt", "b_x.txt"}));
        QTest::mouseClick(f.Control(ctl::kTextMode), Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(f.Control(ctl::kRenameLikeLast)->isEnabled());
    }

    void FewerAndMoreLinesThanRows_data() {
        QTest::addColumn<QString>("typed");  // replaces the whole text; | is Enter
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two lines for four rows")
            << "x|y" << QStringList{"x.txt", "y.txt", "c.txt", "d"};
        QTest::newRow("six lines for four rows")
            << "p|q|r|s|t|u" << QStringList{"p.txt", "q.txt", "r.txt", "s"};
        QTest::newRow("nothing left") << "" << QStringList{".txt", "b.txt", "c.txt", "d"};
    }
    void FewerAndMoreLinesThanRows() {
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        WindowFixture f;
        f.Open();
        EnterWith(f, {"a.txt", "b.txt", "c.txt", "d"});
        Editor(f)->selectAll();
        PressKey(Editor(f), Qt::Key_Delete);
        const QStringList lines = typed.split(QLatin1Char('|'));
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0)
                PressKey(Editor(f), Qt::Key_Return);
            TypeText(Editor(f), lines[i]);
        }
        QCOMPARE(f.Column(ColumnLayout::kNewName), expected);
    }

    // A line break typed into the middle shifts the names below it onto the next rows:
    // the line under the list says so while the counts differ.
    void TheCountWarnsWhileLinesAndRowsDiffer() {
        WindowFixture f;
        f.Open();
        EnterWith(f, {"a.txt", "b.txt", "c.txt"});
        const QString count = f.SummaryLine();
        TypeAtLine(f, 0, QString());
        PressKey(Editor(f), Qt::Key_Return);
        QVERIFY2(f.SummaryLine().startsWith(QStringLiteral("注意：文本有 4 行，列表有 3 个对象")),
                 qPrintable(f.SummaryLine()));
        PressKey(Editor(f), Qt::Key_Backspace);
        QCOMPARE(f.SummaryLine(), count);
        QCOMPARE(f.Column(ColumnLayout::kNewName), (QStringList{"a.txt", "b.txt", "c.txt"}));
    }

    // Sorted or shortened while in text mode, each line still names its own row.
    void LinesKeepTheirRowsWhenTheListChanges() {
        WindowFixture f;
        f.Open();
        EnterWith(f, {"a.txt", "b.txt", "c.txt"});
        f.Window().List().ClickColumn(ColumnLayout::kName, L"");
        f.Window().List().ClickColumn(ColumnLayout::kName, L"");  // c, b, a
        QCOMPARE(f.Cell(0, ColumnLayout::kName), QStringLiteral("c.txt"));
        TypeAtLine(f, 0, QStringLiteral("1"));  // the line of a.txt
        QCOMPARE(f.Column(ColumnLayout::kNewName), (QStringList{"c.txt", "b.txt", "a1.txt"}));
        f.Window().List().RemoveRows({false, false, true});
        TypeAtLine(f, 0, QStringLiteral("2"));  // a.txt is gone: nothing changes
        TypeAtLine(f, 2, QStringLiteral("3"));
        QCOMPARE(f.Column(ColumnLayout::kNewName), (QStringList{"c3.txt", "b.txt"}));
    }

    // A click on the list clears the colours; the next edit, on any line, draws every
    // row whose typed name differs from its name red again, and the others black.
    void AnEditColoursEveryLineAfterAClick() {
        WindowFixture f;
        f.Open();
        EnterWith(f, {"a.txt", "b.txt", "c.txt"});
        TypeAtLine(f, 0, QStringLiteral("1"));
        TypeAtLine(f, 1, QStringLiteral("2"));
        FileListView* view = f.Window().Panel().ListView();
        const auto red = [&](int row) {
            return f.Window().List().Colours().ColourOf(row, ColumnLayout::kNewName).text ==
                   kRedText;
        };
        QVERIFY(red(1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(2, ColumnLayout::kName)).center());
        QVERIFY(!red(1));
        TypeAtLine(f, 2, QStringLiteral("3"));
        PressKey(Editor(f), Qt::Key_Backspace);  // line 2 is its name's stem again
        QCOMPARE(f.Column(ColumnLayout::kNewName), (QStringList{"a1.txt", "b2.txt", "c.txt"}));
        QVERIFY(red(0));
        QVERIFY(red(1));
        QVERIFY(!red(2));
    }

    // One line per row, and a keystroke repaints only its own row's new name.
    void AnEditTouchesOnlyItsRow() {
        WindowFixture f;
        f.Open();
        QStringList names;
        for (int i = 0; i < 3000; ++i)
            names << QStringLiteral("f%1.txt").arg(i, 4, 10, QLatin1Char('0'));
        EnterWith(f, names);
        QCOMPARE(Editor(f)->document()->blockCount(), 3001);
        QAbstractItemModel* model = f.Window().Panel().ListView()->model();
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        TypeAtLine(f, 2500, QStringLiteral("x"), false);
        QVERIFY(!changed.isEmpty());
        // Colours are repainted together; the texts of other rows are not asked again.
        for (const QList<QVariant>& signal : changed) {
            if (!signal[2].value<QList<int>>().isEmpty())
                continue;
            const auto from = signal[0].value<QModelIndex>(), to = signal[1].value<QModelIndex>();
            QCOMPARE(from.row(), 2500);
            QCOMPARE(to.row(), 2500);
        }
        QCOMPARE(f.Cell(2500, ColumnLayout::kNewName), QStringLiteral("xf2500.txt"));
        QCOMPARE(f.Cell(2499, ColumnLayout::kNewName), QStringLiteral("f2499.txt"));
    }

    void ClearingTheListOrShowingTheToolbarLeaves_data() {
        QTest::addColumn<bool>("clear");
        QTest::newRow("F9") << true;
        QTest::newRow("toolbar switched") << false;
    }
    void ClearingTheListOrShowingTheToolbarLeaves() {
        QFETCH(bool, clear);
        WindowFixture f;
        f.Open();
        EnterWith(f, {"a.txt"});
        if (clear)
            PressKey(f.Window().Panel().ListView(), Qt::Key_F9);
        else
            f.Window().ShowToolbar(true);
        QVERIFY(!f.Window().Panel().Checked(ctl::kTextMode));
        QVERIFY(!Editor(f)->isVisible());
        QVERIFY(f.Control(ctl::kInsertText)->isVisible());
        QVERIFY(f.Window().Panel().Text(ctl::kTextModeEditor).empty());
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::TextModeTest)
#include "TextModeTest.moc"
