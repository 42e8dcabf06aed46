// The list's tools in the shown main window with 100,000 rows (offscreen unless
// QT_QPA_PLATFORM says otherwise). Each iteration is timed from the command to the
// list painted with its result: the command, every event it left queued, then one
// paint of the rows. Budgets: select all and invert 50 ms; moving or removing 50,000
// selected rows 200 ms; a filter keystroke 100 ms; an optional column switched on
// (one statx per row) 500 ms. The rows name real files, made once.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "BenchNames.h"
#include "ScratchHome.h"
#include "app/CKestrinDlg.h"
#include "app/CommandTable.h"
#include "app/DialogUnits.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "engine/TextConvert.h"
#include "filelist/ListEditing.h"
#include "settings/MenuTable.h"

namespace tolvane::bench {
namespace {

namespace fs = std::filesystem;

constexpr size_t kRows = 100000;

const std::vector<std::wstring>& ThePaths() {
    static const std::vector<std::wstring> paths = [] {
        static const ScratchFolder scratch("tolvane-list-tools-bench");
        const std::vector<std::wstring> names = RealisticNames(kRows);
        std::vector<std::wstring> made;
        for (size_t i = 0; i < kRows; ++i) {
            const fs::path file = scratch.Path() / (std::to_string(i) + "_" + ToNarrow(names[i]));
            std::ofstream(file).put('x');
            made.push_back(ToWide(file.string()));
        }
        return made;
    }();
    return paths;
}

// A shown window holding the 100,000 rows.
std::unique_ptr<CKestrinDlg> WindowWithRows() {
    auto window = std::make_unique<CKestrinDlg>(CKestrinDlg::Environment{});
    window->show();
    FileList::AddOptions add;
    window->List().AddPaths(ThePaths(), add);
    QCoreApplication::processEvents();
    return window;
}

// Runs `command` and what it leaves queued, then paints the rows: milliseconds.
double Timed(CKestrinDlg& window, const std::function<void()>& command) {
    QElapsedTimer timer;
    timer.start();
    command();
    QCoreApplication::sendPostedEvents();
    window.Panel().ListView()->viewport()->repaint();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void Report(benchmark::State& state, double ms, double& slowest) {
    state.SetIterationTime(ms / 1000.0);
    slowest = std::max(slowest, ms);
}

// Every other row selected and checked: 50,000 rows in 50,000 separate runs, the
// hardest shape for a selection.
void SelectEveryOther(FileList& list) {
    std::vector<bool> odd(list.RowCount());
    for (size_t r = 0; r < odd.size(); ++r)
        odd[r] = r % 2 == 1;
    list.SetRowStates(&odd, &odd, 1);
}

void SelectAllOrInvert(benchmark::State& state) {
    auto window = WindowWithRows();
    const bool invert = state.range(0) == 1;
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SelectEveryOther(window->List());
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Report(state, Timed(*window, [&] { window->Panel().ButtonClicked(invert ? 1027 : 1026); }),
               slowest);
    }
    state.counters["max_ms"] = slowest;
}

void SelectEveryRowWithCtrlA(benchmark::State& state) {
    auto window = WindowWithRows();
    FileListView* view = window->Panel().ListView();
    double slowest = 0;
    for (auto _ : state) {
        SelectEveryOther(window->List());
        QCoreApplication::processEvents();
        Report(state,
               Timed(*window, [&] { QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier); }),
               slowest);
    }
    state.counters["max_ms"] = slowest;
}

void MoveHalf(benchmark::State& state) {
    auto window = WindowWithRows();
    const int command = state.range(0) == 0 ? cmd::kMoveBottom : cmd::kMoveUp;
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SelectEveryOther(window->List());
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Report(state, Timed(*window, [&] { window->Commands().Run(command); }), slowest);
        const size_t blockEnd = command == cmd::kMoveBottom ? kRows - 1 : kRows / 2 - 1;
        if (window->List().RowCount() != kRows || !window->List().Row(blockEnd).selected) {
            state.SkipWithError("the selected rows did not move");
            return;
        }
    }
    state.counters["max_ms"] = slowest;
}

void RemoveHalf(benchmark::State& state) {
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = WindowWithRows();
        SelectEveryOther(window->List());
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Report(state, Timed(*window, [&] { window->Commands().Run(cmd::kRemove); }), slowest);
        state.PauseTiming();
        if (window->List().RowCount() != kRows / 2) {
            state.SkipWithError("the selected rows were not removed");
            return;
        }
        window.reset();
        state.ResumeTiming();
    }
    state.counters["max_ms"] = slowest;
}

void FilterKeystroke(benchmark::State& state) {
    auto window = WindowWithRows();
    QLineEdit* filter = window->Panel().Combo(ctl::kFilter)->lineEdit();
    filter->setFocus();
    const char* const keys = "jpg";
    double slowest = 0;
    int i = 0;
    for (auto _ : state) {
        if (i % 3 == 0) {
            state.PauseTiming();
            filter->clear();
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
        const char key = keys[i++ % 3];
        Report(state, Timed(*window, [&] { QTest::keyClick(filter, key); }), slowest);
    }
    state.counters["max_ms"] = slowest;
}

void SwitchColumnOn(benchmark::State& state) {
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = WindowWithRows();
        state.ResumeTiming();
        Report(state, Timed(*window, [&] { window->Commands().Run(cmd::kColumnModified); }),
               slowest);
        state.PauseTiming();
        // Off again, so that the next window starts without it.
        window->Commands().Run(cmd::kColumnModified);
        window.reset();
        state.ResumeTiming();
    }
    state.counters["max_ms"] = slowest;
}

BENCHMARK(SelectAllOrInvert)
    ->ArgName("invert")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);
BENCHMARK(SelectEveryRowWithCtrlA)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(MoveHalf)
    ->ArgName("up")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);
BENCHMARK(RemoveHalf)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(FilterKeystroke)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);
BENCHMARK(SwitchColumnOn)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    tolvane::bench::UseScratchHome("tolvane-list-tools-bench-home");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QApplication::setFont(tolvane::WindowFont());
    tolvane::bench::ThePaths();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
