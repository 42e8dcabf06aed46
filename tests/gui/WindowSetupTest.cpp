#include <QAction>
#include <QComboBox>
#include <QHelpEvent>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include "WindowFixture.h"
#include "app/CommandTable.h"
#include "app/HelpDlg.h"
#include "app/OptionPanel.h"
#include "app/ToolBars.h"
#include "engine/ControlTable.h"
#include "engine/TextConvert.h"
#include "settings/MenuTable.h"

namespace tolvane {

using test::WindowFixture;

// How the window starts from the settings file it finds, and the parts of it that
// are not options: the toolbars with their tool tips, always on top, help.
class WindowSetupTest : public QObject {
    Q_OBJECT

  private:
    static QStringList Items(const WindowFixture& f, int id) {
        QStringList items;
        for (const std::wstring& item : f.Window().Panel().Items(id))
            items << QString::fromStdWString(item);
        return items;
    }

    static QToolBar* MainToolBar(const WindowFixture& f) {
        return f.Window().findChild<QToolBar*>(QStringLiteral("mainToolBar"));
    }

    static QToolButton* SmallButton(const WindowFixture& f) {
        return f.Window().findChild<QToolButton*>(QStringLiteral("smallToolBar"));
    }

    static QWidget* ToolBarButton(const WindowFixture& f, int command) {
        QToolBar* bar = MainToolBar(f);
        const auto* action = bar->findChild<QAction*>(QStringLiteral("toolbar%1").arg(command));
        return action ? bar->widgetForAction(const_cast<QAction*>(action)) : nullptr;
    }

    // What a person sees when the mouse rests on `widget`: the tool tip shown, or
    // nothing.
    static QString ToolTipShown(QWidget* widget) {
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000))
            return QStringLiteral("(an earlier tool tip stayed)");
        const QPoint at = widget->rect().center();
        QHelpEvent event(QEvent::ToolTip, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
        QApplication::processEvents();
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

  private slots:
    void FirstRunWritesItsDefaultsAndShowsNoUserEntries() {
        WindowFixture f;
        QVERIFY(!f.SettingsFileExists());
        f.Open();
        QVERIFY(f.SettingsFileExists());
        QCOMPARE(f.Setting("set", "isFirstRun"), QStringLiteral("1"));
        QCOMPARE(f.Setting("set", "remindCount"), QStringLiteral("5"));
        QCOMPARE(f.Setting("set", "showToolbar"), QStringLiteral("0"));
        QVERIFY(!MainToolBar(f)->isVisible());
        QVERIFY(SmallButton(f)->isVisible());
        QVERIFY(f.Window().rect().contains(
            QRect(SmallButton(f)->mapTo(&f.Window(), QPoint()), SmallButton(f)->size())));

        const QStringList patterns = Items(f, ctl::kRegexPreset);
        QCOMPARE(patterns.size(), 6);
        QCOMPARE(patterns.front(), QStringLiteral("不选择"));
        for (const char* preset : {"字母数字", "非字母数字", "特殊字符", "IP", "email"})
            QVERIFY2(patterns.contains(QString::fromUtf8(preset)), preset);
        const QStringList templates = Items(f, ctl::kTemplatePreset);
        QCOMPARE(templates.size(), 13);
        QCOMPARE(templates.mid(0, 3), (QStringList{"不选择", "<#>_<name>", "<#>_<self>"}));
        QCOMPARE(templates.back(), QStringLiteral("<ctime>"));
        // Nothing to use yet: "照上次改" waits for a first pass.
        QVERIFY(!f.Control(ctl::kRenameLikeLast)->isEnabled());
        QCOMPARE(f.Window().Panel().Text(ctl::kInsertText), std::wstring());
        QVERIFY(f.Window().Panel().Checked(ctl::kInsertPrefix));
        QVERIFY(f.Window().Panel().Checked(ctl::kIgnoreExtension));
        QCOMPARE(QApplication::focusWidget(), f.Combo(ctl::kInsertText));
    }

    void SecondStartListsTheDefaultUserEntries() {
        WindowFixture f;
        f.Open();
        f.Close();
        f.Open();
        const QStringList patterns = Items(f, ctl::kRegexPreset);
        QCOMPARE(patterns.mid(0, 3), (QStringList{"不选择", "number", "letter"}));
        QCOMPARE(patterns.size(), 8);
        const QStringList templates = Items(f, ctl::kTemplatePreset);
        QCOMPARE(templates.mid(0, 4),
                 (QStringList{"不选择", "example_<date>", "example_<#>", "<#>_<name>"}));
        QCOMPARE(templates.size(), 15);
        // The toolbar stays as the first run left it.
        QVERIFY(!MainToolBar(f)->isVisible());
    }

    void LastOptionsComeBackAtStart_data() {
        QTest::addColumn<QString>("loadLastSet");
        QTest::addColumn<QString>("hasLastSet");
        QTest::addColumn<bool>("restored");
        QTest::addColumn<bool>("buttonEnabled");
        QTest::newRow("loaded, button on") << "1"
                                           << "1" << true << true;
        QTest::newRow("loaded, button off") << "1"
                                            << "0" << true << false;
        QTest::newRow("loaded, no hasLastSet") << "1"
                                               << "" << true << false;
        QTest::newRow("not loaded") << "0"
                                    << "1" << false << true;
    }
    void LastOptionsComeBackAtStart() {
        QFETCH(QString, loadLastSet);
        QFETCH(QString, hasLastSet);
        QFETCH(bool, restored);
        QFETCH(bool, buttonEnabled);
        WindowFixture f;
        QString ini =
            QStringLiteral("[set]\nisFirstRun=1\nremindCount=5\nloadLastSet=%1\n").arg(loadLastSet);
        if (!hasLastSet.isEmpty())
            ini += QStringLiteral("hasLastSet=%1\n").arg(hasLastSet);
        ini += QStringLiteral(
            "[lastSet]\n1035=前_\n1080=0\n1081=1\n1082=0\n1086=0\n1083=1\n1088=0\n"
            "1099=1\n1050=0\n1052=1\n1060=1\n1062=7\n1064=2\n1067=3\n1073=3\n1072=-1\n"
            "1068=<#>_<name>\n1032=0\n1045=a\n1046=b\n");
        f.WriteSettings(ini);
        f.Open();
        OptionPanel& panel = f.Window().Panel();
        QCOMPARE(f.Control(ctl::kRenameLikeLast)->isEnabled(), buttonEnabled);
        QCOMPARE(panel.Text(ctl::kInsertText) == L"前_", restored);
        QCOMPARE(panel.Checked(ctl::kInsertSuffix), restored);
        QCOMPARE(panel.Checked(ctl::kInsertPrefix), !restored);
        QCOMPARE(panel.Checked(ctl::kSerialEnabled), restored);
        QCOMPARE(panel.Checked(ctl::kIgnoreExtension), !restored);
        QCOMPARE(panel.Selection(ctl::kConversion), restored ? 3 : -1);
        QCOMPARE(panel.Text(ctl::kSerialStartEdit), restored ? L"7" : L"1");
        QCOMPARE(panel.Text(ctl::kTemplateText), restored ? L"<#>_<name>" : L"");
        // The enabling follows what came back.
        QCOMPARE(f.Control(ctl::kSerialStartEdit)->isEnabled(), restored);

        if (!restored && buttonEnabled) {
            QTest::mouseClick(qobject_cast<QPushButton*>(f.Control(ctl::kRenameLikeLast)),
                              Qt::LeftButton);
            QCOMPARE(panel.Text(ctl::kInsertText), L"前_");
            QVERIFY(panel.Checked(ctl::kSerialEnabled));
            QVERIFY(f.Control(ctl::kSerialStartEdit)->isEnabled());
        }
    }

    void AlwaysOnTopFollowsCtrlT_data() {
        QTest::addColumn<QString>("showToolbar");
        QTest::newRow("toolbar shown") << "1";
        QTest::newRow("toolbar hidden") << "0";
    }
    void AlwaysOnTopFollowsCtrlT() {
        QFETCH(QString, showToolbar);
        WindowFixture f;
        f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nshowToolbar=%1\n").arg(showToolbar));
        CKestrinDlg& window = f.Open();
        QCOMPARE(MainToolBar(f)->isVisible(), showToolbar == "1");
        QCOMPARE(SmallButton(f)->isVisible(), showToolbar == "0");
        QWidget* onTopButton = showToolbar == "1" ? ToolBarButton(f, cmd::kAlwaysOnTop)
                                                  : static_cast<QWidget*>(SmallButton(f));
        QVERIFY(onTopButton != nullptr);
        for (const bool expected : {true, false, true}) {
            test::PressKey(f.Combo(ctl::kInsertText), Qt::Key_T, Qt::ControlModifier);
            QCOMPARE(window.AlwaysOnTop(), expected);
            QCOMPARE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), expected);
            QVERIFY(window.isVisible());
            const QString tip =
                expected ? QStringLiteral("取消置顶(Ctrl+T)") : QStringLiteral("置顶(Ctrl+T)");
            // Both buttons say what a click would do, whichever of them shows.
            QCOMPARE(ToolBarButton(f, cmd::kAlwaysOnTop)->toolTip(), tip);
            QCOMPARE(SmallButton(f)->toolTip(), tip);
            QCOMPARE(ToolTipShown(onTopButton), tip);
        }
        // A click on the button does what the key does.
        QTest::mouseClick(onTopButton, Qt::LeftButton);
        QVERIFY(!window.AlwaysOnTop());
    }

    void ToolbarButtonsShowTheirTips_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("chinese");
        QTest::addColumn<QString>("english");
        QTest::newRow("add files") << cmd::kAddFiles << "添加文件(F3)"
                                   << "Add files (F3)";
        QTest::newRow("add folder") << cmd::kAddFolder << "从文件夹添加(F4)"
                                    << "Add from folder (F4)";
        QTest::newRow("undo") << cmd::kUndo << "撤销改名(Ctrl+Shift+F2)"
                              << "Undo rename (Ctrl+Shift+F2)";
        QTest::newRow("rename") << cmd::kExecute << "执行改名(Ctrl+F2)"
                                << "Execute rename (Ctrl+F2)";
        QTest::newRow("settings") << cmd::kSettings << "设置(Alt+S)"
                                  << "Settings (Alt+S)";
        QTest::newRow("on top") << cmd::kAlwaysOnTop << "置顶(Ctrl+T)"
                                << "Always on top (Ctrl+T)";
    }
    void ToolbarButtonsShowTheirTips() {
        QFETCH(int, command);
        QFETCH(QString, chinese);
        QFETCH(QString, english);
        for (const int language : {2052, 1033}) {
            WindowFixture f;
            f.WriteSettings(QStringLiteral("[set]\nisFirstRun=1\nshowToolbar=1\n"));
            f.Open(language);
            QWidget* button = ToolBarButton(f, command);
            QVERIFY(button != nullptr && button->isVisible());
            const QString expected = language == 2052 ? chinese : english;
            QCOMPARE(ToolTipShown(button), expected);
            // An image on every button.
            QVERIFY(!qobject_cast<QToolButton*>(button)->icon().isNull());
        }
    }

    void NoTipsWhenTheSettingsSaySo_data() {
        QTest::addColumn<QString>("showTip");
        QTest::addColumn<bool>("shown");
        QTest::newRow("absent") << "" << true;
        QTest::newRow("on") << "1" << true;
        QTest::newRow("off") << "0" << false;
    }
    void NoTipsWhenTheSettingsSaySo() {
        QFETCH(QString, showTip);
        QFETCH(bool, shown);
        WindowFixture f;
        QString ini = QStringLiteral("[set]\nisFirstRun=1\nshowToolbar=1\n");
        if (!showTip.isEmpty())
            ini += QStringLiteral("showTip=%1\n").arg(showTip);
        f.WriteSettings(ini);
        f.Open();
        const QList<QPair<QWidget*, QString>> tipped = {
            {f.Control(ctl::kExecute), QStringLiteral("执行改名(Ctrl+F2)")},
            {f.Control(ctl::kUseRegex), QStringLiteral("使用正则表达式")},
            {f.Control(ctl::kDeleteDirection), QStringLiteral("从前往后")},
            {ToolBarButton(f, cmd::kExecute), QStringLiteral("执行改名(Ctrl+F2)")},
        };
        for (const auto& [widget, tip] : tipped)
            QCOMPARE(ToolTipShown(widget), shown ? tip : QString());
    }

    // Locking the options for an add of more than 100 items moves the focus off the
    // box that had it; typing afterwards reaches that box again, whether the add ran
    // from the command line before the window showed or in the open window.
    void TypingAfterALockedAddReachesTheFocusedBox_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("fromCommandLine");
        QTest::addColumn<int>("focused");
        QTest::newRow("command line, 150 files") << 150 << true << ctl::kInsertText;
        QTest::newRow("open window, find box") << 150 << false << ctl::kFindText;
    }
    void TypingAfterALockedAddReachesTheFocusedBox() {
        QFETCH(int, files);
        QFETCH(bool, fromCommandLine);
        QFETCH(int, focused);
        WindowFixture f;
        for (int i = 0; i < files; ++i)
            f.MakeFile("f" + std::to_string(i));
        const std::wstring folder = ToWide(f.Files().string());
        if (fromCommandLine) {
            f.Open(2052, {folder});
        } else {
            f.Open();
            f.Combo(focused)->setFocus(Qt::MouseFocusReason);
            f.Window().AddOnePath(folder);
        }
        QCOMPARE(f.RowCount(), files);
        QVERIFY(QApplication::focusWidget());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("zq"));
        QCOMPARE(f.Combo(focused)->currentText(), QStringLiteral("zq"));
    }

    void HelpTwiceIsOneWindow() {
        WindowFixture f;
        CKestrinDlg& window = f.Open();
        QVERIFY(window.findChildren<HelpDlg*>().size() <= 1);
        QVERIFY(window.Commands().Run(cmd::kHelp));
        const QList<HelpDlg*> first = window.findChildren<HelpDlg*>();
        QCOMPARE(first.size(), 1);
        QTRY_VERIFY(first.front()->isVisible());
        QVERIFY(window.Commands().Run(cmd::kHelp));
        const QList<HelpDlg*> second = window.findChildren<HelpDlg*>();
        QCOMPARE(second, first);
        QVERIFY(second.front()->isVisible());
        int shownHelp = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            shownHelp += qobject_cast<HelpDlg*>(top) && top->isVisible() ? 1 : 0;
        QCOMPARE(shownHelp, 1);
        // The menu item reaches the same window.
        second.front()->hide();
        window.Commands().Action(cmd::kHelp)->trigger();
        QVERIFY(second.front()->isVisible());
        QCOMPARE(window.findChildren<HelpDlg*>().size(), 1);
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::WindowSetupTest)
#include "WindowSetupTest.moc"
