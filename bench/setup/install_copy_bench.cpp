// Copying a 200 MB module with the install procedure (which flushes the
// copied files and their folders before it writes the record) against
// `cp -r --reflink=never` of the same files into the same file system
// followed by `sync` of those files and folders, both measured in this run.
// Prints the ratio of the medians at the end.
#include "setup/install.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct World {
    QTemporaryDir dir{QDir::tempPath() + "/qm-bench-XXXXXX"};
    std::string root() const { return dir.path().toStdString(); }
    std::string source() const { return root() + "/kit/module"; }
    std::string target() const { return root() + "/target"; }
};

World* g_world = nullptr;

void writeRandom(const std::string& path, size_t bytes, std::mt19937_64& rng)
{
    std::ofstream out(path, std::ios::binary);
    std::vector<uint64_t> block(1 << 17); // 1 MiB
    for (size_t done = 0; done < bytes; done += block.size() * 8) {
        for (auto& v : block)
            v = rng();
        out.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(std::min(bytes - done, block.size() * 8)));
    }
}

// 200 MB: one 150 MB program and fifty 1 MB data files in a sub-folder.
void makeModule(const World& w)
{
    QDir().mkpath(QString::fromStdString(w.source() + "/data"));
    std::mt19937_64 rng(42);
    std::string desc = "[Module]\nDesc=Bench Module\nVers=1 (Build 1)\n[Installation]\n"
                       "EXEfile=big.bin\n[MkDirs]\nNum=1\n1=data\n[Files]\nNum=51\n1=big.bin\n";
    writeRandom(w.source() + "/big.bin", 150u << 20, rng);
    for (int i = 0; i < 50; ++i) {
        const std::string name = "data/part" + std::to_string(i) + ".dat";
        writeRandom(w.source() + "/" + name, 1u << 20, rng);
        desc += std::to_string(i + 2) + "=" + name + "\n";
    }
    std::ofstream(w.source() + "/qm_modul.dat") << desc;
}

void removeTarget(const World& w)
{
    QDir(QString::fromStdString(w.target())).removeRecursively();
    ::sync(); // each round starts without the previous round's dirty pages
}

class NullProgress : public qmsetup::InstallProgress {
public:
    Answer message(const std::string&, const std::string&, Buttons, Answer d, Icon) override
    {
        return d;
    }
    void setStatus(const std::string&) override {}
    void setProgressRange(int) override {}
    void setProgressPosition(int) override {}
    void showProgressBar(bool) override {}
    void setResultText(const std::string&) override {}
    void enableFinish() override {}
};

void BM_InstallModule(benchmark::State& state)
{
    const World& w = *g_world;
    qmsetup::ModuleJob job;
    job.sourceFolder = job.setupFolder = w.source();
    job.moduleFile = w.source() + "/qm_modul.dat";
    job.registryName = "Bench Module";
    job.version = "1 (Build 1)";
    job.exeFile = "big.bin";
    job.installDir = w.target();
    job.checkForUpdates = false;
    job.createStartMenuShortcut = false;
    job.associateExtensions = false;
    for (auto _ : state) {
        state.PauseTiming();
        removeTarget(w);
        state.ResumeTiming();
        NullProgress progress;
        qmsetup::InstallRun run;
        if (qmsetup::InstallModule(job, run, progress) != qmsetup::InstallResult::Ok)
            state.SkipWithError(run.errorText.c_str());
    }
    state.SetBytesProcessed(state.iterations() * (200LL << 20));
}

void BM_CpThenSync(benchmark::State& state)
{
    const World& w = *g_world;
    for (auto _ : state) {
        state.PauseTiming();
        removeTarget(w);
        state.ResumeTiming();
        // The same durability as the install: every copied file and folder,
        // and the folder holding the target, on the disk.
        const std::string cmd = "cp -r --reflink=never '" + w.source() + "/.' '" + w.target() +
                                "' && find '" + w.target() + "' -exec sync {} + && sync '" +
                                w.root() + "'";
        if (std::system(cmd.c_str()) != 0)
            state.SkipWithError("cp or sync failed");
    }
    state.SetBytesProcessed(state.iterations() * (200LL << 20));
}

BENCHMARK(BM_CpThenSync)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(false);
BENCHMARK(BM_InstallModule)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(false);

// Keeps the median of each benchmark for the closing ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                medians[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv)
{
    World world;
    g_world = &world;
    // The install writes its records, menus and uninstaller into this world only.
    const std::string home = world.root() + "/home";
    QDir().mkpath(QString::fromStdString(home + "/.local/share"));
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    ::setenv("QM_REGISTRY_DB", (world.root() + "/registry.sqlite").c_str(), 1);
    ::setenv("TEMP", world.root().c_str(), 1);
    makeModule(world);

    struct statfs fs {};
    ::statfs(world.root().c_str(), &fs);
    std::printf("work folder %s, file system magic 0x%lx (ext4 = 0xef53)\n", world.root().c_str(),
                static_cast<unsigned long>(fs.f_type));

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double cp = reporter.medians["BM_CpThenSync"];
    const double ours = reporter.medians["BM_InstallModule"];
    if (cp > 0 && ours > 0)
        std::printf("ratio install / cp --reflink=never + sync (medians): %.3f\n", ours / cp);
    benchmark::Shutdown();
    return 0;
}
