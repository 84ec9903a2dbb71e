// POSIX implementation of whole-file reads and (atomic) writes. Every error is logged with the path
// and the system's reason; nothing throws.
#include "platform/foundation/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/paths.h"

namespace fnd {
namespace {

void logFailure(const char* what, const std::string& path, int err) {
    ZLOG(Warn, "file: %s %@ failed: %s", what, path, std::strerror(err));
}

bool writeAll(int fd, const uint8_t* data, size_t size, int& err) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            err = errno;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Sets both access and modification time of an open file to the clock's current wall time.
bool stampNow(int fd, int& err) {
    double unix = Clock::now().since1970();
    if (!std::isfinite(unix) || unix < 0 || unix > 1e15) {
        unix = 0; // keeps the conversion to time_t defined for a clock set to nonsense
    }
    double whole = std::floor(unix);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(whole);
    ts.tv_nsec = static_cast<long>((unix - whole) * 1e9);
    timespec times[2] = {ts, ts};
    if (::futimens(fd, times) != 0) {
        err = errno;
        return false;
    }
    return true;
}

// Writes, stamps and (optionally) syncs an open file descriptor, then closes it.
bool fillAndClose(int fd, const Bytes& bytes, bool sync, const char*& step, int& err) {
    bool ok = true;
    if (!writeAll(fd, bytes.data(), bytes.size(), err)) {
        step = "writing";
        ok = false;
    } else if (!stampNow(fd, err)) {
        step = "stamping";
        ok = false;
    } else if (sync && ::fsync(fd) != 0) {
        err = errno;
        step = "syncing";
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        err = errno;
        step = "closing";
        ok = false;
    }
    return ok;
}

bool writeDirect(const std::string& path, const Bytes& bytes, Mode mode) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, static_cast<mode_t>(mode.bits));
    if (fd < 0) {
        logFailure("opening", path, errno);
        return false;
    }
    const char* step = "";
    int err = 0;
    if (!fillAndClose(fd, bytes, false, step, err)) {
        logFailure(step, path, err);
        return false;
    }
    return true;
}

bool writeAtomic(const std::string& path, const Bytes& bytes, Mode mode) {
    std::string folder = deletingLastPathComponent(path);
    std::string name = lastPathComponent(path);
    if (name.empty() || name == "/") {
        ZLOG(Warn, "file: writing %@ failed: not a file path", path);
        return false;
    }
    std::string temp = appendingPathComponent(folder, "." + name + ".tmp-XXXXXX");
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        logFailure("creating a temporary file for", path, errno);
        return false;
    }
    const char* step = "";
    int err = 0;
    bool ok = true;
    if (::fchmod(fd, static_cast<mode_t>(mode.bits)) != 0) {
        err = errno;
        step = "setting permissions of";
        ok = false;
        ::close(fd);
    } else {
        ok = fillAndClose(fd, bytes, true, step, err);
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        step = "renaming into place";
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        logFailure(step, path, err);
        return false;
    }
    // Make the rename itself durable; a failure here does not undo the write.
    int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace

std::optional<Bytes> readFile(const std::string& path) {
    // Non-blocking, so a FIFO at the path is refused below instead of stalling the open.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT) {
            logFailure("opening", path, errno);
        }
        return std::nullopt;
    }
    struct stat st {};
    int statErr = 0;
    if (::fstat(fd, &st) != 0) {
        statErr = errno;
    } else if (!S_ISREG(st.st_mode)) {
        statErr = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    if (statErr != 0) {
        int err = statErr;
        ::close(fd);
        logFailure("reading", path, err);
        return std::nullopt;
    }
    Bytes out;
    out.reserve(static_cast<size_t>(st.st_size));
    uint8_t buffer[64 * 1024];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            int err = errno;
            ::close(fd);
            logFailure("reading", path, err);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        out.insert(out.end(), buffer, buffer + n);
    }
    ::close(fd);
    return out;
}

bool writeFile(const std::string& path, const Bytes& bytes, Atomic atomic, Mode mode) {
    if (path.empty() || path.find('\0') != std::string::npos) {
        ZLOG(Warn, "file: refused to write an empty or NUL-containing path");
        return false;
    }
    return atomic == Atomic::Yes ? writeAtomic(path, bytes, mode) : writeDirect(path, bytes, mode);
}

} // namespace fnd
