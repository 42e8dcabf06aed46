#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvane {

class ReadOnlyFile;

// TagLib keeps every comment of a Vorbis comment block (FLAC, Ogg Vorbis, Opus),
// a few hundred bytes each however short the comment: a block of millions of
// three-byte comments takes seconds and hundreds of megabytes. Real files hold a few
// dozen. Past the bound, TagLib is shown a block that holds only the first comments:
// their count is lowered, and the block or packet ends after them.
inline constexpr std::uint32_t kMaxVorbisComments = 2048;

// A byte of the file as TagLib is to see it.
struct BytePatch {
    std::uint64_t offset;
    unsigned char value;
};

// For the 4 bytes `header` read at `at`: when they begin a FLAC metadata block of a
// Vorbis comment with more than `maxComments` comments, the patches that make it the
// last block, ending after those comments; none otherwise.
std::vector<BytePatch> BoundFlacComments(ReadOnlyFile& file, std::uint64_t at,
                                         const unsigned char* header,
                                         std::uint32_t maxComments = kMaxVorbisComments);

// For the Ogg stream whose first page is at `firstPage`: when its comment packet (the
// second packet) holds more than `maxComments` comments, the patches that make the
// packet end soon after those comments; none otherwise.
std::vector<BytePatch> BoundOggComments(ReadOnlyFile& file, std::uint64_t firstPage,
                                        std::uint32_t maxComments = kMaxVorbisComments);

}  // namespace tolvane
