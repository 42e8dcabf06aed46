#pragma once

#include <optional>
#include <string_view>

#include "FileMetadata.h"

namespace tolvane {

class ReadOnlyFile;

// The capture date, camera model and pixel size of a picture, through libexiv2:
// JPEG, TIFF and the raw formats built on it, PNG, WebP, HEIF/AVIF and a few more;
// anything else gives nothing. Damage gives what was read before it; nothing
// throws.
PictureFacts ReadPictureFacts(ReadOnlyFile& file);

// An EXIF date "YYYY:MM:DD HH:MM:SS" (any non-digit separators; whatever follows
// the seconds is ignored); none for a date that does not exist, such as the zeros
// or blanks a camera writes when its clock was never set.
std::optional<CaptureTime> ParseExifDateTime(std::string_view text);

}  // namespace tolvane
