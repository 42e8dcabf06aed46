#pragma once

#include <optional>
#include <string>

namespace tolvane {

// A moment as a camera wrote it: local time of the camera, no zone.
struct CaptureTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const CaptureTime&) const = default;
};

// What a picture says of itself. Texts are UTF-8 as the file holds them, cut to
// kMaxMetadataTextBytes; an absent or unreadable value is empty, or 0.
struct PictureFacts {
    std::optional<CaptureTime> captured;  // the first valid of the three EXIF dates
    std::string camera;                   // EXIF Model
    unsigned width = 0;                   // pixels
    unsigned height = 0;

    bool operator==(const PictureFacts&) const = default;
};

// The common tags of an audio file.
struct AudioTags {
    std::string artist;
    std::string album;
    std::string title;
    std::string genre;
    unsigned year = 0;
    unsigned track = 0;

    bool operator==(const AudioTags&) const = default;
};

// Which parts of a file's metadata a reader is asked for.
enum MetadataKind : unsigned {
    kPictureMetadata = 1u << 0,
    kAudioMetadata = 1u << 1,
};

struct FileMetadata {
    PictureFacts picture;
    AudioTags audio;
};

// No value longer than this is kept: a name has no room for more, and a hostile tag
// may be as long as the file.
inline constexpr size_t kMaxMetadataTextBytes = 1024;

// `text` cut to at most `limit` bytes without splitting a UTF-8 sequence, and cut
// at its first NUL: what follows a NUL in a tag is padding, never text.
std::string CutMetadataText(std::string_view text, size_t limit = kMaxMetadataTextBytes);

}  // namespace tolvane
