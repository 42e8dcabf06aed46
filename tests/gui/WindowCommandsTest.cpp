#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QtTest>

#include "WindowFixture.h"
#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "app/PassActions.h"
#include "engine/ControlTable.h"
#include "filelist/ColumnLayout.h"
#include "settings/MenuTable.h"

namespace tolvane {

using test::PressKey;
using test::TypeText;
using test::WindowFixture;

// Every command of the window reached through its keys, as a person presses them in
// whichever control has the focus.
class WindowCommandsTest : public QObject {
    Q_OBJECT

  private:
    // The top-level windows a person would see, the main window aside.
    static QStringList OtherWindowsShown(const QWidget& main) {
        QStringList shown;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top != &main && top->isVisible() && top->isWindow() &&
                !top->inherits("QTipLabel") && !top->inherits("QComboBoxPrivateContainer"))
                shown << QString::fromLatin1(top->metaObject()->className());
        }
        return shown;
    }

    // Two files listed with a prefix typed: what a pass would rename.
    static void ListTwoFilesWithPrefix(WindowFixture& f) {
        f.MakeFile("a.txt");
        f.MakeFile("b.txt");
        f.AddFiles({"a.txt", "b.txt"});
        QCOMPARE(f.RowCount(), 2);
        test::PreviewWaiter waiter(f.Window());
        TypeText(f.Combo(ctl::kInsertText), QStringLiteral("x_"));
        QVERIFY(waiter.Wait());
        QCOMPARE(f.Cell(0, ColumnLayout::kNewName), QStringLiteral("x_a.txt"));
    }

    // A person pastes the path into the dialog's name field and presses Enter. Typed
    // a key at a time, its leading '/' sends a dialog that is slow to read folders to
    // the root folder, which then clears the field half-way through the path.
    static void TypeIntoFileDialog(QFileDialog* dialog, const QString& path) {
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        // The completer's suggestions depend on how far the dialog has read the folders;
        // a person would wait for them, a test types past them.
        name->setCompleter(nullptr);
        name->setFocus();
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
        const bool closed = QTest::qWaitFor([&] { return !dialog->isVisible(); }, 3000);
        if (!closed)
            dialog->reject();
        QVERIFY(closed);
    }

  private slots:
    void init() { QVERIFY(QApplication::activeModalWidget() == nullptr); }

    void RestartAndExitAreCalled_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("restarts");
        QTest::addColumn<int>("exits");
        QTest::newRow("Ctrl+R") << int(Qt::Key_R) << 1 << 0;
        QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << 0 << 1;
    }
    void RestartAndExitAreCalled() {
        QFETCH(int, key);
        QFETCH(int, restarts);
        QFETCH(int, exits);
        WindowFixture f;
        f.Open();
        PressKey(f.Combo(ctl::kInsertText), key, Qt::ControlModifier);
        QCOMPARE(f.restarts, restarts);
        QCOMPARE(f.exits, exits);
        // The window does not close first: the process ends at once.
        QVERIFY(f.Window().isVisible());
    }

    void AddFilesOpensAFileDialog() {
        WindowFixture f;
        f.MakeFile("one.txt");
        f.Open();
        // Cancelled: nothing added.
        auto seen = test::WhenDialogShows("QFileDialog",
                                          [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
        PressKey(f.Combo(ctl::kInsertText), Qt::Key_F3);
        QVERIFY(*seen);
        QCOMPARE(f.RowCount(), 0);
        // A file chosen: it becomes a row.
        const QString file = QString::fromStdString((f.Files() / "one.txt").string());
        seen = test::WhenDialogShows("QFileDialog", [file](QWidget* w) {
            TypeIntoFileDialog(qobject_cast<QFileDialog*>(w), file);
        });
        PressKey(f.Combo(ctl::kInsertText), Qt::Key_F3);
        QVERIFY(*seen);
        QCOMPARE(f.RowCount(), 1);
        QCOMPARE(f.Cell(0, ColumnLayout::kName), QStringLiteral("one.txt"));
    }

    void AddFolderOpensAFolderDialog() {
        WindowFixture f;
        f.MakeFile("p.txt");
        f.MakeFile("q.txt");
        f.Open();
        auto seen = test::WhenDialogShows("QFileDialog",
                                          [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
        PressKey(f.Window().Panel().ListView(), Qt::Key_F4);
        QVERIFY(*seen);
        QCOMPARE(f.RowCount(), 0);
        const QString folder = QString::fromStdString(f.Files().string());
        seen = test::WhenDialogShows("QFileDialog", [folder](QWidget* w) {
            TypeIntoFileDialog(qobject_cast<QFileDialog*>(w), folder);
        });
        PressKey(f.Window().Panel().ListView(), Qt::Key_F4);
        QVERIFY(*seen);
        QCOMPARE(f.RowCount(), 2);
    }

    void ExecuteThenEitherUndoKey_data() {
        QTest::addColumn<int>("undoModifiers");
        QTest::newRow("Ctrl+Shift+F2") << int(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("Ctrl+Alt+F2") << int(Qt::ControlModifier | Qt::AltModifier);
    }
    void ExecuteThenEitherUndoKey() {
        QFETCH(int, undoModifiers);
        WindowFixture f;
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nrefreshFile=1\nclearInput=0\n"));
        f.Open();
        ListTwoFilesWithPrefix(f);
        int asked = 0;
        f.Window().Passes().SetConfirm([&asked](const QString&) { return ++asked > 0; });
        PressKey(f.Combo(ctl::kInsertText), Qt::Key_F2, Qt::ControlModifier);
        QCOMPARE(f.NamesOnDisk(), (QStringList{"x_a.txt", "x_b.txt"}));
        PressKey(f.Window().Panel().ListView(), Qt::Key_F2, Qt::KeyboardModifiers(undoModifiers));
        QCOMPARE(asked, 1);
        QCOMPARE(f.NamesOnDisk(), (QStringList{"a.txt", "b.txt"}));
    }

    void ResetAndClearKeys() {
        WindowFixture f;
        f.Open();
        ListTwoFilesWithPrefix(f);
        QTest::mouseClick(f.Control(ctl::kSerialEnabled), Qt::LeftButton);
        QVERIFY(f.Window().Panel().Checked(ctl::kSerialEnabled));
        PressKey(f.Combo(ctl::kInsertText), Qt::Key_F8);
        QCOMPARE(f.Window().Panel().Text(ctl::kInsertText), std::wstring());
        QVERIFY(!f.Window().Panel().Checked(ctl::kSerialEnabled));
        QCOMPARE(f.RowCount(), 2);
        PressKey(f.Window().Panel().ListView(), Qt::Key_F9);
        QCOMPARE(f.RowCount(), 0);
        // The files themselves are not touched.
        QCOMPARE(f.NamesOnDisk(), (QStringList{"a.txt", "b.txt"}));
    }

    void KeysOfTheCommandTable_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QList<QKeySequence>>("keys");
        using K = QList<QKeySequence>;
        QTest::newRow("add files") << cmd::kAddFiles << K{Qt::Key_F3};
        QTest::newRow("add folder") << cmd::kAddFolder << K{Qt::Key_F4};
        QTest::newRow("restart") << cmd::kRestart << K{Qt::CTRL | Qt::Key_R};
        QTest::newRow("exit") << cmd::kExit << K{Qt::CTRL | Qt::Key_Q};
        QTest::newRow("execute") << cmd::kExecute << K{Qt::CTRL | Qt::Key_F2};
        QTest::newRow("undo") << cmd::kUndo
                              << K{Qt::CTRL | Qt::ALT | Qt::Key_F2,
                                   Qt::CTRL | Qt::SHIFT | Qt::Key_F2};
        QTest::newRow("reset") << cmd::kResetOptions << K{Qt::Key_F8};
        QTest::newRow("clear") << cmd::kClearList << K{Qt::Key_F9};
        QTest::newRow("on top") << cmd::kAlwaysOnTop << K{Qt::CTRL | Qt::Key_T};
    }
    void KeysOfTheCommandTable() {
        QFETCH(int, command);
        QFETCH(QList<QKeySequence>, keys);
        WindowFixture f;
        f.Open();
        QCOMPARE(f.Window().Commands().Keys(command), keys);
        // The menu item names the key a person can use on Linux.
        if (QAction* action = f.Window().Commands().Action(command)) {
            const QString caption = action->text();
            const QString shown = keys.back().toString(QKeySequence::PortableText);
            QVERIFY2(caption.endsWith(QStringLiteral("\t") + shown), qPrintable(caption));
        }
    }

    // Enter, Escape and F1 in any control: nothing renamed, nothing closed, no dialog.
    void EnterEscapeAndF1DoNothing_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("key");
        const QList<QPair<int, QString>> keys = {{Qt::Key_Return, "Enter"},
                                                 {Qt::Key_Enter, "keypad Enter"},
                                                 {Qt::Key_Escape, "Escape"},
                                                 {Qt::Key_F1, "F1"}};
        const QList<QPair<int, QString>> controls = {{ctl::kInsertText, "insert box"},
                                                     {ctl::kInsertPositionEdit, "number field"},
                                                     {ctl::kFileList, "list"},
                                                     {ctl::kExecute, "rename button"},
                                                     {ctl::kConversion, "conversion list"}};
        for (const auto& [control, where] : controls) {
            for (const auto& [key, name] : keys)
                QTest::newRow(qPrintable(name + QStringLiteral(" in ") + where)) << control << key;
        }
    }
    void EnterEscapeAndF1DoNothing() {
        QFETCH(int, control);
        QFETCH(int, key);
        WindowFixture f;
        f.Open();
        ListTwoFilesWithPrefix(f);
        QWidget* target = control == ctl::kFileList
                              ? static_cast<QWidget*>(f.Window().Panel().ListView())
                              : f.Control(control);
        if (control == ctl::kInsertPositionEdit)
            QTest::mouseClick(f.Control(ctl::kInsertAtPosition), Qt::LeftButton);
        const std::wstring typed = f.Window().Panel().Text(ctl::kInsertText);
        PressKey(target, key);
        QTest::qWait(50);
        QCOMPARE(f.NamesOnDisk(), (QStringList{"a.txt", "b.txt"}));
        QVERIFY(f.Window().isVisible());
        QCOMPARE(OtherWindowsShown(f.Window()), QStringList());
        QCOMPARE(f.Cell(0, ColumnLayout::kStatus), QString());
        QCOMPARE(f.RowCount(), 2);
        QCOMPARE(f.Window().Panel().Text(ctl::kInsertText), typed);
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::WindowCommandsTest)
#include "WindowCommandsTest.moc"
