#include <QtTest>

#include <cstdio>
#include <map>

#include "MediaSamples.h"
#include "TestSupport.h"
#include "app/CKestrinDlg.h"
#include "app/OptionPanel.h"
#include "engine/ControlTable.h"
#include "engine/TextConvert.h"

namespace tolvane {

class MetadataPreviewTest : public QObject {
    Q_OBJECT

  private slots:
    // Reading a template's metadata for every added file would hold up the window:
    // the rows come at once, and their new names follow from the background.
    void AddedRowsGetNamesFromFilesOffTheWindowThread() {
        test::TempDir dir;
        std::map<std::wstring, std::wstring> expected;
        for (int day = 1; day <= 40; ++day) {
            const std::string name = "IMG_" + std::to_string(day) + ".jpg";
            const auto path =
                samples::WriteFile(dir.Path() / "photos" / name, samples::JpegBytes(32, 32));
            char dd[8];
            std::snprintf(dd, sizeof dd, "%02d", 1 + (day - 1) % 28);
            samples::WriteExif(path, {"2021:03:" + std::string(dd) + " 10:00:00", "", "", ""});
            expected[ToWide(name)] = ToWide("202103" + std::string(dd) + ".jpg");
        }
        CKestrinDlg::Environment environment;
        environment.paths = {dir.Path() / "config" / "Tolvane.ini", dir.Path() / "Language"};
        environment.systemLanguageId = 2052;
        CKestrinDlg window(environment);
        window.Panel().SetText(ctl::kTemplateText, L"<edate>");

        window.AddOnePath(ToWide((dir.Path() / "photos").string()));
        FileList& list = window.List();
        QCOMPARE(list.RowCount(), expected.size());
        for (size_t r = 0; r < list.RowCount(); ++r)
            QCOMPARE(list.Row(r).newName, list.Row(r).name);

        QTRY_VERIFY_WITH_TIMEOUT(list.Row(0).newName != list.Row(0).name, 20000);
        for (size_t r = 0; r < list.RowCount(); ++r)
            QCOMPARE(list.Row(r).newName, expected[list.Row(r).name]);
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::MetadataPreviewTest)
#include "MetadataPreviewTest.moc"
