#include <gtest/gtest.h>
#include <sys/stat.h>

#include "../TestSupport.h"
#include "MediaSamples.h"
#include "PipelineTestSupport.h"
#include "engine/MetadataTokens.h"
#include "engine/TextConvert.h"
#include "metadata/MetadataCache.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

// A folder of photos and songs tagged by libexiv2 and TagLib, made once.
class MetadataTemplateTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        const fs::path root = dir_->Path();
        auto photo = [&](const std::string& name, const samples::ExifFields& exif) {
            const auto path = samples::WriteFile(root / name, samples::JpegBytes(640, 480));
            samples::WriteExif(path, exif);
        };
        photo("IMG_0001.jpg", {"2021:03:04 05:06:07", "", "", "Canon EOS R5"});
        photo("odd camera.jpg", {"", "", "2020:12:31 23:59:59", " Lumix\tG9 <II>: #2 "});
        photo("token camera.jpg", {"", "", "", "Phone <name> <edate> #"});
        photo("a<edate>b.jpg", {"2021:03:04 05:06:07", "", "", ""});
        photo("bidi camera.jpg", {"", "", "", "Cam\u202Eera\u200F 5"});
        samples::WriteFile(root / "plain.jpg", samples::JpegBytes(32, 16));
        auto song = [&](const std::string& name, const AudioTags& tags) {
            samples::WriteAudioTags(samples::WriteFile(root / name, samples::Mp3Bytes()), tags);
        };
        song("song.mp3", {"Björk", "Debut", "Human Behaviour", "Pop", 1993, 1});
        song("hostile.mp3", {"AC/DC", "", "Back <in> Black?\n", "", 0, 0});
        song("<title>/token.mp3", {"", "", "<edate> <#> <dir>", "", 2000, 12});
        // Numbers as hostile or sloppy taggers write them, in each kind of tag.
        const std::pair<const char*, std::string (*)()> kinds[] = {
            {"mp3", [] { return samples::Mp3Bytes(); }},
            {"flac", samples::FlacBytes},
            {"ogg", samples::OggVorbisBytes}};
        for (const auto& [extension, bytes] : kinds) {
            const std::string suffix = std::string(".") + extension;
            samples::WriteAudioFields(samples::WriteFile(root / ("negative" + suffix), bytes()),
                                      {{"TITLE", "T"}, {"TRACKNUMBER", "-5"}, {"DATE", "-1999"}});
            samples::WriteAudioFields(samples::WriteFile(root / ("wrapped" + suffix), bytes()),
                                      {{"TITLE", "T"}, {"TRACKNUMBER", "4294967291"}});
            samples::WriteAudioFields(
                samples::WriteFile(root / ("of total" + suffix), bytes()),
                {{"TITLE", "T"}, {"TRACKNUMBER", "5/12"}, {"DATE", "1999-05"}});
        }
    }
    static void TearDownTestSuite() { delete dir_; }

    static std::string NewName(const std::wstring& templateText, const std::string& file) {
        const fs::path path = dir_->Path() / file;
        return ToNarrow(PreviewNames([&](RenameOptions& o) { o.templateText = templateText; },
                                     {ToWide(path.filename().string())},
                                     ToWide(path.parent_path().string()))
                            .front());
    }

    struct Case {
        const wchar_t* templateText;
        const char* file;
        const char* expected;
    };
    static void ExpectNames(std::initializer_list<Case> cases) {
        for (const Case& c : cases)
            EXPECT_EQ(NewName(c.templateText, c.file), c.expected) << ToNarrow(c.templateText);
    }

    static TempDir* dir_;
};

TempDir* MetadataTemplateTest::dir_ = nullptr;

TEST_F(MetadataTemplateTest, EveryTokenWithAnExample) {
    ExpectNames({
        {L"<edate>", "IMG_0001.jpg", "20210304.jpg"},
        {L"<etime>", "IMG_0001.jpg", "20210304-050607.jpg"},
        {L"<EY>-<EM>-<ED>_<name>", "IMG_0001.jpg", "2021-03-04_IMG_0001.jpg"},
        {L"<camera>", "IMG_0001.jpg", "Canon EOS R5.jpg"},
        {L"<width>x<height>", "IMG_0001.jpg", "640x480.jpg"},
        {L"<edate>_<#>", "IMG_0001.jpg", "20210304_01.jpg"},
        {L"<etime>", "odd camera.jpg", "20201231-235959.jpg"},
        {L"<track> - <artist> - <title>", "song.mp3", "01 - Björk - Human Behaviour.mp3"},
        {L"<year>_<album>_<genre>", "song.mp3", "1993_Debut_Pop.mp3"},
        // A file without the value gives empty text, whatever kind it is.
        {L"<edate>_<camera>_<width>x<height>", "plain.jpg", "__32x16.jpg"},
        {L"<artist>-<title>-<year>-<track>", "IMG_0001.jpg", "---.jpg"},
        {L"[<edate>][<camera>]", "song.mp3", "[][].mp3"},
        {L"<album><year><track>", "hostile.mp3", ".mp3"},
    });
}

TEST_F(MetadataTemplateTest, ValuesAreInsertedLiterallyAndMadeFitForANameOnce) {
    ExpectNames({
        // Blanks inside kept; ends trimmed; control and forbidden characters gone.
        {L"<camera>", "odd camera.jpg", "Lumix G9 II #2.jpg"},
        {L"<artist> - <title>", "hostile.mp3", "ACDC - Back in Black.mp3"},
        // Token text inside a value stays text: no <name>, no date, no counter.
        {L"<camera>", "token camera.jpg", "Phone name edate #.jpg"},
        {L"<title>_<year>", "<title>/token.mp3", "edate # dir_2000.mp3"},
        {L"<dir>_<track>", "<title>/token.mp3", "title_12.mp3"},
        {L"<name>_<edate>", "a<edate>b.jpg", "aedateb_20210304.jpg"},
    });
}

TEST_F(MetadataTemplateTest, NumbersThatAreNoPositiveNumberGiveEmptyText) {
    for (const char* extension : {".mp3", ".flac", ".ogg"}) {
        const std::string ext = extension;
        ExpectNames({
            {L"<title>_<track>_<year>", ("negative" + ext).c_str(), ("T__" + ext).c_str()},
            {L"<title>_<track>", ("wrapped" + ext).c_str(), ("T_" + ext).c_str()},
            {L"<title>_<track>_<year>", ("of total" + ext).c_str(), ("T_05_1999" + ext).c_str()},
        });
    }
}

TEST_F(MetadataTemplateTest, BidirectionalControlsInATagAreDropped) {
    ExpectNames({{L"<camera>", "bidi camera.jpg", "Camera 5.jpg"}});
}

TEST(MetadataTokensTest, KindsOfATemplate) {
    EXPECT_EQ(MetadataKindsOf(L"<date>_<time>_<Y><M><D>_<mdate>_<name>"), 0u);
    EXPECT_EQ(MetadataKindsOf(L"<EY>"), unsigned{kPictureMetadata});
    EXPECT_EQ(MetadataKindsOf(L"<#>_<track>"), unsigned{kAudioMetadata});
    EXPECT_EQ(MetadataKindsOf(L"<edate><title>"), unsigned{kPictureMetadata | kAudioMetadata});
    EXPECT_EQ(MetadataKindsOf(L"<edate"), 0u);
}

TEST(MetadataTokensTest, NameSafeTextCutsLongTagsOnCharacters) {
    const std::string longTitle(400, 'x');
    EXPECT_EQ(NameSafeText(longTitle).size(), kMaxMetadataNameChars);
    EXPECT_EQ(NameSafeText("\xE6\xBC\xA2\xFF\xE5\xAD\x97"), L"漢字");  // a stray byte dropped
    EXPECT_EQ(NameSafeText("a\xC2\x85"
                           "b\xE2\x80\xA8"
                           "c\x01"
                           "d\r\ne"),
              L"abcd  e");
}

TEST(MetadataTokensTest, NameSafeTextDropsEveryBidiControlAndNothingNextToThem) {
    for (wchar_t c : {0x061C, 0x200E, 0x200F, 0x202A, 0x202B, 0x202C, 0x202D, 0x202E, 0x2066,
                      0x2067, 0x2068, 0x2069})
        EXPECT_EQ(NameSafeText(ToNarrow(std::wstring{L'a', c, L'b'})), L"ab")
            << std::hex << unsigned(c);
    // Joiners and their neighbours in the table are text: emoji and scripts need them.
    for (wchar_t c : {0x061B, 0x200D, 0x2030, 0x2065, 0x206A})
        EXPECT_EQ(NameSafeText(ToNarrow(std::wstring{L'a', c, L'b'})),
                  (std::wstring{L'a', c, L'b'}))
            << std::hex << unsigned(c);
}

}  // namespace
}  // namespace tolvane::test
