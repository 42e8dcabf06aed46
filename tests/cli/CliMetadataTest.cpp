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
            paths.push_back(line.substr(0, line.find('\t')));
            names.push_back(line.substr(line.find('\t') + 1));
        }
        ASSERT_EQ(paths.size(), 6u);
        EXPECT_EQ(names, WindowNames(paths, templateText)) << ToNarrow(templateText);
    }
    // And what they are, for one of them.
    const auto r = Run({"--set", "1068=<etime>_<camera>", "mixed/a.jpg", "mixed/b <camera>.jpg"});
    EXPECT_EQ(r.out, Root() + "/mixed/a.jpg\t20210304-050607_Canon EOS R5.jpg\n" + Root() +
                         "/mixed/b <camera>.jpg\t20191224-180000_Pixel7 Pro.jpg\n");
}

}  // namespace
}  // namespace tolvane::test
