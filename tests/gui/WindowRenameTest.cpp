#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <fstream>

#include "WindowFixture.h"
#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/InlineEditor.h"
#include "app/OptionPanel.h"
#include "app/PassActions.h"
#include "engine/ControlTable.h"
#include "filelist/ColumnLayout.h"
#include "settings/MenuTable.h"

namespace tolvane {

using test::PressKey;
using test::TypeText;
using test::WindowFixture;

// Renaming real files from the window and taking it back: the statuses and the
// summary a pass leaves, what the settings ask for after it, the input history.
class WindowRenameTest : public QObject {
    Q_OBJECT

  private:
    static constexpr int kName = ColumnLayout::kName;
    static constexpr int kNewName = ColumnLayout::kNewName;
    static constexpr int kStatus = ColumnLayout::kStatus;

    static QStringList Column(const WindowFixture& f, int column) {
        QStringList cells;
        for (int r = 0; r < f.RowCount(); ++r)
            cells << f.Cell(r, column);
        return cells;
    }

    static QColor TextColour(const WindowFixture& f, int row, int column) {
        const QAbstractItemModel* model = f.Window().Panel().ListView()->model();
        return model->index(row, column).data(Qt::ForegroundRole).value<QColor>();
    }

    // Clicks the row's serial cell beside its check box and presses Space.
    static void ToggleCheck(WindowFixture& f, int row) {
        QAbstractItemView* view = f.Window().Panel().ListView();
        const QRect cell = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          QPoint(cell.right() - 3, cell.center().y()));
        QTest::keyClick(view, Qt::Key_Space);
    }

    // old1 renames, old2's new name is taken by a file outside the list, keep.txt
    // keeps its name, old3 is unchecked.
    static void ListFourRows(WindowFixture& f, const QString& settings, int languageId = 2052) {
        for (const char* name : {"old1.txt", "old2.txt", "keep.txt", "old3.txt", "new2.txt"})
            f.MakeFile(name, name);
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nremindCount=5\n") + settings);
        f.Open(languageId);
        f.Window().Passes().SetTimerScale(0.01);
        f.AddFiles({"old1.txt", "old2.txt", "keep.txt", "old3.txt"});
        QCOMPARE(f.RowCount(), 4);
        test::PreviewWaiter waiter(f.Window());
        TypeText(f.Combo(ctl::kFindText), QStringLiteral("old"));
        TypeText(f.Combo(ctl::kReplaceText), QStringLiteral("new"));
        QVERIFY(waiter.Wait());
        test::WaitForPreviewIdle(f.Window());
        QCOMPARE(Column(f, kNewName),
                 (QStringList{"new1.txt", "new2.txt", "keep.txt", "new3.txt"}));
        ToggleCheck(f, 3);
        QCOMPARE(f.Window().List().Row(3).checked, false);
    }

    static void Execute(WindowFixture& f) {
        PressKey(f.Combo(ctl::kFindText), Qt::Key_F2, Qt::ControlModifier);
    }

  private slots:
    void ExecuteShowsEachRowsOutcome_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<QString>("summary");
        QTest::newRow("Chinese") << 2052 << QStringList{"√成功", "×失败", "无修改", "未选中"}
                                 << "^成功 1, 失败 1, 无修改 1, 未选中 1$";
        QTest::newRow("English") << 1033
                                 << QStringList{"√ Succeeded", "× Failed", "Unchanged", "Unchecked"}
                                 << "Succeeded 1, .*Failed 1, Unchanged 1, Unchecked 1$";
    }
    void ExecuteShowsEachRowsOutcome() {
        QFETCH(int, language);
        QFETCH(QStringList, statuses);
        QFETCH(QString, summary);
        WindowFixture f;
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\n"));
        for (const char* name : {"old1.txt", "old2.txt", "keep.txt", "old3.txt", "new2.txt"})
            f.MakeFile(name, name);
        f.Open(language);
        f.AddFiles({"old1.txt", "old2.txt", "keep.txt", "old3.txt"});
        test::PreviewWaiter waiter(f.Window());
        TypeText(f.Combo(ctl::kFindText), QStringLiteral("old"));
        TypeText(f.Combo(ctl::kReplaceText), QStringLiteral("new"));
        QVERIFY(waiter.Wait());
        ToggleCheck(f, 3);
        QVERIFY(!f.Control(ctl::kRenameLikeLast)->isEnabled());
        QTest::mouseClick(f.Control(ctl::kExecute), Qt::LeftButton);

        QCOMPARE(f.NamesOnDisk(),
                 (QStringList{"keep.txt", "new1.txt", "new2.txt", "old2.txt", "old3.txt"}));
        QCOMPARE(Column(f, kStatus), statuses);
        QVERIFY2(QRegularExpression(summary).match(f.SummaryLine()).hasMatch(),
                 qPrintable(f.SummaryLine()));
        // The outside file is untouched, and the failed row says why.
        std::ifstream outside(f.Files() / "new2.txt");
        QCOMPARE(std::string(std::istreambuf_iterator<char>(outside), {}), std::string("new2.txt"));
        QVERIFY(!f.CellToolTip(1, kStatus).isEmpty());
        QCOMPARE(f.CellToolTip(0, kStatus), QString());
        QCOMPARE(TextColour(f, 0, kStatus), QColor(0, 128, 0));
        QCOMPARE(TextColour(f, 1, kStatus), QColor(255, 0, 0));
        QCOMPARE(TextColour(f, 3, kStatus), f.Window().palette().color(QPalette::Text));
        // The pass is remembered for "照上次改".
        QVERIFY(f.Control(ctl::kRenameLikeLast)->isEnabled());
        QCOMPARE(f.Setting("set", "hasLastSet"), QStringLiteral("1"));
        QCOMPARE(f.Setting("lastSet", "1045"), QStringLiteral("old"));
    }

    void UndoAfterConfirmation() {
        WindowFixture f;
        ListFourRows(f, QStringLiteral("clearInput=0\nrefreshFile=0\n"));
        Execute(f);
        const QStringList renamed = {"keep.txt", "new1.txt", "new2.txt", "old2.txt", "old3.txt"};
        QCOMPARE(f.NamesOnDisk(), renamed);
        const QString summary = f.SummaryLine();

        QStringList questions;
        f.Window().Passes().SetConfirm([&questions](const QString& question) {
            questions << question;
            return false;
        });
        PressKey(f.Window().Panel().ListView(), Qt::Key_F2,
                 Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions.front().contains(QStringLiteral("撤销")), qPrintable(questions.front()));
        // Cancelled: files, rows and summary as they were.
        QCOMPARE(f.NamesOnDisk(), renamed);
        QCOMPARE(f.SummaryLine(), summary);
        QCOMPARE(Column(f, kStatus), (QStringList{"√成功", "×失败", "无修改", "未选中"}));

        f.Window().Passes().SetConfirm([&questions](const QString& question) {
            questions << question;
            return true;
        });
        PressKey(f.Window().Panel().ListView(), Qt::Key_F2,
                 Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(questions.size(), 2);
        QCOMPARE(f.NamesOnDisk(),
                 (QStringList{"keep.txt", "new2.txt", "old1.txt", "old2.txt", "old3.txt"}));
        QVERIFY2(f.SummaryLine().startsWith(QStringLiteral("撤销成功")),
                 qPrintable(f.SummaryLine()));
        QCOMPARE(Column(f, kName), (QStringList{"old1.txt", "old2.txt", "keep.txt", "old3.txt"}));
    }

    void UndoBringsRefreshedRowsBack() {
        WindowFixture f;
        ListFourRows(f, QStringLiteral("clearInput=0\n"));
        f.Window().Passes().SetTimerScale(100);  // no blanking during this test
        Execute(f);
        QCOMPARE(Column(f, kName), (QStringList{"new1.txt", "old2.txt", "keep.txt", "old3.txt"}));
        f.Window().Passes().SetConfirm([](const QString&) { return true; });
        PressKey(f.Combo(ctl::kInsertText), Qt::Key_F2, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(Column(f, kName), (QStringList{"old1.txt", "old2.txt", "keep.txt", "old3.txt"}));
        QCOMPARE(f.NamesOnDisk(),
                 (QStringList{"keep.txt", "new2.txt", "old1.txt", "old2.txt", "old3.txt"}));
        // The rows show the preview of the options again.
        test::WaitForPreviewIdle(f.Window());
        QCOMPARE(f.Cell(0, kNewName), QStringLiteral("new1.txt"));
        // The restored rows rename again.
        Execute(f);
        QVERIFY(f.NamesOnDisk().contains(QStringLiteral("new1.txt")));
    }

    // Each refresh moves the rows by the passes they have not followed yet: a row that
    // now stands where an earlier pass renamed from must stay where it is.
    void RefreshFollowsOnlyTheNewPasses() {
        WindowFixture f;
        for (const char* name : {"a.txt", "c.txt", "x.txt"})
            f.MakeFile(name, name);
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nremindCount=5\nclearInput=0\n"));
        f.Open();
        f.Window().Passes().SetTimerScale(100);  // no blanking during this test
        f.AddFiles({"a.txt", "c.txt", "x.txt"});
        const std::pair<const wchar_t*, const wchar_t*> passes[] = {
            {L"a", L"b"}, {L"c", L"a"}, {L"x", L"y"}};
        for (const auto& [find, replace] : passes) {
            f.Window().Panel().SetText(ctl::kFindText, find);
            f.Window().Panel().SetText(ctl::kReplaceText, replace);
            Execute(f);
        }
        QCOMPARE(f.NamesOnDisk(), (QStringList{"a.txt", "b.txt", "y.txt"}));
        QCOMPARE(Column(f, kName), (QStringList{"b.txt", "a.txt", "y.txt"}));
        // The link refreshes again: nothing moves.
        f.Window().Passes().RefreshRenamedItems();
        QCOMPARE(Column(f, kName), (QStringList{"b.txt", "a.txt", "y.txt"}));
    }

    void ActionsAfterThePass_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("optionsReset");
        QTest::addColumn<bool>("listCleared");
        QTest::addColumn<bool>("refreshed");
        QTest::newRow("nothing set") << "" << true << false << true;
        QTest::newRow("all off") << "clearInput=0\nclearFile=0\nrefreshFile=0\n"
                                 << false << false << false;
        QTest::newRow("clear the list") << "clearInput=0\nclearFile=1\nrefreshFile=0\n"
                                        << false << true << false;
        QTest::newRow("clearFile not exactly 1") << "clearFile=yes\nrefreshFile=0\n"
                                                 << true << false << false;
    }
    void ActionsAfterThePass() {
        QFETCH(QString, settings);
        QFETCH(bool, optionsReset);
        QFETCH(bool, listCleared);
        QFETCH(bool, refreshed);
        WindowFixture f;
        ListFourRows(f, settings);
        Execute(f);
        QVERIFY(f.NamesOnDisk().contains(QStringLiteral("new1.txt")));
        QCOMPARE(f.Window().Panel().Text(ctl::kFindText), optionsReset ? L"" : L"old");
        QCOMPARE(f.RowCount(), listCleared ? 0 : 4);
        if (listCleared)
            return;
        QCOMPARE(f.Cell(0, kName),
                 refreshed ? QStringLiteral("new1.txt") : QStringLiteral("old1.txt"));
        // Without a refresh nothing is blanked later.
        if (!refreshed) {
            QTest::qWait(150);
            QCOMPARE(f.Cell(0, kStatus), QStringLiteral("√成功"));
            QCOMPARE(f.Cell(0, kNewName), QStringLiteral("new1.txt"));
        }
    }

    // The count of conflicts under the list is of the disk and rows it was made for:
    // a pass or an emptied list leaves no stale warning behind.
    void ConflictCountGoesWithThePassAndTheList_data() {
        QTest::addColumn<bool>("clearWithF9");
        QTest::newRow("a pass") << false;
        QTest::newRow("F9") << true;
    }
    void ConflictCountGoesWithThePassAndTheList() {
        QFETCH(bool, clearWithF9);
        WindowFixture f;
        ListFourRows(f, QStringLiteral("clearInput=0\nrefreshFile=0\n"));
        QTRY_VERIFY(f.StatusLine().startsWith(QStringLiteral("冲突")));  // new2.txt is taken
        if (clearWithF9)
            PressKey(f.Combo(ctl::kFindText), Qt::Key_F9);
        else
            Execute(f);
        QTest::qWait(300);
        QCOMPARE(f.StatusLine(), QString());
    }

    // After the refresh blanked the new names, another pass or a name typed into one row
    // works from the names of the options again, never from the blank cells.
    void APassAfterTheBlankingRenamesFromTheOptions() {
        WindowFixture f;
        ListFourRows(f, QStringLiteral("clearInput=0\n"));
        Execute(f);
        QTRY_COMPARE(Column(f, kNewName).join(QString()), QString());
        FileListView* view = f.Window().Panel().ListView();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(2, kName)).center());
        QCOMPARE(f.Window().List().SelectedCount(), size_t(1));
        f.Window().Commands().Run(cmd::kRenameSelected);
        QCOMPARE(f.Cell(0, kNewName), QStringLiteral("new1.txt"));  // computed again
        QLineEdit* field = f.Window().Inline().Field();
        QVERIFY(field->isVisible());
        field->clear();
        TypeText(field, QStringLiteral("kept.txt"));
        PressKey(field, Qt::Key_Return);
        Execute(f);
        QVERIFY(f.NamesOnDisk().contains(QStringLiteral("kept.txt")));
        for (int row = 0; row < f.RowCount(); ++row)
            QVERIFY2(f.Cell(row, kStatus) != QStringLiteral("×失败") ||
                         !f.Window().List().Row(row).statusTip.empty(),
                     qPrintable(f.Cell(row, kName)));
        QCOMPARE(f.Cell(0, kStatus), QStringLiteral("无修改"));
    }

    void TheRefreshCountsInTheWindowsLanguage() {
        WindowFixture f;
        ListFourRows(f, QStringLiteral("clearInput=0\n"), 1033);
        Execute(f);
        QTRY_COMPARE(f.SummaryLine(), QStringLiteral("4 items"));
    }

    void RefreshBlanksNewNamesThenStatusesThenCounts() {
        WindowFixture f;
        ListFourRows(f, QStringLiteral("clearInput=0\n"));
        struct Seen {
            bool newNames, statuses, count;
            bool operator==(const Seen&) const = default;
        };
        QList<Seen> seen;
        const auto record = [&] {
            const Seen now{!Column(f, kNewName).join(QString()).isEmpty(),
                           !Column(f, kStatus).join(QString()).isEmpty(),
                           f.SummaryLine().endsWith(QStringLiteral("个对象"))};
            if (seen.isEmpty() || !(seen.back() == now))
                seen << now;
        };
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, record);
        watch.start(1);
        Execute(f);
        record();
        QCOMPARE(Column(f, kName), (QStringList{"new1.txt", "old2.txt", "keep.txt", "old3.txt"}));
        // The refreshed row shows the preview of its new name, unmarked.
        QCOMPARE(f.Cell(0, kNewName), QStringLiteral("new1.txt"));
        QCOMPARE(TextColour(f, 0, kNewName), f.Window().palette().color(QPalette::Text));
        QTRY_COMPARE(f.SummaryLine(), QStringLiteral("4个对象"));
        watch.stop();
        QCOMPARE(seen, (QList<Seen>{{true, true, false},
                                    {false, true, false},
                                    {false, false, false},
                                    {false, false, true}}));
    }

    void HistoryIsRecordedAndLoaded() {
        WindowFixture f;
        f.WriteSettings(
            QStringLiteral("[set]\nisFirstRun=1\nremindCount=2\nclearInput=0\n"
                           "[remind]\n1045=one;two;\n1087=kept;\n"));
        f.MakeFile("old.txt");
        f.Open();
        QCOMPARE(f.Window().Panel().Items(ctl::kFindText),
                 (std::vector<std::wstring>{L"two", L"one"}));
        f.AddFiles({"old.txt"});
        // Choosing an entry sets the box's text as typing it would.
        test::PreviewWaiter chosen(f.Window());
        test::ChooseItem(f.Combo(ctl::kFindText), 1);
        QCOMPARE(f.Window().Panel().Text(ctl::kFindText), L"one");
        QVERIFY(chosen.Wait());
        PressKey(f.Combo(ctl::kFindText), Qt::Key_A, Qt::ControlModifier);
        TypeText(f.Combo(ctl::kFindText), QStringLiteral("old"));
        TypeText(f.Combo(ctl::kReplaceText), QStringLiteral("new"));
        test::WaitForPreviewIdle(f.Window());
        Execute(f);
        QCOMPARE(f.NamesOnDisk(), QStringList{"new.txt"});
        QCOMPARE(f.Setting("remind", "1045"), QStringLiteral("two;old;"));
        QCOMPARE(f.Setting("remind", "1046"), QStringLiteral("new;"));
        QCOMPARE(f.Setting("remind", "1087"), QStringLiteral("kept;"));  // empty box: untouched
        QCOMPARE(f.Window().Panel().Items(ctl::kFindText),
                 (std::vector<std::wstring>{L"old", L"two"}));
        QCOMPARE(f.Window().Panel().Items(ctl::kReplaceText), std::vector<std::wstring>{L"new"});
        // The box keeps its text after the list changed under it.
        QCOMPARE(f.Window().Panel().Text(ctl::kFindText), L"old");

        f.Open();
        QCOMPARE(f.Window().Panel().Items(ctl::kFindText),
                 (std::vector<std::wstring>{L"old", L"two"}));
        QCOMPARE(f.Window().Panel().Items(ctl::kAnchorText), std::vector<std::wstring>{L"kept"});
        QCOMPARE(f.Window().Panel().Text(ctl::kFindText), L"");
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::WindowRenameTest)
#include "WindowRenameTest.moc"
