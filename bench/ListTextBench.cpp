// The list's text exchanges in the window with 100,000 rows, in this process (the
// offscreen platform unless QT_QPA_PLATFORM says otherwise):
//
// - EnterTextMode: a click on the text-mode box until the editor, holding one line per
//   row, has been painted (the box is clicked again between iterations, untimed).
// - TypeInTextMode: one key typed into a line in the middle of the editor, until its
//   row's new name is set (and the names adopted for the pass that may follow).
// - ClipboardExport/<command>: each of the four exports of menu 138, until the text is
//   on the clipboard.
// - ImportPathList: a path-list file of 100,000 lines (F6 after its dialog) into an
//   empty window, until the rows have been painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "BenchNames.h"
#include "ScratchHome.h"
#include "app/CKestrinDlg.h"
#include "app/ClipboardMenu.h"
#include "app/DialogUnits.h"
#include "app/FileListView.h"
#include "app/OptionPanel.h"
#include "app/PathListActions.h"
#include "engine/TextConvert.h"
#include "settings/MenuTable.h"

namespace tolvane::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr size_t kRows = 100000;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// 100,000 files with realistic names, and a path list naming each, made once.
struct Files {
    fs::path folder;
    fs::path list;
};

const Files& TheFiles() {
    static const Files files = [] {
        static const ScratchFolder scratch("tolvane-list-text-bench");
        Files made{scratch.Path() / "files", scratch.Path() / "list.txt"};
        fs::create_directories(made.folder);
        std::ofstream list(made.list);
        const std::vector<std::wstring> names = RealisticNames(kRows);
        for (size_t i = 0; i < kRows; ++i) {
            const fs::path file = made.folder / (std::to_string(i) + "_" + ToNarrow(names[i]));
            std::ofstream(file).put('x');
            list << file.string() << '\n';
        }
        return made;
    }();
    return files;
}

bool RunUntil(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 60000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The window shown, and when its list or editor was last painted.
class ShownWindow : public QObject {
  public:
    ShownWindow() : window_(CKestrinDlg::Environment{}) {
        window_.show();
        window_.Panel().ListView()->viewport()->installEventFilter(this);
        Editor()->viewport()->installEventFilter(this);
        RunUntil([this] { return painted_ != Clock::time_point{}; });
    }
    CKestrinDlg& Window() { return window_; }
    QPlainTextEdit* Editor() {
        return qobject_cast<QPlainTextEdit*>(window_.Panel().Control(ctl::kTextModeEditor));
    }
    void AddTheFiles() { window_.AddArguments({ToWide(TheFiles().folder.string())}); }
    bool WaitForPaint(Clock::time_point since) {
        return RunUntil([&] { return painted_ > since; });
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted_ = Clock::now();
        return QObject::eventFilter(watched, event);
    }

  private:
    CKestrinDlg window_;
    Clock::time_point painted_;
};

void ClickTextModeBox(ShownWindow& shown) {
    QTest::mouseClick(shown.Window().Panel().Control(ctl::kTextMode), Qt::LeftButton, {},
                      QPoint(4, 4));
}

void EnterTextMode(benchmark::State& state) {
    ShownWindow shown;
    shown.AddTheFiles();
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        ClickTextModeBox(shown);
        if (!shown.WaitForPaint(start) || shown.Editor()->document()->blockCount() != kRows + 1) {
            state.SkipWithError("the editor did not show a line per row");
            return;
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
        ClickTextModeBox(shown);
    }
}

void TypeInTextMode(benchmark::State& state) {
    ShownWindow shown;
    shown.AddTheFiles();
    ClickTextModeBox(shown);
    QPlainTextEdit* editor = shown.Editor();
    editor->setTextCursor(QTextCursor(editor->document()->findBlockByNumber(kRows / 2)));
    editor->setFocus();
    const FileList& list = shown.Window().List();
    for (auto _ : state) {
        const std::wstring before = list.Row(kRows / 2).newName;
        const Clock::time_point start = Clock::now();
        QTest::keyClick(editor, 'a');
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (list.Row(kRows / 2).newName == before) {
            state.SkipWithError("the key renamed nothing");
            return;
        }
    }
}

void ClipboardExport(benchmark::State& state) {
    ShownWindow shown;
    shown.AddTheFiles();
    const int command = static_cast<int>(state.range(0));
    for (auto _ : state) {
        QGuiApplication::clipboard()->clear();
        const Clock::time_point start = Clock::now();
        shown.Window().Clipboard().Run(command);
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (QGuiApplication::clipboard()->text().count(QLatin1Char('\n')) != kRows) {
            state.SkipWithError("the clipboard did not get a line per row");
            return;
        }
    }
}

void ImportPathList(benchmark::State& state) {
    TheFiles();
    for (auto _ : state) {
        ShownWindow shown;
        bool imported = false;
        QObject::connect(&shown.Window().PathLists(), &PathListActions::Imported,
                         [&] { imported = true; });
        const Clock::time_point start = Clock::now();
        shown.Window().PathLists().ImportFile(TheFiles().list);
        if (!RunUntil([&] { return imported; }) || !shown.WaitForPaint(start) ||
            shown.Window().List().RowCount() != kRows) {
            state.SkipWithError("the rows did not come");
            return;
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
}

BENCHMARK(EnterTextMode)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(TypeInTextMode)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK(ClipboardExport)
    ->ArgName("command")
    ->Arg(cmd::kCopyNames)
    ->Arg(cmd::kCopyNewNames)
    ->Arg(cmd::kCopyNamesAndNewNames)
    ->Arg(cmd::kCopyAll)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);
BENCHMARK(ImportPathList)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    tolvane::bench::UseScratchHome("tolvane-list-text-bench-home");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QApplication::setFont(tolvane::WindowFont());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
