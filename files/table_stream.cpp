#include "files/table_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace {

std::string errnoText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

}  // namespace

TableFileStream::TableFileStream(std::string fileName, std::unique_ptr<TableRowFormat> format,
                                 Create create)
    : m_fileName(std::move(fileName)), m_format(std::move(format)), m_create(create) {}

TableFileStream::~TableFileStream() {
    if (m_fd >= 0) ::close(m_fd);
}

bool TableFileStream::fail(std::string reason) {
    if (!m_failure) m_failure = std::move(reason);
    return false;
}

bool TableFileStream::open() {
    // O_NONBLOCK: a FIFO without reader fails at once instead of blocking; the file is emptied
    // only once it is known to be a regular file, so a device in its place is left alone.
    int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    if (m_create == Create::New) flags |= O_EXCL;
    const int fd = ::open(m_fileName.c_str(), flags, 0666);
    if (fd < 0) return fail(errnoText(errno));
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno;
        ::close(fd);
        return fail(S_ISDIR(info.st_mode) ? "Is a directory"
                    : error != 0          ? errnoText(error)
                                          : "Not a regular file");
    }
    if (ftruncate(fd, 0) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(errnoText(error));
    }
    m_fd = fd;
    OutputBuffer header;
    m_format->writeHeader(header);
    return writeAll(header.bytes());
}

bool TableFileStream::writeAll(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return fail(errnoText(errno));
        }
        done += static_cast<std::size_t>(n);
    }
    if (!bytes.empty()) m_unsynced = true;
    return true;
}

bool TableFileStream::writeNewRows(const LogTable& table) {
    if (m_failure || m_closed) return !m_failure;
    if (m_fd < 0 && !open()) return false;
    const std::size_t rows = table.rowCount();
    if (rows <= m_rowsWritten) return true;
    OutputBuffer out;
    m_format->writeRows(table, m_rowsWritten, rows, out);
    if (!writeAll(out.bytes())) return false;
    m_rowsWritten = rows;
    return true;
}

bool TableFileStream::sync() {
    if (m_failure) return false;
    if (m_fd < 0 || !m_unsynced) return true;
    if (fdatasync(m_fd) != 0) return fail(errnoText(errno));
    m_unsynced = false;
    return true;
}

bool TableFileStream::finish(const LogTable& table) {
    const bool written = writeNewRows(table) && sync();
    if (m_fd >= 0) {
        if (::close(m_fd) != 0 && written) fail(errnoText(errno));
        m_fd = -1;
        m_closed = true;
    }
    return written && !m_failure;
}
