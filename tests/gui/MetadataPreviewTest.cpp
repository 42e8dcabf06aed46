#include <QLabel>
#include <QtTest>

#include <cstdio>
#include <map>
#include <sstream>

#include "MediaSamples.h"
#include "TestSupport.h"
#include "app/CKestrinDlg.h"
#include "app/CommandTable.h"
#include "app/OptionPanel.h"
#include "app/PassActions.h"
#include "app/PreviewController.h"
#include "engine/ControlTable.h"
#include "engine/TextConvert.h"
#include "settings/MenuTable.h"

namespace tolvane {

class MetadataPreviewTest : public QObject {
    Q_OBJECT

    // A window in Chinese with its settings in `dir`.
    static CKestrinDlg::Environment InFolder(const test::TempDir& dir) {
        CKestrinDlg::Environment environment;
        environment.paths = {dir.Path() / "config" / "Tolvane.ini", dir.Path() / "Language"};
        environment.systemLanguageId = 2052;
        return environment;
    }

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
        CKestrinDlg window(InFolder(dir));
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

    // A pass asked for while the names are still read from the files follows their
    // end instead of reading the rest on the window's thread; an edit meanwhile calls
    // it off, since the names it would rename to are not those the person saw.
    void ARenameWaitsForTheFilesToBeRead_data() {
        QTest::addColumn<bool>("editMeanwhile");
        QTest::newRow("names read") << false;
        QTest::newRow("options edited meanwhile") << true;
    }
    void ARenameWaitsForTheFilesToBeRead() {
        QFETCH(bool, editMeanwhile);
        test::TempDir dir;
        const std::filesystem::path folder = dir.Path() / "photos";
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
            const auto path = samples::WriteFile(folder / name, samples::JpegBytes(64, 48));
            samples::WriteExif(
                path, {std::string("2021:03:0") + char(name[0] - 'a' + '1') + " 10:00:00", "", "",
                       "", true});
        }
        CKestrinDlg window(InFolder(dir));
        window.Passes().SetConfirm([](const QString&) { return true; });
        window.AddOnePath(ToWide(folder.string()));
        QTRY_VERIFY(!window.Preview().Busy());
        // The computation is started here rather than by the window's timer, so that it
        // surely still runs when the pass is asked for: its end reaches the window only
        // through events.
        QWidget* const templateBox = window.Panel().Control(ctl::kTemplateText);
        templateBox->blockSignals(true);
        window.Panel().SetText(ctl::kTemplateText, L"<edate>");
        templateBox->blockSignals(false);
        window.Preview().Request(window.Panel().Snapshot(), {});
        QVERIFY(window.Preview().Busy());
        window.Commands().Run(cmd::kExecute);
        auto caption = [&](int id) {
            return qobject_cast<QLabel*>(window.Panel().Control(id))->text();
        };
        auto status = [&] { return caption(ctl::kStatusLine); };
        QCOMPARE(status(), QStringLiteral("正在读取文件中的信息，读完后开始改名"));
        QVERIFY(std::filesystem::exists(folder / "a.jpg"));
        if (editMeanwhile) {
            window.Panel().SetText(ctl::kTemplateText, L"<edate>_<camera>");
            QTRY_VERIFY(!window.Preview().Busy());
            QTest::qWait(100);
            // Said under the list, where a pass says what it did, and still there once
            // the new names are computed.
            QCOMPARE(caption(ctl::kObjectCount),
                     QStringLiteral("读取期间选项或列表已改变，没有改名"));
            QVERIFY(std::filesystem::exists(folder / "a.jpg"));
            QVERIFY(!std::filesystem::exists(folder / "20210301.jpg"));
        } else {
            QTRY_VERIFY(std::filesystem::exists(folder / "20210301.jpg"));
            QVERIFY(std::filesystem::exists(folder / "20210302.jpg"));
            QVERIFY(std::filesystem::exists(folder / "20210303.jpg"));
            QVERIFY(!std::filesystem::exists(folder / "a.jpg"));
        }
    }

    // The window and tolvane-cli show the same names for the same options: pictures,
    // songs, a file of neither kind, and names that hold token text themselves.
    void TheWindowShowsTheNamesTolvaneCliGives() {
        test::TempDir dir;
        const std::filesystem::path folder = dir.Path() / "mixed";
        auto photo = [&](const char* name, const samples::ExifFields& exif) {
            samples::WriteExif(samples::WriteFile(folder / name, samples::JpegBytes(400, 300)),
                               exif);
        };
        photo("a.jpg", {"2021:03:04 05:06:07", "", "", "Canon EOS R5", true});
        photo("b <camera>.jpg", {"", "", "2019:12:24 18:00:00", "Pixel/7 \"Pro\""});
        samples::WriteFile(folder / "c.jpg", samples::JpegBytes(8, 8));
        const auto song = samples::WriteFile(folder / "d <title>.mp3", samples::Mp3Bytes());
        samples::WriteAudioTags(song, {"Björk", "Debut", "Venus as a Boy", "Pop", 1993, 4});
        const auto flac = samples::WriteFile(folder / "e.flac", samples::FlacBytes());
        samples::WriteAudioTags(flac, {"Nick Drake", "Pink Moon", "<name> #", "Folk", 1972, 1});
        const auto ogg = samples::WriteFile(folder / "f.ogg", samples::OggVorbisBytes());
        samples::WriteAudioTags(ogg, {"Can", "Tago Mago", "Halleluhwah", "Krautrock", 1971, 3});
        samples::WriteFile(folder / "notes.txt", "not a picture");

        CKestrinDlg window(InFolder(dir));
        window.AddOnePath(ToWide(folder.string()));
        FileList& list = window.List();
        QCOMPARE(list.RowCount(), size_t(7));
        const std::vector<std::string> env = {"HOME=" + dir.Path().string(),
                                              "XDG_CONFIG_HOME=" + (dir.Path() / "cli").string(),
                                              "XDG_STATE_HOME=" + (dir.Path() / "cli").string()};
        for (const std::wstring templateText :
             {L"<etime>_<camera>_<width>x<height>_<name>",
              L"<#> <track> <artist> - <title> (<album>, <year>, <genre>)", L"<edate><title>"}) {
            const test::ProcessResult cli = test::RunProcess(
                TOLVANE_CLI_PATH, {"--set", "1068=" + ToNarrow(templateText), folder.string()},
                dir.Path(), env);
            QCOMPARE(cli.status, 0);
            // Name -> new name and, for a row that will not be renamed, the reason.
            std::map<std::wstring, std::wstring> fromCli, reasonsFromCli;
            std::istringstream lines(cli.out);
            for (std::string line; std::getline(lines, line);) {
                std::vector<std::string> fields;
                std::istringstream cells(line);
                for (std::string field; std::getline(cells, field, '\t');)
                    fields.push_back(field);
                const std::wstring name =
                    ToWide(std::filesystem::path(fields[0]).filename().string());
                fromCli[name] = ToWide(fields[1]);
                if (fields.size() == 4)
                    reasonsFromCli[name] = ToWide(fields[3]);
            }
            QCOMPARE(fromCli.size(), size_t(7));
            const auto shown = [&](bool reasons) {
                std::map<std::wstring, std::wstring> names;
                for (size_t r = 0; r < list.RowCount(); ++r) {
                    if (!reasons)
                        names[list.Row(r).name] = list.Row(r).newName;
                    else if (!list.Row(r).statusTip.empty())
                        names[list.Row(r).name] = list.Row(r).statusTip;
                }
                return names;
            };
            window.Panel().SetText(ctl::kTemplateText, templateText);
            QTRY_VERIFY_WITH_TIMEOUT(shown(false) == fromCli, 20000);
            // Both say which rows will not be renamed, and why: "<edate><title>" gives a
            // file that has neither nothing but its extension.
            QTRY_VERIFY_WITH_TIMEOUT(shown(true) == reasonsFromCli, 20000);
            QCOMPARE(reasonsFromCli.empty(), templateText != L"<edate><title>");
        }
    }
};

}  // namespace tolvane

QTEST_MAIN(tolvane::MetadataPreviewTest)
#include "MetadataPreviewTest.moc"
