#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QtTest>

#include "WindowFixture.h"
#include "app/BatchLock.h"
#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/HeaderMenu.h"
#include "app/InlineEditor.h"
#include "app/OptionPanel.h"
#include "app/RowMenu.h"
#include "engine/ControlTable.h"
#include "filelist/ColumnLayout.h"
#include "settings/MenuTable.h"

namespace tolvane {

using test::PressKey;
using test::TypeText;
using test::WindowFixture;

// What the desktop is asked to open, instead of starting programs.
class UrlRecorder : public QObject {
    Q_OBJECT

  public:
    QList<QUrl> opened;

  public slots:
    void Open(const QUrl& url) { opened << url; }
};

// The list's tools as a person uses them: the row menu and its enabling, the keys of
// the list, the inline editor, the filter, the column menu and long batches.
class ListToolsTest : public QObject {
    Q_OBJECT

  private:
    static QStringList Names(WindowFixture& f) {
        QStringList names;
        for (int r = 0; r < f.RowCount(); ++r)
            names << f.Cell(r, ColumnLayout::kName);
        return names;
    }
    // Files a..e listed in that order, c unchecked.
    static void ListFive(WindowFixture& f) {
        QStringList names;
        for (const char* name : {"a", "b", "c", "d", "e"}) {
            f.MakeFile(name);
            names << QString::fromLatin1(name);
        }
        f.AddFiles(names);
        QCOMPARE(f.RowCount(), 5);
        f.Window().List().SetChecked(2, false);
    }
    // Selects the rows as a person does: a click on the first, Ctrl+clicks on the others.
    static void SelectRows(WindowFixture& f, const QList<int>& rows) {
        FileListView* view = f.Window().Panel().ListView();
        view->clearSelection();
        for (int i = 0; i < rows.size(); ++i) {
            const QRect cell = view->visualRect(view->model()->index(rows[i], 1));
            QTest::mouseClick(view->viewport(), Qt::LeftButton,
                              i == 0 ? Qt::NoModifier : Qt::ControlModifier, cell.center());
        }
    }
    static QAction* Item(WindowFixture& f, int command) {
        return f.Window().Rows().Menu()->findChild<QAction*>(
            QStringLiteral("command%1").arg(command));
    }

    // The window with an open menu drawn where it shows, for a person to look at.
    static void SavePictureWithMenu(QWidget& window, QMenu& menu, const QString& name) {
        const QString folder = qEnvironmentVariable("TOLVANE_SCREENSHOT_DIR");
        if (folder.isEmpty())
            return;
        QImage picture = window.grab().toImage();
        QPainter painter(&picture);
        painter.drawPixmap(window.mapFromGlobal(menu.pos()), menu.grab());
        painter.end();
        picture.save(folder + QStringLiteral("/") + name + QStringLiteral(".png"));
    }

    UrlRecorder urls_;

  private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("file"), &urls_, "Open"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void RowMenuIsEnabledForTheSelection_data() {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QList<int>>("disabled");
        using cmd::kCheck, cmd::kMoveBottom, cmd::kMoveDown, cmd::kMoveTop, cmd::kMoveUp,
            cmd::kOpenFile, cmd::kRenameSelected, cmd::kUncheck;
        QTest::newRow("none") << QList<int>{} << QList<int>{kUncheck};
        QTest::newRow("first, checked") << QList<int>{0} << QList<int>{kMoveTop, kMoveUp, kCheck};
        QTest::newRow("middle, unchecked") << QList<int>{2} << QList<int>{kUncheck};
        QTest::newRow("last, checked")
            << QList<int>{4} << QList<int>{kMoveDown, kMoveBottom, kCheck};
        QTest::newRow("several") << QList<int>{0, 4} << QList<int>{kRenameSelected, kOpenFile};
        QTest::newRow("all") << QList<int>{0, 1, 2, 3, 4} << QList<int>{kRenameSelected, kOpenFile};
    }
    void RowMenuIsEnabledForTheSelection() {
        QFETCH(QList<int>, rows);
        QFETCH(QList<int>, disabled);
        WindowFixture f;
        f.Open();
        ListFive(f);
        SelectRows(f, rows);
        f.Window().Rows().UpdateEnabling();
        int items = 0;
        for (const MenuItemInfo& info : MenuItems()) {
            if (info.menu != MenuId::RowMenu)
                continue;
            ++items;
            QAction* action = Item(f, info.commandId);
            QVERIFY(action != nullptr);
            QCOMPARE(action->isEnabled(), !disabled.contains(info.commandId));
        }
        QCOMPARE(items, 11);
        QCOMPARE(Item(f, cmd::kRenameSelected)->text(), QStringLiteral("修改选中的文件名\tF2"));
    }

    void RowMenuItemsChangeTheRows_data() {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("checked");  // one letter per row: x checked, - not
        QTest::newRow("top") << QList<int>{2, 3} << cmd::kMoveTop
                             << QStringList{"c", "d", "a", "b", "e"} << "-xxxx";
        QTest::newRow("up at the top stays")
            << QList<int>{0} << cmd::kMoveUp << QStringList{"a", "b", "c", "d", "e"} << "xx-xx";
        QTest::newRow("down at the bottom stays")
            << QList<int>{4} << cmd::kMoveDown << QStringList{"a", "b", "c", "d", "e"} << "xx-xx";
        QTest::newRow("bottom gathers") << QList<int>{0, 2} << cmd::kMoveBottom
                                        << QStringList{"b", "d", "e", "a", "c"} << "xxxx-";
        QTest::newRow("check") << QList<int>{1, 2} << cmd::kCheck
                               << QStringList{"a", "b", "c", "d", "e"} << "xxxxx";
        QTest::newRow("uncheck") << QList<int>{0, 4} << cmd::kUncheck
                                 << QStringList{"a", "b", "c", "d", "e"} << "-x-x-";
        QTest::newRow("remove") << QList<int>{1, 3} << cmd::kRemove << QStringList{"a", "c", "e"}
                                << "x-x";
        QTest::newRow("clear") << QList<int>{1} << cmd::kClearList2 << QStringList{} << "";
    }
    void RowMenuItemsChangeTheRows() {
        QFETCH(QList<int>, rows);
        QFETCH(int, command);
        QFETCH(QStringList, names);
        QFETCH(QString, checked);
        WindowFixture f;
        f.Open();
        ListFive(f);
        SelectRows(f, rows);
        Item(f, command)->trigger();
        QCOMPARE(Names(f), names);
        QString shown;
        for (int r = 0; r < f.RowCount(); ++r) {
            shown += f.Window().List().Row(static_cast<size_t>(r)).checked ? 'x' : '-';
            QCOMPARE(f.Cell(r, ColumnLayout::kSerial), QString::number(r + 1));
        }
        QCOMPARE(shown, checked);
        // The count under the list follows; an emptied list shows none.
        QCOMPARE(f.SummaryLine(),
                 names.isEmpty() ? QString() : QStringLiteral("%1个对象").arg(names.size()));
    }

    void KeysOfTheListSelectRemoveAndClear() {
        WindowFixture f;
        f.Open();
        ListFive(f);
        FileListView* view = f.Window().Panel().ListView();
        PressKey(view, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.Window().List().SelectedCount(), 5u);
        QVERIFY(!f.Window().List().Row(2).checked);  // Ctrl+A leaves the check boxes
        PressKey(view, Qt::Key_Delete);
        QCOMPARE(f.RowCount(), 0);
        QCOMPARE(f.Window().List().Registry().Size(), 0u);
        QCOMPARE(f.SummaryLine(), QString());
        // The same files can come back: nothing of them is left in the list.
        ListFive(f);
        QVERIFY(view->horizontalHeader()->isSortIndicatorShown());
        PressKey(view, Qt::Key_Up, Qt::AltModifier);  // no selection: only renumbers
        PressKey(f.Combo(ctl::kInsertText), Qt::Key_F9);
        QCOMPARE(f.RowCount(), 0);
        QVERIFY(!view->horizontalHeader()->isSortIndicatorShown());
    }

    void AltKeysMoveTheSelection() {
        WindowFixture f;
        f.Open();
        ListFive(f);
        SelectRows(f, {3});
        QWidget* view = f.Window().Panel().ListView();
        PressKey(view, Qt::Key_Home, Qt::AltModifier);
        QCOMPARE(Names(f), (QStringList{"d", "a", "b", "c", "e"}));
        PressKey(view, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(Names(f), (QStringList{"a", "d", "b", "c", "e"}));
        PressKey(view, Qt::Key_End, Qt::AltModifier);
        QCOMPARE(Names(f), (QStringList{"a", "b", "c", "e", "d"}));
        PressKey(view, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(Names(f), (QStringList{"a", "b", "c", "d", "e"}));
    }

    void OpensFilesAndTheirFolders() {
        WindowFixture f;
        f.Open();
        ListFive(f);
        urls_.opened.clear();
        SelectRows(f, {1});
        Item(f, cmd::kOpenFile)->trigger();
        const QUrl b = QUrl::fromLocalFile(QString::fromStdString((f.Files() / "b").string()));
        QCOMPARE(urls_.opened, QList<QUrl>{b});
        // A double click on a cell past the serial opens the file too.
        FileListView* view = f.Window().Panel().ListView();
        const QRect cell = view->visualRect(view->model()->index(1, 2));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QCOMPARE(urls_.opened.size(), 2);
        // A file gone from the disk opens nothing.
        std::filesystem::remove(f.Files() / "b");
        Item(f, cmd::kOpenFile)->trigger();
        QCOMPARE(urls_.opened.size(), 2);
        // Without a file manager on the bus, several rows open their folder once.
        urls_.opened.clear();
        SelectRows(f, {0, 3, 4});
        QVERIFY(Item(f, cmd::kOpenFolderOfFile)->isEnabled());
        Item(f, cmd::kOpenFolderOfFile)->trigger();
        const QUrl folder = QUrl::fromLocalFile(QString::fromStdString(f.Files().string()));
        QTRY_COMPARE(urls_.opened, QList<QUrl>{folder});
    }

    // Names typed into rows by hand are what a pass renames to, also when one of them
    // cannot be: that row fails, the others are renamed.
    void InlineRenamesAreWhatThePassRenamesTo() {
        WindowFixture f;
        f.Open();
        for (const char* name : {"a.txt", "b.txt", "c.txt", "taken.txt"})
            f.MakeFile(name);
        f.AddFiles({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
        FileListView* view = f.Window().Panel().ListView();
        QLineEdit* field = f.Window().Inline().Field();
        const auto rename = [&](int row, const QString& to) {
            SelectRows(f, {row});
            PressKey(view, Qt::Key_F2);
            field->clear();
            TypeText(field, to);
            PressKey(field, Qt::Key_Return);
            QCOMPARE(f.Cell(row, 2), to);
        };
        rename(0, QStringLiteral("海边.txt"));
        rename(1, QStringLiteral("taken.txt"));
        QTest::qWait(400);  // whatever the edits set off has run
        QCOMPARE(f.Cell(0, 2), QStringLiteral("海边.txt"));
        PressKey(view, Qt::Key_F2, Qt::ControlModifier);  // from the list, where the edits were
        const QStringList onDisk = f.NamesOnDisk();
        QVERIFY2(onDisk.contains(QStringLiteral("海边.txt")), qPrintable(onDisk.join(u',')));
        QVERIFY2(onDisk.contains(QStringLiteral("b.txt")), qPrintable(onDisk.join(u',')));
        QVERIFY(onDisk.contains(QStringLiteral("c.txt")));
        QVERIFY(f.Cell(1, 3).startsWith(u'×'));
    }

    void InlineRenameCommitsAndCancels_data() {
        QTest::addColumn<bool>("sortedAndScrolled");
        QTest::newRow("short list") << false;
        QTest::newRow("sorted descending, scrolled to the end") << true;
    }
    void InlineRenameCommitsAndCancels() {
        QFETCH(bool, sortedAndScrolled);
        WindowFixture f;
        f.Open();
        QStringList names;
        for (int i = 0; i < 80; ++i) {
            names << QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0'));
            f.MakeFile(names.back().toStdString());
        }
        f.AddFiles(names);
        FileListView* view = f.Window().Panel().ListView();
        int row = 1;
        if (sortedAndScrolled) {
            emit view->HeaderClicked(1);
            emit view->HeaderClicked(1);  // the second click reverses
            QCOMPARE(f.Cell(0, 1), QStringLiteral("f79.txt"));
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
            row = 77;
        }
        const QString name = f.Cell(row, 1);
        SelectRows(f, {row});
        InlineEditor& editor = f.Window().Inline();
        PressKey(view, Qt::Key_F2);
        QVERIFY(editor.Editing());
        QLineEdit* field = editor.Field();
        QVERIFY(field->isVisible());
        QCOMPARE(field->text(), name);
        const auto cellOf = [&] { return view->visualRect(view->model()->index(row, 2)); };
        QCOMPARE(field->geometry(), cellOf());
        QVERIFY(view->viewport()->rect().contains(field->geometry()));
        // It follows its row when the list scrolls.
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() - 3);
        QCOMPARE(field->geometry(), cellOf());

        // Escape: nothing changes.
        field->selectAll();
        TypeText(field, QStringLiteral("zzz"));
        PressKey(field, Qt::Key_Escape);
        QVERIFY(!field->isVisible());
        QCOMPARE(f.Cell(row, 2), name);

        // Enter: the text without the characters no name holds.
        PressKey(view, Qt::Key_F2);
        field->clear();
        TypeText(field, QStringLiteral("a/b:c"));
        PressKey(field, Qt::Key_Return);
        QVERIFY(!field->isVisible());
        QCOMPARE(f.Cell(row, 2), QStringLiteral("abc"));

        // Leaving the field commits.
        PressKey(view, Qt::Key_F2);
        field->clear();
        TypeText(field, QStringLiteral("left"));
        f.Combo(ctl::kInsertText)->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(!field->isVisible());
        QCOMPARE(f.Cell(row, 2), QStringLiteral("left"));

        // F2 with two rows selected opens nothing.
        SelectRows(f, {row, row - 1});
        PressKey(view, Qt::Key_F2);
        QVERIFY(!editor.Editing());
    }

    void FilterPicksMatchingRowsAndTakesItsHistory_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("picked");  // for abc, xabcx, ABC.TXT, notes.txt, txt
        QTest::newRow("word, any case") << "abc"
                                        << "xxx--";
        QTest::newRow("wildcards") << "a?c"
                                   << "xxx--";
        QTest::newRow("star") << "*.txt"
                              << "--xx-";
        QTest::newRow("pattern") << "^(ab|no)"
                                 << "x-xx-";
        QTest::newRow("emptied") << ""
                                 << "-----";
    }
    void FilterPicksMatchingRowsAndTakesItsHistory() {
        QFETCH(QString, filter);
        QFETCH(QString, picked);
        WindowFixture f;
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nremindCount=5\n[remind]\n1090=") +
                        filter + QStringLiteral(";\n"));
        f.Open();
        QStringList names = {"abc", "xabcx", "ABC.TXT", "notes.txt", "txt"};
        for (const QString& name : names)
            f.MakeFile(name.toStdString());
        f.AddFiles(names);
        // A checked row is a selected one; '?' where they differ.
        const auto shown = [&] {
            QString marks;
            for (size_t r = 0; r < 5; ++r) {
                const FileItem& item = f.Window().List().Row(r);
                marks += item.checked != item.selected ? '?' : item.checked ? 'x' : '-';
            }
            return marks;
        };
        const auto byName = [&](const QString& expected) {
            QString inListOrder;
            for (int r = 0; r < 5; ++r)
                inListOrder += expected[names.indexOf(f.Cell(r, 1))];
            return inListOrder;
        };
        QComboBox* box = f.Combo(ctl::kFilter);
        box->setEditText(QStringLiteral("x"));
        TypeText(box, filter);
        box->setEditText(filter);
        QCOMPARE(shown(), byName(picked));
        // The same filter chosen from its history.
        box->setEditText(QStringLiteral("zzzz"));
        QCOMPARE(shown(), QStringLiteral("-----"));
        if (filter.isEmpty())
            return;
        QCOMPARE(box->itemText(0), filter);
        test::ChooseItem(box, 0);
        QCOMPARE(box->currentText(), filter);
        QCOMPARE(shown(), byName(picked));
    }

    void ColumnSwitchesAreStoredAndComeBack() {
        WindowFixture f;
        f.Open();
        ListFive(f);
        HeaderMenu& menu = f.Window().Header();
        const auto act = [&](int command) {
            return menu.Menu()->findChild<QAction*>(QStringLiteral("command%1").arg(command));
        };
        act(cmd::kColumnExtension)->trigger();
        act(cmd::kColumnSize)->trigger();
        QCOMPARE(f.Window().Panel().ListView()->model()->columnCount(), 7);
        QCOMPARE(f.Setting("listSet", "32852"), QStringLiteral("1"));
        QCOMPARE(f.Setting("listSet", "32853"), QStringLiteral("1"));
        QCOMPARE(f.Cell(0, 4), QStringLiteral("0B"));
        menu.UpdateChecks();
        QVERIFY(act(cmd::kColumnSize)->isChecked());
        QVERIFY(!act(cmd::kColumnCreated)->isChecked());

        f.Open();  // the next start
        HeaderMenu& again = f.Window().Header();
        QAbstractItemModel* model = f.Window().Panel().ListView()->model();
        QCOMPARE(model->columnCount(), 7);
        QCOMPARE(model->headerData(4, Qt::Horizontal).toString(), QStringLiteral("大小"));
        QCOMPARE(model->headerData(5, Qt::Horizontal).toString(), QStringLiteral("扩展名"));
        again.Switch(OptionalColumn::Size);
        QCOMPARE(model->columnCount(), 6);
        QCOMPARE(f.Setting("listSet", "32852"), QStringLiteral("0"));

        // Fitting widens a column to a long name.
        f.MakeFile(std::string(120, 'n'));
        f.AddFiles({QString(120, 'n')});
        FileListView* view = f.Window().Panel().ListView();
        const int before = view->columnWidth(1);
        f.Window().Commands().Run(cmd::kFitColumns);
        QVERIFY(view->columnWidth(1) > before);
    }

    void LongBatchesLockTheControlsAndShowProgress_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("locks");
        QTest::newRow("100 items: at once") << 100 << false;
        QTest::newRow("101 items: locked") << 101 << true;
    }
    void LongBatchesLockTheControlsAndShowProgress() {
        QFETCH(int, files);
        QFETCH(bool, locks);
        WindowFixture f;
        f.Open();
        QStringList names;
        for (int i = 0; i < files; ++i) {
            names << QStringLiteral("n%1").arg(i);
            f.MakeFile(names.back().toStdString());
        }
        auto* bar = qobject_cast<QProgressBar*>(f.Control(ctl::kProgress));
        struct Seen {
            bool progress = false, execute = true, filter = true, textMode = true, reset = false;
            bool links = false, list = false;
        } seen;
        int began = 0;
        connect(&f.Window().Batch(), &BatchLock::Began, this, [&] {
            ++began;
            seen = {bar->isVisible(),
                    f.Control(ctl::kExecute)->isEnabled(),
                    f.Control(ctl::kFilter)->isEnabled(),
                    f.Control(ctl::kTextMode)->isEnabled(),
                    f.Control(ctl::kResetOptions)->isEnabled(),
                    f.Control(1026)->isEnabled(),
                    f.Control(ctl::kFileList)->isEnabled()};
        });
        const bool executeBefore = f.Control(ctl::kExecute)->isEnabled();
        f.AddFiles(names);
        QCOMPARE(f.RowCount(), files);
        QCOMPARE(began, locks ? 1 : 0);
        if (locks) {
            QVERIFY(seen.progress);
            QVERIFY(!seen.execute && !seen.filter && !seen.textMode);
            QVERIFY(seen.reset && seen.links && seen.list);
            QCOMPARE(bar->maximum(), files);
        }
        QVERIFY(!bar->isVisible());
        QCOMPARE(f.Control(ctl::kExecute)->isEnabled(), executeBefore);
        QVERIFY(f.Control(ctl::kFilter)->isEnabled());
        QVERIFY(f.Control(ctl::kTextMode)->isEnabled());
    }

    void EscapeCancelsTheRestOfALongBatch() {
        WindowFixture f;
        f.Open();
        QStringList names;
        for (int i = 0; i < 3000; ++i) {
            names << QStringLiteral("m%1").arg(i);
            f.MakeFile(names.back().toStdString());
        }
        FileListView* view = f.Window().Panel().ListView();
        const QMetaObject::Connection once =
            connect(&f.Window().Batch(), &BatchLock::Began, this, [&] {
                QTest::keyClick(view, Qt::Key_Delete);  // held off: nothing is removed
                QTest::keyClick(view, Qt::Key_Escape);
            });
        f.AddFiles(names);
        QVERIFY(f.RowCount() > 0);
        QVERIFY(f.RowCount() < 3000);
        QVERIFY(!f.Window().Batch().Busy());
        QVERIFY(f.Control(ctl::kExecute)->isEnabled());
        QCOMPARE(f.SummaryLine(), QStringLiteral("%1个对象").arg(f.RowCount()));
        disconnect(once);
        // What was not added can be added now.
        f.AddFiles(names);
        QCOMPARE(f.RowCount(), 3000);
    }

    void MenusAsAPersonSeesThem() {
        WindowFixture f;
        f.Open();
        ListFive(f);
        SelectRows(f, {1});
        FileListView* view = f.Window().Panel().ListView();
        QVERIFY(f.Window().Rows().Popup(view->viewport()->mapToGlobal(QPoint(60, 40))));
        QTRY_VERIFY(f.Window().Rows().Menu()->isVisible());
        SavePictureWithMenu(f.Window(), *f.Window().Rows().Menu(), QStringLiteral("list-row-menu"));
        f.Window().Rows().Menu()->hide();
        f.Window().Header().Popup(view->horizontalHeader()->mapToGlobal(QPoint(80, 5)));
        QTRY_VERIFY(f.Window().Header().Menu()->isVisible());
        SavePictureWithMenu(f.Window(), *f.Window().Header().Menu(),
                            QStringLiteral("list-header-menu"));
        f.Window().Header().Menu()->hide();
        f.Window().List().Clear();
        QVERIFY(!f.Window().Rows().Popup(QPoint(10, 10)));  // an empty list has no menu
    }
};

}  // namespace tolvane

int main(int argc, char** argv) {
    // No session bus: showing a file in the file manager falls back to its folder.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tolvane-test-bus");
    QApplication app(argc, argv);
    tolvane::ListToolsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "ListToolsTest.moc"
