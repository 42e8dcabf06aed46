#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>

#include "ShellTestSupport.h"
#include "SpecialFiles.h"
#include "app/CKestrinDlg.h"
#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "app/ToolBars.h"
#include "engine/Clock.h"
#include "settings/IniFile.h"
#include "settings/MenuTable.h"
#include "shell/ProfileFiles.h"
#include "shell/SetDlg.h"
#include "shell/ShellDialogs.h"

namespace tolvane {

namespace fs = std::filesystem;

// The window as the program builds it, with this library's dialogs behind its
// commands, in folders of the test's own.
class ShellWindowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir temp_;
    fs::path root_;
    int restarts_ = 0;

    static QString QtPath(const fs::path& path) { return QString::fromStdString(path.native()); }

    std::unique_ptr<CKestrinDlg> MakeWindow() {
        CKestrinDlg::Environment environment;
        environment.paths = {root_ / "config" / "tolvane" / "Tolvane.ini", root_ / "Language"};
        environment.systemLanguageId = 2052;
        environment.restart = [this] { ++restarts_; };
        environment.dialogs = ShellDialogs();
        return std::make_unique<CKestrinDlg>(environment);
    }

    static std::string ReadFile(const fs::path& path) { return test::ReadWholeFile(path); }

    // Answers the next modal dialog of type T, as a person would, once it shows.
    template <class T>
    static void Answer(std::function<void(T*)> answer) {
        auto* poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, [poll, answer] {
            if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                answer(dialog);
            }
        });
        poll->start();
    }

    // Runs `command` with the file dialog answered by `file`; returns what the dialog
    // offered before the answer.
    QString RunWithFile(CKestrinDlg& window, int command, const fs::path& file) {
        QString offered;
        Answer<QFileDialog>([&](QFileDialog* dialog) {
            offered = dialog->selectedFiles().value(0);
            QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("Config (*.ini)")});
            // Typed in whole, as a person may: the dialog's own listing of the folder
            // arrives later and would replace a selection made in it.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name != nullptr);
            name->setText(QtPath(file));
            static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
        });
        window.Commands().Run(command);
        return offered;
    }

    // The same through the keys a person presses on the shown window.
    QString PressWithFile(CKestrinDlg& window, const QKeySequence& keys, const fs::path& file) {
        QString offered;
        Answer<QFileDialog>([&](QFileDialog* dialog) {
            offered = dialog->selectedFiles().value(0);
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QtPath(file));
            static_cast<QDialog*>(dialog)->accept();
        });
        // The window's keys work while it is active; the offscreen platform does not give
        // the activation back when a dialog closes, as a window manager does.
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            return {};
        QTest::keySequence(&window, keys);
        return offered;
    }

    static QString Status(CKestrinDlg& window) {
        return qobject_cast<QLabel*>(window.Panel().Control(ctl::kStatusLine))->text();
    }

  private slots:
    void initTestCase() { test::UseTemporaryXdgFolders(temp_); }

    void init() {
        QVERIFY(temp_.isValid());
        root_ = test::FreshFolderForTest(temp_);
        fs::create_directories(root_ / "Language");
        restarts_ = 0;
    }

    void ExportThenImportBringsTheOptionsBack() {
        auto window = MakeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        OptionPanel& panel = window->Panel();
        panel.SetText(ctl::kInsertText, L"IMG_");
        panel.SetChecked(ctl::kUseRegex, true);
        panel.SetText(ctl::kFindText, L"(\\d+)");
        panel.SetSelection(ctl::kConversion, 2);
        panel.SetText(ctl::kSerialDigitsEdit, L"3");
        panel.SetItems(ctl::kFindText, {L"older", L"oldest"});
        const fs::path profile = root_ / "my profile.ini";
        const QString offered = PressWithFile(*window, QKeySequence(Qt::ALT | Qt::Key_O), profile);
        // The offer: a name of the date and time in a folder that exists.
        QVERIFY2(QRegularExpression(QStringLiteral("/\\d{4}-\\d\\d-\\d\\d_\\d{6}\\.ini$"))
                     .match(offered)
                     .hasMatch(),
                 qPrintable(offered));
        QVERIFY(QFileInfo(offered).dir().exists());
        QVERIFY(Status(*window).contains(QtPath(profile)));
        QCOMPARE(IniFile::ReadValue(profile, L"set", L"1035"), std::wstring(L"IMG_"));

        panel.SetText(ctl::kInsertText, L"other");
        panel.SetChecked(ctl::kUseRegex, false);
        panel.SetText(ctl::kFindText, L"");
        panel.SetSelection(ctl::kConversion, 0);
        PressWithFile(*window, QKeySequence(Qt::ALT | Qt::Key_I), profile);
        QCOMPARE(panel.Text(ctl::kInsertText), std::wstring(L"IMG_"));
        QVERIFY(panel.Checked(ctl::kUseRegex));
        QCOMPARE(panel.Text(ctl::kFindText), std::wstring(L"(\\d+)"));
        QCOMPARE(panel.Selection(ctl::kConversion), 2);
        QCOMPARE(panel.Text(ctl::kSerialDigitsEdit), std::wstring(L"3"));
        // Not part of a profile.
        QCOMPARE(panel.Items(ctl::kFindText), (std::vector<std::wstring>{L"older", L"oldest"}));
    }

    void ExportingOntoAProfileKeepsTheRestOfIt() {
        auto window = MakeWindow();
        const fs::path profile = root_ / "shared.ini";
        std::ofstream(profile) << "; notes\n[set]\n1035=old\n9999=kept\n[mine]\nx=1\n";
        window->Panel().SetText(ctl::kInsertText, L"new");
        RunWithFile(*window, cmd::kExportProfile, profile);
        QCOMPARE(IniFile::ReadValue(profile, L"set", L"1035"), std::wstring(L"new"));
        QCOMPARE(IniFile::ReadValue(profile, L"set", L"9999"), std::wstring(L"kept"));
        QCOMPARE(IniFile::ReadValue(profile, L"mine", L"x"), std::wstring(L"1"));
        QVERIFY(ReadFile(profile).starts_with("; notes\n"));
    }

    // A file we may not replace (here one too large to be a profile) stays whole, and
    // the status line says so.
    void AProfileThatCannotBeWrittenIsSaidAndLeftIntact() {
        auto window = MakeWindow();
        const fs::path profile = root_ / "huge.ini";
        QVERIFY(test::MakeSpecialFile(profile, test::SpecialFile::Oversized));
        const auto size = fs::file_size(profile);
        RunWithFile(*window, cmd::kExportProfile, profile);
        QCOMPARE(fs::file_size(profile), size);
        QVERIFY(Status(*window).contains(QStringLiteral("无法写入")));
        QVERIFY(Status(*window).contains(QtPath(profile)));
        const auto leftovers = std::distance(fs::directory_iterator(root_), {});
        QCOMPARE(leftovers, 3);  // config, Language, the profile: no temporary file
    }

    void ImportingWhatIsNoProfile_data() {
        QTest::addColumn<QByteArray>("contents");  // empty: an oversized file
        QTest::addColumn<bool>("cleared");
        QTest::newRow("no section set") << QByteArray("[other]\n1035=x\n") << true;
        QTest::newRow("binary garbage") << QByteArray("\x00\x01\xff\xfe[\n=\x80", 7) << true;
        QTest::newRow("too large") << QByteArray() << false;
    }
    void ImportingWhatIsNoProfile() {
        QFETCH(QByteArray, contents);
        QFETCH(bool, cleared);
        auto window = MakeWindow();
        OptionPanel& panel = window->Panel();
        // A "%2" in the path must not take the place of the reason in the status line.
        fs::create_directories(root_ / "50%2 off");
        const fs::path file = root_ / "50%2 off" / "odd.ini";
        if (contents.isEmpty())
            QVERIFY(test::MakeSpecialFile(file, test::SpecialFile::Oversized));
        else
            std::ofstream(file, std::ios::binary) << contents.toStdString();
        panel.SetText(ctl::kInsertText, L"keep?");
        panel.SetChecked(ctl::kIgnoreExtension, true);
        panel.SetItems(ctl::kInsertText, {L"history"});
        const DeleteDirection direction = panel.Direction();
        RunWithFile(*window, cmd::kImportProfile, file);
        QCOMPARE(panel.Text(ctl::kInsertText), cleared ? std::wstring() : std::wstring(L"keep?"));
        QCOMPARE(panel.Checked(ctl::kIgnoreExtension), !cleared);
        QCOMPARE(panel.Items(ctl::kInsertText), std::vector<std::wstring>{L"history"});
        QCOMPARE(panel.Direction(), direction);
        QCOMPARE(Status(*window).contains(QStringLiteral("无法读取")), !cleared);
        QVERIFY(Status(*window).contains(QString::fromStdString(file.native())));
    }

    void ExportOffersTheProgramFolderOrTheUsersOwn() {
        const fs::path home = root_ / "home";
        const fs::path documents = home / "Documents";
        fs::create_directories(documents);
        QCOMPARE(ProfileFiles::ExportFolder(root_, documents, home), root_);
        QCOMPARE(ProfileFiles::ExportFolder(root_ / "gone", documents, home), documents);
        QCOMPARE(ProfileFiles::ExportFolder(root_ / "gone", home / "Dokumente", home), home);
        const std::tm now = *ParseLocalTime("2024-03-05 14:25:30");
        QCOMPARE(ProfileFiles::DefaultExportName(documents, now),
                 documents / "2024-03-05_142530.ini");
    }

    void ToolbarFollowsTheSettingsAndLeavesTextMode() {
        auto window = MakeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        OptionPanel& panel = window->Panel();
        QToolBar* toolbar = window->findChild<QToolBar*>(QStringLiteral("mainToolBar"));
        auto* small = window->findChild<QToolButton*>(QStringLiteral("smallToolBar"));
        for (const bool shown : {true, false, true}) {
            panel.SetChecked(ctl::kTextMode, true);
            panel.Control(ctl::kTextModeEditor)->show();
            const int listTop = panel.ListView()->mapTo(window.get(), QPoint()).y();
            window->ShowToolbar(shown);
            QCOMPARE(toolbar->isVisible(), shown);
            QCOMPARE(small->isVisible(), !shown);
            QVERIFY(!panel.Checked(ctl::kTextMode));
            QVERIFY(!panel.Control(ctl::kTextModeEditor)->isVisible());
            QApplication::processEvents();
            const int movedTop = panel.ListView()->mapTo(window.get(), QPoint()).y();
            QVERIFY2(shown ? movedTop >= listTop : movedTop <= listTop,
                     qPrintable(QStringLiteral("%1 -> %2").arg(listTop).arg(movedTop)));
        }
    }

    void HistoriesKeepOneFewerThanTheCount_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("kept");
        QTest::newRow("5") << 5 << 4;
        QTest::newRow("1") << 1 << 0;
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("above the most") << 50 << 19;
    }
    void HistoriesKeepOneFewerThanTheCount() {
        QFETCH(int, count);
        QFETCH(int, kept);
        auto window = MakeWindow();
        OptionPanel& panel = window->Panel();
        std::vector<std::wstring> many;
        for (int i = 0; i < 22; ++i)
            many.push_back(L"entry" + std::to_wstring(i));
        panel.SetItems(ctl::kFindText, many);
        panel.SetText(ctl::kFindText, L"typed");
        panel.SetItems(ctl::kTemplateText, {L"one"});
        window->ShortenInputHistories(count);
        const std::vector<std::wstring> left = panel.Items(ctl::kFindText);
        QCOMPARE(int(left.size()), kept);
        QVERIFY(std::equal(left.begin(), left.end(), many.begin()));  // the newest stay
        QCOMPARE(panel.Text(ctl::kFindText), std::wstring(L"typed"));
        QCOMPARE(panel.Items(ctl::kTemplateText).size(), count > 1 ? 1u : 0u);
    }

    // Alt+S as the program runs it: the dialog saves, the window hears what changed,
    // and the program restarts through the window's own restart.
    void SettingsCommandSavesTellsTheWindowAndRestarts() {
        auto window = MakeWindow();
        const fs::path settings = root_ / "config" / "tolvane" / "Tolvane.ini";
        IniFile::WriteValue(settings, L"set", L"showToolbar", L"1");
        IniFile::WriteValue(settings, L"set", L"remindCount", L"5");
        window->ShowToolbar(true);
        window->Panel().SetItems(ctl::kInsertText, {L"a", L"b", L"c", L"d"});
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(
            window->Commands().Keys(cmd::kSettings).contains(QKeySequence(Qt::ALT | Qt::Key_S)));
        Answer<SetDlg>([](SetDlg* dialog) {
            qobject_cast<QCheckBox*>(dialog->Control(1133))->setChecked(false);
            qobject_cast<QLineEdit*>(dialog->Control(1120))->setText(QStringLiteral("2"));
            dialog->Save();
        });
        window->Commands().Run(cmd::kSettings);
        QCOMPARE(restarts_, 1);
        QVERIFY(!window->findChild<QToolBar*>(QStringLiteral("mainToolBar"))->isVisible());
        QCOMPARE(window->Panel().Items(ctl::kInsertText), std::vector<std::wstring>{L"a"});
        QCOMPARE(IniFile::ReadValue(settings, L"set", L"showToolbar"), std::wstring(L"0"));
        QCOMPARE(IniFile::ReadValue(settings, L"set", L"remindCount"), std::wstring(L"2"));
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::ShellWindowTest)
#include "ShellWindowTest.moc"
