#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

/// The bytes of a file to load. A regular file is mapped read-only, so that a load holds no copy
/// of it in memory however large it is (the kernel pages it in and drops it again); anything
/// else that can be read (a pipe) is read whole. Move-only; the view lives as long as the object.
class MappedFile {
public:
    /// Opens and maps (or reads) the file; std::nullopt with `reason` set (the platform's reason,
    /// or "Out of memory") when that fails.
    static std::optional<MappedFile> open(const std::string& fileName, std::string& reason);

    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    std::string_view bytes() const;

private:
    MappedFile() = default;
    void release() noexcept;

    void* m_map = nullptr;  ///< the mapping, or nullptr when the bytes were read
    std::size_t m_size = 0;
    std::string m_read;
};
