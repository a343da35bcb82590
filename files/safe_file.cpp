#include "files/safe_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
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
    std::error_code ec;
    // Write through a symbolic link instead of replacing the link itself.
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    const bool existed = fs::exists(target, ec);
    if (existed) {
        // A file we could not overwrite in place (read-only, locked by another program) is not
        // replaced behind its owner's back either.
        errno = 0;
        FilePtr probe(std::fopen(target.string().c_str(), "ab"));
        if (!probe) return lastError();
    }

    fs::path temporary;
    std::string reason;
    FilePtr file = createTemporary(target, temporary, reason);
    if (!file) return reason.empty() ? std::string("Cannot create a temporary file") : reason;

    std::FILE* raw = file.get();
    OutputBuffer out([raw, &reason](std::string_view chunk) {
        errno = 0;
        if (std::fwrite(chunk.data(), 1, chunk.size(), raw) == chunk.size()) return true;
        reason = lastError();
        return false;
    });
    const bool produced = produce(out);
    bool ok = produced && out.flush();
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

std::optional<std::string> readWholeFile(const std::string& fileName, std::string& reason) {
    errno = 0;
    FilePtr file(std::fopen(fileName.c_str(), "rb"));
    if (!file) {
        reason = lastError();
        return std::nullopt;
    }
    std::string bytes;
    std::error_code ec;
    const auto size = fs::file_size(fs::path(fileName), ec);
    if (!ec) bytes.reserve(static_cast<std::size_t>(size));
    char buffer[1 << 16];
    while (true) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, n);
        if (n < sizeof buffer) break;
    }
    if (std::ferror(file.get()) != 0) {
        reason = "Read error";
        return std::nullopt;
    }
    return bytes;
}
