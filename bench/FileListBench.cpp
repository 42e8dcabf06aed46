#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "BenchNames.h"
#include "engine/Clock.h"
#include "engine/NewNamePipeline.h"
#include "engine/TextConvert.h"
#include "filelist/CollectFolder.h"
#include "filelist/FileList.h"
#include "filelist/PathListImport.h"

namespace tolvane::bench {
namespace {

namespace fs = std::filesystem;

constexpr size_t kRows = 100000;

const ScratchFolder& Scratch() {
    static const ScratchFolder scratch("tolvane-bench");
    return scratch;
}

// 100,000 real, empty files with realistic names, made once per run.
const std::vector<std::wstring>& FilePaths() {
    static const std::vector<std::wstring> paths = [] {
        const fs::path& folder = Scratch().Path();
        std::vector<std::wstring> made;
        const std::vector<std::wstring> names = RealisticNames(kRows);
        for (size_t i = 0; i < names.size(); ++i) {
            // Numbered so that every name is unique.
            const std::wstring name = std::to_wstring(i) + L"_" + names[i];
            const fs::path path = folder / ToNarrow(name);
            std::ofstream(path).put('x');
            made.push_back(ToWide(path.string()));
        }
        return made;
    }();
    return paths;
}

void AddPaths(benchmark::State& state, ColumnLayout columns) {
    const auto& paths = FilePaths();
    RenameOptions options = RenameOptions::WindowDefaults();
    options.insertText = L"2023_";
    const SystemClock clock;
    for (auto _ : state) {
        FileList list(columns);
        const NewNamePipeline pipeline(options, clock);
        FileList::AddOptions add;
        add.pipeline = &pipeline;
        list.AddPaths(paths, add);
        benchmark::DoNotOptimize(list.RowCount());
    }
}

void AddPathsNoOptionalColumn(benchmark::State& state) {
    AddPaths(state, ColumnLayout());
}
void AddPathsFourOptionalColumns(benchmark::State& state) {
    AddPaths(state, ColumnLayout({true, true, true, true}));
}

// A folder added as the window adds a dropped one: listed, then every item a row.
void AddFolder(benchmark::State& state) {
    FilePaths();
    const std::wstring folder = ToWide(Scratch().Path().string());
    RenameOptions options = RenameOptions::WindowDefaults();
    options.insertText = L"2023_";
    const SystemClock clock;
    for (auto _ : state) {
        FileList list;
        const NewNamePipeline pipeline(options, clock);
        FileList::AddOptions add;
        add.pipeline = &pipeline;
        list.AddPaths(BatchForOnePath(folder, false, false), add);
        benchmark::DoNotOptimize(list.RowCount());
    }
}

// A list file naming the 100,000 files, read and every line resolved.
void ImportPathList(benchmark::State& state) {
    std::string text;
    for (const std::wstring& path : FilePaths()) {
        AppendNarrow(text, path);
        text += '\n';
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(PathsFromListBytes(text).size());
}

FileList FilledList() {
    FileList list;
    list.AddPaths(FilePaths(), FileList::AddOptions{});
    return list;
}

void SortByName(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        FileList list = FilledList();
        state.ResumeTiming();
        list.ClickColumn(1, L"");  // ascending by name
        benchmark::DoNotOptimize(list.Row(0).name.size());
    }
}

// A word, a wildcard pattern, and one that starts and ends with stars.
const wchar_t* FilterText(int64_t which) {
    static const wchar_t* const kFilters[] = {L"report", L"*.jpg", L"*report?2*"};
    return kFilters[which];
}

void ApplyFilter(benchmark::State& state) {
    FileList list = FilledList();
    for (auto _ : state) {
        list.ApplyFilter(FilterText(state.range(0)));
        benchmark::DoNotOptimize(list.SelectionMark());
    }
}

// Heap bytes per row of a list whose names are 20 to 40 characters long.
void MemoryPerRow(benchmark::State& state) {
    std::vector<std::wstring> paths;
    std::vector<std::wstring> names = RealisticNames(kRows * 3);
    for (size_t i = 0; i < names.size() && paths.size() < kRows; ++i) {
        if (names[i].size() >= 20 && names[i].size() <= 40) {
            paths.push_back(L"/home/user/Pictures/2023 旅行/" + std::to_wstring(i) + names[i]);
        }
    }
    RenameOptions options = RenameOptions::WindowDefaults();
    options.insertText = L"2023_";
    const SystemClock clock;
    double perRow = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        {
            FileList list;
            const NewNamePipeline pipeline(options, clock);
            FileList::AddOptions add;
            add.pipeline = &pipeline;
            list.AddPaths(paths, add);
            perRow = static_cast<double>(mallinfo2().uordblks - before) /
                     static_cast<double>(list.RowCount());
        }
    }
    state.counters["bytes_per_row"] = perRow;
}

BENCHMARK(AddFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportPathList)->Unit(benchmark::kMillisecond);
BENCHMARK(AddPathsNoOptionalColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(AddPathsFourOptionalColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(SortByName)->Unit(benchmark::kMillisecond);
BENCHMARK(ApplyFilter)->Unit(benchmark::kMillisecond)->DenseRange(0, 2);
BENCHMARK(MemoryPerRow)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace tolvane::bench

BENCHMARK_MAIN();
