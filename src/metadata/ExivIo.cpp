#include "ExivIo.h"

#include <algorithm>
#include <cstdio>

namespace tolvane {

ExivIo::ExivIo(ReadOnlyFile& file)
    : file_(file), size_(static_cast<long>(std::min(file.Size(), kViewBytes))) {}

ExivIo::~ExivIo() = default;

int ExivIo::open() {
    position_ = 0;
    eof_ = false;
    return 0;
}

int ExivIo::close() {
    munmap();
    return 0;
}

long ExivIo::write(const Exiv2::byte*, long) {
    return 0;
}

long ExivIo::write(Exiv2::BasicIo&) {
    return 0;
}

int ExivIo::putb(Exiv2::byte) {
    return EOF;
}

Exiv2::DataBuf ExivIo::read(long count) {
    // Never more room than the view has left, whatever size a file declares.
    const long room = std::clamp(count, 0L, size_ - position_);
    Exiv2::DataBuf buffer(room);
    buffer.size_ = read(buffer.pData_, room);
    if (count > room)
        eof_ = true;
    return buffer;
}

long ExivIo::read(Exiv2::byte* buffer, long count) {
    const long room = std::clamp(count, 0L, std::max(size_ - position_, 0L));
    const long got = room > 0 ? static_cast<long>(file_.Read(static_cast<std::uint64_t>(position_),
                                                             buffer, static_cast<size_t>(room)))
                              : 0;
    position_ += got;
    if (got < count)
        eof_ = true;
    return got;
}

int ExivIo::getb() {
    const int byte = position_ < size_ ? file_.Byte(static_cast<std::uint64_t>(position_)) : -1;
    if (byte < 0) {
        eof_ = true;
        return EOF;
    }
    ++position_;
    return byte;
}

void ExivIo::transfer(Exiv2::BasicIo&) {
    throw Exiv2::Error(Exiv2::kerFunctionNotSupported, "ExivIo", "transfer");
}

int ExivIo::seek(long offset, Position from) {
    long base = 0;
    switch (from) {
        case beg: base = 0; break;
        case cur: base = position_; break;
        case end: base = size_; break;
    }
    // As a block of memory does: nowhere before the start or past the end (the
    // first test keeps base + offset from overflowing).
    if ((offset > 0 && base > size_ - offset) || base + offset > size_) {
        eof_ = true;
        return 1;
    }
    const long target = base + offset;
    if (target < 0)
        return 1;
    position_ = target;
    eof_ = false;
    return 0;
}

Exiv2::byte* ExivIo::mmap(bool writeable) {
    if (writeable)
        throw Exiv2::Error(Exiv2::kerFunctionNotSupported, "ExivIo", "mmap for writing");
    if (!view_)
        view_ = MappedView::Map(file_.Descriptor(), static_cast<size_t>(size_));
    if (!view_)
        throw Exiv2::Error(Exiv2::kerCallFailed, file_.Path(), "mmap", "");
    // The view is read-only memory; libexiv2 only reads through this pointer.
    return const_cast<Exiv2::byte*>(view_->Data());
}

int ExivIo::munmap() {
    view_.reset();
    return 0;
}

long ExivIo::tell() const {
    return position_;
}

size_t ExivIo::size() const {
    return static_cast<size_t>(size_);
}

bool ExivIo::isopen() const {
    return true;
}

int ExivIo::error() const {
    return 0;
}

bool ExivIo::eof() const {
    return eof_;
}

std::string ExivIo::path() const {
    return file_.Path();
}

}  // namespace tolvane
