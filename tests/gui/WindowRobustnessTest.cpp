// Faults of the main window that lose a user's work: a start that crashes on the
// user's own settings, new names that end up on other rows, a window that crashes
// when it is destroyed while shown.
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <random>

#include "app/CKestrinDlg.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "app/PreviewController.h"
#include "filelist/ColumnLayout.h"

namespace tolvane {

namespace {

// Enough rows that their new names take a while to compute.
constexpr int kManyRows = 50000;

// "/nowhere/f<i>" in an order that any sort changes.
std::vector<std::wstring> ShuffledPaths() {
    std::vector<std::wstring> paths;
    for (int i = 0; i < kManyRows; ++i)
        paths.push_back(L"/nowhere/f" + std::to_wstring(i));
    std::shuffle(paths.begin(), paths.end(), std::mt19937(7));
    return paths;
}

}  // namespace

class WindowRobustnessTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.filePath(QStringLiteral("config"))));
        qputenv("XDG_STATE_HOME", QFile::encodeName(home_.filePath(QStringLiteral("state"))));
        QVERIFY(QDir(home_.path()).mkpath(QStringLiteral("config/tolvane")));
    }

    void init() { QFile::remove(SettingsFile()); }

    void StartsWithTheLastOptionsWhenAsked() {
        QFile settings(SettingsFile());
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(
            "[set]\nisFirstRun=1\nloadLastSet=1\nhasLastSet=1\n"
            "[lastSet]\n1035=before_\n1080=1\n1032=1\n");
        settings.close();
        CKestrinDlg window{CKestrinDlg::Environment{}};
        QCOMPARE(window.Panel().Text(ctl::kInsertText), std::wstring(L"before_"));
        QVERIFY(window.Panel().Control(ctl::kRenameLikeLast)->isEnabled());
    }

    void SortingWhileNamesAreComputedKeepsEachNameWithItsRow() {
        CKestrinDlg window{CKestrinDlg::Environment{}};
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.List().AddPaths(ShuffledPaths(), FileList::AddOptions{}),
                 size_t(kManyRows));

        window.Panel().SetText(ctl::kInsertText, L"p_");
        window.RecomputeAllNewNames(ctl::kInsertText);
        QTRY_VERIFY(window.Preview().Busy());
        // The computation's result is taken on this thread, so it cannot have been taken
        // yet: the header click sorts the rows under a computation for the old order.
        FileListView* view = window.Panel().ListView();
        QHeaderView* header = view->horizontalHeader();
        const int x = header->sectionViewportPosition(ColumnLayout::kName) + 5;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QVERIFY(window.Preview().Busy());

        QTRY_VERIFY_WITH_TIMEOUT(!window.Preview().Busy(), 60000);
        int wrong = 0;
        for (size_t r = 0; r < window.List().RowCount(); ++r) {
            const FileItem& row = window.List().Row(r);
            wrong += row.newName != L"p_" + row.name ? 1 : 0;
        }
        QCOMPARE(wrong, 0);
    }

    void DestroyedWhileShownWithRows() {
        auto window = std::make_unique<CKestrinDlg>(CKestrinDlg::Environment{});
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->List().AddPaths({L"/nowhere/a", L"/nowhere/b"}, FileList::AddOptions{});
        QTRY_COMPARE(window->Panel().ListView()->model()->rowCount(), 2);
        // As when the application is told to quit from outside: still shown.
        window.reset();
    }

  private:
    QString SettingsFile() const {
        return home_.filePath(QStringLiteral("config/tolvane/Tolvane.ini"));
    }

    QTemporaryDir home_;
};

}  // namespace tolvane

QTEST_MAIN(tolvane::WindowRobustnessTest)
#include "WindowRobustnessTest.moc"
