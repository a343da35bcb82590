#include "files/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <new>
#include <system_error>
#include <utility>

#include "files/safe_file.h"

namespace {

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

std::optional<MappedFile> MappedFile::open(const std::string& fileName, std::string& reason) {
    const Descriptor fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        reason = errorText(errno);
        return std::nullopt;
    }
    struct stat info {};
    if (fstat(fd.get(), &info) != 0) {
        reason = errorText(errno);
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        reason = errorText(EISDIR);
        return std::nullopt;
    }
    MappedFile file;
    if (S_ISREG(info.st_mode)) {
        if (info.st_size == 0) return file;
        void* map = mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE,
                         fd.get(), 0);
        if (map == MAP_FAILED) {
            reason = errorText(errno);
            return std::nullopt;
        }
        // Loads read front to back once: let the kernel read ahead and drop what was read.
        madvise(map, static_cast<std::size_t>(info.st_size), MADV_SEQUENTIAL);
        file.m_map = map;
        file.m_size = static_cast<std::size_t>(info.st_size);
        return file;
    }
    try {
        std::array<char, 1 << 16> buffer{};
        while (true) {
            const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
            if (n == 0) break;
            if (n < 0) {
                if (errno == EINTR) continue;
                reason = errorText(errno);
                return std::nullopt;
            }
            file.m_read.append(buffer.data(), static_cast<std::size_t>(n));
        }
    } catch (const std::bad_alloc&) {
        reason = kOutOfMemory;
        return std::nullopt;
    }
    return file;
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : m_map(std::exchange(other.m_map, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_read(std::move(other.m_read)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        release();
        m_map = std::exchange(other.m_map, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_read = std::move(other.m_read);
    }
    return *this;
}

MappedFile::~MappedFile() {
    release();
}

void MappedFile::release() noexcept {
    if (m_map != nullptr) munmap(m_map, m_size);
    m_map = nullptr;
    m_size = 0;
}

std::string_view MappedFile::bytes() const {
    if (m_map != nullptr) return {static_cast<const char*>(m_map), m_size};
    return m_read;
}
