#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QUrl>
#include <QtTest>

#include <fstream>
#include <random>

#include "WindowFixture.h"
#include "app/ClipboardMenu.h"
#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "app/PathListActions.h"
#include "engine/ControlTable.h"
#include "filelist/ColumnLayout.h"
#include "settings/MenuTable.h"

namespace tolvane {

using test::PressKey;
using test::TypeText;
using test::WindowFixture;

namespace {

QByteArray Encoded(const QString& text, const char* encoding) {
    if (QByteArray(encoding) == "UTF-8")
        return text.toUtf8();
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

// Puts `data` on the clipboard as another program would.
void HoldOnClipboard(QMimeData* data) {
    QGuiApplication::clipboard()->setMimeData(data);
}

QString ClipboardText() {
    return QGuiApplication::clipboard()->text();
}

}  // namespace

// The list's names to and from the clipboard (menu 138), path lists from files (F6) and
// the clipboard (F7), and drops from any program, with the real clipboard of the
// platform and real files.
class ListExchangeTest : public QObject {
    Q_OBJECT

  private:
    QString Folder(WindowFixture& f) { return QString::fromStdString(f.Files().string()); }

    // a.txt and b.txt listed, the prefix "x_" typed.
    void ListTwoWithPrefix(WindowFixture& f) {
        f.MakeFile("a.txt");
        f.MakeFile("b.txt");
        f.AddFiles({"a.txt", "b.txt"});
        test::PreviewWaiter waiter(f.Window());
        TypeText(f.Combo(ctl::kInsertText), QStringLiteral("x_"));
        QVERIFY(waiter.Wait());
    }

    // Runs `start` and waits until the import it began has added its batch.
    static void WaitForImport(WindowFixture& f, const std::function<void()>& start) {
        QSignalSpy imported(&f.Window().PathLists(), &PathListActions::Imported);
        start();
        QVERIFY(imported.wait(20000));
        test::WaitForPreviewIdle(f.Window());
    }

  private slots:
    void ExportsGiveTheExactText_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("expected");
        QTest::newRow("names") << cmd::kCopyNames << QStringLiteral("a.txt\nb.txt\n");
        QTest::newRow("new names") << cmd::kCopyNewNames << QStringLiteral("x_a.txt\nx_b.txt\n");
        QTest::newRow("paths") << cmd::kCopyNamesAndNewNames
                               << QStringLiteral("F/a.txt\tF/x_a.txt\nF/b.txt\tF/x_b.txt\n");
        QTest::newRow("all") << cmd::kCopyAll
                             << QStringLiteral("1\ta.txt\tx_a.txt\t\tF\n2\tb.txt\tx_b.txt\t\tF\n");
    }
    void ExportsGiveTheExactText() {
        QFETCH(int, command);
        QFETCH(QString, expected);
        WindowFixture f;
        f.Open();
        ListTwoWithPrefix(f);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        // Through the link, as a person opens the menu.
        auto* link = qobject_cast<QLabel*>(f.Control(1031));
        emit link->linkActivated(QString());
        QMenu* menu = f.Window().Clipboard().Menu();
        QTRY_VERIFY(menu->isVisible());
        test::SavePicture(f.Window(), QStringLiteral("menu138-window"));
        test::SavePicture(*menu, QStringLiteral("menu138"));
        QAction* action = f.Window().Clipboard().Action(command);
        QVERIFY(action && action->isEnabled());
        menu->hide();
        action->trigger();
        QCOMPARE(ClipboardText(), expected.replace(QLatin1Char('F'), Folder(f)));
    }

    void EmptyListGreysTheMenuAndCopiesNothing() {
        WindowFixture f;
        f.Open();
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        f.Window().Clipboard().Open(f.Control(1031));
        QMenu* menu = f.Window().Clipboard().Menu();
        QTRY_VERIFY(menu->isVisible());
        for (QAction* action : menu->actions())
            QVERIFY(!action->isEnabled());
        menu->hide();
        f.Window().Clipboard().Run(cmd::kCopyNames);
        f.Window().Clipboard().Run(cmd::kPasteNewNames);
        QCOMPARE(ClipboardText(), QStringLiteral("kept"));
    }

    void PastesNewNamesInEveryEncoding_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("encoding");
        QTest::newRow("UTF-8") << "text/plain" << QByteArray("UTF-8");
        QTest::newRow("UTF-16 with its mark") << "text/plain" << QByteArray("UTF-16LE");
        QTest::newRow("GB18030") << "text/plain" << QByteArray("GB18030");
        QTest::newRow("UTF-16 named") << "text/plain;charset=utf-16" << QByteArray("UTF-16");
    }
    void PastesNewNamesInEveryEncoding() {
        QFETCH(QString, format);
        QFETCH(QByteArray, encoding);
        WindowFixture f;
        f.Open();
        ListTwoWithPrefix(f);
        auto* data = new QMimeData;
        data->setData(format, Encoded(QStringLiteral("北京.txt\r\n旅行 \r\n"), encoding));
        HoldOnClipboard(data);
        f.Window().Clipboard().Run(cmd::kPasteNewNames);
        QCOMPARE(f.Cell(0, ColumnLayout::kNewName), QStringLiteral("北京.txt"));
        QCOMPARE(f.Cell(1, ColumnLayout::kNewName), QStringLiteral("旅行"));
    }

    // Whatever the pasted text holds, the files get names without line breaks, tabs,
    // NULs or any of the nine characters.
    void PastedNamesNeverWriteForbiddenCharacters() {
        WindowFixture f;
        f.Open();
        ListTwoWithPrefix(f);
        QString text = QStringLiteral("p\tq.txt\rr\r\nc: *?\"<>|/\\d");
        text.insert(2, QChar(0));
        QGuiApplication::clipboard()->setText(text);
        f.Window().Clipboard().Run(cmd::kPasteNewNames);
        f.Window().Commands().Run(cmd::kExecute);
        QTRY_COMPARE(f.NamesOnDisk(), (QStringList{"c d", "p q.txtr"}));
    }

    void ImportsPathListFilesInEveryEncoding_data() {
        QTest::addColumn<QByteArray>("encoding");
        QTest::newRow("UTF-8") << QByteArray("UTF-8");
        QTest::newRow("UTF-16") << QByteArray("UTF-16LE");
        QTest::newRow("GB18030") << QByteArray("GB18030");
    }
    void ImportsPathListFilesInEveryEncoding() {
        QFETCH(QByteArray, encoding);
        WindowFixture f;
        f.Open();
        const QString chinese = QString::fromStdString(f.MakeFile("北京.jpg").string());
        const QString plain = QString::fromStdString(f.MakeFile("plain.txt").string());
        const QByteArray bytes =
            Encoded(chinese + QStringLiteral("\r\nnothing here\r\n") + plain + "\r\n", encoding);
        const auto list = f.Files().parent_path() / "list.txt";
        std::ofstream(list, std::ios::binary) << bytes.toStdString();
        WaitForImport(f, [&] { f.Window().PathLists().ImportFile(list); });
        QCOMPARE(f.Column(ColumnLayout::kName), (QStringList{"北京.jpg", "plain.txt"}));
        QVERIFY(f.Control(ctl::kTextMode)->isEnabled());
    }

    void F6AsksForTheListFile() {
        WindowFixture f;
        f.Open();
        const std::string file = f.MakeFile("a.txt").string();
        const auto list = f.Files().parent_path() / "list.txt";
        std::ofstream(list) << file << "\n";
        QSignalSpy imported(&f.Window().PathLists(), &PathListActions::Imported);
        test::WhenDialogShows("QFileDialog", [&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setCompleter(nullptr);
            name->setText(QString::fromStdString(list.string()));
            QTest::keyClick(name, Qt::Key_Return);
        });
        PressKey(f.Window().Panel().ListView(), Qt::Key_F6);
        QVERIFY(imported.wait(10000));
        QCOMPARE(f.Column(ColumnLayout::kName), QStringList{"a.txt"});
    }

    // Started from a desktop menu, the window's working folder is the home folder:
    // relative lines of a list count from the list's folder, "." and ".." (as
    // "find . > list" writes first) add nothing, and blanks added around a name are
    // dropped only when the name as written does not exist.
    void F6RelativeLinesCountFromTheListFolder() {
        WindowFixture f;
        f.Open();
        std::filesystem::create_directory(f.Files() / "sub");
        for (const char* name : {"a.txt", "sub/b.txt", "c.txt"})
            f.MakeFile(name);
        const auto list = f.MakeFile("list.txt", ".\n..\na.txt\nsub/b.txt\n c.txt \n");
        // The same names in the working folder, where the lines must not be looked up.
        QTemporaryDir working;
        std::filesystem::create_directory(working.filePath(QStringLiteral("sub")).toStdString());
        for (const char* name : {"a.txt", "sub/b.txt", " c.txt "})
            std::ofstream(working.filePath(QString::fromUtf8(name)).toStdString());
        const std::filesystem::path before = std::filesystem::current_path();
        std::filesystem::current_path(working.path().toStdString());
        WaitForImport(f, [&] { f.Window().PathLists().ImportFile(list); });
        std::filesystem::current_path(before);
        QStringList paths;
        for (size_t r = 0; r < f.Window().List().RowCount(); ++r)
            paths << QString::fromStdWString(f.Window().List().FullPath(r));
        const QString files = Folder(f);
        QCOMPARE(paths, (QStringList{files + "/a.txt", files + "/sub/b.txt", files + "/c.txt"}));
    }

    // F7 with what file managers and other programs put on the clipboard.
    void F7AddsWhatTheClipboardNames_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("content");
        QTest::newRow("uri-list") << "text/uri-list"
                                  << "# copied\r\nfile://F/a.txt\r\nhttps://example.org/b.txt\r\n"
                                     "file://F/%E5%8C%97%20c.txt\r\n";
        QTest::newRow("GNOME Files") << "x-special/gnome-copied-files"
                                     << "copy\nfile://F/a.txt\nfile://F/%E5%8C%97%20c.txt";
        QTest::newRow("text lines") << "text/plain"
                                    << "1. F/a.txt\n\"F/北 c.txt\"\nno path\n  F/none.txt\n";
    }
    void F7AddsWhatTheClipboardNames() {
        QFETCH(QString, format);
        QFETCH(QString, content);
        WindowFixture f;
        f.Open();
        f.MakeFile("a.txt");
        f.MakeFile("北 c.txt");
        auto* data = new QMimeData;
        data->setData(format, content.replace(QLatin1Char('F'), Folder(f)).toUtf8());
        HoldOnClipboard(data);
        WaitForImport(f, [&] { PressKey(f.Window().Panel().ListView(), Qt::Key_F7); });
        QCOMPARE(f.Column(ColumnLayout::kName), (QStringList{"a.txt", "北 c.txt"}));
    }

    void DropsTakeUriListsAndTextLines_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("content");
        QTest::newRow("uri-list of any program")
            << "text/uri-list"
            << "file://F/a.txt\r\nfile://F/sub/\r\nhttp://example.org/\r\n";
        QTest::newRow("plain text lines") << "text/plain"
                                          << "F/a.txt\n'F/sub'\n/nowhere/x\n";
    }
    void DropsTakeUriListsAndTextLines() {
        QFETCH(QString, format);
        QFETCH(QString, content);
        WindowFixture f;
        f.Open();
        f.MakeFile("a.txt");
        std::filesystem::create_directory(f.Files() / "sub");
        f.MakeFile("sub/in.txt");
        QMimeData data;
        data.setData(format, content.replace(QLatin1Char('F'), Folder(f)).toUtf8());
        const QPoint at = f.Window().rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(&f.Window(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f.Window(), &drop);
        test::WaitForPreviewIdle(f.Window());
        // A dropped folder gives its files.
        QCOMPARE(f.Column(ColumnLayout::kName), (QStringList{"a.txt", "in.txt"}));
    }

    // No file name holds a NUL or a '/': a URL escaping one names no file, in a drop as
    // in text (a "%2F" must not become a folder separator).
    void DroppedUrlsWithEscapedNulOrSlashNameNothing() {
        WindowFixture f;
        f.Open();
        f.MakeFile("a");
        std::filesystem::create_directory(f.Files() / "sub");
        f.MakeFile("sub/b.txt");
        f.MakeFile("ok.txt");
        const QString files = Folder(f);
        const QByteArray uris = "file://" + files.toUtf8() + "/a%00b\r\nfile://" + files.toUtf8() +
                                "/sub%2Fb.txt\r\nfile://" + files.toUtf8() + "/ok.txt\r\n";
        for (const char* format : {"text/uri-list", "text/plain"}) {
            f.Window().Commands().Run(cmd::kClearList);
            QMimeData data;
            data.setData(QString::fromLatin1(format), uris);
            const QPoint at = f.Window().rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&f.Window(), &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&f.Window(), &drop);
            test::WaitForPreviewIdle(f.Window());
            QCOMPARE(f.Column(ColumnLayout::kName), QStringList{"ok.txt"});
        }
    }

    void DropOfNothingUsableIsRefused() {
        WindowFixture f;
        f.Open();
        QMimeData data;
        data.setUrls({QUrl(QStringLiteral("https://example.org/a.txt"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(&f.Window(), &enter);
        QVERIFY(!enter.isAccepted());
    }

    // Binary, a million lines, an unknown encoding, lines naming nothing: what exists
    // is added, and the window goes on.
    void BadListsAddWhatTheyCan_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("binary") << "binary";
        QTest::newRow("a million lines") << "million";
        QTest::newRow("unknown encoding") << "encoding";
    }
    void BadListsAddWhatTheyCan() {
        QFETCH(QString, kind);
        WindowFixture f;
        f.Open();
        const std::string good = f.MakeFile("good.txt").string();
        std::string bytes;
        std::mt19937 random(7);
        if (kind == "binary") {
            for (int i = 0; i < (4 << 20); ++i)
                bytes.push_back(static_cast<char>(random()));
            bytes += "\n" + good + "\n";
        } else if (kind == "million") {
            bytes = good + "\n";
            for (int i = 0; i < 1000000; ++i)
                bytes += "/nowhere/" + std::to_string(i) + "\n";
        } else {
            // Shift-JIS katakana bytes: neither UTF-8 nor anything else we know.
            bytes = good + "\n" + f.Files().string() + "/\x83\x65\x83\x58\x83\x67\n";
        }
        const auto list = f.Files().parent_path() / "list.bin";
        std::ofstream(list, std::ios::binary) << bytes;
        WaitForImport(f, [&] { f.Window().PathLists().ImportFile(list); });
        QCOMPARE(f.Column(ColumnLayout::kName), QStringList{"good.txt"});

        // The same through the clipboard.
        f.Window().Commands().Run(cmd::kClearList);
        QGuiApplication::clipboard()->setText(
            QString::fromUtf8(bytes.data(), qsizetype(bytes.size())));
        WaitForImport(f, [&] { f.Window().Commands().Run(cmd::kImportClipboardPaths); });
        QCOMPARE(f.Column(ColumnLayout::kName), QStringList{"good.txt"});

        // And dropped: the drop returns before its lines are looked up.
        f.Window().Commands().Run(cmd::kClearList);
        QMimeData data;
        data.setData(QStringLiteral("text/plain"), QByteArray::fromStdString(bytes));
        const QPoint at = f.Window().rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f.Window(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f.Window(), &drop);
        QVERIFY(f.Window().PathLists().Busy());
        QCOMPARE(f.RowCount(), 0);
        test::WaitForPreviewIdle(f.Window());
        QCOMPARE(f.Column(ColumnLayout::kName), QStringList{"good.txt"});
        QVERIFY(f.Window().isVisible());
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::ListExchangeTest)
#include "ListExchangeTest.moc"
