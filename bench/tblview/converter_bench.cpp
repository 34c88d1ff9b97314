// Converter throughput on a generated 50 MB table, file to file, against a
// plain copy loop that reads the same input and writes as many bytes as the
// page has, through the same block sizes. Prints the time ratio at the end.

#include "tblview/tbl_converter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Files {
    fs::path dir;
    std::string table;
    std::string page;
    std::string copy;
    uintmax_t pageSize = 0;
};

// A weapons-style table: sections, named entries, keys, comments and
// indented sub-keys, with CR LF line ends, repeated up to the size.
std::string generateTable(size_t size)
{
    std::string text;
    text.reserve(size + 4096);
    for (int block = 0; text.size() < size; ++block) {
        const std::string n = std::to_string(block);
        text += "; Generated weapons table, block " + n + "\r\n";
        text += "#Primary Weapons " + n + "\r\n";
        for (int entry = 0; entry < 20; ++entry) {
            const std::string id = n + "_" + std::to_string(entry);
            text += "$Name:                \"Laser " + id + "\"   ; the laser\r\n";
            text += "+Tech Title:          XSTR(\"Laser\", -1)\r\n";
            text += "$Model File:          laser_" + id + ".pof\r\n";
            text += "$Damage:              " + std::to_string(entry * 7 % 100) + "\r\n";
            text += "$Mass:                0.5\r\n";
            text += "@Laser Bitmap:        laser01\r\n";
            text += "\t$Flags:             ( \"in tech database\" \"player allowed\" )\r\n";
            text += "\t\t+Velocity <max> 450 // fast\r\n";
            text += "[Entry " + id + "]\r\n";
            text += "\r\n";
        }
        text += "/* retired weapons of block " + n + "\r\n$Name: Old\r\n*/\r\n";
        text += "#End\r\n";
    }
    return text;
}

Files& files()
{
    static Files f = [] {
        Files made;
        made.dir = fs::temp_directory_path() / ("qm_tblview_bench_" + std::to_string(getpid()));
        fs::create_directories(made.dir);
        made.table = (made.dir / "big.tbl").string();
        made.page = (made.dir / "big.html").string();
        made.copy = (made.dir / "copy.bin").string();
        const std::string text = generateTable(50u * 1024 * 1024);
        std::FILE* out = std::fopen(made.table.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
        gridlens::AnchorList anchors;
        gridlens::ConvertTableFile(made.table, made.page, anchors, nullptr);
        made.pageSize = fs::file_size(made.page);
        return made;
    }();
    return f;
}

void BM_ConvertTableFile(benchmark::State& state)
{
    Files& f = files();
    gridlens::AnchorList anchors;
    for (auto _ : state) {
        if (!gridlens::ConvertTableFile(f.table, f.page, anchors, nullptr))
            state.SkipWithError("conversion failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(f.table)));
    state.counters["anchors"] = anchors.count();
}

// Same input blocks, same output block size and byte count, no conversion.
void copyBaseline(const Files& f, char* in, char* out)
{
    std::FILE* table = std::fopen(f.table.c_str(), "rb");
    std::FILE* copy = std::fopen(f.copy.c_str(), "wb");
    std::setvbuf(table, nullptr, _IONBF, 0);
    std::setvbuf(copy, nullptr, _IONBF, 0);
    uintmax_t left = f.pageSize;
    size_t got = 0;
    size_t used = 0;
    while ((got = std::fread(in, 1, gridlens::kTableReadBlock, table)) > 0) {
        // Every input byte is moved into the output block once.
        for (size_t at = 0; at < got;) {
            size_t step = std::min(got - at, gridlens::kPageWriteBlock - used);
            std::memcpy(out + used, in + at, step);
            used += step;
            at += step;
            if (used == gridlens::kPageWriteBlock) {
                size_t n = static_cast<size_t>(std::min<uintmax_t>(used, left));
                std::fwrite(out, 1, n, copy);
                left -= n;
                used = 0;
            }
        }
    }
    // The page is larger than the table: pad with further blocks.
    while (left > 0) {
        size_t n = static_cast<size_t>(std::min<uintmax_t>(gridlens::kPageWriteBlock, left));
        std::fwrite(out, 1, n, copy);
        left -= n;
    }
    std::fclose(table);
    std::fclose(copy);
    benchmark::DoNotOptimize(out);
}

void BM_CopyBaseline(benchmark::State& state)
{
    Files& f = files();
    auto in = std::make_unique_for_overwrite<char[]>(gridlens::kTableReadBlock);
    auto out = std::make_unique_for_overwrite<char[]>(gridlens::kPageWriteBlock);
    for (auto _ : state)
        copyBaseline(f, in.get(), out.get());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(f.table)));
}

// Disk write-back of other processes shifts both times; pairs of passes run
// back to back see the same conditions, and their median ratio is the figure.
double g_pairedRatio = 0;

void BM_PairedRatio(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    Files& f = files();
    auto in = std::make_unique_for_overwrite<char[]>(gridlens::kTableReadBlock);
    auto out = std::make_unique_for_overwrite<char[]>(gridlens::kPageWriteBlock);
    gridlens::AnchorList anchors;
    std::vector<double> ratios;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        copyBaseline(f, in.get(), out.get());
        const auto t1 = Clock::now();
        gridlens::ConvertTableFile(f.table, f.page, anchors, nullptr);
        const auto t2 = Clock::now();
        ratios.push_back(std::chrono::duration<double>(t2 - t1).count() /
                         std::chrono::duration<double>(t1 - t0).count());
    }
    std::sort(ratios.begin(), ratios.end());
    g_pairedRatio = ratios[ratios.size() / 2];
    state.counters["median_ratio"] = g_pairedRatio;
}

BENCHMARK(BM_CopyBaseline)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_ConvertTableFile)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_PairedRatio)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    double time(const std::string& name) const
    {
        auto it = m_times.find(name);
        return it == m_times.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const Files& f = files();
    const double baseline = reporter.time("BM_CopyBaseline/min_time:3.000/real_time");
    const double convert = reporter.time("BM_ConvertTableFile/min_time:3.000/real_time");
    std::printf("table %ju bytes, page %ju bytes\n", fs::file_size(f.table), f.pageSize);
    if (baseline > 0 && convert > 0)
        std::printf("ratio convert / copy baseline (separate runs): %.2f\n", convert / baseline);
    if (g_pairedRatio > 0)
        std::printf("ratio convert / copy baseline (median of paired passes): %.2f (goal <= 2.0)\n",
                    g_pairedRatio);
    std::error_code ignored;
    fs::remove_all(f.dir, ignored);
    benchmark::Shutdown();
    return 0;
}
