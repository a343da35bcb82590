#include "cli/pseudo_terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

PseudoTerminal::~PseudoTerminal() {
    if (m_slave >= 0) close(m_slave);
    if (m_master >= 0) close(m_master);
}

bool PseudoTerminal::open(std::string& error) {
    auto fail = [&](const char* step) {
        error = std::string(step) + ": " + std::strerror(errno);
        return false;
    };
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) return fail("posix_openpt");
    if (grantpt(m_master) != 0) return fail("grantpt");
    if (unlockpt(m_master) != 0) return fail("unlockpt");
    const char* name = ptsname(m_master);
    if (name == nullptr) return fail("ptsname");
    m_path = name;

    m_slave = ::open(m_path.c_str(), O_RDWR | O_NOCTTY);
    if (m_slave < 0) return fail("open slave");
    termios settings{};
    if (tcgetattr(m_slave, &settings) != 0) return fail("tcgetattr");
    cfmakeraw(&settings);
    cfsetispeed(&settings, B2400);
    cfsetospeed(&settings, B2400);
    if (tcsetattr(m_slave, TCSANOW, &settings) != 0) return fail("tcsetattr");

    const int flags = fcntl(m_master, F_GETFL);
    if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) return fail("fcntl");
    return true;
}
