// The real program in a real X server, driven as a person drives it: keys typed into
// the focused option box, the rename and undo shortcuts, the confirmation answered
// with Return; the outcome read from the disk.
#include <QtTest>

#include <memory>

#include "E2eSupport.h"
#include "TestSupport.h"
#include "TolvaneCopy.h"
#include "XSession.h"

namespace tolvane::test {

namespace {

// Generous: a loaded two-core machine; every wait ends as soon as its condition holds.
constexpr int kTimeoutMs = 60000;

}  // namespace

class KeyboardRenameTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        x_ = std::make_unique<XSession>();
        if (!x_->Started())
            QSKIP(
                qPrintable(QStringLiteral("no X server to run the program in: ") + x_->Problem()));
    }

    void RenamesWithATypedPrefixAndUndoes() {
        TempDir home;
        TempDir work;
        QVERIFY(TolvaneCopy::PrepareHome(QPath(home.Path())));
        // Names a user has: Chinese, blanks, no extension, and bytes that are not UTF-8
        // (shown with a replacement, yet renamed and restored as they are).
        const QByteArrayList before = {"IMG_0001.jpg", "caf\xE9 menu.txt", "notes",
                                       "会议记录 第二十三次.docx"};
        QByteArrayList after;
        for (const QByteArray& name : before) {
            work.File(name.toStdString(), "content");
            after.append("new_" + name);
        }

        TolvaneCopy copy(*x_, QPath(home.Path()), {QPath(work.Path())}, QPath(work.Path()));
        const QString window = copy.WaitForWindow(kTimeoutMs);
        QVERIFY2(!window.isEmpty(), copy.Report().constData());
        QVERIFY(x_->Activate(window));
        // The prefix box has the focus when the window opens.
        QVERIFY(x_->Type(QStringLiteral("new_")));
        QVERIFY(x_->Key(QStringLiteral("ctrl+F2")));
        QCOMPARE(WaitForNames(work.Path(), after, kTimeoutMs), Sorted(after));

        // Ctrl+Shift+F2: Ctrl+Alt+F2 would switch the virtual terminal.
        QVERIFY(x_->Key(QStringLiteral("ctrl+shift+F2")));
        QVERIFY2(copy.WaitForOtherWindowFocused(window, kTimeoutMs),
                 "the question before undoing did not take the focus");
        QVERIFY(x_->Key(QStringLiteral("Return")));
        QCOMPARE(WaitForNames(work.Path(), before, kTimeoutMs), Sorted(before));

        QVERIFY(copy.Activate(window, kTimeoutMs));
        QVERIFY(x_->Key(QStringLiteral("ctrl+q")));
        QCOMPARE(copy.WaitForExit(kTimeoutMs), 0);
    }

    // Rows gone from the list are not renamed: a, b and c listed, the prefix typed, the
    // list emptied by keys, then b handed over alone and renamed. Had the keys left a
    // row, the pass would rename it too.
    void KeysEmptyTheList_data() {
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("Ctrl+A, Delete in the list") << QStringList{"ctrl+a", "Delete"};
        QTest::newRow("F9 anywhere") << QStringList{"F9"};
    }
    void KeysEmptyTheList() {
        QFETCH(QStringList, keys);
        TempDir home;
        TempDir work;
        QVERIFY(TolvaneCopy::PrepareHome(QPath(home.Path())));
        for (const char* name : {"a", "b", "c"})
            work.File(name, name);
        TolvaneCopy copy(*x_, QPath(home.Path()), {QPath(work.Path())}, QPath(work.Path()));
        const QString window = copy.WaitForWindow(kTimeoutMs);
        QVERIFY2(!window.isEmpty(), copy.Report().constData());
        QVERIFY(x_->Activate(window));
        QVERIFY(x_->Type(QStringLiteral("new_")));
        if (keys.size() > 1) {
            // A click into the rows gives the list the keyboard.
            QVERIFY(x_->Xdotool({"mousemove", "--window", window, "150", "330", "click", "1"}));
        }
        for (const QString& key : keys)
            QVERIFY(x_->Key(key));

        TolvaneCopy later(*x_, QPath(home.Path()), {QStringLiteral("b")}, QPath(work.Path()));
        QCOMPARE(later.WaitForExit(kTimeoutMs), 0);
        QVERIFY(x_->Activate(window));
        QVERIFY(x_->Key(QStringLiteral("ctrl+F2")));
        const QByteArrayList expected = {"a", "c", "new_b"};
        QCOMPARE(WaitForNames(work.Path(), expected, kTimeoutMs), Sorted(expected));
        QVERIFY(x_->Key(QStringLiteral("ctrl+q")));
        QCOMPARE(copy.WaitForExit(kTimeoutMs), 0);
    }

  private:
    std::unique_ptr<XSession> x_;
};

}  // namespace tolvane::test

QTEST_GUILESS_MAIN(tolvane::test::KeyboardRenameTest)
#include "KeyboardRenameTest.moc"
