#include <QComboBox>
#include <QMessageBox>
#include <QtTest>

#include "WindowFixture.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "engine/ControlTable.h"
#include "filelist/ColumnLayout.h"

namespace tolvane {

// Text typed into the controls, in order: (control id, text).
using Typed = QList<QPair<int, QString>>;

using test::PressKey;
using test::TypeText;
using test::WindowFixture;

// The new names follow what is typed, without a command: each keystroke in an
// option box starts a computation whose names appear in the list.
class LivePreviewTest : public QObject {
    Q_OBJECT

  private:
    static QStringList NewNames(const WindowFixture& f) {
        QStringList names;
        for (int r = 0; r < f.RowCount(); ++r)
            names << f.Cell(r, ColumnLayout::kNewName);
        return names;
    }

    // Types `text` into control `id` and waits for the names computed from it.
    static bool TypeAndWait(WindowFixture& f, int id, const QString& text) {
        test::PreviewWaiter waiter(f.Window());
        TypeText(f.Control(id), text);
        return waiter.Wait();
    }

  private slots:
    void TypingChangesTheNewNames_data() {
        QTest::addColumn<bool>("regex");
        QTest::addColumn<Typed>("typed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("prefix") << false << Typed{{ctl::kInsertText, "新_"}}
                                << QStringList{"新_a12b.txt", "新_照片3.jpg"};
        QTest::newRow("plain replace")
            << false << Typed{{ctl::kFindText, "a"}, {ctl::kReplaceText, "A"}}
            << QStringList{"A12b.txt", "照片3.jpg"};
        QTest::newRow("regular expression")
            << true << Typed{{ctl::kFindText, "(\\d+)"}, {ctl::kReplaceText, "[$1]"}}
            << QStringList{"a[12]b.txt", "照片[3].jpg"};
        QTest::newRow("wildcard") << false
                                  << Typed{{ctl::kFindText, "*b"}, {ctl::kReplaceText, "z"}}
                                  << QStringList{"z.txt", "照片3.jpg"};
        QTest::newRow("serial digits")
            << false << Typed{{ctl::kSerialDigitsEdit, "3"}} << QStringList{"001.txt", "002.jpg"};
    }
    void TypingChangesTheNewNames() {
        QFETCH(bool, regex);
        QFETCH(Typed, typed);
        QFETCH(QStringList, expected);
        WindowFixture f;
        f.MakeFile("a12b.txt");
        f.MakeFile("照片3.jpg");
        f.Open();
        f.AddFiles({"a12b.txt", "照片3.jpg"});
        QCOMPARE(NewNames(f), (QStringList{"a12b.txt", "照片3.jpg"}));
        if (regex)
            QTest::mouseClick(f.Control(ctl::kUseRegex), Qt::LeftButton);
        if (typed.front().first == ctl::kSerialDigitsEdit) {
            QTest::mouseClick(f.Control(ctl::kSerialEnabled), Qt::LeftButton);
            PressKey(f.Control(ctl::kSerialDigitsEdit), Qt::Key_A, Qt::ControlModifier);
        }
        for (const auto& [id, text] : typed)
            QVERIFY(TypeAndWait(f, id, text));
        QCOMPARE(NewNames(f), expected);
        // Changed names are marked.
        const QAbstractItemModel* model = f.Window().Panel().ListView()->model();
        for (int r = 0; r < f.RowCount(); ++r) {
            const bool changed =
                f.Cell(r, ColumnLayout::kNewName) != f.Cell(r, ColumnLayout::kName);
            const QColor colour =
                model->index(r, ColumnLayout::kNewName).data(Qt::ForegroundRole).value<QColor>();
            QCOMPARE(colour == QColor(255, 0, 0), changed);
        }
        // A half-typed change may have left a row with no name ("*b" and no replacement
        // yet leaves ".txt"); the check of the final names clears that warning.
        QTRY_COMPARE(f.StatusLine(), QString());
        // Taking the change back brings the old names back.
        test::PreviewWaiter waiter(f.Window());
        if (typed.front().first == ctl::kSerialDigitsEdit) {
            QTest::mouseClick(f.Control(ctl::kSerialEnabled), Qt::LeftButton);
        } else {
            PressKey(f.Control(typed.front().first), Qt::Key_A, Qt::ControlModifier);
            PressKey(f.Control(typed.front().first), Qt::Key_Delete);
        }
        QVERIFY(waiter.Wait());
        QCOMPARE(NewNames(f), (QStringList{"a12b.txt", "照片3.jpg"}));
    }

    void EveryKeystrokeIsShown() {
        WindowFixture f;
        f.MakeFile("a.txt");
        f.Open();
        f.AddFiles({"a.txt"});
        QString prefix;
        for (const QString& key :
             {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("中")}) {
            prefix += key;
            QVERIFY(TypeAndWait(f, ctl::kInsertText, key));
            QCOMPARE(f.Cell(0, ColumnLayout::kNewName), prefix + QStringLiteral("a.txt"));
        }
        test::PreviewWaiter waiter(f.Window());
        PressKey(f.Combo(ctl::kInsertText), Qt::Key_Backspace);
        QVERIFY(waiter.Wait());
        QCOMPARE(f.Cell(0, ColumnLayout::kNewName), QStringLiteral("12a.txt"));
    }

    void InvalidPatternSaysWhyInTheStatusLine() {
        WindowFixture f;
        f.MakeFile("a(1).txt");
        f.Open();
        f.AddFiles({"a(1).txt"});
        QTest::mouseClick(f.Control(ctl::kUseRegex), Qt::LeftButton);
        QVERIFY(TypeAndWait(f, ctl::kFindText, QStringLiteral("(")));
        const QString status = f.StatusLine();
        QVERIFY2(status.startsWith(QStringLiteral("查找内容不是有效的表达式：")),
                 qPrintable(status));
        QVERIFY2(status.size() > QStringLiteral("查找内容不是有效的表达式： ").size(),
                 qPrintable(status));
        QVERIFY(f.Control(ctl::kStatusLine)->isVisible());
        // The name is left as it is while the pattern is invalid.
        QCOMPARE(f.Cell(0, ColumnLayout::kNewName), QStringLiteral("a(1).txt"));
        // A valid pattern takes the message away.
        QVERIFY(TypeAndWait(f, ctl::kFindText, QStringLiteral("1)")));
        QCOMPARE(f.StatusLine(), QString());
        TypeText(f.Combo(ctl::kReplaceText), QStringLiteral("2"));
        QTRY_COMPARE(f.Cell(0, ColumnLayout::kNewName), QStringLiteral("a(2).txt"));
    }

    void RunawayPatternRenamesNothing() {
        WindowFixture f;
        const std::string name = std::string(60, 'x') + "zy";
        f.MakeFile(name);
        f.MakeFile("xy");
        f.Open();
        f.AddFiles({QString::fromStdString(name), "xy"});
        QTest::mouseClick(f.Control(ctl::kUseRegex), Qt::LeftButton);
        QVERIFY(TypeAndWait(f, ctl::kReplaceText, QStringLiteral("r")));
        QVERIFY(TypeAndWait(f, ctl::kFindText, QStringLiteral("(x+x+)+y")));
        QCOMPARE(f.StatusLine(),
                 QStringLiteral("查找的表达式运算过久，已放弃，部分新文件名不完整"));
        // Executing now would rename with names from a pattern that gave up.
        QString warning;
        auto warned = test::WhenDialogShows("QMessageBox", [&warning](QWidget* box) {
            warning = qobject_cast<QMessageBox*>(box)->text();
            qobject_cast<QMessageBox*>(box)->accept();
        });
        PressKey(f.Combo(ctl::kFindText), Qt::Key_F2, Qt::ControlModifier);
        QVERIFY(*warned);
        QVERIFY2(warning.contains(QStringLiteral("没有文件被改名")), qPrintable(warning));
        QCOMPARE(f.NamesOnDisk(), (QStringList{QString::fromStdString(name), "xy"}));
        QCOMPARE(f.Cell(0, ColumnLayout::kStatus), QString());
        QCOMPARE(f.Cell(1, ColumnLayout::kStatus), QString());
        QVERIFY(!f.SettingsFileExists() || f.Setting("set", "hasLastSet") != QStringLiteral("1"));
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::LivePreviewTest)
#include "LivePreviewTest.moc"
