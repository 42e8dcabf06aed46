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
        std::vector<unsigned char> decoded;
        decoded.reserve(size);
        for (size_t i = 0; i < size; ++i) {
            decoded.push_back(body[i]);
            if (body[i] == 0xFF && i + 1 < size && body[i + 1] == 0x00)
                ++i;
        }
        if (!CompressedFrameFlags(decoded.data(), decoded.size(), 3).empty())
            std::memset(body, 0, size);
        return;
    }
    const unsigned char encrypted = header.version == 3 ? 0x40 : 0x04;
    for (size_t at : CompressedFrameFlags(body, size, header.version))
        body[at] |= encrypted;
}

}  // namespace tolvane
