#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTextDocumentFragment>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "WindowFixture.h"
#include "app/CommandTable.h"
#include "app/DialogUnits.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "engine/ControlTable.h"
#include "filelist/ColumnLayout.h"
#include "filelist/FileList.h"
#include "settings/MenuTable.h"

namespace tolvane {

using test::WindowFixture;

// The arrangement of the window in both languages, at its smallest and with a
// larger font: nothing overlaps, nothing leaves the window or its frame, and every
// caption fits its control as the font measures it.
class WindowLayoutTest : public QObject {
    Q_OBJECT

  private:
    // The closed height of a box in dialog units; the table's heights include the
    // open list of a drop-down.
    static int ClosedHeight(const ControlInfo& info) {
        const bool box =
            info.kind == ControlKind::EditableCombo || info.kind == ControlKind::DropDownList;
        return box ? std::min<int>(info.height, 14) : info.height;
    }

    // The frame that surrounds control `info` in the control table (the smallest
    // one), as a rectangle in dialog units; empty when none does.
    static QRect FrameOf(const ControlInfo& info) {
        const QRect own(info.x, info.y, info.width, ClosedHeight(info));
        QRect best;
        for (const ControlInfo& frame : MainWindowControls()) {
            const QRect rect(frame.x, frame.y, frame.width, frame.height);
            if (frame.kind == ControlKind::GroupBox && rect.contains(own) &&
                (best.isNull() || rect.width() * rect.height() < best.width() * best.height()))
                best = rect;
        }
        return best;
    }

    // The frame widget made for a frame of the table, named by its place there.
    static QGroupBox* FrameWidget(const OptionPanel& panel, const QRect& dialogRect) {
        int index = 0;
        for (const ControlInfo& frame : MainWindowControls()) {
            if (frame.kind != ControlKind::GroupBox)
                continue;
            if (QRect(frame.x, frame.y, frame.width, frame.height) == dialogRect)
                return panel.findChild<QGroupBox*>(QStringLiteral("frame%1").arg(index));
            ++index;
        }
        return nullptr;
    }

    static QString Caption(const QWidget* widget) {
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            return button->text();
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            if (label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text()))
                return QTextDocumentFragment::fromHtml(label->text()).toPlainText();
            return label->text();
        }
        return {};
    }

    // The width a control needs to show its caption whole.
    static int NeededWidth(const QWidget* widget) {
        const QFontMetrics metrics(widget->font());
        const int text = metrics.horizontalAdvance(Caption(widget));
        const QStyle* style = widget->style();
        if (qobject_cast<const QCheckBox*>(widget))
            return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget) +
                   style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, widget) + text;
        if (qobject_cast<const QRadioButton*>(widget))
            return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, widget) +
                   style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, widget) + text;
        if (qobject_cast<const QPushButton*>(widget))
            return 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget) + text;
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            return text + widget->width() - label->contentsRect().width();
        if (const auto* list = qobject_cast<const QComboBox*>(widget); list && !list->isEditable())
            return ItemsWidth(list);
        return 0;
    }

    // The width a drop-down list needs to show each of its items whole when chosen:
    // its text is drawn in the edit field less a pixel at each side.
    static int ItemsWidth(const QComboBox* list) {
        int widest = 0;
        for (int i = 0; i < list->count(); ++i)
            widest = std::max(widest, list->fontMetrics().horizontalAdvance(list->itemText(i)));
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.editable = false;
        option.subControls = QStyle::SC_All;
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        return widest + list->width() - (field.width() - 2);
    }

    static QString Describe(const QWidget* widget) {
        return QStringLiteral("%1 \"%2\" %3,%4 %5x%6")
            .arg(widget->objectName(), Caption(widget))
            .arg(widget->x())
            .arg(widget->y())
            .arg(widget->width())
            .arg(widget->height());
    }

    // The panel's visible children that show something, frames aside.
    static QList<QWidget*> ShownControls(const OptionPanel& panel) {
        QList<QWidget*> shown;
        for (QWidget* child : panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!child->isVisible() || qobject_cast<QGroupBox*>(child))
                continue;
            const auto* label = qobject_cast<const QLabel*>(child);
            if (label && label->text().isEmpty())
                continue;  // an empty label draws nothing
            shown << child;
        }
        return shown;
    }

    static void VerifyLayout(WindowFixture& f) {
        // As the next paint shows it: a request to place controls again that is already
        // posted is carried out before.
        QCoreApplication::sendPostedEvents();
        CKestrinDlg& window = f.Window();
        const OptionPanel& panel = window.Panel();
        const QList<QWidget*> shown = ShownControls(panel);
        QVERIFY(shown.size() > 40);
        for (QWidget* control : shown) {
            const QRect inWindow(control->mapTo(&window, QPoint()), control->size());
            QVERIFY2(window.rect().contains(inWindow),
                     qPrintable(Describe(control) + QStringLiteral(" leaves the window")));
            QVERIFY2(!control->size().isEmpty(), qPrintable(Describe(control)));
        }
        for (qsizetype i = 0; i < shown.size(); ++i) {
            for (qsizetype j = i + 1; j < shown.size(); ++j) {
                QVERIFY2(!shown[i]->geometry().intersects(shown[j]->geometry()),
                         qPrintable(Describe(shown[i]) + QStringLiteral(" overlaps ") +
                                    Describe(shown[j])));
            }
        }
        // A frame's line runs around its controls, never through one.
        for (const QGroupBox* box : panel.findChildren<QGroupBox*>()) {
            for (const QWidget* control : shown) {
                QVERIFY2(box->geometry().contains(control->geometry()) ||
                             !box->geometry().intersects(control->geometry()),
                         qPrintable(Describe(control) + QStringLiteral(" crosses the frame ") +
                                    Describe(box)));
            }
        }
        for (const ControlInfo& info : MainWindowControls()) {
            QWidget* control = panel.Control(info.id);
            if (info.kind == ControlKind::GroupBox || !control || !control->isVisible())
                continue;
            const QRect frame = FrameOf(info);
            if (frame.isNull())
                continue;
            const QGroupBox* box = FrameWidget(panel, frame);
            QVERIFY2(box != nullptr, qPrintable(Describe(control)));
            QVERIFY2(box->geometry().contains(control->geometry()),
                     qPrintable(Describe(control) + QStringLiteral(" leaves its frame ") +
                                Describe(box)));
        }
        for (QWidget* control : shown) {
            if (Caption(control).isEmpty() && NeededWidth(control) == 0)
                continue;
            QVERIFY2(NeededWidth(control) <= control->width(),
                     qPrintable(Describe(control) +
                                QStringLiteral(" needs %1 across").arg(NeededWidth(control))));
            QVERIFY2(control->fontMetrics().height() <= control->height(),
                     qPrintable(Describe(control) + QStringLiteral(" is lower than its text")));
        }
        // The list keeps room for rows.
        QVERIFY(panel.ListView()->height() >= 3 * panel.ListView()->fontMetrics().height());
    }

  private slots:
    void NothingOverlapsOrIsCut_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<double>("fontScale");
        QTest::addColumn<bool>("toolbar");
        for (const int language : {2052, 1033}) {
            for (const double scale : {1.0, 1.5}) {
                for (const bool toolbar : {false, true}) {
                    QTest::addRow("%s, font x%.1f, toolbar %s",
                                  language == 2052 ? "Chinese" : "English", scale,
                                  toolbar ? "shown" : "hidden")
                        << language << scale << toolbar;
                }
            }
        }
    }
    void NothingOverlapsOrIsCut() {
        QFETCH(int, language);
        QFETCH(double, fontScale);
        QFETCH(bool, toolbar);
        // The interface font of the session, for this case only.
        struct FontScope {
            QFont saved = QApplication::font();
            ~FontScope() { QApplication::setFont(saved); }
        } scope;
        QFont font = scope.saved;
        font.setPointSizeF(std::max(9.0, font.pointSizeF()) * fontScale);
        QApplication::setFont(font);
        WindowFixture f;
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nshowToolbar=%1\n"
                                       "clearInput=0\nrefreshFile=0\n")
                            .arg(int(toolbar)));
        CKestrinDlg& window = f.Open(language);
        QCOMPARE(window.findChild<QToolBar*>(QStringLiteral("mainToolBar"))->isVisible(), toolbar);
        window.resize(window.minimumSize());
        QTRY_COMPARE(window.size(), window.minimumSize());
        const QString picture = QStringLiteral("window-%1-%2%3")
                                    .arg(language == 2052 ? "zh" : "en")
                                    .arg(fontScale > 1 ? "large-" : "")
                                    .arg(toolbar ? "toolbar" : "plain");
        VerifyLayout(f);
        test::SavePicture(window, picture + QStringLiteral("-empty"));
        if (QTest::currentTestFailed())
            return;  // waiting for signals ends at once after a failure

        // Rows, and the status line's messages beside the count of rows.
        const QString runaway = QString(60, u'x') + QStringLiteral("zy");
        const QStringList names = {QStringLiteral("报告 2024.docx"), QStringLiteral("photo_01.jpg"),
                                   runaway};
        for (const QString& name : names)
            f.MakeFile(name.toStdString());
        f.AddFiles(names);
        QVERIFY(!f.SummaryLine().isEmpty());
        QTest::mouseClick(f.Control(ctl::kUseRegex), Qt::LeftButton);
        for (const QString& pattern : {QStringLiteral("(?<x"), QStringLiteral("(x+x+)+y")}) {
            test::PreviewWaiter waiter(window);
            f.Combo(ctl::kFindText)->setEditText(pattern);
            QVERIFY(waiter.Wait());
            QVERIFY(!f.StatusLine().isEmpty());
            VerifyLayout(f);
        }
        test::SavePicture(window, picture + QStringLiteral("-status"));

        // After a pass, with the summary under the list beside the count of conflicts: a
        // file outside the list holds one row's new name.
        f.MakeFile("新_photo_01.jpg");
        f.Combo(ctl::kFindText)->setEditText({});
        test::PreviewWaiter waiter(window);
        test::TypeText(f.Combo(ctl::kInsertText), QStringLiteral("新_"));
        QVERIFY(waiter.Wait());
        test::SavePicture(window, picture + QStringLiteral("-rows"));
        QTRY_VERIFY(!f.StatusLine().isEmpty());  // the conflict, counted
        test::PressKey(f.Combo(ctl::kInsertText), Qt::Key_F2, Qt::ControlModifier);
        QCOMPARE(f.NamesOnDisk().size(), 4);
        QVERIFY(f.NamesOnDisk().contains(QStringLiteral("新_报告 2024.docx")));
        QVERIFY(f.NamesOnDisk().contains(QStringLiteral("photo_01.jpg")));
        // The summary stays while the line beside it reports a pattern.
        const QString summary = f.SummaryLine();
        test::PreviewWaiter invalid(window);
        f.Combo(ctl::kFindText)->setEditText(QStringLiteral("(?<x"));
        QVERIFY(invalid.Wait());
        QVERIFY(!f.StatusLine().isEmpty());
        QCOMPARE(f.SummaryLine(), summary);
        VerifyLayout(f);
        test::SavePicture(window, picture + QStringLiteral("-executed"));
    }

    // The options start just below the menu, or the toolbar when it shows: no empty
    // band between them.
    void NoBandAboveTheOptions_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("toolbar");
        QTest::newRow("Chinese, toolbar shown") << 2052 << true;
        QTest::newRow("Chinese, toolbar hidden") << 2052 << false;
        QTest::newRow("English, toolbar hidden") << 1033 << false;
    }
    void NoBandAboveTheOptions() {
        QFETCH(int, language);
        QFETCH(bool, toolbar);
        WindowFixture f;
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nshowToolbar=%1\n").arg(int(toolbar)));
        CKestrinDlg& window = f.Open(language);
        const OptionPanel& panel = window.Panel();
        const QWidget* bar =
            toolbar
                ? static_cast<QWidget*>(window.findChild<QToolBar*>(QStringLiteral("mainToolBar")))
                : window.menuWidget();
        QVERIFY(bar && bar->isVisible());
        const int barBottom = bar->mapTo(&window, QPoint(0, bar->height())).y();
        int top = window.height();
        for (const QWidget* child : panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isVisible())
                top = std::min(top, child->mapTo(&window, QPoint()).y());
        }
        const DialogUnits units(panel.font());
        QVERIFY2(top >= barBottom && top - barBottom <= units.Y(4),
                 qPrintable(
                     QStringLiteral("the options start %1 px below the bar").arg(top - barBottom)));
        test::SavePicture(window, QStringLiteral("top-%1-%2")
                                      .arg(language == 2052 ? "zh" : "en")
                                      .arg(toolbar ? "toolbar" : "plain"));
    }

    // The columns keep their start widths but the last, which takes the rest of the
    // list's width, also after the window grows; a column fitted wider than the list
    // scrolls.
    void TheLastColumnFillsTheList() {
        WindowFixture f;
        CKestrinDlg& window = f.Open();
        f.MakeFile("a.txt");
        f.AddFiles({QStringLiteral("a.txt")});
        FileListView* view = window.Panel().ListView();
        const int columns = view->model()->columnCount();
        const ColumnLayout& layout = window.List().Columns();
        const auto fills = [&] {
            const int last = columns - 1;
            return view->horizontalHeader()->sectionViewportPosition(last) +
                       view->columnWidth(last) ==
                   view->viewport()->width();
        };
        // The name columns as they start; the status column may be wider for its texts.
        QCOMPARE(view->columnWidth(ColumnLayout::kName),
                 InfoOf(layout.KindAt(ColumnLayout::kName)).startWidth);
        QCOMPARE(view->columnWidth(ColumnLayout::kNewName),
                 InfoOf(layout.KindAt(ColumnLayout::kNewName)).startWidth);
        QVERIFY(view->columnWidth(columns - 1) >= InfoOf(layout.KindAt(columns - 1)).startWidth);
        QVERIFY(fills());
        QList<int> widths;
        for (int c = 0; c + 1 < columns; ++c)
            widths << view->columnWidth(c);
        window.resize(window.width() + 200, window.height());
        QTRY_VERIFY(fills());
        for (int c = 0; c + 1 < columns; ++c)
            QCOMPARE(view->columnWidth(c), widths[c]);
        QVERIFY(!view->horizontalScrollBar()->isVisible());
        // A folder path longer than the list is wide: fitted, it can be scrolled to.
        const std::string deep(200, 'd');
        std::filesystem::create_directory(f.Files() / deep);
        f.MakeFile(deep + "/b.txt");
        f.AddFiles({QString::fromStdString(deep + "/b.txt")});
        window.Commands().Run(cmd::kFitColumns);
        const int folderText = view->fontMetrics().horizontalAdvance(f.Cell(1, columns - 1));
        QVERIFY2(view->columnWidth(columns - 1) > folderText,
                 qPrintable(QString::number(view->columnWidth(columns - 1))));
        QTRY_VERIFY(view->horizontalScrollBar()->maximum() > 0);
    }

    // A drop-down list that follows its items resizes itself to them a moment after
    // they change (Qt then adjusts its size and asks the parent to place it again, as
    // done here at once): the panel arranges itself again, so no list keeps a size
    // that reaches into the frame below its row.
    void ListsThatFollowTheirItemsStayInPlace_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("Chinese") << 2052;
        QTest::newRow("English") << 1033;
    }
    void ListsThatFollowTheirItemsStayInPlace() {
        QFETCH(int, language);
        WindowFixture f;
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nshowToolbar=0\n"));
        CKestrinDlg& window = f.Open(language);
        window.resize(window.minimumSize());
        QTRY_COMPARE(window.size(), window.minimumSize());
        int lists = 0;
        for (QComboBox* list : window.Panel().findChildren<QComboBox*>()) {
            if (list->isEditable() || !list->isVisible() ||
                list->sizeAdjustPolicy() != QComboBox::AdjustToContents)
                continue;
            list->updateGeometry();
            list->adjustSize();
            ++lists;
        }
        QVERIFY(lists >= 4);
        QApplication::processEvents();
        VerifyLayout(f);
    }

    // Every icon of the window is drawn from its vector source at the display's pixel
    // ratio, never as a small picture enlarged: on a 200 % display a button icon of 20
    // pixels takes 40 device pixels.
    void IconsStaySharp() {
        WindowFixture f;
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nshowToolbar=1\n"));
        CKestrinDlg& window = f.Open(1033);
        const double screenRatio = window.devicePixelRatioF();
        // A run on a scaled display measures the scale it names.
        if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
            QCOMPARE(screenRatio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
        struct Shown {
            QString name;
            QIcon icon;
            QSize size;
        };
        QList<Shown> icons = {{QStringLiteral("window"), window.windowIcon(), QSize(48, 48)}};
        const auto* bar = window.findChild<QToolBar*>(QStringLiteral("mainToolBar"));
        QVERIFY(bar != nullptr);
        for (QAction* action : bar->actions())
            icons.append({action->objectName(), action->icon(), bar->iconSize()});
        const auto* small = window.findChild<QToolButton*>(QStringLiteral("smallToolBar"));
        QVERIFY(small != nullptr);
        icons.append({small->objectName(), small->icon(), small->iconSize()});
        QVERIFY(icons.size() >= 8);
        for (const double ratio : {screenRatio, 1.5, 2.0, 3.0}) {
            for (const Shown& shown : icons) {
                const QString what = QStringLiteral("%1 at %2").arg(shown.name).arg(ratio);
                QVERIFY2(!shown.icon.isNull() && !shown.size.isEmpty(), qPrintable(what));
                const QPixmap pixmap = shown.icon.pixmap(shown.size, ratio);
                QVERIFY2(pixmap.size() == shown.size * ratio,
                         qPrintable(what + QStringLiteral(": %1x%2 device pixels")
                                               .arg(pixmap.width())
                                               .arg(pixmap.height())));
                QCOMPARE(pixmap.devicePixelRatio(), ratio);
            }
        }
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::WindowLayoutTest)
#include "WindowLayoutTest.moc"
