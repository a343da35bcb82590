#include "cli/log_output.h"

#include <cstdio>
#include <ostream>
#include <utility>

#include "files/csv_file.h"
#include "files/data_files.h"
#include "files/text_file.h"

namespace {

constexpr int kJournalAttempts = 100;

}  // namespace

std::string LogOutput::journalName(const std::string& target, int attempt) {
    return attempt == 0 ? target + ".partial.txt"
                        : target + ".partial-" + std::to_string(attempt + 1) + ".txt";
}

LogOutput::LogOutput(std::string target, const TimeZone& zone, std::ostream& err)
    : m_target(std::move(target)), m_zone(zone), m_err(err), m_xml(hasXmlExtension(m_target)) {
    if (m_xml) {
        m_streamedFile = journalName(m_target, 0);
        m_stream = std::make_unique<TableFileStream>(
            m_streamedFile, std::make_unique<TextRowFormat>(), TableFileStream::Create::New);
    } else {
        m_streamedFile = m_target;
        std::unique_ptr<TableRowFormat> format;
        if (hasCsvExtension(m_target)) {
            format = std::make_unique<CsvRowFormat>(m_zone);
        } else {
            format = std::make_unique<TextRowFormat>();
        }
        m_stream = std::make_unique<TableFileStream>(m_target, std::move(format));
    }
}

void LogOutput::update(const LogTable& table, std::int64_t nowMs) {
    if (m_stream->failure()) return;
    if (!m_stream->opened()) m_lastSyncMs = nowMs;
    bool ok = m_stream->writeNewRows(table);
    // The journal of an earlier run that was killed keeps its name; this run takes the next.
    while (!ok && m_xml && !m_stream->opened() && m_stream->failure() == "File exists" &&
           ++m_journalAttempt < kJournalAttempts) {
        m_streamedFile = journalName(m_target, m_journalAttempt);
        m_stream = std::make_unique<TableFileStream>(
            m_streamedFile, std::make_unique<TextRowFormat>(), TableFileStream::Create::New);
        ok = m_stream->writeNewRows(table);
    }
    if (ok && nowMs - m_lastSyncMs >= kLogSyncIntervalMs) {
        ok = m_stream->sync();
        m_lastSyncMs = nowMs;
    }
    if (!ok) reportFailure();
}

void LogOutput::reportFailure() {
    if (m_failureReported) return;
    m_failureReported = true;
    m_err << "vxm90-cli log: cannot write " << m_streamedFile << ": "
          << m_stream->failure().value_or("write error")
          << " (logging goes on in memory; the log is saved to " << m_target << " at the end)\n"
          << std::flush;
}

FileResult LogOutput::finish(const LogTable& table) {
    const bool streamed = !m_stream->failure() && m_stream->finish(table);
    if (!streamed) reportFailure();
    if (!m_xml && streamed) return saveSucceeded(m_target);
    // The XML packet (or, after a failed stream, the whole log) is saved as the window saves.
    FileResult saved = saveTableFile(table, m_target, m_zone);
    if (m_xml && m_stream->opened()) {
        if (saved.ok) {
            std::remove(m_streamedFile.c_str());
        } else if (streamed) {
            saved.reason += (saved.reason.empty() ? "" : "; ") +
                            std::string("the rows are kept in ") + m_streamedFile;
        }
    }
    return saved;
}
