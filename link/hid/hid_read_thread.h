#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "link/hid/hand_over.h"

class HidReadState;
class THidDevice;

/// The reader of one checked-out device: a thread that waits for one input report at a time
/// and hands it to the GUI thread, where the device's data handler runs while the thread
/// waits; a failed read goes to the data-error handler the same way, and the next read starts
/// at once. Its destructor stops the thread and joins it; a stop takes effect at once, as the
/// platform's wait for a report is interrupted.
///
/// Made and destroyed on the GUI thread. It must not be destroyed from inside its own call
/// (THidDevice::StopReader hands it to the hand-over then).
class THidDeviceReadThread {
public:
    /// Starts the thread. reportLength: the device's InputReportLength, at least 1.
    THidDeviceReadThread(THidDevice& device, std::shared_ptr<HidReadState> state,
                         std::uint16_t reportLength);
    ~THidDeviceReadThread() = default;
    THidDeviceReadThread(const THidDeviceReadThread&) = delete;
    THidDeviceReadThread& operator=(const THidDeviceReadThread&) = delete;

    /// Asks the thread to end; it ends at its next step, and a wait for a report ends at once.
    void requestStop() { m_thread.request_stop(); }
    HandOver& handOver() { return m_handOver; }

private:
    void run(const std::stop_token& token);

    THidDevice& m_device;  // touched only on the GUI thread, inside calls
    std::shared_ptr<HidReadState> m_state;
    // The reader thread's own; the GUI thread reads them only inside a call, while the reader
    // waits.
    std::vector<std::uint8_t> ReportBuffer;
    std::size_t BytesRead = 0;
    std::uint32_t ReadError = 0;
    HandOver m_handOver;
    std::jthread m_thread;  // last: starts when the rest is in place, joined first
};
