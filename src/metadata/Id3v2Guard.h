#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tolvane {

// An ID3v2 frame may hold zlib data, which TagLib expands without a limit: a few
// kilobytes of a hostile tag can ask for gigabytes. Before TagLib sees a tag body,
// every frame marked compressed is marked encrypted as well, which TagLib keeps as
// an unknown frame without expanding it. Compressed text frames are read by no
// common program, so no tag a user wrote is lost.
struct Id3v2Header {
    unsigned version = 0;  // 2, 3 or 4
    unsigned flags = 0;
    std::uint32_t bodySize = 0;
};

// The header of a tag, from its first 10 bytes; none when they are no such header.
std::optional<Id3v2Header> ParseId3v2Header(const unsigned char* data, size_t size);

// Marks every compressed frame of `body` (the bytes after the header) as encrypted.
// A body whose frames cannot be found without decoding it, and that holds one, is
// zeroed: TagLib reads it as padding.
void DefuseCompressedFrames(unsigned char* body, size_t size, const Id3v2Header& header);

}  // namespace tolvane
