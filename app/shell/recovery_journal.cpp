#include "app/shell/recovery_journal.h"

#include <QFile>
#include <QString>

#include <cstdio>

#include "files/mapped_file.h"
#include "journal/journal_file.h"
#include "journal/journal_format.h"
#include "journal/table_journal.h"
#include "log/clock.h"
#include "log/log_table.h"
#include "ui/dialogs.h"
#include "ui/timers.h"

namespace {

QString nativeText(const std::string& text) {
    return QFile::decodeName(QByteArray::fromStdString(text));
}

std::string dateTimeText(const TimeZone& zone, std::int64_t utcMs, const char* format) {
    const LocalDateTime t = zone.local(utcMs);
    char buf[64];
    std::snprintf(buf, sizeof buf, format, t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

QString question(const TimeZone& zone, const JournalSummary& summary) {
    const char* const shown = "%04d-%02d-%02d %02d:%02d:%02d";
    // Rows loaded from files have no date; a journal of nothing else tells only its count.
    if (!summary.firstTime) {
        return QStringLiteral(
                   "The readings of an earlier run were not saved (%1 readings). "
                   "Restore them into the log?")
            .arg(summary.rows);
    }
    return QStringLiteral(
               "The readings of an earlier run were not saved (%1 readings, from %2 "
               "to %3). Restore them into the log?")
        .arg(summary.rows)
        .arg(QString::fromStdString(dateTimeText(zone, *summary.firstTime, shown)),
             QString::fromStdString(dateTimeText(zone, *summary.lastTime, shown)));
}

}  // namespace

RecoveryJournal::RecoveryJournal(LogTable& table, const Clock& clock, const TimeZone& zone,
                                 Timers& timers, Dialogs& dialogs, QWidget* owner,
                                 std::optional<std::string> folder)
    : m_table(table),
      m_zone(zone),
      m_dialogs(dialogs),
      m_owner(owner),
      m_folder(std::move(folder)) {
    if (!m_folder) return;
    std::string reason;
    auto file = JournalFile::create(*m_folder, clock.read().utcMs, reason);
    if (!file) {
        m_startFailure = reason;
        return;
    }
    m_journal = std::make_unique<TableJournal>(m_table, std::move(file));
    m_flushTimer = timers.create([this] { flush(); });
    m_flushTimer->setInterval(kFlushIntervalMs);
    m_flushTimer->start();
}

RecoveryJournal::~RecoveryJournal() = default;

std::string RecoveryJournal::path() const {
    return m_journal ? m_journal->path() : std::string();
}

void RecoveryJournal::offerLeftovers() {
    if (!m_folder) return;
    for (LeftoverJournal& leftover : LeftoverJournal::find(*m_folder)) {
        std::string reason;
        const auto file = MappedFile::open(leftover.path(), reason);
        if (!file) continue;  // left for a later start
        const JournalSummary summary = summarizeJournal(file->bytes());
        if (summary.rows == 0 && summary.damagedLine == 0) {
            leftover.remove();  // a run that logged nothing
            continue;
        }
        const std::int64_t dated = summary.firstTime.value_or(0);
        const std::string stem = dateTimeText(m_zone, dated, "%04d-%02d-%02d_%02d-%02d-%02d");
        bool restored = false;
        if (summary.rows > 0 &&
            m_dialogs.confirm(m_owner, QStringLiteral("Information"), question(m_zone, summary))) {
            const LogTableUpdate update(m_table);
            readJournal(file->bytes(), [this](const LogRecord& record) {
                m_table.append(record, RowOrigin::Reading);
            });
            restored = true;
            if (summary.damagedLine == 0) {
                leftover.remove();
                continue;
            }
        }
        const auto kept = leftover.keep(stem, reason);
        const QString where = kept ? nativeText(*kept) : nativeText(leftover.path());
        if (restored) {
            m_dialogs.information(
                m_owner, QStringLiteral("%1 readings were restored. The rest of the journal "
                                        "cannot be read; it is kept in %2.")
                             .arg(summary.rows)
                             .arg(where));
        } else {
            m_dialogs.information(
                m_owner,
                QStringLiteral(
                    "The readings are kept in %1 (\"vxm90-cli convert\" turns it into a data "
                    "file).")
                    .arg(where));
        }
    }
    if (m_startFailure) reportFailure(*std::exchange(m_startFailure, std::nullopt));
    flush();
}

void RecoveryJournal::flush() {
    if (!m_journal) return;
    m_journal->flush();
    if (const auto failure = m_journal->takeFailure()) reportFailure(*failure);
}

void RecoveryJournal::reportFailure(const std::string& reason) {
    if (m_reported) return;
    m_reported = true;
    if (m_flushTimer) m_flushTimer->stop();
    m_dialogs.error(m_owner, QStringLiteral("The readings cannot be kept safe from a crash: %1. "
                                            "Logging goes on; save the log to keep them.")
                                 .arg(nativeText(reason)));
}

void RecoveryJournal::finish() {
    if (m_flushTimer) m_flushTimer->stop();
    if (m_journal) m_journal->finish();
}
