// Finding and removing the leftovers of interrupted atomic writes.
#include "platform/foundation/interrupted_writes.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/paths.h"

namespace fnd {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr size_t kUniqueSuffixLength = 6; // the XXXXXX mkostemp fills in

// Taken while static objects are initialised, before main: the moment this process started, on the
// clock the file system stamps files with.
const fs::file_time_type kProcessStart = fs::file_time_type::clock::now();

bool removeFile(const fs::path& path) {
    std::error_code error;
    if (fs::remove(path, error)) {
        return true;
    }
    if (error) {
        ZLOG(Warn, "file: cannot remove the leftover %s: %s", logPreview(path.string()), error.message());
    }
    return false;
}

} // namespace

bool isAtomicWriteTemporary(const std::string& fileName) {
    // "." + at least one character of the target's name + ".tmp-" + six characters.
    if (fileName.size() < 2 + kTemporaryMark.size() + kUniqueSuffixLength || fileName.front() != '.') {
        return false;
    }
    const size_t mark = fileName.size() - kUniqueSuffixLength - kTemporaryMark.size();
    if (fileName.compare(mark, kTemporaryMark.size(), kTemporaryMark) != 0) {
        return false;
    }
    for (size_t i = fileName.size() - kUniqueSuffixLength; i < fileName.size(); ++i) {
        const char c = fileName[i];
        const bool alphanumeric = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alphanumeric) {
            return false;
        }
    }
    return true;
}

int removeAtomicWriteTemporaries(const std::string& path) {
    const std::string name = lastPathComponent(path);
    const std::string prefix = "." + name + std::string(kTemporaryMark);
    const std::string folder = deletingLastPathComponent(path);
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? "." : folder, error);
    int removed = 0;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string entry = it->path().filename().string();
        std::error_code entryError;
        if (entry.size() == prefix.size() + kUniqueSuffixLength && entry.starts_with(prefix) &&
            isAtomicWriteTemporary(entry) && it->is_regular_file(entryError) && removeFile(it->path())) {
            ++removed;
        }
    }
    return removed;
}

int sweepInterruptedWrites(const std::string& folder) {
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    int removed = 0;
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code entryError; // a file that vanished meanwhile is simply skipped
        if (!isAtomicWriteTemporary(it->path().filename().string()) || it->is_symlink(entryError) ||
            !it->is_regular_file(entryError)) {
            continue;
        }
        const fs::file_time_type modified = it->last_write_time(entryError);
        if (!entryError && modified < kProcessStart && removeFile(it->path())) {
            ++removed;
        }
    }
    if (removed > 0) {
        ZLOG(Warn, "file: removed %d temporary file(s) that interrupted writes left under %s", removed,
             logPreview(folder));
    }
    return removed;
}

} // namespace fnd
