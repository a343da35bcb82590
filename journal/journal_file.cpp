#include "journal/journal_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <utility>

#include "journal/journal_format.h"

namespace {

constexpr std::string_view kRunPrefix = "run-";
constexpr std::string_view kSuffix = ".journal";

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// Makes the folder and its missing parents, private to the user.
std::optional<std::string> makeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return part + ": " + errorText(errno);
        }
        if (slash == std::string::npos) break;
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return folder + ": " + errorText(errno);
    if (!S_ISDIR(info.st_mode)) return folder + ": " + errorText(ENOTDIR);
    return std::nullopt;
}

bool writeAll(int fd, std::string_view bytes, int& error) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string runName(std::int64_t nowUtcMs) {
    const auto seconds = static_cast<std::time_t>(nowUtcMs / 1000);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char buf[64];
    std::snprintf(buf, sizeof buf, "run-%04d%02d%02d-%02d%02d%02d-%ld", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<long>(::getpid()));
    return buf;
}

}  // namespace

std::unique_ptr<JournalFile> JournalFile::create(const std::string& folder, std::int64_t nowUtcMs,
                                                 std::string& reason) {
    if (const auto failure = makeFolders(folder)) {
        reason = *failure;
        return nullptr;
    }
    const std::string run = runName(nowUtcMs);
    const std::string name = folder + "/" + run;
    const std::string hidden = folder + "/." + run + ".new";
    const int fd = ::open(hidden.c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        reason = hidden + ": " + errorText(errno);
        return nullptr;
    }
    int error = 0;
    std::string path = name + std::string(kSuffix);
    // A name taken already (a process of the same number in the same second) gets a count.
    for (int n = 2; ::access(path.c_str(), F_OK) == 0; ++n)
        path = name + "-" + std::to_string(n) + std::string(kSuffix);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !writeAll(fd, kJournalHeader, error) ||
        ::rename(hidden.c_str(), path.c_str()) != 0) {
        if (error == 0) error = errno;
        ::close(fd);
        ::unlink(hidden.c_str());
        reason = path + ": " + errorText(error);
        return nullptr;
    }
    return std::unique_ptr<JournalFile>(new JournalFile(fd, std::move(path)));
}

JournalFile::~JournalFile() {
    if (m_fd >= 0) ::close(m_fd);
}

std::optional<std::string> JournalFile::write(std::string_view bytes) {
    int error = 0;
    if (m_fd < 0) return errorText(EBADF);
    if (writeAll(m_fd, bytes, error)) return std::nullopt;
    return errorText(error);
}

std::optional<std::string> JournalFile::sync() {
    if (m_fd < 0) return errorText(EBADF);
    if (::fdatasync(m_fd) == 0) return std::nullopt;
    return errorText(errno);
}

std::optional<std::string> JournalFile::restart() {
    if (m_fd < 0) return errorText(EBADF);
    if (::ftruncate(m_fd, 0) != 0) return errorText(errno);
    return write(kJournalHeader);
}

void JournalFile::remove() {
    if (m_fd < 0) return;
    ::unlink(m_path.c_str());
    ::close(m_fd);
    m_fd = -1;
}

std::vector<LeftoverJournal> LeftoverJournal::find(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name.starts_with(kRunPrefix) && name.ends_with(kSuffix)) names.emplace_back(name);
        }
        ::closedir(dir);
    }
    // The names begin with the moment of their run's start, so they sort oldest first.
    std::sort(names.begin(), names.end());
    std::vector<LeftoverJournal> found;
    for (const std::string& name : names) {
        std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat info {};
        // A running window holds its lock; only a regular file can be a journal.
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
            ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        found.push_back(LeftoverJournal(fd, std::move(path)));
    }
    return found;
}

LeftoverJournal::LeftoverJournal(LeftoverJournal&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {}

LeftoverJournal& LeftoverJournal::operator=(LeftoverJournal&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

LeftoverJournal::~LeftoverJournal() {
    close();
}

void LeftoverJournal::close() noexcept {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

void LeftoverJournal::remove() {
    if (m_fd < 0) return;
    ::unlink(m_path.c_str());
    close();
}

std::optional<std::string> LeftoverJournal::keep(const std::string& stem, std::string& reason) {
    const std::size_t slash = m_path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : m_path.substr(0, slash);
    const std::string base = folder + "/readings-" + stem;
    for (int n = 1; n < 1000; ++n) {
        const std::string target =
            base + (n == 1 ? std::string() : "-" + std::to_string(n)) + std::string(kSuffix);
        // A hard link fails on a name that is taken, where a rename would replace the file.
        if (::link(m_path.c_str(), target.c_str()) == 0) {
            ::unlink(m_path.c_str());
            close();
            m_path = target;
            return target;
        }
        if (errno != EEXIST) {
            reason = target + ": " + errorText(errno);
            return std::nullopt;
        }
    }
    reason = base + ": " + errorText(EEXIST);
    return std::nullopt;
}

std::optional<std::string> journalFolder(const std::string& xdgStateHome, const std::string& home) {
    // A relative XDG_STATE_HOME is not to be trusted and is ignored.
    if (!xdgStateHome.empty() && xdgStateHome.front() == '/') return xdgStateHome + "/vxm90";
    if (!home.empty()) return home + "/.local/state/vxm90";
    return std::nullopt;
}
