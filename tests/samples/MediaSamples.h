#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "metadata/FileMetadata.h"

// Real picture and audio files, made from scratch for tests and benchmarks: the
// bare file from its format's bytes, the metadata through libexiv2 and TagLib, as
// the programs that users tag their files with would write it.
namespace tolvane::samples {

// A baseline greyscale JPEG of the given size, every pixel mid-grey, no metadata.
std::string JpegBytes(unsigned width, unsigned height);
// Some MPEG-1 Layer III frames of silence, no tags.
std::string Mp3Bytes(int frames = 20);
// A FLAC stream header with no audio frames and no tags.
std::string FlacBytes();
// An Ogg Vorbis file: identification, an empty comment and a setup header, then one
// audio packet.
std::string OggVorbisBytes();

// EXIF fields to write into a picture; an empty text is left out.
struct ExifFields {
    std::string dateTimeOriginal;
    std::string dateTimeDigitized;
    std::string dateTime;
    std::string model;
    // Also the fields and the thumbnail a camera writes, for files of a real size.
    bool asCamerasWrite = false;
};

// Writes `bytes` to `path` and returns the path.
std::filesystem::path WriteFile(const std::filesystem::path& path, const std::string& bytes);
// The whole content of the file at `path`.
std::string ReadFile(const std::filesystem::path& path);
// Writes the fields into the picture at `path` with libexiv2.
void WriteExif(const std::filesystem::path& path, const ExifFields& fields);
// Writes the tags into the audio file at `path` with TagLib (ID3v2 for MP3, Vorbis
// comments for FLAC and Ogg).
void WriteAudioTags(const std::filesystem::path& path, const AudioTags& tags);
// Sets tag fields by their common names ("TRACKNUMBER", "DATE", ...) to texts as
// they are, also texts no tagging program would write.
void WriteAudioFields(const std::filesystem::path& path,
                      const std::vector<std::pair<std::string, std::string>>& fields);

}  // namespace tolvane::samples
