// Start-up of PLAYDECK32 on 10,000 level packfiles against the floor
// (scan_floor.c: the system calls the design's reading needs, nothing more),
// all measured in this run, interleaved round by round so load from elsewhere
// falls on every figure alike:
//   --list single, as a whole process, against the floor as a whole process;
//   the window's start-up (InitInstance until the main window is painted) on
//   the 10,000 packfiles, beyond the same start-up on an empty game, against
//   the floor's own scan time; once without a catalogue cache (first start),
//   once with the cache of the run before (second start).
// Usage: bench_launcher_startup [rounds]   (default 7)
#include "common/settings.h"
#include "demo/demo_game/packfile_builder.h"
#include "launcher/catalogue.h"
#include "launcher/game_locator.h"
#include "launcher/ui/main_frame.h"
#include "launcher/ui/playdeck32_app.h"
#include "launcher/ui/playdeck32_view.h"
#include "platform/exec_argv.h"

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kFiles = 10000;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Game {
    std::string folder;   // ends in '/'
    std::string registry; // its own settings store
};

Game MakeGame(const std::string& root, int levels)
{
    Game g{root + "/", root + ".sqlite"};
    std::filesystem::create_directories(root + "/user_maps/single");
    qm::demo::WriteBytes(root + "/rf.exe", "MZ");
    if (levels && !qm::demo::WriteBenchLevelPackfiles(root + "/user_maps/single", levels))
        std::fprintf(stderr, "cannot write the packfiles\n");
    setenv("QM_REGISTRY_DB", g.registry.c_str(), 1);
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, playdeck::kGameRegistryKey,
                       playdeck::kGameInstallPathValue, g.folder);
    qm::WriteRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "AssignVPP", 0);
    return g;
}

// Wall time of one whole process, its output thrown away.
double RunProcess(std::vector<std::string> argv)
{
    const std::vector<char*> args = qm::ExecPointers(argv);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto t0 = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", args[0]);
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double ms = Ms(Clock::now() - t0);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", args[0]);
        std::exit(1);
    }
    return ms;
}

// The floor's own time for its scan, as it prints it.
double FloorScanMs(const std::string& floor, const std::string& folder)
{
    const std::string cmd = floor + " '" + folder + "'";
    FILE* p = popen(cmd.c_str(), "r");
    int levels = 0;
    double ms = -1;
    if (p) {
        if (std::fscanf(p, "%d levels in %lf ms", &levels, &ms) != 2 || levels != kFiles)
            ms = -1;
        pclose(p);
    }
    if (ms < 0) {
        std::fprintf(stderr, "the floor did not report %d levels\n", kFiles);
        std::exit(1);
    }
    return ms;
}

// The window's start-up, from InitInstance to the painted main window.
double StartWindow(const Game& game, const std::string& cacheHome, int expectRows)
{
    setenv("QM_REGISTRY_DB", game.registry.c_str(), 1);
    setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
    const auto t0 = Clock::now();
    auto app = std::make_unique<playdeck::CPLAYDECK32App>();
    if (!app->InitInstance({})) {
        std::fprintf(stderr, "start-up failed\n");
        std::exit(1);
    }
    const double ms = Ms(Clock::now() - t0);
    if (app->mainFrame()->view()->levelModel()->rowCount() != expectRows) {
        std::fprintf(stderr, "wrong row count\n");
        std::exit(1);
    }
    QCoreApplication::processEvents();
    return ms;
}

struct Series {
    std::vector<double> v;
    double median() const
    {
        auto s = v;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0 : s[s.size() / 2];
    }
    double best() const { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
};

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QM_SPLASH_MS", "0");
    QApplication qapp(argc, argv);
    const std::string bin = std::filesystem::canonical("/proc/self/exe").parent_path().string();
    const std::string floor = bin + "/bench_scan_floor";
    const std::string playdeck = QM_PLAYDECK32;

    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    std::fprintf(stderr, "writing %d packfiles ...\n", kFiles);
    const Game full = MakeGame(root + "/full", kFiles);
    const Game empty = MakeGame(root + "/empty", 0);
    const std::string single = full.folder + "user_maps/single";
    // A cache folder that cannot be made: the scan alone, nothing written.
    qm::demo::WriteBytes(root + "/no-cache", "");
    const std::string noCache = root + "/no-cache";
    const std::string warm = root + "/warm-cache";

    // Warm the page cache and the warm catalogue cache.
    FloorScanMs(floor, single);
    StartWindow(full, warm, kFiles);

    std::map<std::string, Series> s;
    for (int r = 0; r < rounds; ++r) {
        const std::string cold = root + "/cold-cache-" + std::to_string(r);
        s["floor process"].v.push_back(RunProcess({floor, single}));
        s["floor scan"].v.push_back(FloorScanMs(floor, single));
        setenv("QM_REGISTRY_DB", full.registry.c_str(), 1);
        setenv("XDG_CACHE_HOME", noCache.c_str(), 1);
        s["list, no cache"].v.push_back(RunProcess({playdeck, "--list", "single"}));
        setenv("XDG_CACHE_HOME", (cold + "-list").c_str(), 1);
        s["list, first start"].v.push_back(RunProcess({playdeck, "--list", "single"}));
        setenv("XDG_CACHE_HOME", warm.c_str(), 1);
        s["list, second start"].v.push_back(RunProcess({playdeck, "--list", "single"}));
        setenv("QM_REGISTRY_DB", empty.registry.c_str(), 1);
        s["list, empty game"].v.push_back(RunProcess({playdeck, "--list", "single"}));
        const auto t0 = Clock::now();
        if (playdeck::ScanLevelFolder(single).size() != size_t(kFiles))
            std::exit(1);
        s["scan in process"].v.push_back(Ms(Clock::now() - t0));
        s["window, empty game"].v.push_back(StartWindow(empty, noCache, 0));
        s["window, no cache"].v.push_back(StartWindow(full, noCache, kFiles));
        s["window, first start"].v.push_back(StartWindow(full, cold, kFiles));
        s["window, second start"].v.push_back(StartWindow(full, warm, kFiles));
    }

    std::printf("%d packfiles, %d rounds; milliseconds, median (best)\n", kFiles, rounds);
    for (const auto& [name, series] : s)
        std::printf("  %-22s %8.1f (%8.1f)\n", name.c_str(), series.median(), series.best());
    const auto m = [&s](const char* name) { return s[name].median(); };
    const double floorProcess = m("floor process"), floorScan = m("floor scan");
    std::printf("ratios (medians):\n");
    std::printf("  --list, no cache / floor process           %.2f  (goal <= 1.2)\n",
                m("list, no cache") / floorProcess);
    std::printf("  --list, first start / floor process        %.2f\n",
                m("list, first start") / floorProcess);
    std::printf("  --list beyond empty game, no cache / floor scan  %.2f\n",
                (m("list, no cache") - m("list, empty game")) / floorScan);
    std::printf("  window beyond empty game, no cache / floor scan  %.2f  (goal <= 1.5)\n",
                (m("window, no cache") - m("window, empty game")) / floorScan);
    std::printf("    of which the scan alone (in process) / floor scan  %.2f\n",
                m("scan in process") / floorScan);
    std::printf("  window beyond empty game, first start / floor scan  %.2f\n",
                (m("window, first start") - m("window, empty game")) / floorScan);
    std::printf("  window beyond empty game, second start / floor scan  %.2f  (goal <= 0.3)\n",
                (m("window, second start") - m("window, empty game")) / floorScan);
    std::printf("  --list beyond empty game, second start / floor scan  %.2f\n",
                (m("list, second start") - m("list, empty game")) / floorScan);
    return 0;
}
