#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <functional>
#include <random>

#include "../TestSupport.h"
#include "MediaSamples.h"
#include "metadata/AudioReader.h"
#include "metadata/Id3v2Guard.h"
#include "metadata/MappedView.h"
#include "metadata/PictureReader.h"
#include "metadata/ReadOnlyFile.h"
#include "metadata/VorbisCommentGuard.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

FileMetadata ReadBoth(const fs::path& path) {
    FileMetadata m;
    if (const auto file = ReadOnlyFile::Open(path.string())) {
        m.picture = ReadPictureFacts(*file);
        m.audio = ReadAudioTags(*file);
    }
    return m;
}

// Peak resident memory of this process so far, in KiB.
long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void ExpectBounded(const FileMetadata& m, const std::string& what) {
    for (const std::string* text :
         {&m.picture.camera, &m.audio.artist, &m.audio.album, &m.audio.title, &m.audio.genre})
        EXPECT_LE(text->size(), kMaxMetadataTextBytes) << what;
}

// A real file of each kind, tagged as users' programs tag them, and the offset from
// which on a cut-off copy still holds its metadata whole.
struct Sample {
    const char* label;
    std::string bytes;
    size_t metadataEnd;
};

std::vector<Sample> Samples(const TempDir& dir) {
    std::vector<Sample> all;
    const fs::path jpeg = samples::WriteFile(dir.Path() / "s.jpg", samples::JpegBytes(320, 240));
    samples::WriteExif(jpeg, {"2021:03:04 05:06:07", "", "", "X-T4", true});
    std::string bytes = samples::ReadFile(jpeg);
    // The EXIF segment follows the start marker: 2 + 2 + its length.
    const size_t exifEnd =
        4 + ((static_cast<unsigned char>(bytes[4]) << 8) | static_cast<unsigned char>(bytes[5]));
    all.push_back({"jpeg", bytes, exifEnd});
    const AudioTags tags{"Artist", "Album", "Title", "Genre", 2001, 7};
    for (auto [name, make] : {std::pair{"s.mp3", +[] { return samples::Mp3Bytes(); }},
                              std::pair{"s.flac", +[] { return samples::FlacBytes(); }},
                              std::pair{"s.ogg", +[] { return samples::OggVorbisBytes(); }}}) {
        const fs::path path = samples::WriteFile(dir.Path() / name, make());
        samples::WriteAudioTags(path, tags);
        all.push_back({name, samples::ReadFile(path), std::string::npos});
    }
    // An ID3v2 tag is whole once its header and body are.
    std::string& mp3 = all[1].bytes;
    all[1].metadataEnd = 10 + ((mp3[6] << 21) | (mp3[7] << 14) | (mp3[8] << 7) | mp3[9]);
    return all;
}

TEST(HostileFileTest, CutOffCopiesKeepWhatComesBeforeTheCut) {
    TempDir dir;
    for (const Sample& sample : Samples(dir)) {
        const fs::path copy = dir.Path() / (std::string("cut-") + sample.label);
        const size_t step = sample.bytes.size() / 300 + 1;
        for (size_t length = 0; length < sample.bytes.size(); length += step) {
            samples::WriteFile(copy, sample.bytes.substr(0, length));
            const FileMetadata m = ReadBoth(copy);
            const std::string what =
                std::string(sample.label) + " cut at " + std::to_string(length);
            ExpectBounded(m, what);
            if (length < sample.metadataEnd)
                continue;
            if (sample.label == std::string("jpeg")) {
                EXPECT_EQ(m.picture.captured, (CaptureTime{2021, 3, 4, 5, 6, 7})) << what;
            } else if (sample.label == std::string("s.mp3")) {
                EXPECT_EQ(m.audio.title, "Title") << what;
            }
        }
    }
}

TEST(HostileFileTest, CopiesWithFlippedBytesNeverCrashOrOverrun) {
    TempDir dir;
    std::mt19937 random(20240601);
    for (const Sample& sample : Samples(dir)) {
        const fs::path copy = dir.Path() / (std::string("flip-") + sample.label);
        for (int round = 0; round < 300; ++round) {
            std::string bytes = sample.bytes;
            const int flips = 1 + static_cast<int>(random() % 8);
            for (int i = 0; i < flips; ++i)
                bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
            samples::WriteFile(copy, bytes);
            ExpectBounded(ReadBoth(copy),
                          std::string(sample.label) + " round " + std::to_string(round));
        }
    }
}

std::string SynchSafe(std::uint32_t n) {
    return {static_cast<char>((n >> 21) & 0x7F), static_cast<char>((n >> 14) & 0x7F),
            static_cast<char>((n >> 7) & 0x7F), static_cast<char>(n & 0x7F)};
}

std::string Id3v24Frame(const std::string& id, const std::string& flags, const std::string& data) {
    return id + SynchSafe(static_cast<std::uint32_t>(data.size())) + flags + data;
}

// `count` bytes of 'A' as a zlib stream, made piece by piece.
std::string Deflated(size_t count) {
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    const std::string piece(1 << 20, 'A');
    std::string out;
    char buffer[1 << 16];
    for (size_t done = 0; done <= count; done += piece.size()) {
        const bool last = done + piece.size() > count;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
        z.avail_in = static_cast<uInt>(last ? count - done : piece.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            out.append(buffer, sizeof buffer - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

TEST(HostileFileTest, CompressedTagFrameIsNotExpanded) {
    // A title frame of a few hundred kilobytes that zlib would expand to 256 MiB.
    constexpr size_t kExpanded = 256u << 20;
    const std::string bomb = SynchSafe(kExpanded) + Deflated(kExpanded);
    const std::string body = Id3v24Frame("TPE1", std::string(2, '\0'),
                                         "\x03"
                                         "Artist") +
                             Id3v24Frame("TIT2", std::string("\x00\x09", 2), bomb) +
                             Id3v24Frame("TALB", std::string(2, '\0'),
                                         "\x03"
                                         "Album");
    const std::string tag = std::string("ID3\x04\x00\x00", 6) +
                            SynchSafe(static_cast<std::uint32_t>(body.size())) + body;
    TempDir dir;
    const fs::path path = samples::WriteFile(dir.Path() / "bomb.mp3", tag + samples::Mp3Bytes());
    const long before = PeakKiB();
    const FileMetadata m = ReadBoth(path);
    EXPECT_EQ(m.audio.artist, "Artist");
    EXPECT_EQ(m.audio.album, "Album");
    EXPECT_EQ(m.audio.title, "");
    EXPECT_LT(PeakKiB() - before, 64 * 1024) << "KiB more at the peak";
}

TEST(HostileFileTest, DeclaredSizesBeyondTheFileAreNotBelieved) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string hugeJpeg = samples::JpegBytes(16, 16);
    // Width and height of the frame header: 65535 x 65535 is only a number.
    hugeJpeg.replace(hugeJpeg.find("\xFF\xC0", 0, 2) + 5, 4, "\xFF\xFF\xFF\xFF", 4);
    const Case cases[] = {
        {"huge.jpg", hugeJpeg},
        {"app1.jpg", std::string("\xFF\xD8\xFF\xE1\xFF\xFF"
                                 "Exif\0\0II*\0",
                                 16)},
        {"tag.mp3", std::string("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10) +
                        Id3v24Frame("TIT2", std::string(2, '\0'), "\x03T")},
        {"ifd.tif", std::string("II*\0\xF0\xFF\xFF\x7F", 8)},
        {"flac.flac", std::string("fLaC\x04\xFF\xFF\xFF", 8)},
    };
    for (const Case& c : cases) {
        const FileMetadata m = ReadBoth(samples::WriteFile(dir.Path() / c.name, c.bytes));
        ExpectBounded(m, c.name);
        if (c.name == std::string("huge.jpg")) {
            EXPECT_EQ(m.picture.width, 65535u);
            EXPECT_EQ(m.picture.height, 65535u);
        }
    }
}

TEST(HostileFileTest, EnormousFilesAreReadWithinBounds) {
    // Sparse files of 6 GiB whose headers claim the largest tag and directory
    // there can be; no more than the read budget is taken in.
    TempDir dir;
    const std::pair<const char*, std::string> heads[] = {
        {"big.mp3", std::string("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10)},
        {"big.jpg", std::string("\xFF\xD8\xFF\xFE\xFF\xFF", 6)},
        {"big.tif", std::string("MM\0*\x7F\xFF\xFF\xF0", 8)},
    };
    const long before = PeakKiB();
    for (const auto& [name, head] : heads) {
        const fs::path path = samples::WriteFile(dir.Path() / name, head);
        ASSERT_EQ(truncate(path.c_str(), 6LL << 30), 0);
        ExpectBounded(ReadBoth(path), name);
    }
    EXPECT_LT(PeakKiB() - before, static_cast<long>(ReadOnlyFile::kReadBudget >> 10)) << "KiB";
}

std::string Le32(std::uint32_t n) {
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
            static_cast<char>(n >> 24)};
}

std::string Be(std::uint32_t n, int bytes) {
    std::string out;
    for (int k = bytes - 1; k >= 0; --k)
        out.push_back(static_cast<char>(n >> (8 * k)));
    return out;
}

// An ID3v2 tag: the title, `fillers` frames of one byte, the album.
std::string Id3v2Tag(int version, size_t fillers) {
    auto frame = [&](const std::string& id, const std::string& data) {
        const auto size = static_cast<std::uint32_t>(data.size());
        return id + (version == 4 ? SynchSafe(size) : Be(size, 4)) + std::string(2, '\0') + data;
    };
    std::string body = frame("TIT2", "\x03Title");
    const std::string filler = frame("TXXX", std::string(1, '\0'));
    for (size_t i = 0; i < fillers; ++i)
        body += filler;
    body += frame("TALB",
                  "\x03"
                  "Album");
    return std::string("ID3") + static_cast<char>(version) + std::string(2, '\0') +
           SynchSafe(static_cast<std::uint32_t>(body.size())) + body;
}

// A Vorbis comment block: the title, `fillers` comments of three bytes, the album.
std::string VorbisComments(size_t fillers) {
    std::string block = Le32(6) + "vendor" + Le32(static_cast<std::uint32_t>(fillers + 2));
    block += Le32(11) + "TITLE=Title";
    const std::string filler = Le32(3) + "A=x";
    for (size_t i = 0; i < fillers; ++i)
        block += filler;
    return block + Le32(11) + "ALBUM=Album";
}

std::string FlacFile(size_t fillers) {
    const std::string comments = VorbisComments(fillers);
    return "fLaC" + std::string(1, '\0') + Be(34, 3) + std::string(34, '\0') + "\x04" +
           Be(static_cast<std::uint32_t>(comments.size()), 3) + comments + "\x81" + Be(16, 3) +
           std::string(16, '\0');
}

// Each packet on pages of its own, of at most 255 segments. TagLib does not check the
// pages' checksums.
std::string OggFile(const std::vector<std::string>& packets) {
    std::string out;
    std::uint32_t sequence = 0;
    for (const std::string& packet : packets) {
        std::vector<unsigned char> lacing(packet.size() / 255, 255);
        lacing.push_back(static_cast<unsigned char>(packet.size() % 255));
        size_t at = 0;
        for (size_t first = 0; first < lacing.size(); first += 255, ++sequence) {
            const size_t count = std::min<size_t>(255, lacing.size() - first);
            size_t bytes = 0;
            for (size_t k = 0; k < count; ++k)
                bytes += lacing[first + k];
            out += "OggS" + std::string(1, '\0') +
                   static_cast<char>((first > 0 ? 1 : 0) | (sequence == 0 ? 2 : 0)) +
                   std::string(8, '\0') + Le32(1) + Le32(sequence) + Le32(0) +
                   static_cast<char>(count) +
                   std::string(lacing.begin() + first, lacing.begin() + first + count) +
                   packet.substr(at, bytes);
            at += bytes;
        }
    }
    return out;
}

TEST(HostileFileTest, FramesAndCommentsPastTheBoundAreDropped) {
    TempDir dir;
    auto ogg = [](size_t fillers) {
        return OggFile({"\x01vorbis" + std::string(23, '\0'),
                        "\x03vorbis" + VorbisComments(fillers) + "\x01", "\x05vorbis"});
    };
    auto opus = [](size_t fillers) {
        return OggFile(
            {"OpusHead\x01\x02" + std::string(9, '\0'), "OpusTags" + VorbisComments(fillers)});
    };
    auto mp3 = [](int version) {
        return
            [version](size_t fillers) { return Id3v2Tag(version, fillers) + samples::Mp3Bytes(); };
    };
    const std::pair<const char*, std::function<std::string(size_t)>> kinds[] = {
        {"v4.mp3", mp3(4)},
        {"v3.mp3", mp3(3)},
        {"c.flac", FlacFile},
        {"c.ogg", ogg},
        {"c.opus", opus}};
    const size_t bounds[] = {kMaxId3v2Frames, kMaxId3v2Frames, kMaxVorbisComments,
                             kMaxVorbisComments, kMaxVorbisComments};
    for (size_t k = 0; k < std::size(kinds); ++k) {
        const auto& [name, make] = kinds[k];
        // Title and album are the first and the last within the bound: both kept.
        const FileMetadata whole =
            ReadBoth(samples::WriteFile(dir.Path() / name, make(bounds[k] - 2)));
        EXPECT_EQ(whole.audio.title, "Title") << name;
        EXPECT_EQ(whole.audio.album, "Album") << name;
        // Half a million tiny ones: what comes after the bound is not read.
        const fs::path path = samples::WriteFile(dir.Path() / name, make(500000));
        const long before = PeakKiB();
        const FileMetadata cut = ReadBoth(path);
        EXPECT_EQ(cut.audio.title, "Title") << name;
        EXPECT_EQ(cut.audio.album, "") << name;
        EXPECT_LT(PeakKiB() - before, 32 * 1024) << name << ": KiB more at the peak";
    }
}

TEST(MappedViewTest, FileCutWhileMappedReadsAsZeros) {
    TempDir dir;
    const long page = sysconf(_SC_PAGESIZE);
    const fs::path path = samples::WriteFile(dir.Path() / "raw.tif", std::string(3 * page, '\x5A'));
    const auto file = ReadOnlyFile::Open(path.string());
    ASSERT_TRUE(file);
    const auto view = MappedView::Map(file->Descriptor(), 3 * page);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->Data()[2 * page], 0x5A);
    // Another program cuts the file: the pages past the new end are gone.
    ASSERT_EQ(truncate(path.c_str(), page), 0);
    EXPECT_EQ(view->Data()[0], 0x5A);
    EXPECT_EQ(view->Data()[2 * page + 1], 0);  // SIGBUS without the handler
    EXPECT_EQ(view->Data()[3 * page - 1], 0);
}

}  // namespace
}  // namespace tolvane::test
