#pragma once

// libexiv2 0.27 names std::auto_ptr in its headers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/basicio.hpp>
#include <exiv2/error.hpp>
#pragma GCC diagnostic pop

#include <memory>

#include "MappedView.h"
#include "ReadOnlyFile.h"

namespace tolvane {

// libexiv2's view of a file we opened read-only: no more than the first kViewBytes
// bytes exist for it, it reads through ReadOnlyFile's bounds, and it cannot write.
// libexiv2 checks the sizes a file declares against the size of its source, so the
// view also bounds what it allocates.
class ExivIo final : public Exiv2::BasicIo {
  public:
    static constexpr std::uint64_t kViewBytes = 64u << 20;

    explicit ExivIo(ReadOnlyFile& file);
    ~ExivIo() override;

    int open() override;
    int close() override;
    long write(const Exiv2::byte* data, long count) override;
    long write(Exiv2::BasicIo& source) override;
    int putb(Exiv2::byte data) override;
    Exiv2::DataBuf read(long count) override;
    long read(Exiv2::byte* buffer, long count) override;
    int getb() override;
    void transfer(Exiv2::BasicIo& source) override;
    int seek(long offset, Position from) override;
    Exiv2::byte* mmap(bool writeable) override;
    int munmap() override;
    long tell() const override;
    size_t size() const override;
    bool isopen() const override;
    int error() const override;
    bool eof() const override;
    std::string path() const override;

  private:
    ReadOnlyFile& file_;
    long size_;
    long position_ = 0;
    bool eof_ = false;
    std::unique_ptr<MappedView> view_;
};

}  // namespace tolvane
