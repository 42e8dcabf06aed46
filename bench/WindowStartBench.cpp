// How long the real program takes from its start to a shown main window: with an
// empty list, and started on a folder of 100,000 files (`tolvane FOLDER`), whose rows
// are all in the list before the window shows.
//
// A process has to be started, so this is a measuring program of its own rather than a
// Google Benchmark. It runs a private X server (Xvfb, no window manager: the window is
// a child of the root window) and watches it through the X protocol, without touching
// the program: "mapped" is the MapNotify of the program's window, "drawn" the first
// drawing into it (DAMAGE extension), that is the first frame a person sees. Each case
// runs once to warm the caches (and to write the settings of a first start), then
// --runs times (default 5); the median and the range are printed, and "cpu", the
// processor time the program used until it was ended right after that first drawing
// (the wall-clock figures grow when other processes share the core; this one hardly).
//
//   bench_window_start [--runs N]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BenchNames.h"
#include "engine/TextConvert.h"

extern char** environ;

namespace tolvane::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr size_t kFolderFiles = 100000;
constexpr int kTimeoutMs = 60000;

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "bench_window_start: %s\n", why.c_str());
    std::exit(1);
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            int keepFd = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (keepFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, keepFd, 3);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, args.data(), envp.data()) != 0)
        Fail("cannot start " + argv[0]);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Ends the process; the processor time it used (user and system), in milliseconds.
double Stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    rusage usage{};
    ::wait4(pid, nullptr, 0, &usage);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1000 + double(t.tv_usec) / 1000;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The inherited environment without what would lead a program elsewhere, plus `extra`.
std::vector<std::string> Environment(const std::vector<std::string>& extra) {
    static const char* const kDropped[] = {
        "DISPLAY=",         "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR=",
        "XDG_CONFIG_HOME=", "XDG_STATE_HOME=",  "QT_QPA_PLATFORM="};
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const bool dropped =
            std::any_of(std::begin(kDropped), std::end(kDropped),
                        [&](const char* d) { return std::strncmp(*e, d, std::strlen(d)) == 0; });
        if (!dropped)
            env.emplace_back(*e);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

// A private X server: the first free display, which the server names once it listens.
struct Server {
    pid_t pid = 0;
    std::string display;

    Server() {
        int fds[2];
        if (::pipe(fds) != 0)
            Fail("no pipe");
        pid = Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1600x1200x24", "-nolisten", "tcp"},
                    Environment({}), fds[1]);
        ::close(fds[1]);
        std::string number;
        char c = 0;
        while (::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (number.empty())
            Fail("Xvfb did not start a display");
        display = ":" + number;
    }
    ~Server() { Stop(pid); }
};

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool Meets(const xcb_rectangle_t& r) const {
        return r.x < x + w && x < r.x + r.width && r.y < y + h && y < r.y + r.height;
    }
};

// The root window's children and every drawing on the screen, as events.
class ScreenWatch {
  public:
    explicit ScreenWatch(const std::string& display) {
        connection_ = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection_))
            Fail("cannot connect to " + display);
        const xcb_query_extension_reply_t* damage =
            xcb_get_extension_data(connection_, &xcb_damage_id);
        if (damage == nullptr || !damage->present)
            Fail("the X server has no DAMAGE extension");
        damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(connection_,
                                            xcb_damage_query_version(connection_, 1, 1), nullptr));
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        // On the root window, the damage of every window on the screen.
        xcb_damage_create(connection_, xcb_generate_id(connection_), root_,
                          XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        Drain();
    }
    ~ScreenWatch() { xcb_disconnect(connection_); }

    // Throws away whatever happened so far (the last program's window going away).
    void Drain() {
        free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            free(event);
        windows_.clear();
    }

    // Waits for a top-level window to map and for the first drawing inside it: the
    // times since `start`, or nothing when that did not happen in time.
    std::optional<std::pair<double, double>> WaitForShownWindow(Clock::time_point start) {
        std::optional<double> mapped;
        Rect window;
        const auto deadline = start + std::chrono::milliseconds(kTimeoutMs);
        while (Clock::now() < deadline) {
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (event == nullptr) {
                pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
                ::poll(&fd, 1, 100);
                continue;
            }
            const std::unique_ptr<xcb_generic_event_t, decltype(&free)> owned(event, &free);
            const int type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event);
                windows_[e->window] = {e->x, e->y, e->width, e->height};
            } else if (type == XCB_CONFIGURE_NOTIFY) {
                const auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                windows_[e->window] = {e->x, e->y, e->width, e->height};
            } else if (type == XCB_MAP_NOTIFY && !mapped) {
                const auto* e = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (e->override_redirect)
                    continue;
                mapped = Ms(Clock::now() - start);
                window = windows_[e->window];
            } else if (type == damageEvent_ && mapped) {
                const auto* e = reinterpret_cast<xcb_damage_notify_event_t*>(event);
                if (window.Meets(e->area))
                    return std::pair{*mapped, Ms(Clock::now() - start)};
            }
        }
        return std::nullopt;
    }

  private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    int damageEvent_ = 0;
    std::map<xcb_window_t, Rect> windows_;
};

struct Figures {
    std::vector<double> mapped;
    std::vector<double> drawn;
    std::vector<double> cpu;
};

void Print(const char* what, std::vector<double> ms, double budget) {
    std::sort(ms.begin(), ms.end());
    std::printf("  %-8s median %7.1f ms   [%.1f .. %.1f]", what, ms[ms.size() / 2], ms.front(),
                ms.back());
    if (budget > 0)
        std::printf("   budget %.0f ms: %s", budget,
                    ms[ms.size() / 2] <= budget ? "met" : "MISSED");
    std::printf("\n");
}

// Starts the program `runs + 1` times with `arguments` (the first run is not counted).
Figures Measure(const Server& server, ScreenWatch& watch, const fs::path& scratch,
                const std::string& program, const std::vector<std::string>& arguments, int runs) {
    Figures figures;
    const fs::path config = scratch / "config";
    for (int run = 0; run <= runs; ++run) {
        // A runtime folder of its own each time: no lock of the last copy to look at.
        const fs::path runtime = scratch / ("run" + std::to_string(run));
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        std::vector<std::string> argv = {program};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        const std::vector<std::string> env = Environment(
            {"DISPLAY=" + server.display, "QT_QPA_PLATFORM=xcb",
             "XDG_RUNTIME_DIR=" + runtime.string(), "XDG_CONFIG_HOME=" + config.string(),
             "XDG_STATE_HOME=" + (scratch / "state").string()});
        watch.Drain();
        const Clock::time_point start = Clock::now();
        const pid_t pid = Spawn(argv, env);
        const auto shown = watch.WaitForShownWindow(start);
        const double cpu = Stop(pid);
        if (!shown)
            Fail("the window did not show within " + std::to_string(kTimeoutMs / 1000) + " s");
        if (run > 0) {
            figures.mapped.push_back(shown->first);
            figures.drawn.push_back(shown->second);
            figures.cpu.push_back(cpu);
        }
    }
    return figures;
}

}  // namespace
}  // namespace tolvane::bench

int main(int argc, char** argv) {
    using namespace tolvane::bench;
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    const std::string program = (fs::path(argv[0]).parent_path() / "tolvane").string();
    if (!fs::exists(program))
        Fail("no program at " + program);

    static const ScratchFolder scratch("tolvane-window-start-bench");
    const fs::path folder = scratch.Path() / "files";
    fs::create_directories(folder);
    const std::vector<std::wstring> names = RealisticNames(kFolderFiles);
    for (size_t i = 0; i < names.size(); ++i)
        std::ofstream(folder / (std::to_string(i) + "_" + tolvane::ToNarrow(names[i]))).put('x');

    // Static: a failure ends the program with exit(), which still stops the server.
    static const Server server;
    ScreenWatch watch(server.display);
    std::printf(
        "bench_window_start: from starting tolvane to its window mapped, and to the first\n"
        "drawing in it (what a person first sees); %d runs after one to warm up\n",
        runs);

    std::printf("empty list: tolvane\n");
    const Figures empty = Measure(server, watch, scratch.Path() / "empty", program, {}, runs);
    Print("mapped", empty.mapped, 0);
    Print("drawn", empty.drawn, 500);
    Print("cpu", empty.cpu, 0);

    std::printf("a folder of %zu files: tolvane FOLDER (every row in the list before it shows)\n",
                kFolderFiles);
    const Figures full =
        Measure(server, watch, scratch.Path() / "folder", program, {folder.string()}, runs);
    Print("mapped", full.mapped, 0);
    Print("drawn", full.drawn, 1500);
    Print("cpu", full.cpu, 0);
    return 0;
}
