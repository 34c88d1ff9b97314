// Time from Open until the tree is filled and the first screen of the page is
// laid out and painted, for generated 1 MB and 10 MB tables. The cost should
// grow no faster than the table: the 10 MB / 1 MB ratio is the number to watch.
// A QTextBrowser showing the same 1 MB page is measured beside it for scale.
#include "tblview/ui/gridlens_app.h"
#include "tblview/ui/gridlens_doc.h"
#include "tblview/ui/gridlens_view.h"
#include "tblview/ui/main_frame.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>

namespace {

QTemporaryDir* g_dir = nullptr;

// A table of weapon-like blocks: sections, entries, indented keys, comments.
std::string generateTable(size_t bytes)
{
    std::string t;
    t.reserve(bytes + 256);
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    int section = 0, entry = 0;
    while (t.size() < bytes) {
        t += "#Section " + std::to_string(section++) + "\r\n; comment about this part\r\n";
        for (int e = 0; e < 12 && t.size() < bytes; ++e) {
            t += "$Name: \"Entry " + std::to_string(entry++) + "\"   ; its name\r\n";
            const int fields = 6 + int(next() % 8);
            for (int f = 0; f < fields; ++f)
                t += "\t+Field " + std::to_string(f) + ": " + std::to_string(next() % 100000) +
                     " " + std::string(next() % 20, 'x') + "\r\n";
            t += "\t@Sound: \"sound_" + std::to_string(e) + ".wav\"\r\n\r\n";
        }
    }
    t += "#End\r\n";
    return t;
}

std::string tablePath(size_t megabytes)
{
    const std::string path =
        g_dir->path().toStdString() + "/table" + std::to_string(megabytes) + "mb.tbl";
    if (!QFile::exists(QString::fromStdString(path))) {
        std::ofstream(path, std::ios::binary) << generateTable(megabytes << 20);
    }
    return path;
}

struct Viewer {
    std::unique_ptr<gridlens::CGRIDLENS32LApp> app;
    Viewer()
    {
        app = std::make_unique<gridlens::CGRIDLENS32LApp>();
        app->InitInstance({});
        app->mainFrame()->show();
        QApplication::processEvents();
    }
};

void BM_OpenToFirstScreen(benchmark::State& state)
{
    Viewer viewer;
    const QString path = QString::fromStdString(tablePath(size_t(state.range(0))));
    for (auto _ : state) {
        if (!viewer.app->OpenDocumentFile(path))
            state.SkipWithError("open failed");
        // Paints tree and page as they stand on screen after opening.
        const QPixmap shown = viewer.app->mainFrame()->grab();
        benchmark::DoNotOptimize(shown.cacheKey());
    }
    state.counters["anchors"] = viewer.app->document()->anchors().count();
}
BENCHMARK(BM_OpenToFirstScreen)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Printing the whole 1 MB page to a PDF file, wrapped to A4.
void BM_PrintToPdf(benchmark::State& state)
{
    Viewer viewer;
    viewer.app->OpenDocumentFile(QString::fromStdString(tablePath(1)));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(g_dir->path() + QStringLiteral("/print.pdf"));
        if (!viewer.app->mainFrame()->htmlView()->printTo(printer))
            state.SkipWithError("print failed");
    }
    state.counters["MB"] =
        double(QFileInfo(g_dir->path() + QStringLiteral("/print.pdf")).size()) / 1e6;
}
BENCHMARK(BM_PrintToPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

// The same 1 MB page in QTextBrowser, with its colours made readable for Qt.
void BM_QTextBrowserBaseline(benchmark::State& state)
{
    Viewer viewer;
    viewer.app->OpenDocumentFile(QString::fromStdString(tablePath(1)));
    QFile page(QString::fromLocal8Bit(viewer.app->TempPagePath));
    page.open(QIODevice::ReadOnly);
    QString html = QString::fromLocal8Bit(page.readAll());
    html.replace(QStringLiteral("color=\""), QStringLiteral("color=\"#"));
    QTextBrowser browser;
    browser.resize(600, 420);
    browser.show();
    for (auto _ : state) {
        browser.setHtml(html);
        const QPixmap shown = browser.grab();
        benchmark::DoNotOptimize(shown.cacheKey());
    }
}
BENCHMARK(BM_QTextBrowserBaseline)->Unit(benchmark::kMillisecond)->Iterations(2);

// Prints the ratios after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration)
                m_times[r.benchmark_name()] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto one = m_times["BM_OpenToFirstScreen/1/min_time:2.000"];
        const auto ten = m_times["BM_OpenToFirstScreen/10/min_time:2.000"];
        const auto qt = m_times["BM_QTextBrowserBaseline/iterations:2"];
        // Wall time counts waits for the disk and for other processes; CPU time
        // is the program's own work. Both should grow no faster than the table.
        if (one.first > 0 && ten.first > 0)
            std::printf("open to first screen: 1 MB %.1f ms (CPU %.1f), 10 MB %.1f ms (CPU %.1f); "
                        "ratio 10MB/1MB wall %.2f, CPU %.2f (goal <= 10; 1 MB goal <= 500 ms)\n",
                        one.first, one.second, ten.first, ten.second, ten.first / one.first,
                        ten.second / one.second);
        if (one.first > 0 && qt.first > 0)
            std::printf("QTextBrowser 1 MB %.1f ms (CPU %.1f): the own view is %.0fx faster\n",
                        qt.first, qt.second, qt.first / one.first);
    }

private:
    std::map<std::string, std::pair<double, double>> m_times; // wall, CPU
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir; // TEMP, the registry store and the tables live here
    g_dir = &dir;
    qputenv("TEMP", dir.path().toLocal8Bit() + "/");
    qputenv("QM_REGISTRY_DB", dir.path().toLocal8Bit() + "/registry.sqlite");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
