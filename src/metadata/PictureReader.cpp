#include "PictureReader.h"

// libexiv2 0.27 names std::auto_ptr in its headers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>
#pragma GCC diagnostic pop

#include <mutex>

#include "ExivIo.h"
#include "ReadOnlyFile.h"

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace tolvane {

namespace {

std::recursive_mutex xmpMutex;

void LockXmp(void* data, bool lock) {
    auto* mutex = static_cast<std::recursive_mutex*>(data);
    if (lock)
        mutex->lock();
    else
        mutex->unlock();
}

void SetUpExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Damaged files are expected here; their warnings are nobody's business.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        // The XMP toolkit keeps global state: the preview thread and the window may
        // read pictures at the same time.
        Exiv2::XmpParser::initialize(LockXmp, &xmpMutex);
        Exiv2::enableBMFF(true);  // HEIF and AVIF, what phones take pictures in
    });
}

// Formats that are pictures. Video containers and sidecar formats stay out: they
// hold no capture date of a picture, and their parsers have the worst record with
// damaged input.
bool IsPictureType(int type) {
    switch (type) {
        case Exiv2::ImageType::jpeg:
        case Exiv2::ImageType::tiff:  // also DNG, NEF, PEF, ARW, SR2, SRW
        case Exiv2::ImageType::png:
        case Exiv2::ImageType::cr2:
        case Exiv2::ImageType::crw:
        case Exiv2::ImageType::mrw:
        case Exiv2::ImageType::raf:
        case Exiv2::ImageType::orf:
        case Exiv2::ImageType::rw2:
        case Exiv2::ImageType::webp:
        case Exiv2::ImageType::bmff:
        case Exiv2::ImageType::psd:
        case Exiv2::ImageType::gif:
        case Exiv2::ImageType::bmp: return true;
        default: return false;
    }
}

// No date or model is this long; a longer one is damage and is not copied.
constexpr long kMaxAsciiBytes = 64L * 1024;

std::string AsciiValue(const Exiv2::ExifData& exif, const Exiv2::ExifKey& key) {
    const auto it = exif.findKey(key);
    if (it == exif.end() || it->typeId() != Exiv2::asciiString || it->size() > kMaxAsciiBytes)
        return {};
    return CutMetadataText(it->toString());
}

void Collect(const Exiv2::Image& image, PictureFacts& facts) {
    static const Exiv2::ExifKey kDates[] = {
        Exiv2::ExifKey("Exif.Photo.DateTimeOriginal"),
        Exiv2::ExifKey("Exif.Photo.DateTimeDigitized"),
        Exiv2::ExifKey("Exif.Image.DateTime"),
    };
    static const Exiv2::ExifKey kModel("Exif.Image.Model");
    const Exiv2::ExifData& exif = image.exifData();
    for (const Exiv2::ExifKey& key : kDates) {
        facts.captured = ParseExifDateTime(AsciiValue(exif, key));
        if (facts.captured)
            break;
    }
    facts.camera = AsciiValue(exif, kModel);
    const int width = image.pixelWidth();
    const int height = image.pixelHeight();
    if (width > 0 && height > 0) {
        facts.width = static_cast<unsigned>(width);
        facts.height = static_cast<unsigned>(height);
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number `length` digits at `at` write; -1 when one of them is no digit.
int DigitsAt(std::string_view text, size_t at, size_t length) {
    int value = 0;
    for (char c : text.substr(at, length)) {
        if (!IsDigit(c))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<CaptureTime> ParseExifDateTime(std::string_view text) {
    if (text.size() < 19)
        return std::nullopt;
    // The separators may be anything but digits: "2021:031:04" is no date.
    for (size_t at : {4, 7, 10, 13, 16}) {
        if (IsDigit(text[at]))
            return std::nullopt;
    }
    CaptureTime t;
    t.year = DigitsAt(text, 0, 4);
    t.month = DigitsAt(text, 5, 2);
    t.day = DigitsAt(text, 8, 2);
    t.hour = DigitsAt(text, 11, 2);
    t.minute = DigitsAt(text, 14, 2);
    t.second = DigitsAt(text, 17, 2);
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
        t.minute > 59 || t.second < 0 || t.second > 59)
        return std::nullopt;
    return t;
}

PictureFacts ReadPictureFacts(ReadOnlyFile& file) {
    SetUpExiv2();
    PictureFacts facts;
    try {
        Exiv2::Image::AutoPtr image =
            Exiv2::ImageFactory::open(Exiv2::BasicIo::AutoPtr(new ExivIo(file)));
        if (!image.get() || !IsPictureType(image->imageType()))
            return facts;
        try {
            image->readMetadata();
        } catch (...) {
            // Damage past the EXIF block (a cut-off file) leaves what was read before.
        }
        Collect(*image, facts);
    } catch (...) {
        return PictureFacts{};
    }
    return facts;
}

}  // namespace tolvane
