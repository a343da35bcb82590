#include <benchmark/benchmark.h>

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "bench/support/resident_memory.h"
#include "decode/locale_info.h"
#include "files/csv_file.h"
#include "files/text_file.h"
#include "files/xml_packet.h"
#include "journal/journal_file.h"
#include "journal/table_journal.h"
#include "log/chart_pager.h"
#include "log/log_table.h"
#include "log/memory_chart_surface.h"
#include "log/reading_log.h"

namespace {

void putTwoDigits(std::string& text, std::size_t at, int value) {
    text[at] = static_cast<char>('0' + value / 10);
    text[at + 1] = static_cast<char>('0' + value % 10);
}

// A typical logged row: its date-time and the time walk through the day, the value through a few
// thousand readings, the rest repeats. Rewrites `r` in place so that making it costs next to
// nothing.
void typicalRow(std::int32_t i, LogRecord& r) {
    if (!r.Time) {
        r.Time = "00:00:00";
        r.DcAc = "DC";
        r.Value = "00.00";
        r.Unit = "V";
        r.rangeMode = "AUTO";
    }
    const int seconds = i % 86400;
    putTwoDigits(*r.Time, 0, seconds / 3600);
    putTwoDigits(*r.Time, 3, seconds / 60 % 60);
    putTwoDigits(*r.Time, 6, seconds % 60);
    putTwoDigits(*r.Value, 0, i % 6000 / 100);
    putTwoDigits(*r.Value, 3, i % 100);
    r.No = i + 1;
    r.Auto = i % 7 == 0 ? "Fail" : "pass";
    r.dateTimeUtcMs = std::int64_t{1'796'860'800'000} + std::int64_t{i} * 400;  // from 2026-12-10
}

void fillTable(LogTable& table, std::int32_t rows) {
    LogRecord r;
    for (std::int32_t i = 0; i < rows; ++i) {
        typicalRow(i, r);
        table.append(r);
    }
}

void BM_LogTableAppend10M(benchmark::State& state) {
    constexpr std::int32_t kRows = 10'000'000;
    for (auto _ : state) {
        const double before = residentBytes();
        LogTable table;
        const auto start = std::chrono::steady_clock::now();
        fillTable(table, kRows);
        const std::chrono::duration<double, std::nano> took =
            std::chrono::steady_clock::now() - start;
        const double after = residentBytes();
        state.counters["ns_per_row"] = took.count() / kRows;
        state.counters["bytes_per_row"] = (after - before) / kRows;
        benchmark::DoNotOptimize(table.rowCount());
    }
}
BENCHMARK(BM_LogTableAppend10M)->Iterations(1)->Unit(benchmark::kMillisecond);

void decodeOne(ReadingLog& log, FixedClock& clock, TMeterReading& reading, std::int32_t i) {
    clock.now = {i / 3600 % 24, i / 60 % 60, i % 60};
    clock.utcMs = std::int64_t{1'796'860'800'000} + std::int64_t{i} * 400;
    reading.ValueText[4] = static_cast<char>('0' + i % 10);
    log.ReadingDecoded(reading, 6000.0);
}

// The timed packets go through a function of their own, so that a profiler can count the
// instructions of these alone (valgrind --tool=callgrind --toggle-collect='*timedDecode*').
[[gnu::noinline]] void timedDecode(ReadingLog& log, FixedClock& clock, TMeterReading& reading,
                                   std::int32_t i) {
    decodeOne(log, clock, reading, i);
}

// The whole normal-mode path per decoded packet: log rules, table row, two chart points;
// range(0) 1 with the recovery journal following the table (its lines gathered, and written
// out whenever a megabyte is pending; the once-a-second sync is not on this path); range(1)
// readings logged before timing.
void BM_ReadingLogNormalMode(benchmark::State& state) {
    MemoryChartSurface chart(2);
    TChartControl pager(chart, 100);
    LogTable table;
    const std::string journals =
        (std::filesystem::temp_directory_path() / ("vxm_bench_log_" + std::to_string(::getpid())))
            .string();
    std::unique_ptr<TableJournal> journal;
    if (state.range(0) != 0) {
        std::string reason;
        journal = std::make_unique<TableJournal>(table, JournalFile::create(journals, 0, reason));
    }
    FixedClock clock;
    FixedLocale locale;
    ReadingLog log(table, pager, clock, locale);
    log.limitessClick();
    TMeterReading reading{"05.99", "DC", "V", "AUTO", "pass", 5.99};
    std::int32_t i = 0;
    while (i < state.range(1)) {
        decodeOne(log, clock, reading, i);
        ++i;
    }
    for (auto _ : state) {
        timedDecode(log, clock, reading, i);
        if (++i == 10'000'000) {
            state.PauseTiming();
            log.RecordNewClick();
            i = 0;
            state.ResumeTiming();
        }
    }
    if (journal) {
        if (journal->failed()) state.SkipWithError("the journal could not be written");
        journal->finish();
        std::filesystem::remove_all(journals);
    }
}
BENCHMARK(BM_ReadingLogNormalMode)
    ->ArgNames({"journal", "logged"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1'000'000})
    ->Args({1, 1'000'000})
    ->Iterations(200'000);

// AddValue must not slow down as the chart fills.
void BM_PagerAddValue(benchmark::State& state) {
    MemoryChartSurface chart(2);
    TChartControl pager(chart, 100);
    for (std::int64_t i = 0; i < state.range(0); ++i)
        pager.AddValue(1.0);
    for (auto _ : state)
        pager.AddValue(2.0);
    state.counters["points_before"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_PagerAddValue)->Arg(1000)->Arg(1'000'000)->Arg(10'000'000);

std::string scratchFile(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

double secondsOf(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times `save` (which writes `file`) against a plain copy of the file it wrote, per iteration:
// rows_per_s, save_to_copy and file_MB; both files are removed afterwards.
void saveAgainstCopy(benchmark::State& state, std::int32_t rows, const std::string& file,
                     const std::function<FileResult()>& save) {
    const std::string copy = file + ".copy";
    double saveSeconds = 0;
    double copySeconds = 0;
    for (auto _ : state) {
        saveSeconds += secondsOf([&] {
            const FileResult result = save();
            if (!result.ok) state.SkipWithError(result.reason.c_str());
        });
        copySeconds += secondsOf([&] {
            std::filesystem::copy_file(file, copy,
                                       std::filesystem::copy_options::overwrite_existing);
        });
    }
    state.counters["rows_per_s"] = benchmark::Counter(
        static_cast<double>(rows) * static_cast<double>(state.iterations()) / saveSeconds);
    state.counters["save_to_copy"] = saveSeconds / copySeconds;
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    std::filesystem::remove(file);
    std::filesystem::remove(copy);
}

template <bool Xml>
void BM_SaveMillion(benchmark::State& state) {
    constexpr std::int32_t kRows = 1'000'000;
    LogTable table;
    fillTable(table, kRows);
    const std::string file = scratchFile(Xml ? "vxm_bench.xml" : "vxm_bench.txt");
    saveAgainstCopy(state, kRows, file, [&] {
        return Xml ? saveXmlPacket(table, file) : TableToTextFile(table, file);
    });
}
BENCHMARK(BM_SaveMillion<false>)->Name("BM_SaveMillion/text")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveMillion<true>)->Name("BM_SaveMillion/xml")->Unit(benchmark::kMillisecond);

// The CSV export of a million logged rows (each with its date-time, a quarter of a second
// apart, in the machine's zone) against a plain copy of the file it writes.
void BM_CsvExportMillion(benchmark::State& state) {
    constexpr std::int32_t kRows = 1'000'000;
    LogTable table;
    LogTable source;
    fillTable(source, kRows);
    // The typical rows with date-times, and a third of them in kilohms, the rest in millivolts.
    for (std::int32_t i = 0; i < kRows; ++i) {
        LogRecord row = source.record(static_cast<std::size_t>(i));
        row.Unit = i % 3 == 0 ? "k*" : "mV";
        row.dateTimeUtcMs = 1'796'919'876'250 + std::int64_t{i} * 250;
        table.append(row);
    }
    const SystemTimeZone zone;
    const std::string file = scratchFile("vxm_bench.csv");
    saveAgainstCopy(state, kRows, file, [&] { return saveCsvFile(table, file, zone); });
}
BENCHMARK(BM_CsvExportMillion)->Unit(benchmark::kMillisecond);

template <bool Xml>
void BM_LoadMillion(benchmark::State& state) {
    constexpr std::int32_t kRows = 1'000'000;
    std::string bytes;
    {
        LogTable table;
        fillTable(table, kRows);
        OutputBuffer out;
        if (Xml) {
            writeXmlPacket(table, out);
        } else {
            writeTextTable(table, out);
        }
        bytes = std::move(out.bytes());
    }
    for (auto _ : state) {
        LogTable table;
        const FileResult r =
            Xml ? loadXmlPacket(bytes, table) : loadTextTable(bytes, table, NumberFormat{});
        if (!r.ok || table.rowCount() != static_cast<std::size_t>(kRows)) {
            state.SkipWithError("load failed");
        }
    }
    state.counters["rows_per_s"] = benchmark::Counter(
        static_cast<double>(kRows), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadMillion<false>)->Name("BM_LoadMillion/text")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMillion<true>)->Name("BM_LoadMillion/xml")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
