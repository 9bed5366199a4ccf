// Start time as a teacher sees it: from starting the program to its login dialog mapped on the
// X server, against a bare Qt dialog of the same size and texts (bench_startup_bare, built beside
// this program), each start a fresh process, the programs taking turns, under an Xvfb the
// benchmark starts on a free display of its own. Both get the same environment: a non-empty cache
// folder, a configuration, remembered credentials, private runtime, state and home folders.
//
// "Mapped" is the X server's MapNotify for the first top-level window, seen through
// SubstructureNotify on the root window (no window manager runs), so both programs are timed by
// the same observer; the dialog's size is checked to be the reference's.
//
// Run: bench_startup [--runs N] [--program NAME=PATH]...
//   --program adds another build of the client to the rotation (e.g. an older commit's
//   src/lumoclass), so a before and an after are compared in one run.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
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
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultRuns = 15;
constexpr auto kMapTimeout = std::chrono::seconds(30);
constexpr auto kExitTimeout = std::chrono::seconds(10);
constexpr int kCachedFiles = 400;

struct Program {
    std::string name;
    std::string path;
    std::vector<double> startMs;
    std::vector<double> ratioToReference;  // this run against the reference's run of the same round
};

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void writeFile(const fs::path& path, const std::string& content, mode_t mode = 0600) {
    std::ofstream(path, std::ios::binary) << content;
    fs::permissions(path, static_cast<fs::perms>(mode));
}

// What a teacher's machine holds after a few lessons: cached pages and thumbnails, a
// configuration, remembered credentials. The servers are never reached before a sign-in.
struct Workplace {
    fs::path root;
    bool keep = false;  // the programs' logs are kept for a run that failed

    Workplace() {
        char pattern[] = "/tmp/bench-startup-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
        root = pattern;
        for (const char* folder : {"run", "cache", "cache/lumoclass", "config", "state", "home", "program"}) {
            fs::create_directories(root / folder);
            fs::permissions(root / folder, fs::perms::owner_all);
        }
        const std::string picture(6000, 'p');
        for (int i = 0; i < kCachedFiles; ++i)
            writeFile(root / "cache/lumoclass" / ("page" + std::to_string(1000 + i) + ".jpg"), picture);
        writeFile(root / "lumoclass.conf",
                  "[servers]\nclassroom = 127.0.0.1:9\naccount = 127.0.0.1:9\ncontent = 127.0.0.1:9\n"
                  "question = 127.0.0.1\n");
        writeFile(root / "program/qorox.ini",
                  "[qorox]\r\nmemberid=teacher\r\npasswd=5f4dcc3b5aa765d61d8327deb882cf99\r\n");
    }
    ~Workplace() {
        std::error_code ignored;
        if (!keep) fs::remove_all(root, ignored);
    }

    // The caller's environment without anything that would choose another display, platform,
    // configuration or folder, plus this workplace's.
    std::vector<std::string> environmentFor(int display) const {
        std::vector<std::string> result;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string variable = *entry;
            const std::string key = variable.substr(0, variable.find('='));
            if (key == "DISPLAY" || key == "WAYLAND_DISPLAY" || key.starts_with("QT_") ||
                key.starts_with("XDG_") || key.starts_with("LUMOCLASS_") || key == "HOME")
                continue;
            result.push_back(variable);
        }
        const std::string base = root.string();
        for (const std::string& variable :
             {"DISPLAY=:" + std::to_string(display), "XDG_RUNTIME_DIR=" + base + "/run",
              "XDG_CACHE_HOME=" + base + "/cache", "XDG_CONFIG_HOME=" + base + "/config",
              "XDG_STATE_HOME=" + base + "/state", "HOME=" + base + "/home",
              "LUMOCLASS_CONFIG=" + base + "/lumoclass.conf", "LUMOCLASS_PROGRAM_DIR=" + base + "/program"})
            result.push_back(variable);
        return result;
    }
};

pid_t spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
            const std::string& log) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& variable : environment) envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("cannot start " + arguments[0] + ": " + std::strerror(failed));
    return pid;
}

bool reaped(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

void stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    const auto deadline = Clock::now() + kExitTimeout;
    while (Clock::now() < deadline) {
        if (reaped(pid)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// An Xvfb on the first free display, which it reports through -displayfd.
class VirtualScreen {
public:
    explicit VirtualScreen(const std::string& log) {
        int channel[2];
        if (::pipe(channel) != 0) throw std::runtime_error("pipe failed");
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
        pid_ = spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(channel[1]), "-screen", "0",
                      "1920x1080x24", "-nolisten", "tcp"},
                     environment, log);
        ::close(channel[1]);
        std::string number;
        char c = 0;
        while (::read(channel[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(channel[0]);
        if (number.empty()) throw std::runtime_error("Xvfb did not start; see " + log);
        display_ = std::stoi(number);
    }
    ~VirtualScreen() { stop(pid_); }
    int display() const { return display_; }

private:
    pid_t pid_ = 0;
    int display_ = -1;
};

// Watches the root window for top-level windows being created, resized, mapped and destroyed.
class MapWatcher {
public:
    explicit MapWatcher(int display) {
        connection_ = xcb_connect((":" + std::to_string(display)).c_str(), nullptr);
        if (xcb_connection_has_error(connection_)) throw std::runtime_error("cannot reach the X server");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    ~MapWatcher() { xcb_disconnect(connection_); }

    struct Mapped {
        xcb_window_t window = 0;
        int width = 0;
        int height = 0;
    };

    // The first top-level window mapped before `deadline`; nothing when `child` ends first.
    std::optional<Mapped> waitForMap(pid_t child, Clock::time_point deadline) {
        std::optional<Mapped> mapped;
        Next(deadline, child, [&](xcb_generic_event_t* event) {
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) return false;
            auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (map->event != root_ || map->override_redirect) return false;
            const auto size = sizes_.find(map->window);
            mapped = Mapped{map->window, size == sizes_.end() ? 0 : size->second.first,
                            size == sizes_.end() ? 0 : size->second.second};
            return true;
        });
        return mapped;
    }

    // Waits until `window` is gone (its owner has ended), so runs never overlap.
    void waitForDestroy(xcb_window_t window, Clock::time_point deadline) {
        Next(deadline, 0, [&](xcb_generic_event_t* event) {
            return (event->response_type & 0x7f) == XCB_DESTROY_NOTIFY &&
                   reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == window;
        });
        sizes_.clear();
    }

private:
    template <class Accept>
    void Next(Clock::time_point deadline, pid_t child, Accept accept) {
        pollfd watched{xcb_get_file_descriptor(connection_), POLLIN, 0};
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                Track(event);
                const bool done = accept(event);
                free(event);
                if (done) return;
            }
            if (child != 0 && reaped(child)) return;
            ::poll(&watched, 1, 20);
        }
    }

    void Track(xcb_generic_event_t* event) {
        switch (event->response_type & 0x7f) {
            case XCB_CREATE_NOTIFY: {
                auto* create = reinterpret_cast<xcb_create_notify_event_t*>(event);
                sizes_[create->window] = {create->width, create->height};
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                sizes_[configure->window] = {configure->width, configure->height};
                break;
            }
            default:
                break;
        }
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    std::map<xcb_window_t, std::pair<int, int>> sizes_;
};

// One start of `program`: milliseconds from spawning it to its first top-level window mapped.
double timeStart(const Program& program, const Workplace& workplace, MapWatcher& watcher, int display,
                 std::pair<int, int>& size) {
    const std::string log = (workplace.root / (program.name + ".log")).string();
    const std::vector<std::string> environment = workplace.environmentFor(display);
    const Clock::time_point start = Clock::now();
    const pid_t pid = spawn({program.path}, environment, log);
    const std::optional<MapWatcher::Mapped> mapped = watcher.waitForMap(pid, start + kMapTimeout);
    const double elapsed = msSince(start);
    stop(pid);
    if (!mapped) throw std::runtime_error(program.name + " showed no window; see " + log);
    watcher.waitForDestroy(mapped->window, Clock::now() + kExitTimeout);
    size = {mapped->width, mapped->height};
    return elapsed;
}

double quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const double position = q * double(values.size() - 1);
    const size_t below = size_t(position);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (position - double(below));
}

}  // namespace

int main(int argc, char** argv) {
    int runs = kDefaultRuns;
    std::vector<Program> programs = {{"bare dialog", LUMO_BARE_DIALOG_EXE, {}, {}},
                                     {"lumoclass", LUMO_CLIENT_EXE, {}, {}}};
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (argument == "--program" && i + 1 < argc) {
            const std::string value = argv[++i];
            const size_t equals = value.find('=');
            if (equals == std::string::npos) {
                std::fprintf(stderr, "--program takes NAME=PATH\n");
                return 2;
            }
            programs.push_back({value.substr(0, equals), value.substr(equals + 1), {}, {}});
        } else {
            std::fprintf(stderr, "usage: %s [--runs N] [--program NAME=PATH]...\n", argv[0]);
            return 2;
        }
    }

    std::optional<Workplace> place;
    try {
        place.emplace();
        const Workplace& workplace = *place;
        VirtualScreen screen((workplace.root / "xvfb.log").string());
        MapWatcher watcher(screen.display());
        std::printf("Xvfb on :%d; %d starts of each program, taking turns; cache folder with %d files\n",
                    screen.display(), runs, kCachedFiles);

        // One start each first: the files are then in the page cache for every timed start.
        std::pair<int, int> referenceSize, size;
        for (const Program& program : programs)
            timeStart(program, workplace, watcher, screen.display(), size);
        timeStart(programs[0], workplace, watcher, screen.display(), referenceSize);

        for (int round = 0; round < runs; ++round) {
            std::vector<double> times(programs.size());
            // The order turns each round so that no program always follows the same one.
            for (size_t k = 0; k < programs.size(); ++k) {
                const size_t index = (k + size_t(round)) % programs.size();
                times[index] = timeStart(programs[index], workplace, watcher, screen.display(), size);
                if (size != referenceSize) {
                    place->keep = true;
                    std::fprintf(stderr, "%s mapped a %dx%d window, the reference %dx%d\n",
                                 programs[index].name.c_str(), size.first, size.second, referenceSize.first,
                                 referenceSize.second);
                    return 1;
                }
            }
            for (size_t index = 0; index < programs.size(); ++index) {
                programs[index].startMs.push_back(times[index]);
                programs[index].ratioToReference.push_back(times[index] / times[0]);
            }
        }

        const double reference = quantile(programs[0].startMs, 0.5);
        std::printf("\n%-14s %8s %17s %17s %9s %17s\n", "start to map", "median", "p25..p75 ms",
                    "min..max ms", "ratio", "round ratios");
        for (const Program& program : programs) {
            const auto& t = program.startMs;
            const auto& r = program.ratioToReference;
            std::printf("%-14s %6.1f ms %7.1f..%-7.1f  %7.1f..%-7.1f  %7.2f   %6.2f..%-6.2f\n",
                        program.name.c_str(), quantile(t, 0.5), quantile(t, 0.25), quantile(t, 0.75),
                        quantile(t, 0), quantile(t, 1), quantile(t, 0.5) / reference, quantile(r, 0),
                        quantile(r, 1));
        }
        std::printf(
            "\nratio: median start / the bare dialog's median start; round ratios: the lowest and\n"
            "highest of each round's start / the bare dialog's start in the same round.\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_startup: %s\n", error.what());
        if (place) place->keep = true;
        return 1;
    }
    return 0;
}
