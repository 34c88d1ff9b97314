// The packfile tools against the plain copies of the same bytes, measured in
// one run: extract-all of a 1 GiB packfile against `cp -r` of its 2,000 files,
// creating that packfile from the files against `cp -r` of them, and listing
// a 10,000-entry packfile against one read of its header and directory bytes:
// in this process (the directory reader) and as programs (`packpeek32 --list`
// writing its listing to a file, against a process doing only that read).
// The medians' ratios are printed at the end.
#include "platform/file_system.h"
#include "vpp/extract.h"
#include "vpp/packfile.h"
#include "vpp/writer.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kFiles = 2000;
constexpr size_t kFileBytes = (size_t(1) << 30) / kFiles; // 1 GiB in all
constexpr int kListEntries = 10000;

struct World {
    QTemporaryDir dir{QDir::tempPath() + "/qm-vpp-bench-XXXXXX"};
    std::string root() const { return dir.path().toStdString(); }
    std::string files() const { return root() + "/files"; }
    std::string big() const { return root() + "/big.vpp"; }
    std::string many() const { return root() + "/many.vpp"; }
    std::string out() const { return root() + "/out"; }
};
World* g_world = nullptr;
std::map<std::string, std::vector<double>> g_seconds;

void Fresh(const std::string& folder)
{
    qm::fs::RemoveTree(folder);
    ::sync(); // no round pays for the previous round's dirty pages
}

void Timed(benchmark::State& state, const char* name, const std::function<void()>& before,
           const std::function<bool()>& work)
{
    for (auto _ : state) {
        state.PauseTiming();
        before();
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        if (!work())
            state.SkipWithError(name);
        g_seconds[name].push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
}

bool Cp(const std::string& from, const std::string& to)
{
    const std::string cmd = "cp -r --reflink=never '" + from + "/.' '" + to + "'";
    return std::system(cmd.c_str()) == 0;
}

std::vector<qm::vpp::NewEntry> Sources()
{
    std::vector<qm::vpp::NewEntry> entries;
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = g_world->files() + "/part" + std::to_string(i) + ".dat";
        qm::vpp::Source s;
        qm::vpp::Source::FromFile(path, &s, nullptr);
        entries.push_back({"part" + std::to_string(i) + ".dat", s});
    }
    return entries;
}

void MakeBigWorld()
{
    static bool made = false;
    if (made)
        return;
    made = true;
    qm::fs::MakeFolders(g_world->files());
    std::mt19937_64 rng(42);
    std::string block(kFileBytes, '\0');
    for (int i = 0; i < kFiles; ++i) {
        for (size_t k = 0; k + 8 <= block.size(); k += 8) {
            const uint64_t v = rng();
            std::memcpy(block.data() + k, &v, 8);
        }
        qm::fs::SaveFileAtomic(g_world->files() + "/part" + std::to_string(i) + ".dat", block);
    }
    qm::vpp::WritePackfile(g_world->big(), Sources());
}

void BM_CpFiles(benchmark::State& state)
{
    MakeBigWorld();
    Timed(
        state, "cp -r", [] { Fresh(g_world->out()); },
        [] { return Cp(g_world->files(), g_world->out()); });
}

void BM_ExtractAll(benchmark::State& state)
{
    MakeBigWorld();
    qm::vpp::Directory dir;
    qm::vpp::ReadDirectory(g_world->big(), &dir, nullptr);
    std::vector<size_t> all(dir.entries.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    Timed(
        state, "extract all",
        [] {
            Fresh(g_world->out());
            qm::fs::MakeFolders(g_world->out());
        },
        [&] { return qm::vpp::ExtractEntries(g_world->big(), dir, all, g_world->out()).ok(); });
}

void BM_Create(benchmark::State& state)
{
    MakeBigWorld();
    const std::vector<qm::vpp::NewEntry> entries = Sources();
    const std::string target = g_world->out() + "/made.vpp";
    Timed(
        state, "create",
        [] {
            Fresh(g_world->out());
            qm::fs::MakeFolders(g_world->out());
        },
        [&] { return qm::vpp::WritePackfile(target, entries).ok; });
}

void BM_ReadDirectoryBytes(benchmark::State& state)
{
    const size_t bytes = size_t(qm::vpp::kBlock + kListEntries * qm::vpp::kRecordSize);
    std::string buffer(bytes, '\0');
    Timed(
        state, "read directory bytes", [] {},
        [&] {
            qm::fs::ReadFile file(g_world->many());
            return file.readExact(buffer.data(), bytes, 0);
        });
}

void BM_List(benchmark::State& state)
{
    // The directory object is kept, as the baseline keeps its buffer.
    qm::vpp::Directory dir;
    Timed(
        state, "list", [] {},
        [&] {
            return qm::vpp::ReadDirectory(g_world->many(), &dir, nullptr) &&
                   dir.entries.size() == size_t(kListEntries);
        });
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void MakeWorld()
{
    std::vector<qm::vpp::NewEntry> small;
    for (int i = 0; i < kListEntries; ++i)
        small.push_back({"entry" + std::to_string(i) + ".tga", qm::vpp::Source::FromBytes("x")});
    qm::vpp::WritePackfile(g_world->many(), small);
}

#ifdef QM_PACKPEEK32
// Runs program with args, its output into outFile; true when it exits with 0.
bool RunProgram(const char* program, std::vector<std::string> args, const std::string& outFile)
{
    std::vector<char*> argv{const_cast<char*>(program)};
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return failed == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void BM_ReadFloorProgram(benchmark::State& state)
{
    const std::string bytes = std::to_string(qm::vpp::kBlock + kListEntries * qm::vpp::kRecordSize);
    Timed(
        state, "read floor program", [] {},
        [&] {
            return RunProgram(QM_READ_FLOOR, {g_world->many(), bytes},
                              g_world->root() + "/floor.txt");
        });
}

// The same bytes 64 KiB at a time into one buffer, as the listing reads them:
// shows what the listing costs beyond its reading.
void BM_ReadFloorProgramInPieces(benchmark::State& state)
{
    const std::string bytes = std::to_string(qm::vpp::kBlock + kListEntries * qm::vpp::kRecordSize);
    const std::string piece = std::to_string(qm::vpp::kRecordsPerRead * qm::vpp::kRecordSize);
    Timed(
        state, "read floor program in pieces", [] {},
        [&] {
            return RunProgram(QM_READ_FLOOR, {g_world->many(), bytes, piece},
                              g_world->root() + "/floor.txt");
        });
}

void BM_ListProgram(benchmark::State& state)
{
    // Another build's program may stand in, to compare builds in one run.
    const char* other = std::getenv("QM_BENCH_PACKPEEK32");
    const char* program = other && *other ? other : QM_PACKPEEK32;
    Timed(
        state, "packpeek32 --list", [] {},
        [&] {
            return RunProgram(program, {"--list", g_world->many()}, g_world->root() + "/list.txt");
        });
}
#endif

} // namespace

BENCHMARK(BM_CpFiles)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_ExtractAll)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_Create)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_ReadDirectoryBytes)->Unit(benchmark::kMicrosecond)->Iterations(200)->Repetitions(3);
BENCHMARK(BM_List)->Unit(benchmark::kMicrosecond)->Iterations(200)->Repetitions(3);
#ifdef QM_PACKPEEK32
BENCHMARK(BM_ReadFloorProgram)->Unit(benchmark::kMicrosecond)->Iterations(50)->Repetitions(5);
BENCHMARK(BM_ReadFloorProgramInPieces)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(50)
    ->Repetitions(5);
BENCHMARK(BM_ListProgram)->Unit(benchmark::kMicrosecond)->Iterations(50)->Repetitions(5);
#endif

int main(int argc, char** argv)
{
    // Repetitions interleaved at random, so that load from elsewhere on the
    // machine falls on ours and the baselines alike; later flags override.
    std::vector<char*> args{argv[0]};
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.push_back(interleave.data());
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    World world;
    g_world = &world;
    MakeWorld();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto ratio = [](const char* ours, const char* base) {
        return Median(g_seconds[ours]) / Median(g_seconds[base]);
    };
    if (g_seconds.count("cp -r")) {
        std::printf("\nextract all / cp -r:              %.2f (limit 1.20)\n",
                    ratio("extract all", "cp -r"));
        std::printf("create / cp -r:                   %.2f (limit 1.30)\n",
                    ratio("create", "cp -r"));
    }
    if (g_seconds.count("read directory bytes"))
        std::printf("directory reader / one read:      %.2f (in this process)\n",
                    ratio("list", "read directory bytes"));
    if (g_seconds.count("read floor program"))
        std::printf("packpeek32 --list / read program: %.2f (limit 1.50; %.2f ms / %.2f ms)\n",
                    ratio("packpeek32 --list", "read floor program"),
                    Median(g_seconds["packpeek32 --list"]) * 1e3,
                    Median(g_seconds["read floor program"]) * 1e3);
    if (g_seconds.count("read floor program in pieces"))
        std::printf("packpeek32 --list / read in 64 KiB pieces: %.2f (for comparison)\n",
                    ratio("packpeek32 --list", "read floor program in pieces"));
    return 0;
}
