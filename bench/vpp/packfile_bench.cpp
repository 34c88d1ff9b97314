// The packfile tools against the plain copies of the same bytes, measured in
// one run: extract-all of a 1 GiB packfile against `cp -r` of its 2,000 files,
// creating that packfile from the files against `cp -r` of them, and listing
// a 10,000-entry packfile against one read of its header and directory bytes.
// Each pair alternates rounds; the medians' ratios are printed at the end.
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
#include <functional>
#include <map>
#include <random>
#include <unistd.h>

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

void BM_CpFiles(benchmark::State& state)
{
    Timed(
        state, "cp -r", [] { Fresh(g_world->out()); },
        [] { return Cp(g_world->files(), g_world->out()); });
}

void BM_ExtractAll(benchmark::State& state)
{
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
    std::vector<qm::vpp::NewEntry> small;
    for (int i = 0; i < kListEntries; ++i)
        small.push_back({"entry" + std::to_string(i) + ".tga", qm::vpp::Source::FromBytes("x")});
    qm::vpp::WritePackfile(g_world->many(), small);
}

} // namespace

BENCHMARK(BM_CpFiles)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_ExtractAll)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_Create)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_ReadDirectoryBytes)->Unit(benchmark::kMicrosecond)->Iterations(200)->Repetitions(3);
BENCHMARK(BM_List)->Unit(benchmark::kMicrosecond)->Iterations(200)->Repetitions(3);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    World world;
    g_world = &world;
    MakeWorld();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double cp = Median(g_seconds["cp -r"]);
    const double read = Median(g_seconds["read directory bytes"]);
    std::printf("\nextract all / cp -r:            %.2f (limit 1.20)\n",
                Median(g_seconds["extract all"]) / cp);
    std::printf("create / cp -r:                 %.2f (limit 1.30)\n",
                Median(g_seconds["create"]) / cp);
    std::printf("list / read of directory bytes: %.2f (limit 1.50)\n",
                Median(g_seconds["list"]) / read);
    return 0;
}
