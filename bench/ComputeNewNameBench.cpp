#include <benchmark/benchmark.h>

#include <functional>

#include "BenchNames.h"
#include "engine/Clock.h"
#include "engine/NewNamePipeline.h"

namespace tolvane::bench {
namespace {

constexpr size_t kRows = 100000;

const std::vector<std::wstring>& Names() {
    static const std::vector<std::wstring> names = RealisticNames(kRows);
    return names;
}

// One full preview pass over 100,000 names per iteration, the pipeline prepared once
// per pass as the window does on every option change.
void RunPass(benchmark::State& state, const std::function<void(RenameOptions&)>& setup) {
    RenameOptions options = RenameOptions::WindowDefaults();
    setup(options);
    const SystemClock clock;
    const auto& names = Names();
    const std::wstring folder = L"/home/user/Pictures/2023 旅行";
    for (auto _ : state) {
        const NewNamePipeline pipeline(options, clock);
        ItemCounter counter;
        for (const auto& name : names) {
            benchmark::DoNotOptimize(pipeline.ComputeNewName(name, folder, counter, kRows));
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kRows));
    // Seconds per name, shown with an SI prefix (n = nanoseconds, u = microseconds).
    state.counters["per_name"] = benchmark::Counter(
        static_cast<double>(kRows),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void PrefixInsert(benchmark::State& state) {
    RunPass(state, [](RenameOptions& o) { o.insertText = L"2023_"; });
}

void PlainReplace(benchmark::State& state) {
    RunPass(state, [](RenameOptions& o) {
        o.findText = L"_";
        o.replaceText = L" - ";
    });
}

void RegexReplace(benchmark::State& state) {
    RunPass(state, [](RenameOptions& o) {
        o.useRegex = true;
        o.findText = L"(\\d+)";
        o.replaceText = L"[$1]";
    });
}

void ChineseRangeRegex(benchmark::State& state) {
    RunPass(state, [](RenameOptions& o) {
        o.useRegex = true;
        o.findText = L"[\\u4e00-\\u9fa5]+";
        o.replaceText = L"<$&>";
    });
}

void WildcardReplace(benchmark::State& state) {
    RunPass(state, [](RenameOptions& o) {
        o.findText = L"*_?";
        o.replaceText = L"x";
    });
}

void Template(benchmark::State& state) {
    RunPass(state, [](RenameOptions& o) { o.templateText = L"<#>_<name>_<date>"; });
}

void SerialNumbers(benchmark::State& state) {
    RunPass(state, [](RenameOptions& o) {
        o.serialEnabled = true;
        o.serialStart = L"1";
        o.serialDigits = L"6";
    });
}

BENCHMARK(PrefixInsert)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainReplace)->Unit(benchmark::kMillisecond);
BENCHMARK(RegexReplace)->Unit(benchmark::kMillisecond);
BENCHMARK(ChineseRangeRegex)->Unit(benchmark::kMillisecond);
BENCHMARK(WildcardReplace)->Unit(benchmark::kMillisecond);
BENCHMARK(Template)->Unit(benchmark::kMillisecond);
BENCHMARK(SerialNumbers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvane::bench

BENCHMARK_MAIN();
