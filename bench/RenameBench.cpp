#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdio.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "BenchNames.h"
#include "engine/TextConvert.h"
#include "execute/RenamePass.h"
#include "filelist/FileList.h"

namespace tolvane::bench {
namespace {

namespace fs = std::filesystem;

constexpr size_t kRows = 100000;

// 100,000 files named "<i>_<realistic name>" in a fresh folder, and their new names
// ("<i>_renamed_<realistic name>"), made once per run.
struct Files {
    fs::path folder;
    fs::path journal;
    std::vector<std::string> names;
    std::vector<std::string> newNames;
};

const Files& TheFiles() {
    static const Files files = [] {
        Files made;
        static const ScratchFolder scratch("tolvane-rename-bench");
        made.folder = scratch.Path();
        made.journal = made.folder / ".journal";
        const std::vector<std::wstring> names = RealisticNames(kRows);
        for (size_t i = 0; i < kRows; ++i) {
            made.names.push_back(std::to_string(i) + "_" + ToNarrow(names[i]));
            made.newNames.push_back(std::to_string(i) + "_renamed_" + ToNarrow(names[i]));
            std::ofstream(made.folder / made.names.back()).put('x');
        }
        return made;
    }();
    return files;
}

void RenameAll(const std::vector<std::string>& from, const std::vector<std::string>& to) {
    const std::string folder = TheFiles().folder.string() + "/";
    for (size_t i = 0; i < from.size(); ++i) {
        renameat2(AT_FDCWD, (folder + from[i]).c_str(), AT_FDCWD, (folder + to[i]).c_str(),
                  RENAME_NOREPLACE);
    }
}

// The floor: one renameat2 call per file and nothing else.
void BareRenameat2Loop(benchmark::State& state) {
    const Files& files = TheFiles();
    for (auto _ : state) {
        RenameAll(files.names, files.newNames);
        state.PauseTiming();
        RenameAll(files.newNames, files.names);
        state.ResumeTiming();
    }
}

// The executor on a list of the same files: checks, the files' identities, plan,
// journal, moves, statuses, registry and undo record.
void ExecuteRenamesPass(benchmark::State& state) {
    const Files& files = TheFiles();
    PosixFileSystem fileSystem;
    const PassTexts texts = PassTexts::From(BuiltInTexts());
    for (auto _ : state) {
        state.PauseTiming();
        // Made and destroyed outside the timed part: only the pass is measured.
        auto list = std::make_unique<FileList>();
        auto undo = std::make_unique<UndoRecord>();
        std::vector<std::wstring> paths;
        paths.reserve(kRows);
        for (const auto& name : files.names)
            paths.push_back(ToWide((files.folder / name).string()));
        list->AddPaths(paths, FileList::AddOptions{});
        for (size_t r = 0; r < kRows; ++r)
            list->SetNewName(r, ToWide(files.newNames[r]));
        state.ResumeTiming();

        const auto result = ExecuteRenames(*list, *undo, texts, fileSystem, files.journal);

        state.PauseTiming();
        if (!result || result->succeeded != static_cast<int>(kRows)) {
            state.SkipWithError("renames failed");
            break;
        }
        list.reset();
        undo.reset();
        RenameAll(files.newNames, files.names);
        std::error_code ec;
        fs::remove_all(files.journal, ec);
        state.ResumeTiming();
    }
}

BENCHMARK(BareRenameat2Loop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ExecuteRenamesPass)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tolvane::bench

BENCHMARK_MAIN();
