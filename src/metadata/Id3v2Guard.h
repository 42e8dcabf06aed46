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

// TagLib keeps every frame of a tag, some hundred bytes each, however small the
// frame: a tag of a million tiny frames takes seconds and a gigabyte. Real tags
// have dozens of frames, a podcast's a few hundred.
inline constexpr size_t kMaxId3v2Frames = 2048;
// Zeroes `body` from the frame after the first `maxFrames` on, found by stepping
// from frame to frame as TagLib does (sizes written plain in a version 4 tag
// included); TagLib then reads the zeros as padding. Returns where the zeros start;
// `size` when nothing was dropped.
size_t BoundFrameCount(unsigned char* body, size_t size, const Id3v2Header& header,
                       size_t maxFrames = kMaxId3v2Frames);

}  // namespace tolvane
