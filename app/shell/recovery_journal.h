#pragma once

#include <memory>
#include <optional>
#include <string>

class Clock;
class Dialogs;
class LogTable;
class QWidget;
class TableJournal;
class TimeZone;
class Timer;
class Timers;

/// The window's recovery journal: keeps every row of the log in a journal file of this run,
/// written out once a second, and at start-up offers back the readings of runs that did not
/// end cleanly. A journal that cannot be made or written is reported once; logging goes on.
/// GUI thread only.
class RecoveryJournal {
public:
    static constexpr int kFlushIntervalMs = 1000;

    /// folder: where journals live; std::nullopt: no journal (nothing is kept or offered).
    RecoveryJournal(LogTable& table, const Clock& clock, const TimeZone& zone, Timers& timers,
                    Dialogs& dialogs, QWidget* owner, std::optional<std::string> folder);
    ~RecoveryJournal();
    RecoveryJournal(const RecoveryJournal&) = delete;
    RecoveryJournal& operator=(const RecoveryJournal&) = delete;

    /// Once the window shows: one question per leftover journal, oldest first, then the report
    /// of a journal that could not be made.
    void offerLeftovers();
    /// The program ends cleanly: this run's journal goes.
    void finish();
    /// The journal's file, or "" without one.
    std::string path() const;

private:
    void flush();
    void reportFailure(const std::string& reason);

    LogTable& m_table;
    const TimeZone& m_zone;
    Dialogs& m_dialogs;
    QWidget* m_owner;
    std::optional<std::string> m_folder;
    std::unique_ptr<TableJournal> m_journal;
    std::unique_ptr<Timer> m_flushTimer;
    std::optional<std::string> m_startFailure;
    bool m_reported = false;
};
