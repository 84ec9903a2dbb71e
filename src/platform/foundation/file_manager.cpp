// FileManager on std::filesystem (error-code overloads only) and POSIX calls for time stamps.
#include "platform/foundation/file_manager.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"

namespace fs = std::filesystem;

namespace fnd {
namespace {

void logFailure(const char* what, const std::string& path, const std::error_code& ec) {
    ZLOG(Warn, "file: %s %@ failed: %@", what, path, ec.message());
}

} // namespace

FileManager& FileManager::defaultManager() {
    static FileManager manager;
    return manager;
}

bool FileManager::fileExistsAtPath(const std::string& path, bool* isDir) {
    struct stat st {};
    bool exists = !path.empty() && ::stat(path.c_str(), &st) == 0;
    if (isDir != nullptr) {
        *isDir = exists && S_ISDIR(st.st_mode);
    }
    return exists;
}

bool FileManager::isRegularFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileManager::createDirectoryAtPath(const std::string& path, Intermediates intermediates) {
    std::error_code ec;
    if (path.empty()) {
        ZLOG(Warn, "file: creating a folder failed: empty path");
        return false;
    }
    if (intermediates == Intermediates::Yes) {
        fs::create_directories(path, ec);
        if (ec || !fs::is_directory(path, ec)) {
            logFailure("creating folder", path, ec ? ec : std::make_error_code(std::errc::not_a_directory));
            return false;
        }
        return true;
    }
    bool created = fs::create_directory(path, ec);
    if (ec || !created) {
        logFailure("creating folder", path, ec ? ec : std::make_error_code(std::errc::file_exists));
        return false;
    }
    return true;
}

std::optional<std::vector<std::string>> FileManager::contentsOfDirectoryAtPath(const std::string& path) {
    std::error_code ec;
    fs::directory_iterator it(path, ec);
    if (ec) {
        logFailure("listing", path, ec);
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    if (ec) {
        logFailure("listing", path, ec);
        return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool FileManager::removeItemAtPath(const std::string& path) {
    std::error_code ec;
    if (path.empty()) {
        return false;
    }
    auto removed = fs::remove_all(path, ec);
    if (ec) {
        logFailure("removing", path, ec);
        return false;
    }
    return removed > 0;
}

std::optional<FileAttributes> FileManager::attributesOfItemAtPath(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    FileAttributes attributes;
    attributes.size = static_cast<uint64_t>(st.st_size);
    attributes.isDirectory = S_ISDIR(st.st_mode);
    attributes.modificationDate =
        Date::fromUnix(static_cast<double>(st.st_mtim.tv_sec) + static_cast<double>(st.st_mtim.tv_nsec) / 1e9);
    return attributes;
}

bool FileManager::createFileAtPath(const std::string& path, const Bytes& bytes) {
    return writeFile(path, bytes, Atomic::Yes, Mode{});
}

bool FileManager::setModificationDate(const std::string& path, Date date) {
    if (path.empty()) {
        return false;
    }
    double unix = date.since1970();
    if (!std::isfinite(unix) || unix < -1e15 || unix > 1e15) {
        ZLOG(Warn, "file: setting the modification date of %@ failed: date out of range", path);
        return false;
    }
    double whole = std::floor(unix);
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT; // leave the access time alone
    times[1].tv_sec = static_cast<time_t>(whole);
    times[1].tv_nsec = static_cast<long>((unix - whole) * 1e9);
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
        logFailure("setting the modification date of", path, std::error_code(errno, std::generic_category()));
        return false;
    }
    return true;
}

} // namespace fnd
