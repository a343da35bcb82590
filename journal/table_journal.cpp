#include "journal/table_journal.h"

#include <new>
#include <utility>

#include "journal/journal_format.h"

namespace {

// Past this, lines are written out at once (a large load), so memory stays bounded.
constexpr std::size_t kWriteThroughBytes = std::size_t{1} << 20;

}  // namespace

TableJournal::TableJournal(LogTable& table, std::unique_ptr<JournalFile> file)
    : m_table(table), m_file(std::move(file)), m_path(m_file->path()) {
    m_observer = m_table.addObserver(
        {[this](std::size_t first, std::size_t count) { rowsAppended(first, count); },
         [this] { reset(); }});
    if (!m_table.empty()) rowsAppended(0, m_table.rowCount());
}

TableJournal::~TableJournal() {
    m_table.removeObserver(m_observer);
}

void TableJournal::rowsAppended(std::size_t first, std::size_t count) {
    if (m_failed) return;
    try {
        for (std::size_t row = first; row < first + count; ++row) {
            appendJournalLine(m_table, row, m_pending);
            if (m_pending.size() >= kWriteThroughBytes) writePending();
            if (m_failed) return;
        }
    } catch (const std::bad_alloc&) {
        m_pending = std::string();
        fail("Out of memory");
    }
}

void TableJournal::reset() {
    if (m_failed) return;
    m_pending.clear();
    if (const auto error = m_file->restart()) {
        fail(*error);
        return;
    }
    // Content that replaced the old at once (an XML load) is there already.
    if (!m_table.empty()) rowsAppended(0, m_table.rowCount());
}

void TableJournal::writePending() {
    if (m_failed || m_pending.empty()) return;
    const auto error = m_file->write(m_pending);
    m_pending.clear();
    if (error) fail(*error);
}

void TableJournal::flush() {
    if (m_failed) return;
    const bool wrote = !m_pending.empty();
    writePending();
    if (m_failed || !wrote) return;
    if (const auto error = m_file->sync()) fail(*error);
}

void TableJournal::finish() {
    m_pending.clear();
    m_file->remove();
}

void TableJournal::fail(const std::string& reason) {
    m_failed = true;
    m_pending = std::string();
    m_failure = m_path + ": " + reason;
}

std::optional<std::string> TableJournal::takeFailure() {
    return std::exchange(m_failure, std::nullopt);
}
