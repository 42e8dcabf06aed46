#pragma once

#include <taglib/tiostream.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "Id3v2Guard.h"
#include "VorbisCommentGuard.h"

namespace tolvane {

class ReadOnlyFile;

// TagLib's view of a file we opened read-only: reads go through ReadOnlyFile's
// bounds and never exceed kMaxBlockBytes at once, whatever length a tag declares;
// writes do nothing. ID3v2 tag bodies are defused on their way through (see
// Id3v2Guard.h), and Vorbis comment blocks bounded (see VorbisCommentGuard.h).
class TagStream final : public TagLib::IOStream {
  public:
    static constexpr unsigned long kMaxBlockBytes = 16ul << 20;

    explicit TagStream(ReadOnlyFile& file);

    TagLib::FileName name() const override;
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector& data) override;
    void insert(const TagLib::ByteVector& data, unsigned long start,
                unsigned long replace) override;
    void removeBlock(unsigned long start, unsigned long length) override;
    bool readOnly() const override;
    bool isOpen() const override;
    void seek(long offset, Position from) override;
    long tell() const override;
    long length() override;
    void truncate(long length) override;

  private:
    ReadOnlyFile& file_;
    long position_ = 0;
    // The ID3v2 tag whose header was read last, and where its body starts.
    std::optional<Id3v2Header> tag_;
    long tagBody_ = -1;
    // Bytes TagLib is shown changed, to bound the comments it keeps.
    std::vector<BytePatch> patches_;
    bool oggSeen_ = false;
};

}  // namespace tolvane
