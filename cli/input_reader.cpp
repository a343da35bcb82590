#include "cli/input_reader.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

InputEnd readChunks(int fd, StopSignals& stop,
                    const std::function<bool(std::string_view chunk)>& onChunk, std::string& error,
                    StopSignals::Deadline deadline, const InputTick& tick) {
    using Clock = std::chrono::steady_clock;
    std::array<char, 65536> buffer{};
    StopSignals::Deadline nextTick;
    if (tick.run) nextTick = Clock::now() + tick.interval;
    // Runs the tick when it is due; true when it was.
    const auto tickIfDue = [&] {
        if (!nextTick || Clock::now() < *nextTick) return false;
        tick.run();
        nextTick = Clock::now() + tick.interval;
        return true;
    };
    for (;;) {
        StopSignals::Deadline wake = deadline;
        if (nextTick && (!wake || *nextTick < *wake)) wake = nextTick;
        switch (stop.waitFor(fd, POLLIN, wake)) {
            case StopSignals::Wait::Stopped:
                return InputEnd::Stopped;
            case StopSignals::Wait::TimedOut:
                if (tickIfDue() && (!deadline || Clock::now() < *deadline)) continue;
                if (deadline && Clock::now() >= *deadline) return InputEnd::TimeUp;
                continue;
            case StopSignals::Wait::Failed:
                error = "cannot wait for input";
                return InputEnd::Failed;
            case StopSignals::Wait::Ready:
                break;
        }
        const ssize_t n = read(fd, buffer.data(), buffer.size());
        if (n == 0) return InputEnd::EndOfInput;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            error = std::strerror(errno);
            return InputEnd::Failed;
        }
        if (!onChunk(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
            return InputEnd::Stopped;
        }
        tickIfDue();  // a stream that never pauses still gets its ticks
    }
}

LineSplitter::LineSplitter(std::size_t maxLine, LineHandler onLine)
    : m_maxLine(maxLine), m_onLine(std::move(onLine)) {}

void LineSplitter::feed(std::string_view bytes) {
    while (!bytes.empty()) {
        if (m_afterCr) {
            m_afterCr = false;
            if (bytes.front() == '\n') {
                bytes.remove_prefix(1);
                continue;
            }
        }
        const std::size_t end = bytes.find_first_of("\r\n");
        const std::string_view piece = bytes.substr(0, end);
        if (!m_truncated) {
            const std::size_t room = m_maxLine - m_line.size();
            m_line.append(piece.substr(0, room));
            if (piece.size() > room) m_truncated = true;
        }
        if (end == std::string_view::npos) return;
        m_afterCr = bytes[end] == '\r';
        emit();
        bytes.remove_prefix(end + 1);
    }
}

void LineSplitter::finish() {
    if (!m_line.empty() || m_truncated) emit();
}

void LineSplitter::emit() {
    ++m_lineNumber;
    m_onLine(m_line, m_lineNumber, m_truncated);
    m_line.clear();
    m_truncated = false;
}
