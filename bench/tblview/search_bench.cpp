// Find on a 100 MB table: one search through the whole page's text (as the
// find bar does when it counts the matches, or finds nothing) against glibc's
// memmem over the same bytes in the same run. Prints the ratios at the end;
// the goal is at most 2 for every kind of search.

#include "tblview/page_index.h"
#include "tblview/tbl_converter.h"
#include "tblview/text_search.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Weapons-style blocks with LF line ends, as modding repositories keep them.
std::string generateTable(size_t size)
{
    std::string text;
    text.reserve(size + 4096);
    for (int block = 0; text.size() < size; ++block) {
        const std::string n = std::to_string(block);
        text += "// weapons of block " + n + "\n#Primary Weapons " + n + "\n";
        for (int entry = 0; entry < 20; ++entry) {
            const std::string id = n + "_" + std::to_string(entry);
            text += "$Name:                  \"Laser " + id + "\"   ; the laser\n";
            text += "$Display Name:\t\t\tXSTR(296, \"Remote Charge\")\n";
            text += "$Flags:                 (\"remote_charge\" \"alt_fire\" \"player_wep\")\n";
            text += "+Action:                \"fire\"  \"fp_rmt_chrg_throw.mvf\"  \"Charge\"\n";
            text += "$Damage:                " + std::to_string(entry * 7 % 100) + "\n";
            text += "\t+Crater Radius:      8.0\n";
            text += "$Impact Sound:          \"flesh\"\t\t \"Riot Impact Flesh\"\n\n";
        }
        text += "#End\n";
    }
    return text;
}

struct Page {
    gridlens::PageIndex index;
    double buildSeconds = 0;
};

Page& page()
{
    static Page p = [] {
        Page made;
        std::istringstream table(generateTable(100u * 1024 * 1024), std::ios::binary);
        std::ostringstream html(std::ios::binary);
        gridlens::AnchorList anchors;
        gridlens::ConvertTable(table, html, anchors);
        made.index.setPage(html.str());
        const auto t0 = std::chrono::steady_clock::now();
        made.index.searchText();
        made.buildSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        return made;
    }();
    return p;
}

size_t memmemCount(const std::string& text, const std::string& needle)
{
    size_t count = 0;
    const char* p = text.data();
    const char* const end = text.data() + text.size();
    while (const void* hit = ::memmem(p, size_t(end - p), needle.data(), needle.size())) {
        ++count;
        p = static_cast<const char*>(hit) + needle.size();
    }
    return count;
}

struct Kind {
    const char* name;
    std::string needle;
    gridlens::FindOptions options;
};

const std::vector<Kind>& kinds()
{
    static const std::vector<Kind> k = {
        {"absent, match case", "Zerst\xC3\xB6rer 4711", {true, false}},
        {"absent, any case", "zerst\xC3\xB6rer 4711", {false, false}},
        {"frequent, match case", "Laser 9", {true, false}},
        {"frequent, any case", "laser 9", {false, false}},
        {"frequent, any case, whole word", "laser", {false, true}},
    };
    return k;
}

std::vector<double> g_ratio(5, 0.0);

// Pairs of passes back to back (memmem, then ours) see the same cache and
// machine load; their median ratio is the figure.
void BM_SearchAgainstMemmem(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const Kind& kind = kinds()[size_t(state.range(0))];
    const std::string& text = page().index.searchText().text;
    // memmem's own count of the same needle, case as it is in the text.
    std::string literal = kind.needle;
    if (!kind.options.matchCase)
        literal[0] = char(std::toupper(static_cast<unsigned char>(literal[0])));
    std::vector<double> ratios;
    size_t found = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(memmemCount(text, literal));
        const auto t1 = Clock::now();
        found = gridlens::CountMatches(text, kind.needle, kind.options);
        benchmark::DoNotOptimize(found);
        const auto t2 = Clock::now();
        ratios.push_back(std::chrono::duration<double>(t2 - t1).count() /
                         std::chrono::duration<double>(t1 - t0).count());
    }
    std::sort(ratios.begin(), ratios.end());
    g_ratio[size_t(state.range(0))] = ratios[ratios.size() / 2];
    state.counters["matches"] = double(found);
    state.counters["median_ratio"] = g_ratio[size_t(state.range(0))];
    state.SetLabel(kind.name);
}

BENCHMARK(BM_SearchAgainstMemmem)
    ->DenseRange(0, 4)
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const Page& p = page();
    std::printf("page %zu bytes, %d lines, search text %zu bytes (built in %.2f s)\n",
                p.index.byteSize(), p.index.lineCount(), p.index.searchText().text.size(),
                p.buildSeconds);
    for (size_t i = 0; i < kinds().size(); ++i)
        std::printf("ratio search / memmem, %s: %.2f (goal <= 2.0)\n", kinds()[i].name, g_ratio[i]);
    benchmark::Shutdown();
    return 0;
}
