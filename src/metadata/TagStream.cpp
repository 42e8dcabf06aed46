#include "TagStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "ReadOnlyFile.h"

namespace tolvane {

TagStream::TagStream(ReadOnlyFile& file) : file_(file) {}

TagLib::FileName TagStream::name() const {
    // TagLib picks the format by the name's extension first.
    return file_.Path().c_str();
}

TagLib::ByteVector TagStream::readBlock(unsigned long count) {
    const long size = TagStream::length();
    if (position_ >= size)
        return {};
    const unsigned long room = static_cast<unsigned long>(size - position_);
    const unsigned long want = std::min({count, room, kMaxBlockBytes});
    TagLib::ByteVector block(static_cast<unsigned int>(want), '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(block.data());
    const size_t got = file_.Read(static_cast<std::uint64_t>(position_), bytes, want);
    block.resize(static_cast<unsigned int>(got));
    const long at = position_;
    position_ += static_cast<long>(got);

    if (got == 4) {
        for (const BytePatch& patch :
             BoundFlacComments(file_, static_cast<std::uint64_t>(at), bytes))
            patches_.push_back(patch);
    } else if (!oggSeen_ && got >= 27 && std::memcmp(bytes, "OggS", 4) == 0) {
        oggSeen_ = true;
        for (const BytePatch& patch : BoundOggComments(file_, static_cast<std::uint64_t>(at)))
            patches_.push_back(patch);
    }
    for (const BytePatch& patch : patches_) {
        if (patch.offset >= static_cast<std::uint64_t>(at) &&
            patch.offset - static_cast<std::uint64_t>(at) < got)
            bytes[patch.offset - static_cast<std::uint64_t>(at)] = patch.value;
    }

    if (tag_ && at == tagBody_) {
        DefuseCompressedFrames(bytes, got, *tag_);
        BoundFrameCount(bytes, got, *tag_);
        tag_.reset();
    } else if (got == 10) {
        if ((tag_ = ParseId3v2Header(bytes, got)))
            tagBody_ = position_;
    }
    return block;
}

void TagStream::writeBlock(const TagLib::ByteVector&) {}

void TagStream::insert(const TagLib::ByteVector&, unsigned long, unsigned long) {}

void TagStream::removeBlock(unsigned long, unsigned long) {}

bool TagStream::readOnly() const {
    return true;
}

bool TagStream::isOpen() const {
    return true;
}

void TagStream::seek(long offset, Position from) {
    long base = 0;
    switch (from) {
        case Beginning: base = 0; break;
        case Current: base = position_; break;
        case End: base = length(); break;
    }
    // Past the end is allowed, as for a file; before the start is not.
    if (offset > 0 && base > std::numeric_limits<long>::max() - offset)
        return;
    position_ = std::max(base + offset, 0L);
}

long TagStream::tell() const {
    return position_;
}

long TagStream::length() {
    return static_cast<long>(std::min<std::uint64_t>(
        file_.Size(), static_cast<std::uint64_t>(std::numeric_limits<long>::max())));
}

void TagStream::truncate(long) {}

}  // namespace tolvane
