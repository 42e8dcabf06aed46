#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <thread>

#include "../TestSupport.h"
#include "MediaSamples.h"
#include "metadata/MetadataCache.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

fs::path Photo(const fs::path& path, const std::string& date) {
    samples::WriteFile(path, samples::JpegBytes(64, 48));
    samples::WriteExif(path, {date, "", "", "Model"});
    return path;
}

// Puts `bytes` into the file in place, as an editor that keeps the inode does.
void OverwriteInPlace(const fs::path& path, const std::string& bytes) {
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void SetModified(const fs::path& path, const timespec& time) {
    const timespec times[2] = {{0, UTIME_OMIT}, time};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

timespec ModifiedOf(const fs::path& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mtim;
}

std::optional<int> YearOf(MetadataCache& cache, const fs::path& path) {
    const FileMetadata m = cache.Lookup(path.string(), kPictureMetadata);
    return m.picture.captured ? std::optional(m.picture.captured->year) : std::nullopt;
}

TEST(MetadataCacheTest, ReadsAFileOnceWhileItsSizeAndTimeStayEvenWhenRenamed) {
    TempDir dir;
    const fs::path path = Photo(dir.Path() / "a.jpg", "2020:01:01 10:00:00");
    const std::string later =
        samples::ReadFile(Photo(dir.Path() / "later.jpg", "2021:01:01 10:00:00"));
    ASSERT_EQ(later.size(), fs::file_size(path));
    MetadataCache cache;
    EXPECT_EQ(YearOf(cache, path), 2020);

    // Same size, same time: the content is not read again.
    const timespec modified = ModifiedOf(path);
    OverwriteInPlace(path, later);
    SetModified(path, modified);
    EXPECT_EQ(YearOf(cache, path), 2020);
    const fs::path renamed = dir.Path() / "b.jpg";
    fs::rename(path, renamed);
    EXPECT_EQ(YearOf(cache, renamed), 2020);

    // An edit shows in the time: read again.
    SetModified(renamed, {modified.tv_sec + 1, modified.tv_nsec});
    EXPECT_EQ(YearOf(cache, renamed), 2021);
    // Asking for the other kind keeps what was read.
    const FileMetadata both = cache.Lookup(renamed.string(), kPictureMetadata | kAudioMetadata);
    EXPECT_EQ(both.picture.captured->year, 2021);
    EXPECT_EQ(both.audio, AudioTags{});

    fs::remove(renamed);
    EXPECT_EQ(YearOf(cache, renamed), std::nullopt);
}

TEST(MetadataCacheTest, ThreadsAskingForTheSameFilesAllGetTheirValues) {
    TempDir dir;
    std::vector<fs::path> photos;
    for (int day = 1; day <= 28; ++day) {
        const std::string date =
            "2022:02:" + std::string(day < 10 ? "0" : "") + std::to_string(day) + " 12:00:00";
        photos.push_back(Photo(dir.Path() / (std::to_string(day) + ".jpg"), date));
    }
    MetadataCache cache(10);  // small: entries are also dropped while others read
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    threads.reserve(4);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                for (size_t i = 0; i < photos.size(); ++i) {
                    const auto m = cache.Lookup(photos[i].string(), kPictureMetadata);
                    if (!m.picture.captured || m.picture.captured->day != static_cast<int>(i) + 1)
                        ++wrong[t];
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace tolvane::test
