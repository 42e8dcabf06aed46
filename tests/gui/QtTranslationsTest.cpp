// Qt's own texts (the buttons of a question, the labels of Qt's file dialog) speak the
// window's language. The expected texts come from Qt's installed catalogues, read here
// on their own, so that the test holds for whichever wording the catalogue has.
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

#include "WindowFixture.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "app/QtTranslations.h"
#include "engine/ControlTable.h"

namespace tolvane {

using test::PressKey;
using test::TypeText;
using test::WindowFixture;

namespace {

struct QtTexts {
    QString ok, cancel, lookIn, fileName, open;
};

// Qt's texts in `locale` as its catalogue gives them; English for none.
QtTexts Expected(const QString& locale) {
    QtTexts english{"OK", "Cancel", "Look in:", "File &name:", "&Open"};
    if (locale.isEmpty())
        return english;
    QTranslator catalogue;
    if (!catalogue.load(QStringLiteral("qt_") + locale, QtTranslations::Folder()))
        qFatal("Qt's translations for %s are not installed (scripts/bootstrap installs them)",
               qPrintable(locale));
    const auto tr = [&catalogue](const char* context, const QString& source) {
        return catalogue.translate(context, source.toUtf8().constData());
    };
    return {tr("QPlatformTheme", english.ok), tr("QPlatformTheme", english.cancel),
            tr("QFileDialog", english.lookIn), tr("QFileDialog", english.fileName),
            tr("QFileDialog", english.open)};
}

}  // namespace

class QtTranslationsTest : public QObject {
    Q_OBJECT

  private:
    // Renames one file, then asks to undo it: the texts of the question's buttons.
    static QStringList UndoQuestionButtons(WindowFixture& f) {
        f.MakeFile("a.txt");
        f.AddFiles({"a.txt"});
        test::PreviewWaiter waiter(f.Window());
        TypeText(f.Combo(ctl::kInsertText), QStringLiteral("x_"));
        waiter.Wait();
        PressKey(f.Combo(ctl::kInsertText), Qt::Key_F2, Qt::ControlModifier);
        if (f.NamesOnDisk() != QStringList{"x_a.txt"})
            return {QStringLiteral("not renamed")};
        QStringList texts;
        auto seen = test::WhenDialogShows("QMessageBox", [&texts](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            for (auto button : {QMessageBox::Ok, QMessageBox::Cancel})
                texts << (box->button(button) ? box->button(button)->text() : QString());
            box->reject();
        });
        PressKey(f.Window().Panel().ListView(), Qt::Key_F2,
                 Qt::ControlModifier | Qt::ShiftModifier);
        if (!*seen)
            return {QStringLiteral("no question")};
        return texts;
    }

    // Opens the add-files dialog (F3): its labels and its accept button.
    static QStringList FileDialogTexts(WindowFixture& f) {
        QStringList texts;
        auto seen = test::WhenDialogShows("QFileDialog", [&texts](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            for (auto label : {QFileDialog::LookIn, QFileDialog::FileName, QFileDialog::Accept})
                texts << dialog->labelText(label);
            dialog->reject();
        });
        PressKey(f.Combo(ctl::kInsertText), Qt::Key_F3);
        if (!*seen)
            return {QStringLiteral("no dialog")};
        return texts;
    }

  private slots:
    void init() { QVERIFY(QApplication::activeModalWidget() == nullptr); }

    void QtTextsFollowTheWindowsLanguage_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("systemLanguage");
        QTest::addColumn<QString>("locale");
        QTest::newRow("CHT") << "[set]\nlanguage=CHT\n" << 1033 << "zh_TW";
        QTest::newRow("built-in texts") << "" << 2052 << "zh_CN";
        QTest::newRow("ENG") << "[set]\nlanguage=ENG\n" << 2052 << "";
        QTest::newRow("ENG by default") << "" << 1033 << "";
    }
    void QtTextsFollowTheWindowsLanguage() {
        QFETCH(QString, settings);
        QFETCH(int, systemLanguage);
        QFETCH(QString, locale);
        const QtTexts expected = Expected(locale);
        if (!locale.isEmpty()) {
            // A catalogue that lacks a text would make the comparison below vacuous.
            QVERIFY(!expected.ok.isEmpty() && expected.ok != QStringLiteral("OK"));
            QVERIFY(!expected.lookIn.isEmpty() && expected.lookIn != QStringLiteral("Look in:"));
        }
        WindowFixture f;
        if (!settings.isEmpty())
            f.WriteSettings(settings);
        f.Open(systemLanguage);
        QCOMPARE(UndoQuestionButtons(f), (QStringList{expected.ok, expected.cancel}));
        // The test runs offscreen, where no desktop offers a dialog: this is Qt's own.
        QCOMPARE(FileDialogTexts(f),
                 (QStringList{expected.lookIn, expected.fileName, expected.open}));
    }

    // The language chosen in the settings dialog takes effect when the window starts
    // anew: the earlier window's Qt texts leave with it.
    void AWindowStartedAnewSpeaksItsNewLanguage() {
        WindowFixture f;
        f.WriteSettings(QStringLiteral("[set]\nlanguage=CHT\n"));
        f.Open(1033);
        QCOMPARE(FileDialogTexts(f).value(0), Expected(QStringLiteral("zh_TW")).lookIn);
        f.Close();
        f.WriteSettings(QStringLiteral("[set]\nlanguage=ENG\n"));
        f.Open(1033);
        QCOMPARE(FileDialogTexts(f).value(0), QStringLiteral("Look in:"));
    }

    // A language file may name a locale that Qt has no texts for (or whose texts are
    // not installed): Qt's English stays, and nothing is said about it.
    void ALocaleWithoutQtTextsLeavesEnglishSilently_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("no catalogue") << "th_TH";
        QTest::newRow("no such locale") << "xx_YY";
    }
    void ALocaleWithoutQtTextsLeavesEnglishSilently() {
        QFETCH(QString, locale);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        const QtTranslations texts(locale);
        QVERIFY(!texts.Installed());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("OK"));
        // A catalogue that exists but is not where the system keeps them: the same.
        const QtTranslations elsewhere(QStringLiteral("zh_CN"), QStringLiteral("/nonexistent"));
        QVERIFY(!elsewhere.Installed());
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"),
                 QStringLiteral("Look in:"));
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::QtTranslationsTest)
#include "QtTranslationsTest.moc"
