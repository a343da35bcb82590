#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

class MeterSession;

/// The output side of `vxm90-cli log`: the session that applies the window's log rules to what
/// a capture source brings, and the end of --count. Sources know nothing of files; they hand
/// over serial bytes or input reports, and the rows appear in session().cds1() as they are
/// logged, where the writer (setWriter) finds them after each batch and at each wake-up.
class LogTarget {
public:
    /// count: the capture wants this many rows (nullopt: no limit). session: not owned.
    LogTarget(MeterSession& session, std::optional<std::size_t> count);

    /// Serial bytes, in batches of any size. With a count they are fed up to the carriage
    /// return that logs the last row wanted and the rest is dropped. False once full.
    bool receiveSerial(const std::uint8_t* data, std::size_t size);
    /// One input report of the USB cable (data: the bytes after the report ID). Dropped once
    /// full; false then.
    bool receiveHidReport(std::uint8_t reportId, const std::uint8_t* data, std::uint16_t size);
    /// The count is reached.
    bool full() const;
    /// What writes the rows out; called after every batch of input and by wake().
    void setWriter(std::function<void()> writer) { m_writer = std::move(writer); }
    /// The capture's regular wake-up (every kWakeMs), also while no input arrives.
    void wake() {
        if (m_writer) m_writer();
    }
    static constexpr int kWakeMs = 250;

    MeterSession& session() { return m_session; }

private:
    MeterSession& m_session;
    std::optional<std::size_t> m_count;
    std::function<void()> m_writer;
};
