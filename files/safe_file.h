#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

/// The reason given when a load or save ran out of memory.
inline constexpr const char* kOutOfMemory = "Out of memory";

/// Memory set aside while a load or save runs and given back when memory runs out, so that the
/// failure can still be reported with its message. Its own allocation never throws.
class MemoryReserve {
public:
    MemoryReserve() : m_bytes(new (std::nothrow) char[kBytes]) {}
    void release() noexcept { m_bytes.reset(); }

private:
    static constexpr std::size_t kBytes = 64 * 1024;
    std::unique_ptr<char[]> m_bytes;
};

/// Collects output bytes and hands them to a drain in chunks of about 1 MiB, so that writers
/// need not hold a whole file in memory. Without a drain everything stays in bytes().
class OutputBuffer {
public:
    using Drain = std::function<bool(std::string_view chunk)>;  ///< false: the write failed

    explicit OutputBuffer(Drain drain = {});
    void append(std::string_view bytes) {
        m_bytes.append(bytes);
        if (m_drain && m_bytes.size() >= kChunkBytes) flush();
    }
    void push(char byte) {
        m_bytes.push_back(byte);
        if (m_drain && m_bytes.size() >= kChunkBytes) flush();
    }
    /// Hands the pending bytes to the drain; false once any drain call failed.
    bool flush();
    bool failed() const { return m_failed; }
    std::string& bytes() { return m_bytes; }

private:
    static constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
    Drain m_drain;
    std::string m_bytes;
    bool m_failed = false;
};

/// Writes a file so that a failure never destroys the earlier file of that name: the bytes go
/// to a new temporary file in the same folder, which then replaces the target by a rename.
/// On failure the temporary file is removed and the target is left as it was.
/// Symbolic links are followed, so a link keeps pointing at the saved file (a dangling link's
/// missing target is created). An existing target that is not a regular file (a device, FIFO,
/// socket or folder) is refused and left as it was; nothing blocks on opening the target.
/// Running out of memory while producing the data fails the save with kOutOfMemory.
/// Returns std::nullopt on success, else the platform's reason (e.g. "Permission denied").
std::optional<std::string> writeFileReplacing(
    const std::string& fileName, const std::function<bool(OutputBuffer& out)>& produce);
