#pragma once

// The launcher benchmarks' folder of level packfiles (the level file third in
// a 3-entry directory), written once per run, and the catalogue's scan of it.

#include "demo/demo_game/packfile_builder.h"
#include "launcher/catalogue.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdio>
#include <string>

namespace qm::bench {

constexpr int kBenchLevels = 10000;

inline const std::string& BenchLevelFolder()
{
    static QTemporaryDir dir;
    static const std::string folder = [] {
        const std::string f = dir.path().toStdString();
        if (!qm::demo::WriteBenchLevelPackfiles(f, kBenchLevels))
            std::fprintf(stderr, "cannot write the bench packfiles in %s\n", f.c_str());
        return f;
    }();
    return folder;
}

inline void BM_CatalogueScan(benchmark::State& state)
{
    const std::string& folder = BenchLevelFolder();
    for (auto _ : state) {
        auto rows = playdeck::ScanLevelFolder(folder);
        if (rows.size() != size_t(kBenchLevels))
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rows);
    }
    state.SetItemsProcessed(state.iterations() * kBenchLevels);
}

} // namespace qm::bench
