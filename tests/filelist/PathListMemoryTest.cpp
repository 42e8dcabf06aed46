// The heap a path list takes while its lines are read, counted by replacing the
// global allocation functions of this test program (counting only while asked).
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "../TestSupport.h"
#include "filelist/PathListImport.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<long long> live{0};
std::atomic<long long> peak{0};

}  // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        throw std::bad_alloc();
    if (counting.load(std::memory_order_relaxed)) {
        const long long now = live += static_cast<long long>(malloc_usable_size(block));
        long long seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
    }
    return block;
}

void operator delete(void* block) noexcept {
    if (block != nullptr && counting.load(std::memory_order_relaxed))
        live -= static_cast<long long>(malloc_usable_size(block));
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}

namespace tolvane::test {
namespace {

// The most heap taken at once while `read` runs; it finds no path.
template <class Read>
long long PeakWhile(Read read) {
    live = 0;
    peak = 0;
    counting = true;
    const size_t found = read().size();
    counting = false;
    EXPECT_EQ(found, 0u);
    return peak;
}

long long PeakWhileReading(const std::string& bytes) {
    return PeakWhile([&] { return PathsFromListBytes(bytes); });
}

std::string ManyLines(const std::string& line, size_t size) {
    std::string bytes;
    bytes.reserve(size + line.size());
    while (bytes.size() < size)
        bytes += line;
    return bytes;
}

// A list is decoded a line at a time: the whole text as wide characters would take
// four times the file, on top of the file itself.
TEST(PathListMemoryTest, LinesAreDecodedOneAtATime) {
    constexpr size_t kSize = 8u << 20;
    const std::string utf8 =
        ManyLines("/no/such/folder/\xE6\xBC\xA2\xE5\xAD\x97 name.txt\n", kSize);
    const std::string gb18030 = ManyLines("/no/such/folder/\xBA\xBA\xD7\xD6 name.txt\r\n", kSize);
    std::string utf16 = "\xFF\xFE";
    for (const char c : ManyLines("/no/such/folder/name.txt\n", kSize / 2)) {
        utf16 += c;
        utf16 += '\0';
    }
    const struct {
        const char* label;
        std::string bytes;
    } cases[] = {{"one line", std::string(kSize, 'x')},
                 {"UTF-8 lines", utf8},
                 {"GB18030 lines", gb18030},
                 {"UTF-16 lines", utf16}};
    for (const auto& c : cases)
        EXPECT_LT(PeakWhileReading(c.bytes), static_cast<long long>(kSize / 16)) << c.label;
}

// Read from a file, a list takes its own size once more, not twice that: the read
// that finds the end stays within the buffer sized for the file.
TEST(PathListMemoryTest, AFileIsReadIntoOneBufferOfItsSize) {
    TempDir dir;
    constexpr size_t kSize = 4u << 20;
    const auto list = dir.File("list.txt", ManyLines("/no/such/folder/name.txt\n", kSize));
    const long long size = static_cast<long long>(std::filesystem::file_size(list));
    EXPECT_LT(PeakWhile([&] { return ReadPathListFile(list, RelativeLines::FromListFolder); }),
              size + size / 8);
}

}  // namespace
}  // namespace tolvane::test
