#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "files/file_result.h"
#include "files/table_stream.h"
#include "log/clock.h"
#include "log/log_table.h"

/// How often `vxm90-cli log` forces its rows onto the disk at the least.
inline constexpr int kLogSyncIntervalMs = 1000;

/// Where `vxm90-cli log` keeps its rows while it runs, so that a killed capture loses at most
/// what arrived since the last write:
/// - TAB text and CSV are written to the target itself as rows arrive (the file is emptied at
///   the first write, the header goes first). The target is what the user will look for, and a
///   temporary name would leave the rows where nobody looks, beside an older file that seems
///   current.
/// - An XML data packet can only be written whole, at the end, through a temporary file as
///   every save is. Until that save succeeds the rows are journalled beside it as TAB text
///   (journalName()), which the window and `convert` load; the journal is removed once the
///   packet is saved and kept (and named) when that fails.
/// A stream that fails (a full disk) is reported once; logging goes on in memory and the end
/// saves the whole log under the target as a normal save does. Main thread only.
class LogOutput {
public:
    /// target: the --out name. zone: the time zone of CSV times; must outlive this.
    LogOutput(std::string target, const TimeZone& zone, std::ostream& err);

    /// The rows logged since the last call go to the system at once (one write); every
    /// kLogSyncIntervalMs at the least, what was written is forced onto the disk. Call it
    /// after each batch of input and on the capture's wake-ups, with the monotonic time in ms.
    void update(const LogTable& table, std::int64_t nowMs);
    /// The capture has ended: the last rows are written and the file completed (for XML: the
    /// packet saved and the journal removed). The result carries the message to print.
    FileResult finish(const LogTable& table);

    /// Whether anything is on disk yet (a capture that never started leaves the target alone).
    bool started() const { return m_stream && m_stream->opened(); }
    /// The file that receives the rows as they arrive: the target, or the XML journal.
    const std::string& streamedFile() const { return m_streamedFile; }
    /// The journal of an XML target: "<target>.partial.txt", or "<target>.partial-N.txt" when
    /// that name is taken (by the journal of an earlier run that was killed, which is kept).
    static std::string journalName(const std::string& target, int attempt);

private:
    void reportFailure();

    std::string m_target;
    const TimeZone& m_zone;
    std::ostream& m_err;
    bool m_xml = false;
    std::string m_streamedFile;
    std::unique_ptr<TableFileStream> m_stream;
    int m_journalAttempt = 0;
    std::int64_t m_lastSyncMs = 0;
    bool m_failureReported = false;
};
