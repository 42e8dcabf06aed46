#include "Id3v2Guard.h"

#include <cstring>
#include <vector>

namespace tolvane {

namespace {

constexpr size_t kFrameHeaderBytes = 10;
constexpr unsigned kTagUnsynchronised = 0x80;

bool IsSynchSafe(const unsigned char* p) {
    return (p[0] | p[1] | p[2] | p[3]) < 0x80;
}

std::uint32_t BigEndian(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

std::uint32_t SynchSafe(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 21) | (std::uint32_t{p[1]} << 14) | (std::uint32_t{p[2]} << 7) |
           p[3];
}

bool IsFrameId(const unsigned char* p) {
    auto upperOrDigit = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    };
    return p[0] >= 'A' && p[0] <= 'Z' && upperOrDigit(p[1]) && upperOrDigit(p[2]) &&
           upperOrDigit(p[3]);
}

// Offsets of the flag byte of every place in `data` that TagLib could take for a
// compressed frame. Looking at every offset, not only where the previous frame
// ends, finds them however a reader steps over damaged sizes.
// The body as TagLib parses a tag unsynchronised as a whole: every 0xFF 0x00 read
// as 0xFF.
std::vector<unsigned char> Resynchronised(const unsigned char* body, size_t size) {
    std::vector<unsigned char> decoded;
    decoded.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        decoded.push_back(body[i]);
        if (body[i] == 0xFF && i + 1 < size && body[i + 1] == 0x00)
            ++i;
    }
    return decoded;
}

// Where in the raw body the byte `decodedAt` of its resynchronised form comes from.
size_t RawOffset(const unsigned char* body, size_t size, size_t decodedAt) {
    size_t i = 0;
    for (size_t j = 0; j < decodedAt && i < size; ++j) {
        if (body[i] == 0xFF && i + 1 < size && body[i + 1] == 0x00)
            ++i;
        ++i;
    }
    return i;
}

bool IsIdChar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A frame id as TagLib accepts one at `at`, whose letters and digits come in any order.
bool IsLooseFrameId(const unsigned char* data, size_t size, size_t at, size_t length) {
    if (at > size || size - at < length)
        return false;
    for (size_t k = 0; k < length; ++k) {
        if (!IsIdChar(data[at + k]))
            return false;
    }
    return true;
}

// A size that may or may not have been written synch-safe: TagLib reads it as a
// plain number when one of its bytes has the top bit set.
std::uint32_t SynchSafeOrPlain(const unsigned char* p) {
    return IsSynchSafe(p) ? SynchSafe(p) : BigEndian(p);
}

constexpr unsigned kTagExtendedHeader = 0x40;
constexpr unsigned kTagFooter = 0x10;

// The offset in `data` (a decoded body) of the first frame past `maxFrames`, stepping
// from frame to frame as TagLib does; `size` when the frames end before.
size_t FrameWalkCut(const unsigned char* data, size_t size, const Id3v2Header& header,
                    size_t maxFrames) {
    const unsigned version = header.version;
    const size_t headerBytes = version == 2 ? 6 : kFrameHeaderBytes;
    size_t at = 0;
    if ((header.flags & kTagExtendedHeader) && size >= 4 && SynchSafeOrPlain(data) <= size)
        at = SynchSafeOrPlain(data);
    size_t end = size;
    if ((header.flags & kTagFooter) && end >= kFrameHeaderBytes)
        end -= kFrameHeaderBytes;
    for (size_t frames = 0; end > kFrameHeaderBytes && at < end - kFrameHeaderBytes; ++frames) {
        const size_t rest = size - at;
        if (data[at] == 0 || rest < headerBytes)
            return size;  // padding, or no room for a frame: TagLib stops
        const unsigned char* frame = data + at;
        std::uint64_t length = 0;
        bool id = false;
        if (version == 2) {
            id = IsLooseFrameId(frame, rest, 0, 3);
            length = (std::uint32_t{frame[3]} << 16) | (std::uint32_t{frame[4]} << 8) | frame[5];
        } else if (version == 3) {
            id = IsLooseFrameId(frame, rest, 0, frame[3] == 0 ? 3 : 4);
            length = BigEndian(frame + 4);
        } else {
            id = IsLooseFrameId(frame, rest, 0, 4);
            length = SynchSafeOrPlain(frame + 4);
            // Sizes written plain in a version 4 tag, as some players do.
            if (length > 127 && !IsLooseFrameId(frame, rest, length + kFrameHeaderBytes, 4) &&
                IsLooseFrameId(frame, rest, std::uint64_t{BigEndian(frame + 4)} + kFrameHeaderBytes,
                               4))
                length = BigEndian(frame + 4);
        }
        const bool lengthIndicator = version == 4 && (frame[9] & 0x01);
        if (!id || length <= (lengthIndicator ? 4u : 0u) || length > rest)
            return size;
        if (frames == maxFrames)
            return at;
        at += static_cast<size_t>(length) + headerBytes;
    }
    return size;
}

std::vector<size_t> CompressedFrameFlags(const unsigned char* data, size_t size, unsigned version) {
    const unsigned char compressed = version == 3 ? 0x80 : 0x08;
    const unsigned char encrypted = version == 3 ? 0x40 : 0x04;
    std::vector<size_t> found;
    for (size_t i = 0; i + kFrameHeaderBytes <= size; ++i) {
        const unsigned char flags = data[i + 9];
        if ((flags & compressed) == 0 || (flags & encrypted) != 0 || !IsFrameId(data + i))
            continue;
        const size_t room = size - i - kFrameHeaderBytes;
        // Both readings of the size a reader may try.
        const std::uint32_t plain = BigEndian(data + i + 4);
        const bool fits = (plain > 0 && plain <= room) ||
                          (version == 4 && IsSynchSafe(data + i + 4) &&
                           SynchSafe(data + i + 4) > 0 && SynchSafe(data + i + 4) <= room);
        if (fits)
            found.push_back(i + 9);
    }
    return found;
}

}  // namespace

std::optional<Id3v2Header> ParseId3v2Header(const unsigned char* data, size_t size) {
    if (size < 10 || std::memcmp(data, "ID3", 3) != 0 || data[3] < 2 || data[3] > 4 ||
        data[4] == 0xFF || !IsSynchSafe(data + 6))
        return std::nullopt;
    Id3v2Header header;
    header.version = data[3];
    header.flags = data[5];
    header.bodySize = SynchSafe(data + 6);
    return header;
}

void DefuseCompressedFrames(unsigned char* body, size_t size, const Id3v2Header& header) {
    if (header.version < 3)
        return;  // version 2.2 frames have no flags
    if (header.version == 3 && (header.flags & kTagUnsynchronised)) {
        // The frame headers are encoded with the rest: read them decoded.
        const std::vector<unsigned char> decoded = Resynchronised(body, size);
        if (!CompressedFrameFlags(decoded.data(), decoded.size(), 3).empty())
            std::memset(body, 0, size);
        return;
    }
    const unsigned char encrypted = header.version == 3 ? 0x40 : 0x04;
    for (size_t at : CompressedFrameFlags(body, size, header.version))
        body[at] |= encrypted;
}

size_t BoundFrameCount(unsigned char* body, size_t size, const Id3v2Header& header,
                       size_t maxFrames) {
    const bool unsynchronised = header.version <= 3 && (header.flags & kTagUnsynchronised);
    std::vector<unsigned char> decoded;
    if (unsynchronised)
        decoded = Resynchronised(body, size);
    const unsigned char* data = unsynchronised ? decoded.data() : body;
    const size_t length = unsynchronised ? decoded.size() : size;
    const size_t cut = FrameWalkCut(data, length, header, maxFrames);
    if (cut >= length)
        return size;
    const size_t rawCut = unsynchronised ? RawOffset(body, size, cut) : cut;
    std::memset(body + rawCut, 0, size - rawCut);
    return rawCut;
}

}  // namespace tolvane
