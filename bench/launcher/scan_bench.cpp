// Scanning a folder of 10,000 level packfiles (level file third in a 3-entry
// directory) with the catalogue's scan, against a minimal C loop doing only
// the system calls the readers need. Prints the time per file and the ratio.
#include "baseline_scan.h"
#include "demo/demo_game/packfile_builder.h"
#include "launcher/catalogue.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int kFiles = 10000;

const std::string& BenchFolder()
{
    static QTemporaryDir dir;
    static const std::string folder = [] {
        const std::string f = dir.path().toStdString();
        for (int i = 0; i < kFiles; ++i) {
            const std::string name = "Level " + std::to_string(i);
            const std::string vpp =
                qm::demo::BuildVpp({{"readme.txt", std::string(700, 'r'), {}},
                                    {"sky.tga", std::string(3000, 's'), {}},
                                    {name + ".rfl",
                                     qm::demo::BuildRfl("Level number " + std::to_string(i),
                                                        "Bench Author", "12/24/2001"),
                                     {}}});
            qm::demo::WriteBytes(f + "/" + name + ".vpp", vpp);
        }
        return f;
    }();
    return folder;
}

void BM_CatalogueScan(benchmark::State& state)
{
    const std::string& folder = BenchFolder();
    for (auto _ : state) {
        auto rows = playdeck::ScanLevelFolder(folder);
        if (rows.size() != size_t(kFiles))
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rows);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

void BM_BaselineC(benchmark::State& state)
{
    const std::string& folder = BenchFolder();
    for (auto _ : state) {
        const long n = BaselineScanFolder(folder.c_str());
        if (n != kFiles)
            state.SkipWithError("wrong level count");
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

BENCHMARK(BM_BaselineC)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CatalogueScan)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps the fastest run of each benchmark (the least disturbed by other load).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.iterations == 0)
                continue;
            const double perFile = r.GetAdjustedRealTime() / kFiles; // in the run's unit (ms)
            auto& best = m_best[r.run_name.function_name];
            best = best == 0 ? perFile : std::min(best, perFile);
        }
    }
    void print() const
    {
        const double base = m_best.count("BM_BaselineC") ? m_best.at("BM_BaselineC") : 0;
        const double scan = m_best.count("BM_CatalogueScan") ? m_best.at("BM_CatalogueScan") : 0;
        if (base <= 0 || scan <= 0)
            return;
        std::printf("\nper file: catalogue scan %.2f us, C baseline %.2f us; ratio %.3f "
                    "(goal <= 1.5)\n",
                    scan * 1000, base * 1000, scan / base);
    }

private:
    std::map<std::string, double> m_best;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    BenchFolder(); // write the files before any timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print();
    benchmark::Shutdown();
    return 0;
}
