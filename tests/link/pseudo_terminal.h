#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>

#include <cerrno>

/// A pseudo-terminal pair: tests write "meter" bytes into the master and open the slave
/// through the real serial platform.
class PseudoTerminal {
public:
    PseudoTerminal() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return;
        const char* name = ::ptsname(m_master);
        if (name != nullptr) m_slavePath = QString::fromLocal8Bit(name);
    }
    ~PseudoTerminal() { closeMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return m_master >= 0 && !m_slavePath.isEmpty(); }
    const QString& slavePath() const { return m_slavePath; }

    /// Writes all bytes (the kernel queue of a pseudo-terminal holds a few kilobytes).
    bool write(const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.constData() + done,
                                      static_cast<size_t>(bytes.size() - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += n;
        }
        return true;
    }

    /// Hangs up the line: the slave side then reads as a vanished device.
    void closeMaster() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    QString m_slavePath;
};
