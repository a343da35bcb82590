#pragma once

#include <QPainter>

#include <cstddef>
#include <functional>
#include <memory>

#include "report/data_report.h"
#include "report/report_printer.h"

class QPrinter;
class Timer;
class Timers;

/// How a print run ended.
enum class PrintOutcome {
    Printed,    ///< every sheet of the plan
    Cancelled,  ///< stopped by the user after a whole page; the pages printed so far stand
    RowsGone,   ///< the log was cleared or replaced: the job is aborted, nothing more printed
    Failed,     ///< the printer refused to start or to take another page
};

/// Prints a report onto a printer in full-page mode one sheet per turn of the event loop, so the
/// windows stay responsive and Cancel takes effect between pages, never inside one. GUI thread
/// only; the report and the printer must outlive the job.
class PrintJob {
public:
    struct Events {
        /// After each sheet: sheets done and the total.
        std::function<void(std::size_t done, std::size_t total)> progress;
        /// Once, when the run has ended for whatever reason.
        std::function<void(PrintOutcome outcome)> finished;
    };

    PrintJob(const DataReport1& report, QPrinter& printer, const PageFrame& frame,
             const PrintPlan& plan, Timers& timers, Events events);
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    /// Begins the job on the printer and schedules the first sheet; false (with nothing
    /// scheduled and `finished` not called) when the printer does not start.
    bool start();
    /// Stops the run before the next sheet, keeping the pages printed so far: a sheet is always
    /// printed whole, and `finished` comes from the next turn of the loop, not from inside
    /// this call (which may come from a button of a window the handler closes).
    void cancel();
    bool running() const { return m_running; }
    std::size_t sheetsDone() const { return m_done; }

private:
    void printNextSheet();
    void finish(PrintOutcome outcome);

    const DataReport1& m_report;
    QPrinter& m_printer;
    PageFrame m_frame;
    PrintPlan m_plan;
    Events m_events;
    std::unique_ptr<Timer> m_timer;
    QPainter m_painter;
    std::size_t m_done = 0;
    bool m_running = false;
    bool m_cancelled = false;
};
