#include "MediaSamples.h"

// libexiv2 0.27 names std::auto_ptr in its headers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace tolvane::samples {

namespace {

class Bytes {
  public:
    void U8(unsigned v) { out_.push_back(static_cast<char>(v & 0xFF)); }
    void U16(unsigned v) {
        U8(v >> 8);
        U8(v);
    }
    void U32LE(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            U8(v >> (8 * i));
    }
    void Text(const std::string& text) { out_ += text; }
    void Zeros(size_t n) { out_.append(n, '\0'); }
    std::string& Out() { return out_; }

  private:
    std::string out_;
};

// The CRC of Ogg pages: polynomial 0x04C11DB7, not reflected, starting at 0.
std::uint32_t OggCrc(const std::string& page) {
    std::uint32_t crc = 0;
    for (char c : page) {
        crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// One Ogg page holding whole packets, each shorter than 255 bytes.
std::string OggPage(unsigned type, std::uint64_t granule, std::uint32_t sequence,
                    std::initializer_list<std::string> packets) {
    Bytes page;
    page.Text("OggS");
    page.U8(0);
    page.U8(type);
    page.U32LE(static_cast<std::uint32_t>(granule));
    page.U32LE(static_cast<std::uint32_t>(granule >> 32));
    page.U32LE(0x746F6C76);  // stream serial number
    page.U32LE(sequence);
    page.U32LE(0);  // CRC, filled in below
    page.U8(static_cast<unsigned>(packets.size()));
    for (const std::string& packet : packets)
        page.U8(static_cast<unsigned>(packet.size()));
    for (const std::string& packet : packets)
        page.Text(packet);
    std::string bytes = page.Out();
    const std::uint32_t crc = OggCrc(bytes);
    for (int i = 0; i < 4; ++i)
        bytes[22 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
    return bytes;
}

TagLib::String Utf8(const std::string& text) {
    return TagLib::String(text, TagLib::String::UTF8);
}

}  // namespace

std::string JpegBytes(unsigned width, unsigned height) {
    Bytes j;
    j.U16(0xFFD8);  // start of image
    j.U16(0xFFDB);  // one quantisation table, every step 1
    j.U16(67);
    j.U8(0);
    for (int i = 0; i < 64; ++i)
        j.U8(1);
    j.U16(0xFFC0);  // baseline frame, one component
    j.U16(11);
    j.U8(8);
    j.U16(height);
    j.U16(width);
    j.U8(1);
    j.U8(1);
    j.U8(0x11);
    j.U8(0);
    // Huffman tables with a single one-bit code each: DC difference 0, end of block.
    for (unsigned tableClass : {0x00u, 0x10u}) {
        j.U16(0xFFC4);
        j.U16(20);
        j.U8(tableClass);
        j.U8(1);
        j.Zeros(15);
        j.U8(0);
    }
    j.U16(0xFFDA);  // start of scan
    j.U16(8);
    j.U8(1);
    j.U8(1);
    j.U8(0);
    j.U8(0);
    j.U8(63);
    j.U8(0);
    // Two zero bits per 8x8 block; the last byte is padded with ones.
    const size_t bits = size_t{2} * ((width + 7) / 8) * ((height + 7) / 8);
    j.Zeros(bits / 8);
    if (bits % 8 != 0)
        j.U8(0xFF >> (bits % 8));
    j.U16(0xFFD9);  // end of image
    return j.Out();
}

std::string Mp3Bytes(int frames) {
    // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, no CRC: 417 bytes a frame.
    Bytes m;
    for (int i = 0; i < frames; ++i) {
        m.U16(0xFFFB);
        m.U16(0x9000);
        m.Zeros(417 - 4);
    }
    return m.Out();
}

std::string FlacBytes() {
    Bytes f;
    f.Text("fLaC");
    f.U8(0x80);  // the last metadata block: STREAMINFO, 34 bytes
    f.U8(0);
    f.U16(34);
    f.U16(4096);  // block sizes
    f.U16(4096);
    f.Zeros(6);  // frame sizes unknown
    // 44100 Hz (20 bits), 2 channels (3 bits: 1), 16 bits (5 bits: 15), 0 samples.
    f.U8(0x0A);
    f.U8(0xC4);
    f.U8(0x42);
    f.U8(0xF0);
    f.Zeros(4);
    f.Zeros(16);  // MD5 of the audio
    return f.Out();
}

std::string OggVorbisBytes() {
    Bytes id;
    id.Text("\x01vorbis");
    id.U32LE(0);
    id.U8(2);
    id.U32LE(44100);
    id.U32LE(0);
    id.U32LE(128000);
    id.U32LE(0);
    id.U8(0xB8);
    id.U8(1);
    Bytes comment;
    comment.Text("\x03vorbis");
    comment.U32LE(7);
    comment.Text("tolvane");
    comment.U32LE(0);
    comment.U8(1);
    Bytes setup;
    setup.Text("\x05vorbis");
    setup.Zeros(16);
    return OggPage(0x02, 0, 0, {id.Out()}) + OggPage(0x00, 0, 1, {comment.Out(), setup.Out()}) +
           OggPage(0x04, 44100, 2, {std::string(20, '\0')});
}

std::filesystem::path WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
    return path;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteExif(const std::filesystem::path& path, const ExifFields& fields) {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    auto set = [&](const char* key, const std::string& value) {
        if (!value.empty())
            exif[key] = value;
    };
    set("Exif.Photo.DateTimeOriginal", fields.dateTimeOriginal);
    set("Exif.Photo.DateTimeDigitized", fields.dateTimeDigitized);
    set("Exif.Image.DateTime", fields.dateTime);
    set("Exif.Image.Model", fields.model);
    if (fields.asCamerasWrite) {
        // A maker note as large as a current camera's, which libexiv2 decodes field by
        // field: most of the time reading a real photograph goes there.
        exif["Exif.Image.Make"] = "Canon";
        exif["Exif.Canon.ModelID"] = uint32_t(0x80000421);
        exif["Exif.Canon.FirmwareVersion"] = "Firmware Version 1.8.1";
        exif["Exif.Canon.ImageType"] = "Canon EOS R5";
        Exiv2::UShortValue settings;
        for (uint16_t i = 0; i < 50; ++i)
            settings.value_.push_back(i);
        exif["Exif.Canon.CameraSettings"] = settings;
        exif["Exif.Canon.ShotInfo"] = settings;
        const std::vector<Exiv2::byte> cameraInfo(20000, 7);
        Exiv2::DataValue blob(Exiv2::undefined);
        blob.read(cameraInfo.data(), static_cast<long>(cameraInfo.size()), Exiv2::littleEndian);
        exif.add(Exiv2::ExifKey("Exif.Canon.CameraInfo"), &blob);
        Exiv2::UShortValue colorData;
        for (uint16_t i = 0; i < 1800; ++i)
            colorData.value_.push_back(i);
        exif["Exif.Canon.ColorData"] = colorData;
        exif["Exif.Image.Orientation"] = uint16_t(1);
        exif["Exif.Image.XResolution"] = Exiv2::Rational(72, 1);
        exif["Exif.Image.YResolution"] = Exiv2::Rational(72, 1);
        exif["Exif.Image.Software"] = "Firmware 1.2.3";
        exif["Exif.Image.Artist"] = "A. Photographer";
        exif["Exif.Image.Copyright"] = "All rights reserved";
        exif["Exif.Photo.ExposureTime"] = Exiv2::Rational(1, 250);
        exif["Exif.Photo.FNumber"] = Exiv2::Rational(28, 10);
        exif["Exif.Photo.ISOSpeedRatings"] = uint16_t(200);
        exif["Exif.Photo.FocalLength"] = Exiv2::Rational(35, 1);
        exif["Exif.Photo.LensModel"] = "35mm F2.8";
        exif["Exif.Photo.PixelXDimension"] = uint32_t(6000);
        exif["Exif.Photo.PixelYDimension"] = uint32_t(4000);
        exif["Exif.Photo.UserComment"] = "charset=Ascii holiday";
        exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
        exif["Exif.GPSInfo.GPSLatitude"] = "48/1 51/1 2400/100";
        exif["Exif.GPSInfo.GPSLongitudeRef"] = "E";
        exif["Exif.GPSInfo.GPSLongitude"] = "2/1 21/1 300/100";
        const std::string thumbnail = JpegBytes(160, 120);
        Exiv2::ExifThumb(exif).setJpegThumbnail(
            reinterpret_cast<const Exiv2::byte*>(thumbnail.data()),
            static_cast<long>(thumbnail.size()));
    }
    image->writeMetadata();
}

void WriteAudioTags(const std::filesystem::path& path, const AudioTags& tags) {
    TagLib::FileRef file(path.c_str());
    if (file.isNull() || file.tag() == nullptr)
        throw std::runtime_error("TagLib cannot tag " + path.string());
    TagLib::Tag* tag = file.tag();
    tag->setArtist(Utf8(tags.artist));
    tag->setAlbum(Utf8(tags.album));
    tag->setTitle(Utf8(tags.title));
    tag->setGenre(Utf8(tags.genre));
    tag->setYear(tags.year);
    tag->setTrack(tags.track);
    if (!file.save())
        throw std::runtime_error("TagLib cannot save " + path.string());
}

void WriteAudioFields(const std::filesystem::path& path,
                      const std::vector<std::pair<std::string, std::string>>& fields) {
    TagLib::FileRef file(path.c_str());
    if (file.isNull() || file.file() == nullptr)
        throw std::runtime_error("TagLib cannot tag " + path.string());
    TagLib::PropertyMap map = file.file()->properties();
    for (const auto& [key, value] : fields)
        map.replace(Utf8(key), TagLib::StringList(Utf8(value)));
    file.file()->setProperties(map);
    if (!file.save())
        throw std::runtime_error("TagLib cannot save " + path.string());
}

}  // namespace tolvane::samples
