#include "VorbisCommentGuard.h"

#include <cstring>
#include <functional>
#include <optional>

#include "ReadOnlyFile.h"

namespace tolvane {

namespace {

constexpr unsigned kFlacVorbisComment = 4;
constexpr unsigned kFlacLastBlock = 0x80;
constexpr std::uint64_t kOggPageHeaderBytes = 27;
// No real comment packet spans more pages; past them the packet is left as it is.
constexpr size_t kMaxOggPages = 20000;

// Where a block's comments stand: the offset of their count, and the end of the
// first `maxComments` of them, both counted from the block's start.
struct CommentLayout {
    std::uint64_t countAt = 0;
    std::uint64_t end = 0;
};

// Byte `i` of a block, or -1 past its end.
using ByteSource = std::function<int(std::uint64_t)>;

std::optional<std::uint32_t> U32(const ByteSource& byte, std::uint64_t at) {
    std::uint32_t value = 0;
    for (int k = 0; k < 4; ++k) {
        const int b = byte(at + k);
        if (b < 0)
            return std::nullopt;
        value |= std::uint32_t(b) << (8 * k);
    }
    return value;
}

// The layout when the block has more than `maxComments` comments and the first of
// them are whole; none when TagLib would stop before the bound on its own.
std::optional<CommentLayout> LayoutBeyond(const ByteSource& byte, std::uint64_t start,
                                          std::uint32_t maxComments) {
    const auto vendor = U32(byte, start);
    if (!vendor)
        return std::nullopt;
    CommentLayout layout;
    layout.countAt = start + 4 + *vendor;
    const auto count = U32(byte, layout.countAt);
    if (!count || *count <= maxComments)
        return std::nullopt;
    std::uint64_t at = layout.countAt + 4;
    for (std::uint32_t i = 0; i < maxComments; ++i) {
        const auto length = U32(byte, at);
        if (!length)
            return std::nullopt;
        at += 4 + std::uint64_t{*length};
        if (*length > 0 && byte(at - 1) < 0)
            return std::nullopt;  // the comments run out before the bound
    }
    layout.end = at;
    return layout;
}

void PatchU32(std::vector<BytePatch>& patches, std::uint64_t at, std::uint32_t value,
              const std::function<std::uint64_t(std::uint64_t)>& fileOffset) {
    for (int k = 0; k < 4; ++k)
        patches.push_back({fileOffset(at + k), static_cast<unsigned char>(value >> (8 * k))});
}

// The pages of an Ogg stream as far as they are needed, and the bytes of its second
// packet among them.
class OggCommentPacket {
  public:
    OggCommentPacket(ReadOnlyFile& file, std::uint64_t firstPage)
        : file_(file), nextPage_(firstPage) {}

    // Byte `i` of the packet; -1 past its end or where the pages cannot be read.
    int Byte(std::uint64_t i) {
        while (i >= length_ && !ended_ && ReadPage()) {
        }
        if (i >= length_)
            return -1;
        return file_.Byte(FileOffset(i));
    }

    std::uint64_t FileOffset(std::uint64_t i) {
        while (spans_[span_].start > i)
            --span_;
        while (spans_[span_].start + spans_[span_].length <= i)
            ++span_;
        return spans_[span_].file + (i - spans_[span_].start);
    }

    // The patch that ends the packet on the first page after the one holding byte `i`,
    // dropping only bytes past `i`; none when the packet ends there by itself.
    std::optional<BytePatch> EndAfter(std::uint64_t i) {
        FileOffset(i);
        const size_t page = spans_[span_].page;
        while (pages_.size() <= page + 1 && !ended_ && ReadPage()) {
        }
        if (pages_.size() <= page + 1)
            return std::nullopt;
        const Page& next = pages_[page + 1];
        if (!next.packetContinues)
            return std::nullopt;
        return BytePatch{next.lastLacing, 0};
    }

  private:
    struct Span {
        std::uint64_t start;  // in the packet
        std::uint64_t file;
        std::uint64_t length;
        size_t page;
    };
    struct Page {
        std::uint64_t lastLacing;  // file offset of the page's last lacing value
        bool packetContinues;      // the packet goes on past this page
    };

    bool ReadPage() {
        const std::uint64_t at = nextPage_;
        const char magic[] = "OggS";
        for (int k = 0; k < 4; ++k) {
            if (file_.Byte(at + k) != static_cast<unsigned char>(magic[k]))
                return false;
        }
        const int segments = file_.Byte(at + 26);
        if (segments <= 0 || pages_.size() >= kMaxOggPages)
            return false;
        std::uint64_t data = at + kOggPageHeaderBytes + segments;
        bool inPacket = false;
        for (int s = 0; s < segments; ++s) {
            const int lacing = file_.Byte(at + kOggPageHeaderBytes + s);
            if (lacing < 0)
                return false;
            inPacket = packet_ == 1;
            if (inPacket && lacing > 0) {
                spans_.push_back({length_, data, std::uint64_t(lacing), pages_.size()});
                length_ += lacing;
            }
            data += lacing;
            if (lacing < 255) {
                if (++packet_ > 1)
                    ended_ = true;
            }
        }
        const int last = file_.Byte(at + kOggPageHeaderBytes + segments - 1);
        pages_.push_back({at + kOggPageHeaderBytes + segments - 1, inPacket && last == 255});
        nextPage_ = data;
        return true;
    }

    ReadOnlyFile& file_;
    std::uint64_t nextPage_;
    unsigned packet_ = 0;
    bool ended_ = false;
    std::uint64_t length_ = 0;
    std::vector<Span> spans_;
    size_t span_ = 0;
    std::vector<Page> pages_;
};

}  // namespace

std::vector<BytePatch> BoundFlacComments(ReadOnlyFile& file, std::uint64_t at,
                                         const unsigned char* header, std::uint32_t maxComments) {
    if ((header[0] & ~kFlacLastBlock) != kFlacVorbisComment)
        return {};
    const std::uint64_t length = (std::uint64_t{header[1]} << 16) | (header[2] << 8) | header[3];
    const std::uint64_t start = at + 4;
    const ByteSource byte = [&](std::uint64_t i) { return i < length ? file.Byte(start + i) : -1; };
    const auto layout = LayoutBeyond(byte, 0, maxComments);
    if (!layout)
        return {};
    std::vector<BytePatch> patches;
    const auto inFile = [&](std::uint64_t i) { return start + i; };
    PatchU32(patches, layout->countAt, maxComments, inFile);
    // The last block, so that nothing is looked for where the shortened one ends.
    patches.push_back({at, static_cast<unsigned char>(kFlacLastBlock | kFlacVorbisComment)});
    for (int k = 0; k < 3; ++k)
        patches.push_back({at + 1 + k, static_cast<unsigned char>(layout->end >> (8 * (2 - k)))});
    return patches;
}

std::vector<BytePatch> BoundOggComments(ReadOnlyFile& file, std::uint64_t firstPage,
                                        std::uint32_t maxComments) {
    OggCommentPacket packet(file, firstPage);
    const ByteSource byte = [&](std::uint64_t i) { return packet.Byte(i); };
    // The comments follow the packet's signature: Vorbis and Opus, as TagLib reads them.
    std::uint64_t start = 0;
    char signature[8] = {};
    for (int k = 0; k < 8; ++k)
        signature[k] = static_cast<char>(byte(k));
    if (std::memcmp(signature, "\x03vorbis", 7) == 0)
        start = 7;
    else if (std::memcmp(signature, "OpusTags", 8) == 0)
        start = 8;
    else
        return {};
    const auto layout = LayoutBeyond(byte, start, maxComments);
    if (!layout)
        return {};
    std::vector<BytePatch> patches;
    PatchU32(patches, layout->countAt, maxComments,
             [&](std::uint64_t i) { return packet.FileOffset(i); });
    if (layout->end > 0) {
        if (const auto end = packet.EndAfter(layout->end - 1))
            patches.push_back(*end);
    }
    return patches;
}

}  // namespace tolvane
