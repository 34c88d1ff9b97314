// Filling the launcher's list with 10,000 rows against scanning the 10,000
// packfiles those rows come from (level file third in a 3-entry directory),
// both measured in this run. The fill must cost less than the scan.
#include "bench_levels.h"
#include "launcher/catalogue.h"
#include "launcher/ui/playdeck32_view.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <map>

namespace {

using qm::bench::BenchLevelFolder;
using qm::bench::BM_CatalogueScan;
constexpr int kFiles = qm::bench::kBenchLevels;

// The view is on screen and lays out and paints what the fill gives it.
void BM_ViewFill(benchmark::State& state)
{
    const auto rows = playdeck::ScanLevelFolder(BenchLevelFolder());
    playdeck::CPLAYDECK32View view;
    view.resize(780, 400);
    view.show();
    view.SetupColumns();
    for (auto _ : state) {
        view.levelModel()->setRows(rows);
        view.viewport()->repaint();
        QCoreApplication::processEvents();
        if (view.levelModel()->rowCount() != kFiles)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

BENCHMARK(BM_CatalogueScan)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ViewFill)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps each benchmark's time per iteration for the closing ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (!r.error_occurred)
                perIteration[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> perIteration;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto scan = reporter.perIteration.find("BM_CatalogueScan/min_time:2.000");
    const auto fill = reporter.perIteration.find("BM_ViewFill/min_time:2.000");
    if (scan != reporter.perIteration.end() && fill != reporter.perIteration.end())
        std::printf("view fill / scan of %d packfiles: %.3f ms / %.3f ms = %.3f (goal < 1)\n",
                    kFiles, fill->second, scan->second, fill->second / scan->second);
    benchmark::Shutdown();
    return 0;
}
