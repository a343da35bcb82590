#include "link/hid/hid_read_state.h"

#include <cerrno>

namespace {

HidOpenResult<std::shared_ptr<HidReadHandle>> notUsable() {
    return {nullptr, {static_cast<std::uint32_t>(ENODEV), {}}};
}

}  // namespace

HidOpenResult<std::shared_ptr<HidReadHandle>> HidReadState::openReadHandle() {
    if (!IsUsable()) return notUsable();
    {
        const std::lock_guard lock(m_mutex);
        if (m_readHandle) return {m_readHandle, {}};
    }
    // Opened without the lock, so closing on the GUI thread never waits for an open.
    auto opened = m_platform.openForReading(m_path);
    if (!opened.handle) return opened;
    const std::lock_guard lock(m_mutex);
    // Unplugged or closed meanwhile: this handle must not outlive the close.
    if (!IsUsable()) return notUsable();
    if (m_readInputBufferCount != 0) opened.handle->setNumInputBuffers(m_readInputBufferCount);
    m_readInputBufferCount = opened.handle->numInputBuffers().value_or(0);
    m_readHandle = opened.handle;
    return opened;
}

void HidReadState::closeReadHandle() {
    std::shared_ptr<HidReadHandle> handle;
    {
        const std::lock_guard lock(m_mutex);
        handle = std::move(m_readHandle);
        m_readInputBufferCount = 0;
    }
    if (handle) handle->interrupt();
}

bool HidReadState::readHandleOpen() const {
    const std::lock_guard lock(m_mutex);
    return m_readHandle != nullptr;
}

std::uint32_t HidReadState::ReadInputBufferCount() const {
    const std::lock_guard lock(m_mutex);
    return m_readInputBufferCount;
}
