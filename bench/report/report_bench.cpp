// The printed report: opening the preview and showing page 1, with the preview's extra
// memory, on logs of 10,000 and 1,000,000 records; and writing the report as PDF.
// Run with QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/support/qt_bench_main.h"
#include "bench/support/resident_memory.h"
#include "log/log_table.h"
#include "report/page_view.h"
#include "report/report_dialogs.h"
#include "report/report_pdf.h"
#include "report/report_preview.h"
#include "report/report_printer.h"
#include "ui/fonts.h"
#include "ui/qt_timers.h"

namespace {

class NoReportDialogs : public ReportDialogs {
public:
    bool printSetup(QWidget*, QPrinter&, int) override { return false; }
    std::unique_ptr<PrintProgress> printProgress(QWidget*, std::function<void()>) override {
        return nullptr;
    }
};

double heapInUse() {
    return static_cast<double>(mallinfo2().uordblks);
}

// A log as the meter fills it: the time walks, the value changes, the rest mostly repeats.
const LogTable& logOf(std::int64_t records) {
    static std::map<std::int64_t, std::unique_ptr<LogTable>> tables;
    auto& table = tables[records];
    if (table) return *table;
    table = std::make_unique<LogTable>();
    LogRecord r;
    r.DcAc = "DC";
    r.Unit = "V";
    char time[16];
    char value[16];
    const LogTableUpdate update(*table);
    for (std::int64_t i = 0; i < records; ++i) {
        const auto s = static_cast<int>(i % 86400);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
        std::snprintf(value, sizeof value, "%d.%03d", static_cast<int>(i / 1000 % 6),
                      static_cast<int>(i % 1000));
        r.No = static_cast<std::int32_t>(i + 1);
        r.Time = time;
        r.Value = value;
        r.Auto = i % 17 == 0 ? "Fail" : "pass";
        table->append(r);
    }
    return *table;
}

// From the Print click to page 1 on screen: the printer (made at the first Print), the
// window, and the paint that draws the page. The extra memory is the largest growth of the
// heap and of the resident size while a preview is open, the first one (which loads Qt's
// print and font machinery) included.
void BM_OpenPreviewAndShowPage1(benchmark::State& state) {
    const LogTable& table = logOf(state.range(0));
    NoReportDialogs dialogs;
    QtTimers timers;
    double extraHeap = 0;
    double extraResident = 0;
    std::size_t pages = 0;
    double slowestMs = 0;
    for (auto _ : state) {
        const double heapBefore = heapInUse();
        const double residentBefore = residentBytes();
        QElapsedTimer clock;
        clock.start();
        auto printer = std::make_unique<ReportPrinter>();
        auto preview = std::make_unique<ReportPreview>(
            ReportRows(table), *printer, dialogs, timers, [](const QString&) {}, nullptr);
        preview->show();
        const QImage shown = preview->grab().toImage();
        benchmark::DoNotOptimize(shown.constBits());
        state.PauseTiming();
        slowestMs = std::max(slowestMs, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (preview->pageView()->pagesDrawn() != 1) state.SkipWithError("page 1 was not drawn");
        pages = preview->pageCount();
        extraHeap = std::max(extraHeap, heapInUse() - heapBefore);
        extraResident = std::max(extraResident, residentBytes() - residentBefore);
        preview.reset();
        printer.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["records"] = static_cast<double>(table.rowCount());
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["extra_heap_MB"] = extraHeap / 1e6;
    state.counters["extra_rss_MB"] = extraResident / 1e6;
    state.counters["slowest_open_ms"] = slowestMs;  // the first in the process loads plugins
}
BENCHMARK(BM_OpenPreviewAndShowPage1)
    ->Arg(10000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// Paging through an open preview: every step draws a page not seen before.
void BM_PreviewNextPage(benchmark::State& state) {
    const LogTable& table = logOf(state.range(0));
    NoReportDialogs dialogs;
    QtTimers timers;
    ReportPrinter printer;
    ReportPreview preview(
        ReportRows(table), printer, dialogs, timers, [](const QString&) {}, nullptr);
    preview.show();
    preview.pageView()->grab();
    for (auto _ : state) {
        if (preview.currentPage() + 1 >= preview.pageCount()) preview.firstPage();
        preview.nextPage();
        const QImage shown = preview.pageView()->grab().toImage();
        benchmark::DoNotOptimize(shown.constBits());
    }
    state.counters["kept_pages"] = static_cast<double>(preview.pageView()->keptPages());
}
BENCHMARK(BM_PreviewNextPage)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The whole report as a PDF file, as vxm90-cli report writes it.
void BM_ReportPdf(benchmark::State& state) {
    const LogTable& table = logOf(state.range(0));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.pdf"));
    std::size_t pages = 0;
    for (auto _ : state) {
        const ReportPdfResult result = writeReportPdf(table, file);
        if (!result.ok) state.SkipWithError("the PDF was not written");
        pages = result.pages;
    }
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["pages_per_s"] =
        benchmark::Counter(static_cast<double>(pages) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["file_MB"] = static_cast<double>(QFileInfo(file).size()) / 1e6;
}
BENCHMARK(BM_ReportPdf)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return runQtBenchmarks(argc, argv);
}
