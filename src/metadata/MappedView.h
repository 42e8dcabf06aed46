#pragma once

#include <cstddef>
#include <memory>

namespace tolvane {

// The first bytes of a file mapped read-only, for readers that want the whole file
// as memory but look at little of it (the directories of a camera's raw file).
//
// A mapped file that shrinks while it is read (another program truncates or
// rewrites it in place) would kill the whole process with SIGBUS at the first read
// past its new end. While a view is mapped, a handler puts zero pages over the part
// that is gone instead, so the reader sees a damaged file and the program goes on.
// A SIGBUS anywhere else is handed to the handler that was there before.
class MappedView {
  public:
    // Maps `length` bytes of `fd` from its start; none when that fails.
    static std::unique_ptr<MappedView> Map(int fd, size_t length);
    ~MappedView();
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;

    const unsigned char* Data() const { return data_; }
    size_t Length() const { return length_; }

  private:
    MappedView(unsigned char* data, size_t length, int slot)
        : data_(data), length_(length), slot_(slot) {}

    unsigned char* data_;
    size_t length_;
    int slot_;
};

}  // namespace tolvane
