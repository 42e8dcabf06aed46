#include <gtest/gtest.h>
#include <sys/stat.h>

#include "../TestSupport.h"
#include "MediaSamples.h"
#include "metadata/AudioReader.h"
#include "metadata/PictureReader.h"
#include "metadata/ReadOnlyFile.h"

namespace tolvane::test {
namespace {

using samples::ExifFields;

PictureFacts PictureOf(const std::filesystem::path& path) {
    const auto file = ReadOnlyFile::Open(path.string());
    return file ? ReadPictureFacts(*file) : PictureFacts{};
}

AudioTags AudioOf(const std::filesystem::path& path) {
    const auto file = ReadOnlyFile::Open(path.string());
    return file ? ReadAudioTags(*file) : AudioTags{};
}

struct PictureCase {
    const char* label;
    ExifFields exif;  // nothing is written when all are empty
    std::optional<CaptureTime> captured;
    std::string camera;
};

class PictureCaseTest : public testing::TestWithParam<PictureCase> {};

TEST_P(PictureCaseTest, ReadsWhatLibexiv2Wrote) {
    const PictureCase& c = GetParam();
    TempDir dir;
    const auto path = samples::WriteFile(dir.Path() / "photo.jpg", samples::JpegBytes(640, 480));
    if (!c.exif.dateTimeOriginal.empty() || !c.exif.dateTimeDigitized.empty() ||
        !c.exif.dateTime.empty() || !c.exif.model.empty())
        samples::WriteExif(path, c.exif);
    const PictureFacts facts = PictureOf(path);
    EXPECT_EQ(facts.captured, c.captured);
    EXPECT_EQ(facts.camera, c.camera);
    EXPECT_EQ(facts.width, 640u);
    EXPECT_EQ(facts.height, 480u);
}

INSTANTIATE_TEST_SUITE_P(
    Jpeg, PictureCaseTest,
    testing::Values(
        PictureCase{"original wins over the other dates",
                    {"2021:03:04 05:06:07", "2022:01:01 00:00:00", "2023:01:01 00:00:00", "X100V"},
                    CaptureTime{2021, 3, 4, 5, 6, 7},
                    "X100V"},
        PictureCase{"digitized when there is no original",
                    {"", "2022:12:31 23:59:58", "2023:01:01 00:00:00", ""},
                    CaptureTime{2022, 12, 31, 23, 59, 58},
                    ""},
        PictureCase{"only DateTime",
                    {"", "", "2019:02:28 12:00:01", ""},
                    CaptureTime{2019, 2, 28, 12, 0, 1},
                    ""},
        PictureCase{"a clock never set is no date",
                    {"0000:00:00 00:00:00", "    :  :     :  :  ", "2020:02:29 01:02:03", ""},
                    CaptureTime{2020, 2, 29, 1, 2, 3},
                    ""},
        PictureCase{"a day that does not exist is no date",
                    {"2021:02:29 10:00:00", "", "", "EOS R5"},
                    std::nullopt,
                    "EOS R5"},
        PictureCase{"model kept as written",
                    {"", "", "", "Canon EOS 5D Mark IV"},
                    std::nullopt,
                    "Canon EOS 5D Mark IV"},
        PictureCase{"no EXIF at all", {}, std::nullopt, ""}),
    ByLabel());

TEST(ExifDateTimeTest, ReadsOnlyDatesThatExist) {
    struct {
        const char* text;
        std::optional<CaptureTime> expected;
    } cases[] = {
        {"2021:03:04 05:06:07", CaptureTime{2021, 3, 4, 5, 6, 7}},
        {"2021-03-04T05:06:07+02:00", CaptureTime{2021, 3, 4, 5, 6, 7}},
        {"2021:03:04 05:06:07.123", CaptureTime{2021, 3, 4, 5, 6, 7}},
        {"2000:02:29 00:00:00", CaptureTime{2000, 2, 29, 0, 0, 0}},
        {"1900:02:29 00:00:00", std::nullopt},
        {"2021:13:01 00:00:00", std::nullopt},
        {"2021:04:31 00:00:00", std::nullopt},
        {"2021:03:04 24:00:00", std::nullopt},
        {"2021:03:04", std::nullopt},
        {"2021:03:04 5:06:07", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseExifDateTime(c.text), c.expected) << c.text;
}

struct AudioCase {
    const char* label;
    const char* fileName;
    std::string (*bytes)();
};

class AudioCaseTest : public testing::TestWithParam<AudioCase> {};

TEST_P(AudioCaseTest, ReadsWhatTagLibWrote) {
    const AudioCase& c = GetParam();
    TempDir dir;
    const auto path = samples::WriteFile(dir.Path() / c.fileName, c.bytes());
    EXPECT_EQ(AudioOf(path), AudioTags{}) << "no tags yet";
    const AudioTags tags{"Sigur Rós", "Ágætis byrjun", "Svefn-g-englar", "Post-rock", 1999, 2};
    samples::WriteAudioTags(path, tags);
    EXPECT_EQ(AudioOf(path), tags);

    // Found by its content too, under a name that says nothing.
    const auto renamed = dir.Path() / "track";
    std::filesystem::rename(path, renamed);
    EXPECT_EQ(AudioOf(renamed), tags);
    EXPECT_EQ(PictureOf(renamed), PictureFacts{});
}

INSTANTIATE_TEST_SUITE_P(
    Formats, AudioCaseTest,
    testing::Values(AudioCase{"mp3 with id3v2", "song.mp3", [] { return samples::Mp3Bytes(); }},
                    AudioCase{"flac", "song.flac", samples::FlacBytes},
                    AudioCase{"ogg vorbis", "song.ogg", samples::OggVorbisBytes}),
    ByLabel());

TEST(ReadOnlyFileTest, OpensOnlyRegularFiles) {
    TempDir dir;
    const auto folder = dir.Folder("folder.jpg");
    const auto fifo = dir.Path() / "pipe.mp3";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A FIFO without a writer would block an ordinary open for ever.
    EXPECT_EQ(ReadOnlyFile::Open(fifo.string()), nullptr);
    EXPECT_EQ(ReadOnlyFile::Open(folder.string()), nullptr);
    EXPECT_EQ(ReadOnlyFile::Open((dir.Path() / "missing.jpg").string()), nullptr);
    EXPECT_FALSE(IdentityOf(fifo.string()));
    EXPECT_FALSE(IdentityOf(folder.string()));
}

}  // namespace
}  // namespace tolvane::test
