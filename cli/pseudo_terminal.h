#pragma once

#include <string>

/// A pseudo-terminal pair that stands in for a serial port: programs open path() as they would
/// open a serial device, and what is written to the master arrives there. The slave side is set
/// raw (no echo, no line editing, 8 data bits) and kept open by this object, so its settings
/// hold until a reader opens it. Writes to the master never block: they fail with EAGAIN when
/// the terminal's buffer is full. Closes both sides on destruction.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    /// Creates the pair; false with error set when the platform refuses.
    bool open(std::string& error);

    const std::string& path() const { return m_path; }
    int masterFd() const { return m_master; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};
