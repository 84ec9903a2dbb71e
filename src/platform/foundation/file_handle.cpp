// FileHandle over a POSIX descriptor opened with O_NOFOLLOW; writes loop over short writes and EINTR.
#include "platform/foundation/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/foundation/log.h"

namespace fnd {

std::shared_ptr<FileHandle> FileHandle::openForWriting(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            ZLOG(Warn, "FileHandle: cannot open %s for writing: %s", path, std::strerror(errno));
        }
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ZLOG(Warn, "FileHandle: %s is not a regular file", path);
        ::close(fd);
        return nullptr;
    }
    return std::make_shared<FileHandle>(Passkey(), fd, path);
}

FileHandle::FileHandle(Passkey, int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

FileHandle::~FileHandle() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

uint64_t FileHandle::seekToEndOfFile() {
    if (fd_ < 0) {
        return 0;
    }
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    return end < 0 ? 0 : static_cast<uint64_t>(end);
}

bool FileHandle::writeData(const Bytes& data) {
    if (fd_ < 0) {
        ZLOG(Warn, "FileHandle: write to %s after closeFile()", path_);
        return false;
    }
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ZLOG(Warn, "FileHandle: writing %lld bytes to %s failed after %lld: %s",
                 static_cast<long long>(data.size()), path_, static_cast<long long>(done),
                 n < 0 ? std::strerror(errno) : "no progress");
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool FileHandle::closeFile() {
    if (fd_ < 0) {
        return true;
    }
    const int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) {
        ZLOG(Warn, "FileHandle: closing %s failed: %s", path_, std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace fnd
