#include <QAccessible>
#include <QHeaderView>
#include <QtTest>

#include "WindowFixture.h"
#include "app/FileListModel.h"
#include "app/FileListView.h"
#include "app/InlineEditor.h"
#include "app/OptionPanel.h"
#include "filelist/ColumnLayout.h"
#include "filelist/FileList.h"
#include "filelist/ListEditing.h"

namespace tolvane {

using test::FocusOn;
using test::WindowFixture;

// Selecting rows with real mouse and key events. The core list's flags are the whole
// selection, so every case reads them, the selection mark, and what is drawn.
class ListSelectionTest : public QObject {
    Q_OBJECT

  private:
    static constexpr int kRows = 10;

    static FileListView* View(WindowFixture& f) { return f.Window().Panel().ListView(); }
    static QPoint CellCentre(WindowFixture& f, int row) {
        return View(f)->visualRect(View(f)->model()->index(row, ColumnLayout::kName)).center();
    }
    // One letter per row: x selected, - not.
    static QString Shown(WindowFixture& f) {
        QString shown;
        for (size_t r = 0; r < f.Window().List().RowCount(); ++r)
            shown += f.Window().List().Row(r).selected ? 'x' : '-';
        return shown;
    }
    static void ListRows(WindowFixture& f) {
        QStringList names;
        for (int i = 0; i < kRows; ++i) {
            const std::string name(1, static_cast<char>('a' + i));
            f.MakeFile(name);
            names << QString::fromStdString(name);
        }
        f.AddFiles(names);
        QCOMPARE(f.RowCount(), kRows);
        FocusOn(View(f));
    }
    static const QHash<QString, Qt::Key>& Keys() {
        static const QHash<QString, Qt::Key> keys{{QStringLiteral("Down"), Qt::Key_Down},
                                                  {QStringLiteral("Up"), Qt::Key_Up},
                                                  {QStringLiteral("Space"), Qt::Key_Space},
                                                  {QStringLiteral("Home"), Qt::Key_Home},
                                                  {QStringLiteral("End"), Qt::Key_End}};
        return keys;
    }
    // Steps: c<row> click, s<row> Shift+click, t<row> Ctrl+click, r<row> right click,
    // d<from>-<to> a drag, "empty" a click below the rows; keys (Keys()) alone, with
    // Shift (S+Down) or with Ctrl (C+Down).
    static void Run(WindowFixture& f, const QString& step) {
        QWidget* viewport = View(f)->viewport();
        const QChar kind = step.at(0);
        const int row = step.mid(1).section('-', 0, 0).toInt();
        if (step == QStringLiteral("empty")) {
            const QRect last = View(f)->visualRect(View(f)->model()->index(kRows - 1, 1));
            const QPoint below(last.center().x(), last.bottom() + last.height());
            QVERIFY(viewport->rect().contains(below));
            QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, below);
        } else if (Keys().contains(step.section('+', -1))) {
            Qt::KeyboardModifiers modifiers;
            if (step.startsWith(QStringLiteral("S+")))
                modifiers = Qt::ShiftModifier;
            if (step.startsWith(QStringLiteral("C+")))
                modifiers = Qt::ControlModifier;
            QTest::keyClick(View(f), Keys().value(step.section('+', -1)), modifiers);
        } else if (kind == 'd') {
            const int to = step.section('-', 1).toInt();
            QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, CellCentre(f, row));
            for (int r = row; r != to;) {
                r += to > row ? 1 : -1;
                QTest::mouseMove(viewport, CellCentre(f, r));
            }
            QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, CellCentre(f, to));
        } else {
            const Qt::KeyboardModifiers modifiers = kind == 's'   ? Qt::ShiftModifier
                                                    : kind == 't' ? Qt::ControlModifier
                                                                  : Qt::NoModifier;
            QTest::mouseClick(viewport, kind == 'r' ? Qt::RightButton : Qt::LeftButton, modifiers,
                              CellCentre(f, row));
        }
    }

  private slots:
    // A screen reader learns which rows are selected, whoever selected them.
    void AScreenReaderHearsTheSelectedRows() {
        WindowFixture f;
        f.Open();
        ListRows(f);
        View(f)->SetMirrorSelection(true);  // a screen reader listens
        Run(f, QStringLiteral("c2"));
        Run(f, QStringLiteral("s4"));
        QCOMPARE(View(f)->selectionModel()->selectedRows().size(), 3);
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(View(f));
        QVERIFY(table && table->tableInterface());
        QCOMPARE(table->tableInterface()->selectedRows(), (QList<int>{2, 3, 4}));
        SelectEveryRow(f.Window().List());  // as Ctrl+A does, in the list itself
        QCOMPARE(table->tableInterface()->selectedRowCount(), kRows);
        View(f)->SetMirrorSelection(false);
        Run(f, QStringLiteral("c1"));
        QVERIFY(!View(f)->selectionModel()->hasSelection());
    }

    void MouseAndKeysSelect_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("mark");
        QTest::newRow("click") << "c2"
                               << "--x-------" << 2;
        QTest::newRow("click moves the selection") << "c2 c6"
                                                   << "------x---" << 6;
        QTest::newRow("shift+click down") << "c2 s5"
                                          << "--xxxx----" << 5;
        QTest::newRow("shift+click up") << "c5 s2"
                                        << "--xxxx----" << 2;
        QTest::newRow("shift+click shrinks the span") << "c2 s7 s3"
                                                      << "--xx------" << 3;
        QTest::newRow("shift+click across the anchor") << "c4 s7 s1"
                                                       << "-xxxx-----" << 1;
        QTest::newRow("ctrl+click adds and takes away") << "c1 t3 t5 t3"
                                                        << "-x---x----" << 3;
        QTest::newRow("shift after ctrl keeps the rows before") << "c0 t4 s6 s5"
                                                                << "x---xx----" << 5;
        QTest::newRow("ctrl+click then shift over a taken-away row") << "c1 s4 t3 s5"
                                                                     << "-xxxxx----" << 5;
        QTest::newRow("shift+down") << "c2 S+Down S+Down"
                                    << "--xxx-----" << 4;
        QTest::newRow("shift+up back over the anchor") << "c3 S+Down S+Up S+Up"
                                                       << "--xx------" << 2;
        QTest::newRow("down leaves one row") << "c2 S+Down Down"
                                             << "----x-----" << 4;
        QTest::newRow("ctrl+down moves, space adds") << "c2 C+Down C+Down Space"
                                                     << "--x-x-----" << 4;
        QTest::newRow("ctrl+space takes away") << "c2 S+Down C+Space"
                                               << "--x-------" << 3;
        QTest::newRow("home") << "c5 Home"
                              << "x---------" << 0;
        QTest::newRow("end") << "c2 End"
                             << "---------x" << 9;
        QTest::newRow("ctrl+home moves the selection too") << "c5 C+Home"
                                                           << "x---------" << 0;
        QTest::newRow("ctrl+end moves the selection too") << "c2 C+End"
                                                          << "---------x" << 9;
        QTest::newRow("shift+home spans to the top") << "c3 S+Home"
                                                     << "xxxx------" << 0;
        QTest::newRow("shift+end spans to the bottom") << "c6 S+End"
                                                       << "------xxxx" << 9;
        QTest::newRow("drag down") << "d1-4"
                                   << "-xxxx-----" << 4;
        QTest::newRow("drag up") << "d6-3"
                                 << "---xxxx---" << 3;
        QTest::newRow("a click past the rows empties") << "c2 t4 empty"
                                                       << "----------" << 4;
        QTest::newRow("right click inside keeps, and anchors") << "c1 s3 r2 s4"
                                                               << "-xxxx-----" << 4;
        QTest::newRow("right click outside selects it") << "c1 s3 r6"
                                                        << "------x---" << 6;
    }
    void MouseAndKeysSelect() {
        QFETCH(QString, steps);
        QFETCH(QString, selected);
        QFETCH(int, mark);
        WindowFixture f;
        f.Open();
        ListRows(f);
        for (const QString& step : steps.split(' '))
            Run(f, step);
        QCOMPARE(Shown(f), selected);
        QCOMPARE(f.Window().List().SelectionMark(), mark);
        QCOMPARE(View(f)->currentIndex().row(), mark);
        // Qt's own selection stays empty: the rows' flags are the only record.
        QVERIFY(!View(f)->selectionModel()->hasSelection());
    }

    // F2, Delete and the Alt+moves act on the row a key moved to, not on the one before.
    void CommandsActOnTheRowMovedTo_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("names");  // the rows' names afterwards
        QTest::addColumn<int>("editedRow");  // -1: no inline edit open
        QTest::newRow("ctrl+home, F2") << "c5 C+Home" << int(Qt::Key_F2) << "abcdefghij" << 0;
        QTest::newRow("end, F2") << "c2 End" << int(Qt::Key_F2) << "abcdefghij" << 9;
        QTest::newRow("ctrl+end, delete") << "c2 C+End" << int(Qt::Key_Delete) << "abcdefghi" << -1;
        QTest::newRow("home, delete") << "c4 Home" << int(Qt::Key_Delete) << "bcdefghij" << -1;
        QTest::newRow("end, alt+home")
            << "c1 End" << int(Qt::Key_Home | Qt::ALT) << "jabcdefghi" << -1;
    }
    void CommandsActOnTheRowMovedTo() {
        QFETCH(QString, steps);
        QFETCH(int, key);
        QFETCH(QString, names);
        QFETCH(int, editedRow);
        WindowFixture f;
        f.Open();
        ListRows(f);
        for (const QString& step : steps.split(' '))
            Run(f, step);
        const QKeyCombination combination = QKeyCombination::fromCombined(key);
        QTest::keyClick(View(f), combination.key(), combination.keyboardModifiers());
        QString shown;
        for (int r = 0; r < f.RowCount(); ++r)
            shown += f.Cell(r, ColumnLayout::kName);
        QCOMPARE(shown, names);
        QCOMPARE(f.Window().Inline().Row(), editedRow);
    }

    // What is drawn follows the flags: a selected row in the highlight colour, the
    // others not, also for a selection the core made (invert).
    void SelectedRowsAreDrawnHighlighted() {
        WindowFixture f;
        f.Open();
        ListRows(f);
        Run(f, QStringLiteral("c1"));
        Run(f, QStringLiteral("s3"));
        auto drawn = [&](int row) {
            const QRect cell =
                View(f)->visualRect(View(f)->model()->index(row, ColumnLayout::kNewName));
            const QImage image = View(f)->viewport()->grab().toImage();
            const QColor colour = image.pixelColor(cell.right() - 4, cell.center().y());
            const QPalette palette = View(f)->palette();
            return colour == palette.color(QPalette::Active, QPalette::Highlight) ||
                   colour == palette.color(QPalette::Inactive, QPalette::Highlight);
        };
        for (int r = 0; r < kRows; ++r)
            QCOMPARE(drawn(r), r >= 1 && r <= 3);
        std::vector<bool> odd(kRows);
        for (int r = 0; r < kRows; ++r)
            odd[static_cast<size_t>(r)] = r % 2 == 1;
        f.Window().List().SetRowStates(nullptr, &odd, 9);
        for (int r = 0; r < kRows; ++r)
            QCOMPARE(drawn(r), r % 2 == 1);
    }

    // Sorting moves the selected rows with their files; the anchor follows the mark.
    void SelectionFollowsASort() {
        WindowFixture f;
        f.Open();
        ListRows(f);
        Run(f, QStringLiteral("c1"));
        Run(f, QStringLiteral("t3"));
        QHeaderView* header = View(f)->horizontalHeader();
        const int name = header->sectionViewportPosition(ColumnLayout::kName) + 5;
        // The first click sorts by name, the second reverses the order.
        for (int click = 0; click < 2; ++click)
            QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                              QPoint(name, header->height() / 2));
        QCOMPARE(f.Cell(0, ColumnLayout::kName), QStringLiteral("j"));
        QCOMPARE(Shown(f), QStringLiteral("------x-x-"));  // d and b
        QCOMPARE(f.Window().List().SelectionMark(), 6);
        QCOMPARE(View(f)->currentIndex().row(), 6);
        // Shift+Down from the mark spans below it, keeping what was selected.
        Run(f, QStringLiteral("S+Down"));
        QCOMPARE(Shown(f), QStringLiteral("------xxx-"));
        Run(f, QStringLiteral("c0"));
        QCOMPARE(Shown(f), QStringLiteral("x---------"));
    }

    // Moved rows stay selected, and keys go on from where they are now.
    void SelectionFollowsAMove() {
        WindowFixture f;
        f.Open();
        ListRows(f);
        Run(f, QStringLiteral("c4"));
        Run(f, QStringLiteral("t6"));
        QTest::keyClick(View(f), Qt::Key_Home, Qt::AltModifier);
        QCOMPARE(f.Cell(0, ColumnLayout::kName), QStringLiteral("e"));
        QCOMPARE(f.Cell(1, ColumnLayout::kName), QStringLiteral("g"));
        QCOMPARE(Shown(f), QStringLiteral("xx--------"));
        QCOMPARE(f.Window().List().SelectionMark(), 0);
        Run(f, QStringLiteral("s3"));
        QCOMPARE(Shown(f), QStringLiteral("xxxx------"));
        Run(f, QStringLiteral("Down"));
        QCOMPARE(Shown(f), QStringLiteral("----x-----"));
        QCOMPARE(f.Cell(4, ColumnLayout::kName), QStringLiteral("c"));
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::ListSelectionTest)
#include "ListSelectionTest.moc"
