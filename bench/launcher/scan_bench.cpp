// Scanning a folder of 10,000 level packfiles (level file third in a 3-entry
// directory) with the catalogue's scan, against a minimal C loop doing only
// the system calls the readers need. Prints the time per file and the ratio.
#include "baseline_scan.h"
#include "bench_levels.h"
#include "launcher/catalogue.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using qm::bench::BenchLevelFolder;
using qm::bench::BM_CatalogueScan;
constexpr int kFiles = qm::bench::kBenchLevels;

void BM_BaselineC(benchmark::State& state)
{
    const std::string& folder = BenchLevelFolder();
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

// Keeps the fastest run of each benchmark, by wall time and by the process's
// CPU time (user + system); the latter is the steadier on a shared machine.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.iterations == 0)
                continue;
            Best& best = m_best[r.run_name.function_name];
            // In the run's unit (ms), per file.
            keepMin(best.wall, r.GetAdjustedRealTime() / kFiles);
            keepMin(best.cpu, r.GetAdjustedCPUTime() / kFiles);
        }
    }
    void print() const
    {
        const auto base = m_best.find("BM_BaselineC");
        const auto scan = m_best.find("BM_CatalogueScan");
        if (base == m_best.end() || scan == m_best.end())
            return;
        const Best& b = base->second;
        const Best& s = scan->second;
        std::printf("\nper file (best run): catalogue scan %.2f us wall / %.2f us CPU, "
                    "C baseline %.2f us wall / %.2f us CPU\n",
                    s.wall * 1000, s.cpu * 1000, b.wall * 1000, b.cpu * 1000);
        std::printf("ratio scan/baseline: %.3f wall, %.3f CPU (goal <= 1.5)\n", s.wall / b.wall,
                    s.cpu / b.cpu);
    }

private:
    struct Best {
        double wall = 0;
        double cpu = 0;
    };
    static void keepMin(double& best, double v) { best = best == 0 ? v : std::min(best, v); }
    std::map<std::string, Best> m_best;
};

} // namespace

int main(int argc, char** argv)
{
    // Several repetitions of both, interleaved at random, so that load from
    // elsewhere on the machine falls on both alike; later flags override.
    std::vector<char*> args{argv[0]};
    std::string reps = "--benchmark_repetitions=8";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.push_back(reps.data());
    args.push_back(interleave.data());
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    BenchLevelFolder(); // write the files before any timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print();
    benchmark::Shutdown();
    return 0;
}
