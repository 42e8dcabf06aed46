// Undo after the window was closed: the journal of the last pass is what is left of
// it, and undo must bring those files back, or refuse a journal it cannot trust
// without moving anything.
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <filesystem>
#include <memory>

#include "app/CKestrinDlg.h"
#include "app/OptionPanel.h"
#include "app/PassActions.h"
#include "engine/ControlTable.h"
#include "execute/PassLock.h"
#include "filelist/FileList.h"

namespace tolvane {

class JournalUndoTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        home_ = std::make_unique<QTemporaryDir>();
        QVERIFY(home_->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path("config")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(Path("state")));
        QVERIFY(QDir(home_->path()).mkpath(QStringLiteral("config/tolvane")));
        QVERIFY(QDir(home_->path()).mkpath(QStringLiteral("files")));
        for (const char* name : {"a.txt", "b.txt"}) {
            QFile file(Path("files/") + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(name);
        }
    }

    void ThePassOfAnEarlierWindowIsOfferedAndUndone() {
        RenameInAWindowThatCloses();
        CKestrinDlg window{Environment()};
        window.AddArguments({Wide("files/p_a.txt"), Wide("files/p_b.txt")});
        QStringList questions;
        window.Passes().SetConfirm([&](const QString& q) {
            questions << q;
            return true;
        });
        window.Passes().UndoRenames();
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions[0].contains(QStringLiteral("2")), qPrintable(questions[0]));
        QVERIFY(QFile::exists(Path("files/a.txt")) && QFile::exists(Path("files/b.txt")));
        QVERIFY(!QFile::exists(Path("files/p_a.txt")) && !QFile::exists(Path("files/p_b.txt")));
        // The rows follow their files back.
        QCOMPARE(window.List().Row(0).name, std::wstring(L"a.txt"));
        QCOMPARE(window.List().Row(1).name, std::wstring(L"b.txt"));
        // And are known by their paths again: adding the file anew adds no second row.
        window.AddArguments({Wide("files/a.txt")});
        QCOMPARE(window.List().RowCount(), size_t(2));

        // Undone is undone: a second undo has nothing to offer.
        window.Passes().UndoRenames();
        QCOMPARE(questions.size(), 1);
    }

    void CancelledQuestionMovesNothing() {
        RenameInAWindowThatCloses();
        CKestrinDlg window{Environment()};
        window.Passes().SetConfirm([](const QString&) { return false; });
        window.Passes().UndoRenames();
        QVERIFY(QFile::exists(Path("files/p_a.txt")) && QFile::exists(Path("files/p_b.txt")));
    }

    void AJournalThatCannotBeTrustedMovesNothingAndSaysWhy() {
        RenameInAWindowThatCloses();
        QDirIterator journals(Path("state/tolvane"), {QStringLiteral("pass-*.journal")},
                              QDir::Files);
        QVERIFY(journals.hasNext());
        QFile journal(journals.next());
        QVERIFY(journal.open(QIODevice::Append));
        journal.write("D\tnot a number\n");
        journal.close();

        CKestrinDlg window{Environment()};
        bool asked = false;
        window.Passes().SetConfirm([&](const QString&) { return asked = true; });
        window.Passes().UndoRenames();
        QVERIFY(!asked);
        QVERIFY(QFile::exists(Path("files/p_a.txt")) && QFile::exists(Path("files/p_b.txt")));
        const QString status =
            qobject_cast<QLabel*>(window.Panel().Control(ctl::kObjectCount))->text();
        QVERIFY2(status.startsWith(QStringLiteral("改名记录不可信")), qPrintable(status));
    }

    // Another copy renaming or undoing holds the lock: the window waits a moment, then
    // says so and changes nothing. While it asks the person it holds nothing itself.
    void AnotherCopyAtWorkKeepsPassAndUndoOutAndTheQuestionHoldsNoLock() {
        const std::filesystem::path journal(QFile::encodeName(Path("state/tolvane")).toStdString());
        auto status = [](CKestrinDlg& window) {
            return qobject_cast<QLabel*>(window.Panel().Control(ctl::kObjectCount))->text();
        };
        auto busy = std::make_unique<PassLock>(journal, std::chrono::milliseconds(0));
        QVERIFY(busy->Held());
        {
            CKestrinDlg window{Environment()};
            window.Passes().SetLockWait(std::chrono::milliseconds(50));
            window.AddArguments({Wide("files/a.txt"), Wide("files/b.txt")});
            window.Panel().SetText(ctl::kInsertText, L"p_");
            window.Passes().ExecuteRenames();
            QVERIFY(QFile::exists(Path("files/a.txt")) && QFile::exists(Path("files/b.txt")));
            QVERIFY2(status(window).startsWith(QStringLiteral("另一个改名或撤销正在进行")),
                     qPrintable(status(window)));

            busy.reset();
            window.Passes().ExecuteRenames();
            QVERIFY(QFile::exists(Path("files/p_a.txt")) && QFile::exists(Path("files/p_b.txt")));

            // The undo of the window's own record.
            bool freeWhileAsked = false;
            window.Passes().SetConfirm([&](const QString&) {
                freeWhileAsked = PassLock(journal, std::chrono::milliseconds(0)).Held();
                busy = std::make_unique<PassLock>(journal, std::chrono::milliseconds(0));
                return true;
            });
            window.Passes().UndoRenames();
            QVERIFY(freeWhileAsked);
            QVERIFY(QFile::exists(Path("files/p_a.txt")) && QFile::exists(Path("files/p_b.txt")));
            QVERIFY(status(window).startsWith(QStringLiteral("另一个改名或撤销正在进行")));
            busy.reset();
        }
        // The undo of the journal's pass, in a window that renamed nothing.
        CKestrinDlg window{Environment()};
        window.Passes().SetLockWait(std::chrono::milliseconds(50));
        int asked = 0;
        window.Passes().SetConfirm([&](const QString&) {
            ++asked;
            busy = std::make_unique<PassLock>(journal, std::chrono::milliseconds(0));
            return busy->Held();
        });
        window.Passes().UndoRenames();
        QCOMPARE(asked, 1);
        QVERIFY(QFile::exists(Path("files/p_a.txt")) && QFile::exists(Path("files/p_b.txt")));
        QVERIFY(status(window).startsWith(QStringLiteral("另一个改名或撤销正在进行")));
        // Before the question the journal is read under the lock too.
        window.Passes().UndoRenames();
        QCOMPARE(asked, 1);
        busy.reset();

        window.Passes().SetConfirm([](const QString&) { return true; });
        window.Passes().UndoRenames();
        QVERIFY(QFile::exists(Path("files/a.txt")) && QFile::exists(Path("files/b.txt")));
    }

    // While the person was asked, another copy undid the pass: the window moves nothing
    // and says that the journal changed.
    void APassUndoneByAnotherCopyWhileAskedIsNotUndoneAgain() {
        RenameInAWindowThatCloses();
        CKestrinDlg window{Environment()};
        window.Passes().SetConfirm([&](const QString&) {
            CKestrinDlg other{Environment()};
            other.Passes().SetConfirm([](const QString&) { return true; });
            other.Passes().UndoRenames();
            // Renamed again by hand, as if the pass had never been undone.
            QFile::rename(Path("files/a.txt"), Path("files/p_a.txt"));
            return true;
        });
        window.Passes().UndoRenames();
        QVERIFY(QFile::exists(Path("files/p_a.txt")) && QFile::exists(Path("files/b.txt")));
        const QString status =
            qobject_cast<QLabel*>(window.Panel().Control(ctl::kObjectCount))->text();
        QVERIFY2(status.startsWith(QStringLiteral("确认期间另一个改名或撤销改变了改名记录")),
                 qPrintable(status));
    }

    void WithoutAnyJournalNothingIsAsked() {
        CKestrinDlg window{Environment()};
        bool asked = false;
        window.Passes().SetConfirm([&](const QString&) { return asked = true; });
        window.Passes().UndoRenames();
        QVERIFY(!asked);
    }

  private:
    QString Path(const char* relative) const {
        return home_->filePath(QString::fromUtf8(relative));
    }
    std::wstring Wide(const char* relative) const { return Path(relative).toStdWString(); }

    CKestrinDlg::Environment Environment() const {
        CKestrinDlg::Environment environment;
        environment.systemLanguageId = 2052;
        return environment;
    }

    // a.txt and b.txt become p_a.txt and p_b.txt, and the window that did it is gone.
    void RenameInAWindowThatCloses() {
        CKestrinDlg window{Environment()};
        window.AddArguments({Wide("files/a.txt"), Wide("files/b.txt")});
        window.Panel().SetText(ctl::kInsertText, L"p_");
        window.Passes().ExecuteRenames();
        QVERIFY(QFile::exists(Path("files/p_a.txt")) && QFile::exists(Path("files/p_b.txt")));
    }

    std::unique_ptr<QTemporaryDir> home_;
};

}  // namespace tolvane

QTEST_MAIN(tolvane::JournalUndoTest)
#include "JournalUndoTest.moc"
