// The main window with 100,000 rows, in this process (the offscreen platform unless
// QT_QPA_PLATFORM says otherwise; the window is shown and paints as on a screen):
//
// - KeystrokeInOptionBox/insert, /regex: one key typed into the prefix box, or into
//   the replacement box while a regular expression finds the digits of every name.
//   The time of an iteration is from the key to every new name computed and the list
//   painted with them (`on_screen_max_ms` the slowest, `on_screen_median_ms` the middle
//   one, `on_screen_first_ms` the first key's); `ui_busy_max_ms` is the
//   longest the user-interface thread spent on one event from the key on, the key's
//   own handling included (a key typed meanwhile waits at most that long), over all
//   keys (the first key pays for fresh memory); `ui_busy_median_ms` that of the middle key.
// - MemoryPerRow: how much the process grows (resident memory, `bytes_per_row`) and its
//   heap (`heap_bytes_per_row`) when a folder of 100,000 files becomes rows on screen,
//   once the work after the adding is done and the memory it freed is given back;
//   `painted_...` the same at the first paint of the rows, while the conflict check may
//   still hold its copies.
// - ExecuteFromWindow/refresh:1, /refresh:0: Ctrl+F2's command on 100,000 rows with a
//   prefix, until the list is painted with every status and the summary (`window_ms`),
//   and, in the same iteration over the same files, a bare renameat2 loop that renames
//   them back (`bare_loop_ms`); `ratio` is the first over the second. refresh:1 is
//   what the settings do unless told otherwise (the list refreshed after the pass),
//   refresh:0 the pass alone (refreshFile=0).
//
// TOLVANE_BENCH_TRACE_MS=n prints each event the interface thread spent more than n ms
// on, with its receiver's class and the event's type.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdio.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "BenchNames.h"
#include "ScratchHome.h"
#include "app/CKestrinDlg.h"
#include "app/CommandTable.h"
#include "app/ConflictChecker.h"
#include "app/DialogUnits.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "app/PreviewController.h"
#include "engine/TextConvert.h"
#include "settings/MenuTable.h"

namespace tolvane::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr size_t kRows = 100000;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Every event the user-interface thread handles from its event loop (or that the
// benchmark sends it), timed; nested deliveries belong to the outer one.
class TimedApplication : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_ > 0)
            return Deliver(receiver, event);
        const Clock::time_point start = Clock::now();
        const int type = event->type();  // the event may be gone once delivered
        const bool handled = Deliver(receiver, event);
        const double took = Ms(Clock::now() - start);
        longest_ = std::max(longest_, took);
        if (traceAboveMs_ > 0 && took > traceAboveMs_)
            std::fprintf(stderr, "%.1f ms: %s, event %d\n", took,
                         receiver->metaObject()->className(), type);
        return handled;
    }
    // The longest delivery since the last call.
    double TakeLongestMs() { return std::exchange(longest_, 0.0); }

  private:
    bool Deliver(QObject* receiver, QEvent* event) {
        ++depth_;
        const bool handled = QApplication::notify(receiver, event);
        --depth_;
        return handled;
    }
    int depth_ = 0;
    double longest_ = 0;
    // TOLVANE_BENCH_TRACE_MS=n prints every delivery longer than n ms: what held the
    // interface thread up.
    const double traceAboveMs_ = [] {
        const char* ms = std::getenv("TOLVANE_BENCH_TRACE_MS");
        return ms ? std::atof(ms) : 0.0;
    }();
};

TimedApplication* App() {
    return static_cast<TimedApplication*>(QCoreApplication::instance());
}

// The program's folders in a scratch folder (settings of a user past the first start),
// and 100,000 files named "<i>_<realistic name>", made once.
struct Files {
    fs::path folder;
    std::vector<std::string> names;
};

const Files& TheFiles() {
    static const Files files = [] {
        static const ScratchFolder scratch("tolvane-window-bench");
        Files made;
        made.folder = scratch.Path() / "files";
        fs::create_directories(made.folder);
        const std::vector<std::wstring> names = RealisticNames(kRows);
        for (size_t i = 0; i < kRows; ++i) {
            made.names.push_back(std::to_string(i) + "_" + ToNarrow(names[i]));
            std::ofstream(made.folder / made.names.back()).put('x');
        }
        return made;
    }();
    return files;
}

// The settings of a user past the first start, with `more` keys of section "set".
void WriteSettings(const std::string& more) {
    const fs::path file = fs::path(std::getenv("XDG_CONFIG_HOME")) / "tolvane/Tolvane.ini";
    std::ofstream(file) << "[set]\nisFirstRun=1\nremindCount=5\n" << more;
}

// Runs the event loop until `done` holds; false when it did not within a minute.
bool RunUntil(const std::function<bool()>& done) {
    QTimer wake;  // the loop wakes now and then even when nothing else happens
    wake.start(20);
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 60000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The window as the program shows it, with the times at which its preview last
// finished and its list was last painted.
class ShownWindow : public QObject {
  public:
    ShownWindow() : window_(CKestrinDlg::Environment{}) {
        window_.show();
        window_.Panel().ListView()->viewport()->installEventFilter(this);
        connect(&window_.Preview(), &PreviewController::Finished, this,
                [this] { finished_ = Clock::now(); });
        RunUntil([this] { return painted_ != Clock::time_point{}; });
    }

    CKestrinDlg& Window() { return window_; }
    QLineEdit* Edit(int id) { return window_.Panel().Combo(id)->lineEdit(); }

    // Waits for the list painted after the preview finished, both after `since`: the
    // time of that paint.
    std::optional<Clock::time_point> WaitForNamesOnScreen(Clock::time_point since) {
        const bool shown = RunUntil(
            [&] { return finished_ > since && painted_ > finished_ && !window_.Preview().Busy(); });
        return shown ? std::optional(painted_) : std::nullopt;
    }
    // Waits for a paint of the list after `since`.
    std::optional<Clock::time_point> WaitForPaint(Clock::time_point since) {
        return RunUntil([&] { return painted_ > since; }) ? std::optional(painted_) : std::nullopt;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted_ = Clock::now();
        return QObject::eventFilter(watched, event);
    }

  private:
    CKestrinDlg window_;
    Clock::time_point finished_;
    Clock::time_point painted_;
};

void AddTheFiles(ShownWindow& shown) {
    shown.Window().AddArguments({ToWide(TheFiles().folder.string())});
}

void KeystrokeInOptionBox(benchmark::State& state, bool regex) {
    ShownWindow shown;
    const Clock::time_point setUp = Clock::now();
    AddTheFiles(shown);
    int box = ctl::kInsertText;
    if (regex) {
        box = ctl::kReplaceText;
        OptionPanel& panel = shown.Window().Panel();
        panel.SetChecked(ctl::kUseRegex, true);
        panel.SetText(ctl::kFindText, L"(\\d+)");
        panel.SetText(ctl::kReplaceText, L"[$1]");
        shown.Window().RecomputeAllNewNames(ctl::kReplaceText);
    }
    // Adding computes the names at once; a changed option computes them in the background.
    const bool ready = regex ? shown.WaitForNamesOnScreen(setUp).has_value()
                             : shown.WaitForPaint(setUp).has_value();
    if (!ready || shown.Window().List().RowCount() != kRows) {
        state.SkipWithError("the rows did not come");
        return;
    }
    // The last row is "99999_...": its new name starts with the number or the prefix.
    const std::wstring& lastName = shown.Window().List().Row(kRows - 1).name;
    const std::wstring number = lastName.substr(0, lastName.find(L'_'));
    std::wstring typed;
    std::vector<double> busy;
    std::vector<double> onScreenTimes;
    double firstOnScreen = 0;
    double keystrokes = 0;
    for (auto _ : state) {
        App()->TakeLongestMs();
        const Clock::time_point key = Clock::now();
        QTest::keyClick(shown.Edit(box), 'a');
        keystrokes += Ms(Clock::now() - key);
        const auto onScreen = shown.WaitForNamesOnScreen(key);
        if (!onScreen) {
            state.SkipWithError("the new names did not come");
            return;
        }
        busy.push_back(App()->TakeLongestMs());
        onScreenTimes.push_back(Ms(*onScreen - key));
        if (onScreenTimes.size() == 1)
            firstOnScreen = onScreenTimes.front();
        state.SetIterationTime(Ms(*onScreen - key) / 1000.0);
        typed += L'a';
        const std::wstring expected = regex ? L"[" + number + L"]" + typed : typed + number;
        if (!shown.Window().List().Row(kRows - 1).newName.starts_with(expected)) {
            state.SkipWithError("a new name does not show the key");
            return;
        }
    }
    std::sort(busy.begin(), busy.end());
    state.counters["ui_busy_max_ms"] = busy.back();
    state.counters["ui_busy_median_ms"] = busy[busy.size() / 2];
    std::sort(onScreenTimes.begin(), onScreenTimes.end());
    state.counters["on_screen_max_ms"] = onScreenTimes.back();
    state.counters["on_screen_median_ms"] = onScreenTimes[onScreenTimes.size() / 2];
    state.counters["on_screen_first_ms"] = firstOnScreen;
    state.counters["keystroke_ms"] =
        benchmark::Counter(keystrokes, benchmark::Counter::kAvgIterations);
}

size_t ResidentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

void MemoryPerRow(benchmark::State& state) {
    TheFiles();
    for (auto _ : state) {
        ShownWindow shown;
        const Clock::time_point before = Clock::now();
        const size_t resident = ResidentBytes();
        const size_t heap = mallinfo2().uordblks;
        AddTheFiles(shown);
        if (!shown.WaitForPaint(before)) {
            state.SkipWithError("the rows were not painted");
            return;
        }
        const double rows = static_cast<double>(shown.Window().List().RowCount());
        state.counters["painted_bytes_per_row"] =
            (double(ResidentBytes()) - double(resident)) / rows;
        state.counters["painted_heap_bytes_per_row"] =
            (double(mallinfo2().uordblks) - double(heap)) / rows;
        // Once the work that follows the adding (the conflict check) is done.
        if (!RunUntil([&] {
                return !shown.Window().Preview().Busy() && !shown.Window().Conflicts().Busy();
            })) {
            state.SkipWithError("the window did not settle");
            return;
        }
        // And once the memory that work freed has gone back to the system.
        QElapsedTimer idle;
        idle.start();
        RunUntil([&] { return idle.elapsed() > ConflictChecker::kIdleMs + 500; });
        state.counters["bytes_per_row"] = (double(ResidentBytes()) - double(resident)) / rows;
        state.counters["heap_bytes_per_row"] = (double(mallinfo2().uordblks) - double(heap)) / rows;
    }
}

void RenameBack(const std::vector<std::string>& names, const std::string& prefix) {
    const std::string folder = TheFiles().folder.string() + "/";
    for (const std::string& name : names) {
        renameat2(AT_FDCWD, (folder + prefix + name).c_str(), AT_FDCWD, (folder + name).c_str(),
                  RENAME_NOREPLACE);
    }
}

void ExecuteFromWindow(benchmark::State& state) {
    const Files& files = TheFiles();
    WriteSettings(state.range(0) == 1 ? "" : "refreshFile=0\n");
    double windowTotal = 0;
    double bareTotal = 0;
    for (auto _ : state) {
        auto shown = std::make_unique<ShownWindow>();
        AddTheFiles(*shown);
        QTest::keyClicks(shown->Edit(ctl::kInsertText), "x_");
        if (!shown->WaitForNamesOnScreen(Clock::time_point{})) {
            state.SkipWithError("the rows did not come");
            return;
        }

        const Clock::time_point start = Clock::now();
        shown->Window().Commands().Run(cmd::kExecute);
        const auto painted = shown->WaitForPaint(Clock::now());
        const Clock::time_point windowDone = Clock::now();
        const bool renamed = fs::exists(files.folder / ("x_" + files.names.front())) &&
                             fs::exists(files.folder / ("x_" + files.names.back()));
        const Clock::time_point bareStart = Clock::now();
        RenameBack(files.names, "x_");
        const Clock::time_point bareDone = Clock::now();
        if (!painted || !renamed) {
            state.SkipWithError("the window did not rename every file");
            return;
        }
        const double window = Ms(windowDone - start);
        state.SetIterationTime(window / 1000.0);
        windowTotal += window;
        bareTotal += Ms(bareDone - bareStart);
        shown.reset();
        // The journal of the pass, 100,000 moves.
        std::error_code ec;
        fs::remove_all(fs::path(std::getenv("XDG_STATE_HOME")) / "tolvane", ec);
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["window_ms"] = windowTotal / iterations;
    state.counters["bare_loop_ms"] = bareTotal / iterations;
    state.counters["ratio"] = windowTotal / bareTotal;
}

// First: the heap has not yet grown and shrunk with the other benchmarks.
BENCHMARK(MemoryPerRow)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(KeystrokeInOptionBox, insert, false)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);
BENCHMARK_CAPTURE(KeystrokeInOptionBox, regex, true)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);
BENCHMARK(ExecuteFromWindow)
    ->ArgName("refresh")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    tolvane::bench::UseScratchHome("tolvane-window-bench-home");
    tolvane::bench::TimedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QApplication::setFont(tolvane::WindowFont());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
