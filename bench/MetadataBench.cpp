#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchNames.h"
#include "MediaSamples.h"
#include "engine/Clock.h"
#include "engine/NewNamePipeline.h"
#include "engine/Recompute.h"
#include "engine/TextConvert.h"
#include "metadata/MetadataCache.h"

namespace tolvane::bench {
namespace {

namespace fs = std::filesystem;

constexpr size_t kPhotos = 10000;
constexpr size_t kSongs = 1000;

const ScratchFolder& Scratch() {
    static const ScratchFolder scratch("tolvane-bench-metadata");
    return scratch;
}

// `count` copies of one file tagged by the real libraries, each with its own value:
// the text `vary` is replaced wherever it occurs by `make(i)`, a text of its length.
std::vector<std::wstring> Copies(const fs::path& tagged, size_t count, const std::string& vary,
                                 std::string (*make)(size_t)) {
    const std::string bytes = samples::ReadFile(tagged);
    std::vector<std::wstring> names;
    for (size_t i = 0; i < count; ++i) {
        std::string copy = bytes;
        const std::string value = make(i);
        for (size_t at = copy.find(vary); at != std::string::npos;
             at = copy.find(vary, at + vary.size()))
            copy.replace(at, vary.size(), value);
        const std::string name = std::to_string(i) + tagged.extension().string();
        samples::WriteFile(tagged.parent_path() / name, copy);
        names.push_back(ToWide(name));
    }
    fs::remove(tagged);
    return names;
}

// Photos as cameras write them: a 4000 x 3000 JPEG with the usual EXIF fields, a maker
// note of some 25 KB and a thumbnail, each with its own capture date.
const std::vector<std::wstring>& Photos() {
    static const std::vector<std::wstring> names = [] {
        const fs::path folder = Scratch().Path() / "photos";
        const fs::path tagged =
            samples::WriteFile(folder / "tagged.jpg", samples::JpegBytes(4000, 3000));
        samples::WriteExif(tagged, {"2019:01:01 00:00:00", "2019:01:01 00:00:00",
                                    "2019:01:01 00:00:00", "X-T4", true});
        return Copies(tagged, kPhotos, "2019:01:01 00:00:00", [](size_t i) {
            char date[32];
            std::snprintf(date, sizeof date, "2019:%02zu:%02zu %02zu:%02zu:00", 1 + i % 12,
                          1 + i % 28, i / 60 % 24, i % 60);
            return std::string(date);
        });
    }();
    return names;
}

// Songs of 2 minutes with ID3v2 tags as taggers write them.
const std::vector<std::wstring>& Songs() {
    static const std::vector<std::wstring> names = [] {
        const fs::path folder = Scratch().Path() / "songs";
        const fs::path tagged = samples::WriteFile(folder / "tagged.mp3", samples::Mp3Bytes(4600));
        samples::WriteAudioTags(tagged, {"Artist", "Album", "Title 0000", "Rock", 2004, 3});
        return Copies(tagged, kSongs, "Title 0000", [](size_t i) {
            char title[16];
            std::snprintf(title, sizeof title, "Title %04zu", i);
            return std::string(title);
        });
    }();
    return names;
}

// A whole preview of the folder with a template that reads every file, from a cache
// that knows none of them (`cold`) or all of them.
void Preview(benchmark::State& state, const std::vector<std::wstring>& names, const char* folder,
             const wchar_t* templateText, bool cold) {
    const std::wstring path = ToWide((Scratch().Path() / folder).string());
    std::vector<NameRow> rows;
    rows.reserve(names.size());
    for (const std::wstring& name : names)
        rows.push_back({name, path});
    RenameOptions options = RenameOptions::WindowDefaults();
    options.templateText = templateText;
    const SystemClock clock;
    MetadataCache warm;
    if (!cold) {
        ItemCounter counter;
        RecomputeAllNewNames(rows, NewNamePipeline(options, clock, {}, {}, &warm), counter);
    }
    for (auto _ : state) {
        MetadataCache fresh;
        const NewNamePipeline pipeline(options, clock, {}, {}, cold ? &fresh : &warm);
        ItemCounter counter;
        benchmark::DoNotOptimize(RecomputeAllNewNames(rows, pipeline, counter));
    }
    state.counters["per_file"] = benchmark::Counter(
        static_cast<double>(rows.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void ExifDatesOf10000Jpegs(benchmark::State& state) {
    Preview(state, Photos(), "photos", L"<edate>_<etime>", true);
}
void ExifDatesOf10000JpegsCached(benchmark::State& state) {
    Preview(state, Photos(), "photos", L"<edate>_<etime>", false);
}
void TagsOf1000Mp3s(benchmark::State& state) {
    Preview(state, Songs(), "songs", L"<track> <artist> - <title>", true);
}
void TagsOf1000Mp3sCached(benchmark::State& state) {
    Preview(state, Songs(), "songs", L"<track> <artist> - <title>", false);
}

}  // namespace

BENCHMARK(ExifDatesOf10000Jpegs)->Unit(benchmark::kMillisecond);
BENCHMARK(ExifDatesOf10000JpegsCached)->Unit(benchmark::kMillisecond);
BENCHMARK(TagsOf1000Mp3s)->Unit(benchmark::kMillisecond);
BENCHMARK(TagsOf1000Mp3sCached)->Unit(benchmark::kMillisecond);

}  // namespace tolvane::bench

BENCHMARK_MAIN();
