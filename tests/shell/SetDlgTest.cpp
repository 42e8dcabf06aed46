#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include "ShellTestSupport.h"
#include "SpecialFiles.h"
#include "settings/IniFile.h"
#include "settings/SettingsDialogControls.h"
#include "shell/SetDlg.h"

namespace tolvane {

namespace fs = std::filesystem;

// What the dialog tells the main window and the program.
struct Heard {
    QList<bool> toolbar;
    QList<int> histories;
    int restarts = 0;
    QStringList notices;
};

class SetDlgTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir temp_;
    fs::path root_;
    fs::path settingsFile_;
    fs::path languages_;
    fs::path data_;
    Heard heard_;

    void WriteFile(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string ReadFile(const fs::path& path) { return test::ReadWholeFile(path); }
    std::wstring Stored(const wchar_t* key) {
        return IniFile::ReadValue(settingsFile_, L"set", key);
    }

    FileManagerMenus Menus() const { return FileManagerMenus("/opt/My Apps/tolvane", data_); }

    SetDlg::Environment Environment(int systemLanguageId = 2052) {
        SetDlg::Environment environment;
        environment.paths = {settingsFile_, languages_};
        environment.systemLanguageId = systemLanguageId;
        environment.menus = Menus();
        environment.showToolbar = [this](bool shown) { heard_.toolbar << shown; };
        environment.shortenHistories = [this](int count) { heard_.histories << count; };
        environment.restart = [this] { ++heard_.restarts; };
        environment.notify = [this](const QString& text) { heard_.notices << text; };
        return environment;
    }

    static QCheckBox* Box(const SetDlg& dialog, int id) {
        return qobject_cast<QCheckBox*>(dialog.Control(id));
    }
    static QLineEdit* Count(const SetDlg& dialog) {
        return qobject_cast<QLineEdit*>(dialog.Control(1120));
    }
    static QComboBox* Languages(const SetDlg& dialog) {
        return qobject_cast<QComboBox*>(dialog.Control(1088));
    }
    static QStringList Shown(const SetDlg& dialog) {
        QStringList texts;
        for (int i = 0; i < Languages(dialog)->count(); ++i)
            texts << Languages(dialog)->itemText(i);
        return texts;
    }
    // The eight boxes, as "1" and "0", in the order of the dialog's table.
    static QString Boxes(const SetDlg& dialog) {
        QString states;
        for (int id : {1104, 1131, 1032, 1133, 1155, 1159, 1053, 1054})
            states += Box(dialog, id)->isChecked() ? u'1' : u'0';
        return states;
    }

    void ShowActive(SetDlg& dialog) {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }

  private slots:
    void initTestCase() { test::UseTemporaryXdgFolders(temp_); }

    void init() {
        QVERIFY(temp_.isValid());
        root_ = test::FreshFolderForTest(temp_);
        settingsFile_ = root_ / "config" / "tolvane" / "Tolvane.ini";
        languages_ = root_ / "Language";
        data_ = root_ / "data";
        fs::create_directories(languages_);
        heard_ = {};
    }

    void OpensFromWhatTheFileHolds_data() {
        QTest::addColumn<QByteArray>("file");  // empty: no file at all
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("count");
        QTest::newRow("no file") << QByteArray() << "00000000"
                                 << "0";
        QTest::newRow("no keys") << QByteArray("[set]\nwidth=700\n") << "11011011"
                                 << "0";
        QTest::newRow("every key")
            << QByteArray(
                   "[set]\nclearInput=0\nrefreshFile=1\nclearFile=1\nshowToolbar=0\n"
                   "showTip=1\nloadLastSet=1\nautoSort=0\nautoUpdate=yes\nremindCount=12\n")
            << "01101101"
            << "12";
        QTest::newRow("words") << QByteArray(
                                      "[set]\nclearFile=yes\nloadLastSet=true\n"
                                      "showToolbar=false\nremindCount=x\n")
                               << "11011011"
                               << "x";
    }
    void OpensFromWhatTheFileHolds() {
        QFETCH(QByteArray, file);
        QFETCH(QString, boxes);
        QFETCH(QString, count);
        if (!file.isNull())
            WriteFile(settingsFile_, file.toStdString());
        const SetDlg dialog(Environment());
        QCOMPARE(Boxes(dialog), boxes);
        QCOMPARE(Count(dialog)->text(), count);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("设置"));
        QVERIFY(!Box(dialog, 1156)->isChecked());
        // Opening writes nothing.
        QCOMPARE(fs::exists(settingsFile_), !file.isNull());
    }

    void ContextMenuBoxShowsOurMenuFiles() {
        QVERIFY(Menus().AddContextMenu().Clean());
        QVERIFY(Box(SetDlg(Environment()), 1156)->isChecked());
        fs::remove(Menus().NemoAction());
        fs::remove(Menus().FilesScript());
        WriteFile(Menus().ServiceMenu(), "[Desktop Entry]\n");  // the user's own
        QVERIFY(!Box(SetDlg(Environment()), 1156)->isChecked());
    }

    void SavingWritesEveryKeyAndRestarts() {
        WriteFile(languages_ / "ENG.ini", "[language]\n");
        WriteFile(languages_ / "CHT.ini", "[language]\n");
        WriteFile(settingsFile_, "[set]\nwidth=700\n[remind]\n1045=a;b;c;d;\n");
        SetDlg dialog(Environment());
        for (int id : {1104, 1131, 1133, 1053})
            Box(dialog, id)->setChecked(false);
        for (int id : {1032, 1155, 1159, 1054})
            Box(dialog, id)->setChecked(true);
        Count(dialog)->setText(QStringLiteral("3"));
        Languages(dialog)->setCurrentIndex(Shown(dialog).indexOf(QStringLiteral("CHT")));
        dialog.Save();

        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(heard_.restarts, 1);
        const std::pair<const wchar_t*, const wchar_t*> expected[] = {
            {L"clearInput", L"0"},  {L"refreshFile", L"0"}, {L"clearFile", L"1"},
            {L"loadLastSet", L"1"}, {L"showTip", L"1"},     {L"showToolbar", L"0"},
            {L"autoSort", L"0"},    {L"autoUpdate", L"1"},  {L"remindCount", L"3"},
            {L"language", L"CHT"},  {L"width", L"700"}};
        for (const auto& [key, value] : expected)
            QCOMPARE(Stored(key), std::wstring(value));
        // The histories keep as many records as the new count.
        QCOMPARE(IniFile::ReadValue(settingsFile_, L"remind", L"1045"), std::wstring(L"b;c;d;"));
        // Keys in the order the dialog writes them, after the file's own.
        const std::string text = ReadFile(settingsFile_);
        QVERIFY(text.find("width=700\nclearInput=0\nrefreshFile=0\nclearFile=1\nloadLastSet=1\n"
                          "showTip=1\nshowToolbar=0\nautoSort=0\nautoUpdate=1\nremindCount=3\n"
                          "language=CHT\n") != std::string::npos);
    }

    void TellsTheWindowOnlyWhatChanged_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("toolbar");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QList<bool>>("toolbarHeard");
        QTest::addColumn<QList<int>>("historiesHeard");
        const QByteArray shown("[set]\nshowToolbar=1\nremindCount=5\n");
        QTest::newRow("nothing changed") << shown << true << "5" << QList<bool>{} << QList<int>{};
        QTest::newRow("toolbar hidden")
            << shown << false << "5" << QList<bool>{false} << QList<int>{};
        QTest::newRow("toolbar shown") << QByteArray("[set]\nshowToolbar=0\nremindCount=5\n")
                                       << true << "5" << QList<bool>{true} << QList<int>{};
        QTest::newRow("count lowered") << shown << true << "2" << QList<bool>{} << QList<int>{2};
        QTest::newRow("count raised") << shown << true << "9" << QList<bool>{} << QList<int>{};
        QTest::newRow("count emptied") << shown << true << "" << QList<bool>{} << QList<int>{0};
        // Both above the most the histories keep: nothing to shorten.
        QTest::newRow("above the most") << QByteArray("[set]\nremindCount=50\n") << true << "30"
                                        << QList<bool>{} << QList<int>{};
        QTest::newRow("down to the most") << QByteArray("[set]\nremindCount=50\n") << true << "19"
                                          << QList<bool>{} << QList<int>{19};
        // Without a file the window shows its toolbar; the box opens unchecked.
        QTest::newRow("no file") << QByteArray() << false << "0" << QList<bool>{false}
                                 << QList<int>{};
    }
    void TellsTheWindowOnlyWhatChanged() {
        QFETCH(QByteArray, file);
        QFETCH(bool, toolbar);
        QFETCH(QString, count);
        QFETCH(QList<bool>, toolbarHeard);
        QFETCH(QList<int>, historiesHeard);
        if (!file.isNull())
            WriteFile(settingsFile_, file.toStdString());
        SetDlg dialog(Environment());
        Box(dialog, 1133)->setChecked(toolbar);
        Count(dialog)->setText(count);
        dialog.Save();
        QCOMPARE(heard_.toolbar, toolbarHeard);
        QCOMPARE(heard_.histories, historiesHeard);
        QCOMPARE(heard_.restarts, 1);
    }

    void CountAboveTheMostIsStoredAsTypedAndKeepsTheMost() {
        std::string history;
        for (int i = 1; i <= 25; ++i)
            history += "e" + std::to_string(i) + ";";
        WriteFile(settingsFile_, "[set]\nremindCount=25\n[remind]\n1068=" + history + "\n");
        SetDlg dialog(Environment());
        Count(dialog)->setText(QStringLiteral("50"));
        dialog.Save();
        QCOMPARE(Stored(L"remindCount"), std::wstring(L"50"));
        const std::wstring kept = IniFile::ReadValue(settingsFile_, L"remind", L"1068");
        QCOMPARE(std::count(kept.begin(), kept.end(), L';'), 20);
        QVERIFY(kept.starts_with(L"e6;") && kept.ends_with(L"e25;"));
    }

    void EscAndCancelWriteNothing_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("escape") << true;
        QTest::newRow("cancel") << false;
    }
    void EscAndCancelWriteNothing() {
        QFETCH(bool, escape);
        const std::string before = "[set]\nshowToolbar=1\nremindCount=5\nlanguage=ENG\n";
        WriteFile(settingsFile_, before);
        SetDlg dialog(Environment());
        ShowActive(dialog);
        Box(dialog, 1133)->setChecked(false);
        Box(dialog, 1156)->setChecked(true);
        Count(dialog)->setText(QStringLiteral("1"));
        if (escape)
            QTest::keyClick(Box(dialog, 1104), Qt::Key_Escape);
        else
            QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Control(1162)), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(ReadFile(settingsFile_), before);
        QVERIFY(!fs::exists(data_));
        QCOMPARE(heard_.restarts, 0);
        QVERIFY(heard_.toolbar.isEmpty() && heard_.histories.isEmpty());
    }

    void CtrlSSavesAndSAloneDoesNot() {
        SetDlg dialog(Environment());
        ShowActive(dialog);
        Box(dialog, 1104)->setFocus();
        QTest::keyClick(Box(dialog, 1104), Qt::Key_S);
        QTest::keyClick(Count(dialog), Qt::Key_S, Qt::ShiftModifier);
        QVERIFY(!fs::exists(settingsFile_));
        QCOMPARE(heard_.restarts, 0);
        QVERIFY(dialog.isVisible());

        QTest::keyClick(Count(dialog), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(heard_.restarts, 1);
        QCOMPARE(Stored(L"remindCount"), std::wstring(L"0"));
        QVERIFY(!dialog.isVisible());
    }

    void TheCountTakesDigitsOnly() {
        SetDlg dialog(Environment());
        ShowActive(dialog);
        QLineEdit* count = Count(dialog);
        count->setFocus();
        count->selectAll();
        QTest::keyClicks(count, QStringLiteral("1a-2 "));
        QCOMPARE(count->text(), QStringLiteral("12"));
        QTest::keyClick(count, Qt::Key_Backspace);
        QCOMPARE(count->text(), QStringLiteral("12"));
        count->setCursorPosition(0);
        QTest::keyClick(count, Qt::Key_Delete);
        QCOMPARE(count->text(), QStringLiteral("2"));
        // The arrows stay within 0 to 20.
        count->setText(QStringLiteral("20"));
        QTest::keyClick(count, Qt::Key_Up);
        QCOMPARE(count->text(), QStringLiteral("20"));
    }

    void LanguageListComesFromTheFolder_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("systemLanguageId");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("selected");
        QTest::newRow("no language in use")
            << QByteArray() << 2052 << QStringList{"CHS", "CHT", "English", "简体中文"} << "";
        QTest::newRow("simplified stored")
            << QByteArray("[set]\nlanguage=CHS\n") << 2052
            << QStringList{"CHS", "CHT", "English", "简体中文"} << "简体中文";
        QTest::newRow("traditional stored")
            << QByteArray("[set]\nlanguage=CHT\n") << 2052
            << QStringList{"CHS", "CHT", "English", "简体中文"} << "CHT";
        // English in use: its file names the languages; one without a name shows its code.
        QTest::newRow("english stored")
            << QByteArray("[set]\nlanguage=ENG\n") << 2052
            << QStringList{"CHS", "Traditional", "English", "Simplified"} << "English";
        QTest::newRow("english system")
            << QByteArray() << 1033 << QStringList{"CHS", "Traditional", "English", "Simplified"}
            << "";
    }
    void LanguageListComesFromTheFolder() {
        QFETCH(QByteArray, settings);
        QFETCH(int, systemLanguageId);
        QFETCH(QStringList, shown);
        QFETCH(QString, selected);
        WriteFile(languages_ / "CHS.ini", "[language]\n");
        WriteFile(languages_ / "CHT.ini", "[language]\n");
        WriteFile(languages_ / "ENG.ini",
                  "[language]\nCHT=Traditional\n简体中文=Simplified\nsetting=Preferences\n"
                  "1133=Toolbar\n");
        WriteFile(languages_ / "README.txt", "not a language\n");
        fs::create_directories(languages_ / "old.ini");
        if (!settings.isNull())
            WriteFile(settingsFile_, settings.toStdString());
        SetDlg dialog(Environment(systemLanguageId));
        QCOMPARE(Shown(dialog), shown);
        QCOMPARE(Languages(dialog)->currentText(), selected);
        QCOMPARE(dialog.LanguageCodes(),
                 (std::vector<std::wstring>{L"CHS", L"CHT", L"ENG", L"CHS"}));
        const bool english = shown.contains(QStringLiteral("English")) &&
                             shown.contains(QStringLiteral("Simplified"));
        QCOMPARE(dialog.windowTitle(),
                 english ? QStringLiteral("Preferences") : QStringLiteral("设置"));
        QCOMPARE(Box(dialog, 1133)->text(),
                 english ? QStringLiteral("Toolbar") : QStringLiteral("显示工具栏"));

        // Saving stores the code of the chosen entry, whatever the entry shows.
        dialog.Save();
        const std::wstring code = Languages(dialog)->currentIndex() < 0
                                      ? L""
                                      : dialog.LanguageCodes()[Languages(dialog)->currentIndex()];
        QCOMPARE(Stored(L"language"), code);
    }

    // A settings file that cannot be read opens as one without keys; a language file
    // that cannot be read leaves the built-in texts.
    void DamagedFilesNeverStopTheDialog_data() {
        QTest::addColumn<bool>("language");
        QTest::addColumn<int>("kind");  // -1: a file that is not UTF-8
        QTest::addColumn<QString>("boxes");
        for (const test::SpecialFileCase& c : test::kSpecialFiles) {
            QTest::addRow("settings %s", c.label) << false << int(c.kind) << "11011011";
            QTest::addRow("language %s", c.label) << true << int(c.kind) << "11011011";
        }
        QTest::addRow("settings not utf-8") << false << -1 << "11001011";
        QTest::addRow("language not utf-8") << true << -1 << "11011011";
    }
    void DamagedFilesNeverStopTheDialog() {
        QFETCH(bool, language);
        QFETCH(int, kind);
        QFETCH(QString, boxes);
        const fs::path target = language ? languages_ / "ENG.ini" : settingsFile_;
        fs::create_directories(target.parent_path());
        if (kind < 0)
            WriteFile(target,
                      "[set]\nshowToolbar=0\n\x80\x81=\xc3\nlanguage=\xff\n"
                      "[language]\nsetting=Caf\xe9\n");
        else if (!test::MakeSpecialFile(target, test::SpecialFile(kind)))
            QSKIP("the system refused to make it");
        if (language)
            WriteFile(settingsFile_, "[set]\nlanguage=ENG\n");
        SetDlg dialog(Environment());
        QCOMPARE(Boxes(dialog), boxes);
        QCOMPARE(Count(dialog)->text(), QStringLiteral("0"));
        QVERIFY(Languages(dialog)->findText(QStringLiteral("简体中文")) >= 0);
        // A language file that is not UTF-8 still gives its texts, bad bytes replaced.
        QCOMPARE(dialog.windowTitle(),
                 language && kind < 0 ? QStringLiteral("Caf\uFFFD") : QStringLiteral("设置"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }

    void TheContextMenuFollowsTheBoxWhenSaved() {
        {
            SetDlg dialog(Environment());
            Box(dialog, 1156)->setChecked(true);
            dialog.Save();
        }
        QVERIFY(Menus().ContextMenuExists());
        QVERIFY(fs::exists(Menus().NemoAction()) && fs::exists(Menus().FilesScript()));
        QVERIFY(heard_.notices.isEmpty());
        {
            SetDlg dialog(Environment());
            QVERIFY(Box(dialog, 1156)->isChecked());
            // A file of the user's with one of our names is kept and named to the user.
            WriteFile(Menus().FilesScript(), "#!/bin/sh\necho mine\n");
            Box(dialog, 1156)->setChecked(false);
            dialog.Save();
        }
        QVERIFY(!fs::exists(Menus().ServiceMenu()));
        QVERIFY(!fs::exists(Menus().NemoAction()));
        QCOMPARE(ReadFile(Menus().FilesScript()), std::string("#!/bin/sh\necho mine\n"));
        QCOMPARE(heard_.notices.size(), 1);
        QVERIFY(heard_.notices[0].contains(QStringLiteral("不是 Tolvane 写入的")));
        QVERIFY(heard_.notices[0].contains(QString::fromStdString(Menus().FilesScript().native())));
    }

    // One of our menu files removed by hand: the others still offer Tolvane, so the box
    // opens ticked, a save for another setting leaves them as they are, and only
    // clearing the box takes them away.
    void ContextMenuBoxFollowsAnyOfOurFiles_data() {
        QTest::addColumn<int>("kept");  // the one file left: service menu, Nemo, script
        QTest::newRow("service menu") << 0;
        QTest::newRow("Nemo action") << 1;
        QTest::newRow("GNOME Files script") << 2;
    }
    void ContextMenuBoxFollowsAnyOfOurFiles() {
        QFETCH(int, kept);
        QVERIFY(Menus().AddContextMenu().Clean());
        const fs::path files[] = {Menus().ServiceMenu(), Menus().NemoAction(),
                                  Menus().FilesScript()};
        for (int i = 0; i < 3; ++i) {
            if (i != kept)
                fs::remove(files[i]);
        }
        const std::string before = ReadFile(files[kept]);
        {
            SetDlg dialog(Environment());
            QVERIFY(Box(dialog, 1156)->isChecked());
            Box(dialog, 1133)->toggle();
            dialog.Save();
        }
        for (int i = 0; i < 3; ++i)
            QCOMPARE(fs::exists(files[i]), i == kept);
        QCOMPARE(ReadFile(files[kept]), before);
        {
            SetDlg dialog(Environment());
            Box(dialog, 1156)->setChecked(false);
            dialog.Save();
        }
        for (const fs::path& file : files)
            QVERIFY(!fs::exists(file));
        QVERIFY(heard_.notices.isEmpty());
    }

    void SendToLinkWritesAtOnceAndCancelKeepsIt() {
        SetDlg dialog(Environment());
        auto* link = qobject_cast<QLabel*>(dialog.Control(1119));
        QVERIFY(link->text().contains(QStringLiteral("<a href")));
        emit link->linkActivated(QStringLiteral("#"));
        QVERIFY(fs::exists(Menus().ThunarSendTo()));
        QVERIFY(fs::exists(Menus().OpenWithEntry()));
        dialog.reject();
        QVERIFY(fs::exists(Menus().OpenWithEntry()));
        QVERIFY(!fs::exists(settingsFile_));
        // Again: what exists stays, nothing is said.
        emit link->linkActivated(QStringLiteral("#"));
        QVERIFY(heard_.notices.isEmpty());
    }

    void EveryControlShowsInsideTheDialog() {
        SetDlg dialog(Environment());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const ControlInfo& info : SettingsDialogControls()) {
            QWidget* widget = dialog.Control(info.id);
            QVERIFY(widget != nullptr);
            if (info.flags & kHidden)
                continue;
            const QRect inDialog(widget->mapTo(&dialog, QPoint()), widget->size());
            QVERIFY2(widget->isVisible() && !inDialog.isEmpty() && dialog.rect().contains(inDialog),
                     qPrintable(QString::number(info.id)));
        }
    }

    void TheNoteSaysWhatHoldsHere() {
        const SetDlg dialog(Environment());
        const QString note = qobject_cast<QLabel*>(dialog.Control(1160))->text();
        QVERIFY(!note.contains(QStringLiteral("15")));
        QVERIFY(note.contains(QStringLiteral("Dolphin")));
        QVERIFY(dialog.Control(1116)->isHidden());
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::SetDlgTest)
#include "SetDlgTest.moc"
