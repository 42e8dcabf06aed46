#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "app/AboutDlg.h"
#include "app/ApplicationIcon.h"
#include "app/CAboutDlg.h"
#include "app/HelpDlg.h"
#include "app/ProjectLinks.h"
#include "settings/Settings.h"

namespace tolvane {

namespace fs = std::filesystem;

// Stands in for the browser: the desktop hands it every address it is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT

  public:
    explicit UrlRecorder(QStringList schemes) : schemes_(std::move(schemes)) {
        for (const QString& scheme : schemes_)
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~UrlRecorder() override {
        for (const QString& scheme : schemes_)
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;

  public slots:
    void Open(const QUrl& url) { opened << url; }

  private:
    QStringList schemes_;
};

class HelpAboutTest : public QObject {
    Q_OBJECT

  private:
    // Sets an environment variable for the life of the object, as a user's session would.
    struct ScopedEnv {
        ScopedEnv(const char* name, const QByteArray& value) : name_(name), saved_(qgetenv(name)) {
            qputenv(name, value);
        }
        ~ScopedEnv() {
            if (saved_.isNull())
                qunsetenv(name_);
            else
                qputenv(name_, saved_);
        }
        const char* name_;
        QByteArray saved_;
    };

    static QStringList LabelTexts(const QWidget& widget) {
        QStringList texts;
        for (const QLabel* label : widget.findChildren<QLabel*>())
            texts << label->text();
        return texts;
    }

    // Every label and button lies inside the dialog and is wide enough for its text.
    static void VerifyNothingCut(QWidget& dialog) {
        for (QWidget* child : dialog.findChildren<QWidget*>()) {
            if (!child->isVisible() ||
                !(qobject_cast<QLabel*>(child) || qobject_cast<QPushButton*>(child)))
                continue;
            const QRect inDialog(child->mapTo(&dialog, QPoint()), child->size());
            QVERIFY2(dialog.rect().contains(inDialog), qPrintable(child->objectName()));
            QVERIFY2(child->width() >= child->sizeHint().width(),
                     qPrintable(QStringLiteral("%1: %2 < %3")
                                    .arg(child->property("text").toString())
                                    .arg(child->width())
                                    .arg(child->sizeHint().width())));
        }
    }

    // Pictures for a person to look at, when asked for.
    static void SavePicture(const QImage& image, const QString& name) {
        const QString folder = qEnvironmentVariable("TOLVANE_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(image.save(QDir(folder).filePath(name + QStringLiteral(".png"))));
        }
    }
    static void SavePicture(QWidget& widget, const QString& name) {
        SavePicture(widget.grab().toImage(), name);
    }

    static ProjectLinks AllLinks() {
        return {QStringLiteral("https://example.org/tolvane"),
                QStringLiteral("https://example.org/donate"), QStringLiteral("+86 10 1234 5678")};
    }

  private slots:
    void CaptionsFollowTheLanguageId_data() {
        QTest::addColumn<int>("languageId");
        QTest::addColumn<QString>("help");
        QTest::addColumn<QString>("about");
        QTest::newRow("simplified") << 2052 << "帮助"
                                    << "关于Tolvane";
        QTest::newRow("traditional") << 1028 << "帮助"
                                     << "关于Tolvane";
        QTest::newRow("english") << 1033 << "Help"
                                 << "About Tolvane";
    }
    void CaptionsFollowTheLanguageId() {
        QFETCH(int, languageId);
        QFETCH(QString, help);
        QFETCH(QString, about);
        QCOMPARE(HelpDlg("/tmp/Tolvane.ini", nullptr, languageId).windowTitle(), help);
        QCOMPARE(AboutDlg(nullptr, languageId).windowTitle(), about);
    }

    void CaptionsFollowTheSessionLocaleByDefault_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QString>("help");
        QTest::addColumn<QString>("about");
        QTest::newRow("zh_CN") << QByteArray("zh_CN.UTF-8") << "帮助"
                               << "关于Tolvane";
        QTest::newRow("zh_HK") << QByteArray("zh_HK.UTF-8") << "帮助"
                               << "关于Tolvane";
        QTest::newRow("en_US") << QByteArray("en_US.UTF-8") << "Help"
                               << "About Tolvane";
        QTest::newRow("de_DE") << QByteArray("de_DE.UTF-8") << "Help"
                               << "About Tolvane";
    }
    void CaptionsFollowTheSessionLocaleByDefault() {
        QFETCH(QByteArray, locale);
        QFETCH(QString, help);
        QFETCH(QString, about);
        const ScopedEnv scoped("LC_ALL", locale);
        QCOMPARE(HelpDlg("/tmp/Tolvane.ini").windowTitle(), help);
        QCOMPARE(AboutDlg().windowTitle(), about);
    }

    void HelpTextNamesTheSettingsFileInUse() {
        QTemporaryDir config;
        const fs::path settingsFile = [&] {
            const ScopedEnv scoped("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
            return LocateSettings().settingsFile;
        }();
        const QString expected = config.path() + QStringLiteral("/tolvane/Tolvane.ini");
        QCOMPARE(QString::fromStdString(settingsFile.string()), expected);

        const HelpDlg help(settingsFile, nullptr, 2052);
        const QString text = help.TextView()->toPlainText();
        QVERIFY(help.TextView()->isReadOnly());
        QCOMPARE(text, HelpDlg::Text(settingsFile));
        QVERIFY(text.startsWith(QStringLiteral("\n选项中的复选框")));
        QVERIFY(text.endsWith(QStringLiteral("[A-Z];\n\n")));
        QCOMPARE(text.count(u'\n'), 123);
        // The tokens read from the files, each with an example.
        QVERIFY(text.contains(QStringLiteral("<edate>_<name> 就生成了20210304_pic")));
        QVERIFY(text.contains(QStringLiteral("<track> <title> 就生成了01 Human Behaviour")));
        QVERIFY(
            text.contains(QStringLiteral("1.打开设置文件 %1，找到“regex”所在行").arg(expected)));
        QVERIFY(!text.contains(QStringLiteral("confing.ini")));
        // The rules as the file stores them, backslash included.
        QVERIFY(text.contains(QStringLiteral("\n      regex=number#\\d;letter#[a-zA-Z];\n")));
        QVERIFY(text.contains(
            QStringLiteral("\n      regex=number#\\d;letter#[a-zA-Z];大写字母#[A-Z];\n")));
        // Paths of a list to import, as the import reads them here.
        QVERIFY(text.contains(QStringLiteral(
            "格式如下：\n\t/home/user/a.txt\n\t/home/user/b.txt\n\t/home/user/test/c.txt\n5.")));
        QVERIFY(!text.contains(QStringLiteral("C:\\")));
        // The check box that renames folders, by the caption the window gives it.
        QVERIFY(text.contains(QStringLiteral("复选框“文件夹改名”可用于命名文件夹")));
    }

    void HelpTextShowsAnyPath_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("shown");
        QTest::newRow("chinese") << QByteArray("/home/李雷/.config/tolvane/Tolvane.ini")
                                 << QStringLiteral("/home/李雷/.config/tolvane/Tolvane.ini");
        QTest::newRow("not utf-8") << QByteArray("/media/caf\xe9/Tolvane.ini")
                                   << QStringLiteral("/media/caf\uFFFD/Tolvane.ini");
        QTest::newRow("percent") << QByteArray("/opt/100%1/Tolvane.ini")
                                 << QStringLiteral("/opt/100%1/Tolvane.ini");
    }
    void HelpTextShowsAnyPath() {
        QFETCH(QByteArray, path);
        QFETCH(QString, shown);
        const QString text = HelpDlg::Text(fs::path(path.toStdString()));
        QVERIFY(text.contains(QStringLiteral("设置文件 %1，").arg(shown)));
    }

    void HelpShownTwiceIsOneWindowThatClosingHides() {
        QWidget owner;
        owner.setGeometry(100, 80, 500, 400);
        owner.show();
        HelpDlg help("/tmp/Tolvane.ini", &owner, 2052);
        const QPointer<HelpDlg> alive(&help);
        const auto shownHelpWindows = [] {
            int count = 0;
            for (QWidget* window : QApplication::topLevelWidgets())
                count += qobject_cast<HelpDlg*>(window) != nullptr && window->isVisible();
            return count;
        };
        QCOMPARE(shownHelpWindows(), 0);
        help.ShowCentredOver(&owner);
        help.ShowCentredOver(&owner);
        QCOMPARE(shownHelpWindows(), 1);
        QVERIFY(!help.isModal());

        QTest::keyClick(&help, Qt::Key_Escape);
        QVERIFY(!help.isVisible());
        QVERIFY(!alive.isNull());
        help.ShowCentredOver(&owner);
        QCOMPARE(shownHelpWindows(), 1);
        QVERIFY(help.isVisible());
        QVERIFY(help.TextView()->toPlainText().contains(QStringLiteral("元变量使用参考")));
        help.close();
        QVERIFY(!help.isVisible());
        QVERIFY(!alive.isNull());
    }

    void HelpCentresOverItsOwnerWithinTheScreen_data() {
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<bool>("centred");
        QTest::newRow("room around") << QRect(150, 100, 500, 400) << true;
        QTest::newRow("top left corner") << QRect(0, 0, 120, 90) << false;
        QTest::newRow("off the bottom right") << QRect(700, 520, 400, 300) << false;
    }
    void HelpCentresOverItsOwnerWithinTheScreen() {
        QFETCH(QRect, owner);
        QFETCH(bool, centred);
        QWidget window;
        window.setGeometry(owner);
        window.show();
        HelpDlg help("/tmp/Tolvane.ini", &window, 2052);
        help.resize(300, 200);
        help.ShowCentredOver(&window);
        const QRect frame = help.frameGeometry();
        if (centred) {
            const QPoint offset = frame.center() - window.frameGeometry().center();
            QVERIFY2(offset.manhattanLength() <= 2,
                     qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        }
        QVERIFY(window.screen()->availableGeometry().contains(frame));
    }

    void UsableWebAddresses_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("usable");
        QTest::newRow("https") << "https://example.org/donate"
                               << "https://example.org/donate";
        QTest::newRow("http with query") << "http://example.org/a?b=1&c=2"
                                         << "http://example.org/a?b=1&c=2";
        QTest::newRow("blanks around") << "  https://example.org/ \n"
                                       << "https://example.org/";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("no scheme") << "example.org/donate"
                                   << "";
        QTest::newRow("local file") << "file:///etc/passwd"
                                    << "";
        QTest::newRow("script") << "javascript:alert(1)"
                                << "";
        QTest::newRow("no host") << "https:///donate"
                                 << "";
        QTest::newRow("mail") << "mailto:someone@example.org"
                              << "";
    }
    void UsableWebAddresses() {
        QFETCH(QString, text);
        QFETCH(QString, usable);
        QCOMPARE(UsableWebAddress(text), usable);
        UrlRecorder browser({QStringLiteral("http"), QStringLiteral("https"),
                             QStringLiteral("file"), QStringLiteral("javascript"),
                             QStringLiteral("mailto")});
        QCOMPARE(OpenWebAddress(text), !usable.isEmpty());
        QCOMPARE(browser.opened.size(), usable.isEmpty() ? 0 : 1);
        if (!usable.isEmpty())
            QCOMPARE(browser.opened.front(), QUrl(usable));
    }

    // What the build was configured with (nothing, by default) is all the window offers.
    void ConfiguredLinksAreTheOnlyOnesOffered() {
        UrlRecorder browser({QStringLiteral("http"), QStringLiteral("https")});
        const bool opened = OpenDonatePage();
        QCOMPARE(opened, !DonateUrl().isEmpty());
        QCOMPARE(browser.opened.size(), opened ? 1 : 0);
        if (opened)
            QCOMPARE(browser.opened.front(), QUrl(DonateUrl()));

        const AboutDlg about;
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("homepageLink")) != nullptr,
                 !HomepageUrl().isEmpty());
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("donateLink")) != nullptr, opened);
    }

    void AboutShowsOnlyTheLinesItWasGiven_data() {
        QTest::addColumn<QString>("homepage");
        QTest::addColumn<QString>("donate");
        QTest::addColumn<QString>("contact");
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "";
        QTest::newRow("website only") << "https://example.org/tolvane"
                                      << ""
                                      << "";
        QTest::newRow("donate only") << ""
                                     << "https://example.org/donate"
                                     << "";
        QTest::newRow("everything") << "https://example.org/"
                                    << "https://example.org/donate"
                                    << "+86 10 1234 5678";
        QTest::newRow("not a web address") << "file:///home"
                                           << "javascript:x()"
                                           << "  ";
    }
    void AboutShowsOnlyTheLinesItWasGiven() {
        QFETCH(QString, homepage);
        QFETCH(QString, donate);
        QFETCH(QString, contact);
        AboutDlg about(nullptr, 1033, {homepage, donate, contact});
        about.show();
        const QStringList labels = LabelTexts(about);
        QVERIFY(labels.contains(QStringLiteral("Tolvane, v") + ProjectVersion()));
        QVERIFY(labels.contains(RightsNotice()));
        const struct {
            QString address, caption, objectName;
        } links[] = {{UsableWebAddress(homepage), QStringLiteral("Website:"), "homepageLink"},
                     {UsableWebAddress(donate), QStringLiteral("Donate:"), "donateLink"}};
        for (const auto& link : links) {
            const QLabel* label = about.findChild<QLabel*>(link.objectName);
            QCOMPARE(labels.contains(link.caption), !link.address.isEmpty());
            QCOMPARE(label != nullptr, !link.address.isEmpty());
            if (label != nullptr) {
                QVERIFY(label->isVisible());
                QVERIFY(label->text().contains(link.address.toHtmlEscaped()));
                QCOMPARE(label->accessibleName(), link.caption);
            }
        }
        const QLineEdit* field = about.findChild<QLineEdit*>(QStringLiteral("contact"));
        QCOMPARE(field != nullptr, !contact.trimmed().isEmpty());
        QCOMPARE(labels.contains(QStringLiteral("Contact:")), field != nullptr);
        if (field != nullptr) {
            QCOMPARE(field->text(), contact);
            QVERIFY(field->isReadOnly());
        }
    }

    void ClickingALinkOpensItsAddress() {
        // An address with characters that mean something in the label's markup.
        const QString address = QStringLiteral("https://example.org/give?to=tolvane&via=about#top");
        UrlRecorder browser({QStringLiteral("https")});
        AboutDlg about(nullptr, 2052, {{}, address, {}});
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QLabel* link = about.findChild<QLabel*>(QStringLiteral("donateLink"));
        QVERIFY(link != nullptr);
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(6, link->height() / 2));
        QCOMPARE(browser.opened.size(), 1);
        QCOMPARE(browser.opened.front(), QUrl(address));
    }

    void KeysCloseTheAboutBoxes_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("contactFocused");
        QTest::newRow("enter") << int(Qt::Key_Return) << int(QDialog::Accepted) << false;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << int(QDialog::Accepted) << false;
        QTest::newRow("escape") << int(Qt::Key_Escape) << int(QDialog::Rejected) << false;
        QTest::newRow("enter in the contact")
            << int(Qt::Key_Return) << int(QDialog::Accepted) << true;
    }
    void KeysCloseTheAboutBoxes() {
        QFETCH(int, key);
        QFETCH(int, result);
        QFETCH(bool, contactFocused);
        AboutDlg about(nullptr, 1033, AllLinks());
        CAboutDlg short_about;
        for (QDialog* dialog :
             {static_cast<QDialog*>(&about), static_cast<QDialog*>(&short_about)}) {
            dialog->setResult(-1);
            dialog->show();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QWidget* target = dialog->focusWidget();
            if (contactFocused) {
                if (dialog != &about)
                    continue;
                target = about.findChild<QLineEdit*>(QStringLiteral("contact"));
                target->setFocus();
            }
            QVERIFY(target != nullptr);
            QTest::keyClick(target, Qt::Key(key));
            QVERIFY(!dialog->isVisible());
            QCOMPARE(dialog->result(), result);
        }
    }

    void ApplicationIconDrawsAtEverySize_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("16") << 16;
        QTest::newRow("32") << 32;
        QTest::newRow("256") << 256;
    }
    void ApplicationIconDrawsAtEverySize() {
        QFETCH(int, size);
        const QImage image = ApplicationIcon().pixmap(size, size).toImage();
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(size, size));
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 128;
        // The two sheets cover well over a third of the square.
        QVERIFY2(opaque > size * size / 3, qPrintable(QString::number(opaque)));
        SavePicture(image, QStringLiteral("icon-%1").arg(size));
    }

    void DialogsShowTheirTextsWhole_data() {
        QTest::addColumn<int>("languageId");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("chinese") << 2052 << "zh";
        QTest::newRow("english") << 1033 << "en";
    }
    void DialogsShowTheirTextsWhole() {
        QFETCH(int, languageId);
        QFETCH(QString, suffix);
        AboutDlg about(nullptr, languageId, AllLinks());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        VerifyNothingCut(about);
        SavePicture(about, QStringLiteral("about-") + suffix);

        CAboutDlg shortAbout;
        shortAbout.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shortAbout));
        VerifyNothingCut(shortAbout);
        const QLabel* icon = shortAbout.findChild<QLabel*>(QStringLiteral("icon"));
        QVERIFY(icon != nullptr && !icon->pixmap().isNull());
        SavePicture(shortAbout, QStringLiteral("cabout-") + suffix);

        HelpDlg help("/home/user/.config/tolvane/Tolvane.ini", nullptr, languageId);
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        SavePicture(help, QStringLiteral("help-") + suffix);
        QScrollBar* scroll = help.TextView()->verticalScrollBar();
        scroll->setValue(scroll->maximum());
        SavePicture(help, QStringLiteral("help-end-") + suffix);
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::HelpAboutTest)
#include "HelpAboutTest.moc"
