#include "files/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string lastError() {
    return std::error_code(errno, std::generic_category()).message();
}

// Creates a new file next to `target` that did not exist before ("x": fail if it exists).
FilePtr createTemporary(const fs::path& target, fs::path& name, std::string& reason) {
    std::random_device entropy;
    std::mt19937_64 random(entropy());
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        name = target;
        name += suffix;
        errno = 0;
        FilePtr file(std::fopen(name.string().c_str(), "wbx"));
        if (file) return file;
        reason = lastError();
        if (errno != EEXIST) break;
    }
    return nullptr;
}

// Follows symbolic links to the name a save must replace, so that a link keeps pointing at the
// saved file; a dangling link leads to the missing name, which the save then creates.
std::optional<std::string> followLinks(fs::path& target) {
    constexpr int kMaxHops = 40;  // the kernel's own limit for one lookup
    for (int hops = 0;; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(target, ec)) || ec) return std::nullopt;
        if (hops == kMaxHops) return std::string("Too many levels of symbolic links");
        const fs::path link = fs::read_symlink(target, ec);
        if (ec) return ec.message();
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
}

const char* kindOf(mode_t mode) {
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    return "a special file";
}

std::string notRegular(mode_t mode) {
    if (S_ISDIR(mode)) return "Is a directory";
    return std::string("Not a regular file but ") + kindOf(mode);
}

// Only a regular file may be replaced: a device, FIFO or socket in the target's place is left
// alone. The probe opens without blocking (a FIFO would wait for a reader) and checks again
// on the open descriptor, in case the name changed in between. A file we could not overwrite in
// place (read-only, locked) is not replaced behind its owner's back either.
std::optional<std::string> checkReplaceable(const fs::path& target, bool& exists) {
    struct stat info {};
    exists = false;
    if (lstat(target.c_str(), &info) != 0) {
        if (errno == ENOENT) return std::nullopt;
        return lastError();
    }
    exists = true;
    if (!S_ISREG(info.st_mode)) return notRegular(info.st_mode);
    errno = 0;
    const int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return lastError();
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    close(fd);
    if (!regular) return notRegular(info.st_mode);
    return std::nullopt;
}

}  // namespace

OutputBuffer::OutputBuffer(Drain drain) : m_drain(std::move(drain)) {
    if (m_drain) m_bytes.reserve(kChunkBytes + 4096);
}

bool OutputBuffer::flush() {
    if (!m_drain) return !m_failed;
    if (!m_failed && !m_bytes.empty() && !m_drain(m_bytes)) m_failed = true;
    m_bytes.clear();
    return !m_failed;
}

std::optional<std::string> writeFileReplacing(
    const std::string& fileName, const std::function<bool(OutputBuffer& out)>& produce) {
    fs::path target(fileName);
    if (auto failure = followLinks(target)) return failure;
    bool existed = false;
    if (auto failure = checkReplaceable(target, existed)) return failure;

    fs::path temporary;
    std::string reason;
    FilePtr file = createTemporary(target, temporary, reason);
    if (!file) return reason.empty() ? std::string("Cannot create a temporary file") : reason;

    std::FILE* raw = file.get();
    bool produced = false;
    bool ok = false;
    MemoryReserve reserve;
    try {
        OutputBuffer out([raw, &reason](std::string_view chunk) {
            errno = 0;
            if (std::fwrite(chunk.data(), 1, chunk.size(), raw) == chunk.size()) return true;
            reason = lastError();
            return false;
        });
        produced = produce(out);
        ok = produced && out.flush();
    } catch (const std::bad_alloc&) {
        reserve.release();
        // Out of memory while the data was prepared: the earlier file stays as it was.
        reason = kOutOfMemory;
        produced = true;
    }
    if (ok) {
        errno = 0;
        if (std::fflush(raw) != 0 || std::ferror(raw) != 0) {
            reason = lastError();
            ok = false;
        }
    }
    errno = 0;
    if (std::fclose(file.release()) != 0 && ok) {
        reason = lastError();
        ok = false;
    }
    std::error_code ec;
    if (ok && existed) {
        const fs::file_status status = fs::status(target, ec);
        if (!ec) fs::permissions(temporary, status.permissions(), ec);
    }
    if (ok) {
        fs::rename(temporary, target, ec);
        if (ec) {
            reason = ec.message();
            ok = false;
        }
    }
    if (!ok) {
        fs::remove(temporary, ec);
        if (reason.empty()) reason = produced ? "Write error" : "The data could not be written";
        return reason;
    }
    return std::nullopt;
}
