#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// This run's journal file. It is made under a hidden name, locked, given its header and only
/// then its name, so another window never sees it unlocked; the lock lasts as long as the
/// object and tells other windows that the run goes on. Destroying the object closes the file
/// and leaves it on disk: only a clean end removes it. POSIX (flock).
class JournalFile {
public:
    /// Makes `folder` (and the folders above it) when missing, then a new journal in it named
    /// after the moment and the process ("run-20261210-162436-1234.journal"). nullptr with
    /// `reason` set when that fails.
    static std::unique_ptr<JournalFile> create(const std::string& folder, std::int64_t nowUtcMs,
                                               std::string& reason);
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    const std::string& path() const { return m_path; }
    /// Appends the bytes at the end of the file; std::nullopt, or the platform's reason.
    std::optional<std::string> write(std::string_view bytes);
    /// Asks the system to put what was written on the disk itself.
    std::optional<std::string> sync();
    /// Empties the file back to its header.
    std::optional<std::string> restart();
    /// The run ends cleanly: the file goes.
    void remove();

private:
    JournalFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    int m_fd;
    std::string m_path;
};

/// A journal left in the folder by a run that did not end cleanly (its lock is free: the
/// process is gone), locked by this process until the object goes, so no other window offers
/// it at the same time.
class LeftoverJournal {
public:
    /// The leftover journals in `folder`, oldest first. Journals of running windows (locked)
    /// and kept ones are skipped; a missing folder has none.
    static std::vector<LeftoverJournal> find(const std::string& folder);

    LeftoverJournal(LeftoverJournal&& other) noexcept;
    LeftoverJournal& operator=(LeftoverJournal&& other) noexcept;
    LeftoverJournal(const LeftoverJournal&) = delete;
    LeftoverJournal& operator=(const LeftoverJournal&) = delete;
    ~LeftoverJournal();

    const std::string& path() const { return m_path; }
    /// Its rows are back in a log: the file goes.
    void remove();
    /// Keeps the file under "readings-<stem>.journal" in its folder ("-2", "-3"... when that
    /// name is taken), never replacing another file. The new path, or std::nullopt with
    /// `reason` set.
    std::optional<std::string> keep(const std::string& stem, std::string& reason);

private:
    LeftoverJournal(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    void close() noexcept;
    int m_fd = -1;
    std::string m_path;
};

/// `$XDG_STATE_HOME/vxm90` when that is set to an absolute path, else `<home>/.local/state/vxm90`;
/// std::nullopt when neither is known. The values come from the caller, which reads the
/// environment.
std::optional<std::string> journalFolder(const std::string& xdgStateHome, const std::string& home);
