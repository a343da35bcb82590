// Costs of the whole window path of one meter packet (decode, LCD panel, verdict, log append,
// grid, chart, recovery journal) with an empty log and with a million logged rows, the
// journal's write-out of a second's rows, and the time from program start to the window shown.
// Run with QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "app/shell/main_window.h"
#include "bench/support/qt_bench_main.h"
#include "bench/support/silent_dialogs.h"
#include "decode/locale_info.h"
#include "journal/journal_file.h"
#include "journal/table_journal.h"
#include "link/serial/serial_platform.h"
#include "log/clock.h"
#include "log/log_table.h"
#include "report/qt_report_dialogs.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/qt_timers.h"

namespace {

using Packet = std::array<std::uint8_t, 14>;

// DC volts, auto range, point after digit 2; the count walks so that every packet differs.
Packet packet(std::int64_t n) {
    const int count = static_cast<int>(n % 6000);
    const auto digit = [](int d) { return static_cast<std::uint8_t>('0' + d); };
    return {'+',
            digit(count / 1000),
            digit(count / 100 % 10),
            digit(count / 10 % 10),
            digit(count % 10),
            0x20,
            '2',
            0x30,
            0x00,
            0x00,
            0x80,
            0x00,
            0x0D,
            0x0A};
}

// A folder of its own for the journals of one benchmark, removed afterwards.
struct ScratchJournalFolder {
    ScratchJournalFolder()
        : path((std::filesystem::temp_directory_path() /
                ("vxm_bench_journal_" + std::to_string(::getpid())))
                   .string()) {}
    ~ScratchJournalFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    const std::string path;
};

struct Bench {
    ScratchJournalFolder journals;
    SilentDialogs dialogs;
    QtReportDialogs reportDialogs;  // never opened here
    FixedLocale locale;
    FixedClock clock;
    QtTimers timers;
    std::unique_ptr<TFCOMM> window;

    Bench(std::int64_t logged, bool journal) {
        // The serial port is never opened here; packets go straight to the window.
        window = std::make_unique<TFCOMM>(
            WindowEnvironment{dialogs,
                              reportDialogs,
                              locale,
                              clock,
                              timers,
                              makeQtSerialPlatform(),
                              {},
                              [] { return true; },
                              [] {},
                              nullptr,
                              nullptr,
                              journal ? std::optional<std::string>(journals.path) : std::nullopt});
        window->recordLimitAction(RecordLimitChoice::limitess)->trigger();
        window->show();
        const std::uint8_t lineFeed = 0x0A;
        window->receiveSerialData(&lineFeed, 1);
        for (std::int64_t i = 0; i < logged; ++i) {
            feed(i);
            if (i % 4096 == 0) QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
    }
    ~Bench() { window->finishJournal(); }
    void feed(std::int64_t n) {
        const Packet p = packet(n);
        window->receiveSerialData(p.data(), static_cast<std::int32_t>(p.size()));
    }
};

// The timed packets go through a function of their own, so that a profiler can count the
// instructions of these alone (valgrind --tool=callgrind --toggle-collect='*timedFeed*').
[[gnu::noinline]] void timedFeed(Bench& bench, std::int64_t n) {
    bench.feed(n);
}

// One packet through the window; range(0) rows logged before timing; range(1) 1 turns the
// event loop after every packet (the repaint of LCD, verdict, grid and chart included, as at
// the meter's rate, and the journal's once-a-second write-out when it falls due), 0 never;
// range(2) 1 with the recovery journal, 0 without.
void BM_PacketThroughWindow(benchmark::State& state) {
    Bench bench(state.range(0), state.range(2) != 0);
    const bool repaint = state.range(1) != 0;
    std::int64_t n = state.range(0);
    for (auto _ : state) {
        timedFeed(bench, n++);
        if (repaint) QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    state.counters["rows"] = static_cast<double>(bench.window->cds1().rowCount());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PacketThroughWindow)
    ->ArgNames({"logged", "repaint", "journal"})
    ->Args({0, 0, 0})
    ->Args({0, 0, 1})
    ->Args({1000000, 0, 0})
    ->Args({1000000, 0, 1})
    ->Args({0, 1, 0})
    ->Args({0, 1, 1})
    ->Args({1000000, 1, 0})
    ->Args({1000000, 1, 1})
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

// The journal's write-out, once a second in the window: range(0) rows gathered (12 is a second
// at the cable's fastest pace) written and put on the disk.
void BM_JournalWriteOut(benchmark::State& state) {
    ScratchJournalFolder folder;
    LogTable table;
    std::string reason;
    TableJournal journal(table, JournalFile::create(folder.path, 0, reason));
    LogRecord row;
    row.Time = "10:15:30";
    row.DcAc = "DC";
    row.Value = "05.99";
    row.Unit = "V";
    row.Auto = "pass";
    std::int32_t n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (std::int64_t i = 0; i < state.range(0); ++i) {
            row.No = ++n;
            row.dateTimeUtcMs = std::int64_t{1'796'860'800'000} + n * 83;
            table.append(row, RowOrigin::Reading);
        }
        state.ResumeTiming();
        journal.flush();
    }
    if (journal.failed()) state.SkipWithError("the journal could not be written");
    journal.finish();
}
BENCHMARK(BM_JournalWriteOut)->Arg(12)->Unit(benchmark::kMicrosecond)->Iterations(200);

// The program started as a process until its window has been shown and painted once.
void BM_StartToWindowShown(benchmark::State& state) {
    for (auto _ : state) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("VXM90_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(VXM90_PROGRAM), {});
        if (!program.waitForFinished(10000) || program.exitCode() != 0) {
            state.SkipWithError("the program did not start and end");
            return;
        }
    }
}
BENCHMARK(BM_StartToWindowShown)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return runQtBenchmarks(argc, argv);
}
