#include "link/hid/hid_read_thread.h"

#include <algorithm>
#include <functional>

#include "link/hid/hid_device.h"
#include "link/hid/hid_read_state.h"

THidDeviceReadThread::THidDeviceReadThread(THidDevice& device, std::shared_ptr<HidReadState> state,
                                           std::uint16_t reportLength)
    : m_device(device),
      m_state(std::move(state)),
      ReportBuffer(reportLength),
      m_thread([this](const std::stop_token& token) { run(token); }) {}

void THidDeviceReadThread::run(const std::stop_token& token) {
    // A stop closes the read handle, which ends a waiting read at once; the next reader opens
    // a new one.
    const std::stop_callback interrupt(token, [this] { m_state->closeReadHandle(); });
    const std::function<void()> deliverReport = [this] {
        m_device.deliverReport(ReportBuffer.data(), BytesRead);
    };
    const std::function<void()> deliverError = [this] { m_device.deliverError(ReadError); };

    while (!token.stop_requested()) {
        std::fill(ReportBuffer.begin(), ReportBuffer.end(), std::uint8_t{0});
        auto opened = m_state->openReadHandle();
        if (!opened.handle) {
            ReadError = opened.error.code;
            m_handOver.run(token, deliverError);
            continue;
        }
        // A stop that came while the handle was being opened found nothing to interrupt.
        if (token.stop_requested()) break;
        const HidReadResult result = opened.handle->read(ReportBuffer);
        opened.handle.reset();
        switch (result.kind) {
            case HidReadResult::Kind::Report:
                BytesRead = std::min(result.bytes, ReportBuffer.size());
                if (BytesRead > 0) m_handOver.run(token, deliverReport);
                break;
            case HidReadResult::Kind::Failed:
                ReadError = result.error;
                m_handOver.run(token, deliverError);
                break;
            case HidReadResult::Kind::Interrupted:
                // Stopped, or the handle was closed (unplugged): the loop decides.
                break;
        }
    }
}
