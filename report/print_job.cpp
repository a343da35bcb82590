#include "report/print_job.h"

#include <QPrinter>

#include "ui/timers.h"

PrintJob::PrintJob(const DataReport1& report, QPrinter& printer, const PageFrame& frame,
                   const PrintPlan& plan, Timers& timers, Events events)
    : m_report(report),
      m_printer(printer),
      m_frame(frame),
      m_plan(plan),
      m_events(std::move(events)),
      m_timer(timers.create([this] { printNextSheet(); })) {
    m_timer->setInterval(0);
}

PrintJob::~PrintJob() {
    // A job still running when its window goes keeps what it printed.
    if (m_running) {
        m_timer->stop();
        m_painter.end();
    }
}

bool PrintJob::start() {
    if (m_running || !m_painter.begin(&m_printer)) return false;
    m_running = true;
    m_cancelled = false;
    m_done = 0;
    m_timer->start();
    return true;
}

void PrintJob::cancel() {
    m_cancelled = m_running;
}

void PrintJob::printNextSheet() {
    if (!m_running) return;
    if (m_cancelled) {
        finish(PrintOutcome::Cancelled);
        return;
    }
    if (!m_report.rows().intact()) {
        m_printer.abort();
        finish(PrintOutcome::RowsGone);
        return;
    }
    if (m_done > 0 && !m_printer.newPage()) {
        finish(PrintOutcome::Failed);
        return;
    }
    if (!m_report.drawPage(m_painter, m_frame, m_plan.pageOfSheet(m_done))) {
        finish(PrintOutcome::Failed);
        return;
    }
    ++m_done;
    if (m_events.progress) m_events.progress(m_done, m_plan.sheetCount());
    if (m_done == m_plan.sheetCount()) finish(PrintOutcome::Printed);
}

void PrintJob::finish(PrintOutcome outcome) {
    m_running = false;
    m_timer->stop();
    if (m_painter.isActive()) m_painter.end();
    if (outcome == PrintOutcome::Printed && m_printer.printerState() == QPrinter::Error) {
        outcome = PrintOutcome::Failed;
    }
    // A copy: the owner may drop its handlers from inside.
    const auto finished = m_events.finished;
    if (finished) finished(outcome);
}
