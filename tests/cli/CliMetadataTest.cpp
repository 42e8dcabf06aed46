#include <gtest/gtest.h>

#include <sstream>

#include "CliFixture.h"
#include "MediaSamples.h"
#include "engine/Clock.h"
#include "engine/NewNamePipeline.h"
#include "engine/Recompute.h"
#include "engine/TextConvert.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

// What the window's preview computes for `paths` in this order: the same pipeline,
// with the options of a freshly opened window and the template.
std::vector<std::string> WindowNames(const std::vector<std::string>& paths,
                                     const std::wstring& templateText) {
    RenameOptions options = RenameOptions::WindowDefaults();
    options.templateText = templateText;
    const FixedClock clock(*ParseLocalTime(kNow));
    const NewNamePipeline pipeline(options, clock);
    std::vector<std::wstring> names, folders;
    for (const std::string& path : paths) {
        names.push_back(ToWide(fs::path(path).filename().string()));
        folders.push_back(ToWide(fs::path(path).parent_path().string()));
    }
    std::vector<NameRow> rows;
    for (size_t i = 0; i < paths.size(); ++i)
        rows.push_back({names[i], folders[i]});
    ItemCounter counter;
    std::vector<std::string> out;
    for (const std::wstring& name : RecomputeAllNewNames(rows, pipeline, counter).newNames)
        out.push_back(ToNarrow(name));
    return out;
}

using CliMetadataTest = CliTest;

TEST_F(CliMetadataTest, GivesTheNamesOfTheWindowsPipeline) {
    const fs::path folder = dir_.Folder("mixed");
    auto photo = [&](const char* name, const samples::ExifFields& exif) {
        samples::WriteExif(samples::WriteFile(folder / name, samples::JpegBytes(400, 300)), exif);
    };
    photo("a.jpg", {"2021:03:04 05:06:07", "", "", "Canon EOS R5"});
    photo("b <camera>.jpg", {"", "", "2019:12:24 18:00:00", "Pixel/7 \"Pro\""});
    samples::WriteFile(folder / "c.jpg", samples::JpegBytes(8, 8));
    const fs::path song = samples::WriteFile(folder / "d.mp3", samples::Mp3Bytes());
    samples::WriteAudioTags(song, {"Björk", "Debut", "Venus as a Boy", "Pop", 1993, 4});
    const fs::path flac = samples::WriteFile(folder / "e.flac", samples::FlacBytes());
    samples::WriteAudioTags(flac, {"Nick Drake", "Pink Moon", "<name> #", "Folk", 1972, 1});
    dir_.File("mixed/notes.txt", "not a picture");

    for (const std::wstring templateText :
         {L"<etime>_<camera>_<width>x<height>_<name>", L"<#> <EY>-<EM>-<ED>",
          L"<track> <artist> - <title> (<album>, <year>, <genre>)", L"<edate><title>"}) {
        const auto r = Run({"--set", "1068=" + ToNarrow(templateText), "mixed"});
        ASSERT_EQ(r.status, 0) << r.err;
        std::vector<std::string> paths, names;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);) {
            const size_t tab = line.find('\t');
            paths.push_back(line.substr(0, tab));
            // A row refused for its name (a bare extension) holds more fields.
            names.push_back(line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1));
        }
        ASSERT_EQ(paths.size(), 6u);
        EXPECT_EQ(names, WindowNames(paths, templateText)) << ToNarrow(templateText);
    }
    // And what they are, for one of them.
    const auto r = Run({"--set", "1068=<etime>_<camera>", "mixed/a.jpg", "mixed/b <camera>.jpg"});
    EXPECT_EQ(r.out, Root() + "/mixed/a.jpg\t20210304-050607_Canon EOS R5.jpg\n" + Root() +
                         "/mixed/b <camera>.jpg\t20191224-180000_Pixel7 Pro.jpg\n");
}

// A token with no value for a file (no capture date in a photo, no title in a song)
// leaves only the extension: the preview says the row will not be renamed, and a pass
// fails it and leaves the file, while the files that have the value are renamed.
TEST_F(CliMetadataTest, ATokenWithNoValueRenamesNothing) {
    const fs::path folder = dir_.Folder("m");
    samples::WriteFile(folder / "IMG_0001.jpg", samples::JpegBytes(8, 8));
    samples::WriteExif(samples::WriteFile(folder / "IMG_0002.jpg", samples::JpegBytes(8, 8)),
                       {"2021:03:04 05:06:07", "", "", ""});
    samples::WriteFile(folder / "untagged.mp3", samples::Mp3Bytes());
    const fs::path song = samples::WriteFile(folder / "tagged.mp3", samples::Mp3Bytes());
    samples::WriteAudioTags(song, {"Björk", "Debut", "Venus as a Boy", "Pop", 1993, 4});
    const std::string reason =
        "the new name has nothing before its extension: the template gave nothing for this file";
    const struct {
        std::string templateText;
        std::string empty, full, fullNewName;
    } cases[] = {
        {"<etime>", "IMG_0001.jpg", "IMG_0002.jpg", "20210304-050607.jpg"},
        {"<title>", "untagged.mp3", "tagged.mp3", "Venus as a Boy.mp3"},
    };
    locale_ = "zh_CN.UTF-8";  // the built-in texts
    for (const auto& c : cases) {
        const std::string empty = Root() + "/m/" + c.empty, full = Root() + "/m/" + c.full;
        const std::string bare = fs::path(c.empty).extension().string();
        const auto preview = Run({"-s", "1068=" + c.templateText, empty, full});
        EXPECT_EQ(preview.status, 0) << preview.err;
        EXPECT_EQ(preview.out, empty + "\t" + bare + "\t×名称不可用\t" + reason + "\n" + full +
                                   "\t" + c.fullNewName + "\n");

        const auto pass = Run({"--apply", "-s", "1068=" + c.templateText, empty, full});
        EXPECT_EQ(pass.status, 1);
        EXPECT_EQ(pass.out, empty + "\t" + bare + "\t×失败\t" + reason + "\n" + full + "\t" +
                                c.fullNewName + "\t√成功\n成功 1, 失败 1, 无修改 0, 未选中 0\n");
        EXPECT_TRUE(fs::exists(empty));
        EXPECT_TRUE(fs::exists(folder / c.fullNewName));
    }
    EXPECT_FALSE(fs::exists(folder / ".jpg"));
    EXPECT_FALSE(fs::exists(folder / ".mp3"));
}

}  // namespace
}  // namespace tolvane::test
