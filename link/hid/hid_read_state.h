#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "link/hid/hid_platform.h"

/// The part of a device that its reader thread touches: the flags that make the device usable
/// and the read handle. A device and its reader share it, so a reader that is let go after its
/// device was released (from inside its own handler) never reaches into the released device.
///
/// The read handle and its buffer count are guarded by a mutex; the flags are atomics, written
/// on the GUI thread only. Closing the read handle never waits for the reader: it takes the
/// handle out and interrupts it, and the system handle is closed when the last holder lets go,
/// which is the reader once its read has returned. A closed handle is never reused: the
/// reader's next attempt opens a new one, and fails while the device is not usable.
class HidReadState {
public:
    HidReadState(HidPlatform& platform, std::string path)
        : m_platform(platform), m_path(std::move(path)) {}

    std::atomic<bool> PluggedIn{true};
    std::atomic<bool> CheckedOut{false};
    std::atomic<bool> Enumerating{false};

    /// Plugged in and either checked out or being enumerated.
    bool IsUsable() const { return PluggedIn.load() && (CheckedOut.load() || Enumerating.load()); }

    /// Reader thread: the open read handle, opened when there is none. Fails with ENODEV when
    /// the device is not usable.
    HidOpenResult<std::shared_ptr<HidReadHandle>> openReadHandle();
    /// GUI thread (also from a reader's stop): see the class comment.
    void closeReadHandle();
    bool readHandleOpen() const;
    /// The driver's queue size read back at the last open; 0 while closed.
    std::uint32_t ReadInputBufferCount() const;

private:
    HidPlatform& m_platform;
    const std::string m_path;
    mutable std::mutex m_mutex;
    std::shared_ptr<HidReadHandle> m_readHandle;  // guarded
    std::uint32_t m_readInputBufferCount = 0;     // guarded
};
