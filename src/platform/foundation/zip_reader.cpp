// ZipReader: a first pass over minizip's central directory that vets every entry, then a second pass
// that inflates into files opened with O_NOFOLLOW, counting bytes and checking CRCs, and a clean-up of
// everything written when any step fails.
#include "platform/foundation/zip_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/foundation/paths.h"

namespace fnd {
namespace {

constexpr int kMadeByUnix = 3;
constexpr unsigned kMaxNameBytes = 4096;

struct Entry {
    std::string name;   // as stored, '/'-separated
    std::string target; // the contained path under destDir
    bool directory = false;
    uint64_t size = 0;
};

// An open archive, closed on scope exit.
class Archive {
public:
    explicit Archive(const std::string& path) : zip_(unzOpen64(path.c_str())) {}
    ~Archive() {
        if (zip_ != nullptr) {
            unzClose(zip_);
        }
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    unzFile get() const { return zip_; }

private:
    unzFile zip_;
};

Error failure(int64_t code, const std::string& why) {
    return Error(std::string(ZipReader::kErrorDomain), code, std::string_view(why));
}

// Why the stored name may not be used, or empty when it may.
std::string nameFault(std::string_view name, size_t declaredLength) {
    if (name.size() != declaredLength) {
        return "a name contains NUL";
    }
    if (name.empty()) {
        return "an empty name";
    }
    if (name.front() == '/') {
        return "an absolute name";
    }
    if (name.find('\\') != std::string_view::npos) {
        return "a name with a backslash";
    }
    for (std::string_view rest = name; !rest.empty();) {
        size_t slash = rest.find('/');
        std::string_view part = rest.substr(0, slash);
        if (part == "..") {
            return "a name climbing out with \"..\"";
        }
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    return {};
}

// Reads and vets the whole central directory. Fills `entries` or returns the reason for refusing.
Result<void> survey(unzFile zip, const std::string& destDir, const ZipReader::Limits& limits,
                    std::vector<Entry>* entries) {
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK) {
        return failure(1, "unreadable central directory");
    }
    if (global.number_entry > limits.entries) {
        return failure(2, "too many entries (" + std::to_string(global.number_entry) + ")");
    }
    uint64_t total = 0;
    int status = unzGoToFirstFile(zip);
    while (status == UNZ_OK) {
        if (entries->size() >= limits.entries) {
            return failure(2, "too many entries");
        }
        unz_file_info64 info{};
        char name[kMaxNameBytes + 1] = {};
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
            return failure(1, "unreadable entry header");
        }
        if (info.size_filename > kMaxNameBytes) {
            return failure(3, "an entry name is too long");
        }
        std::string_view view(name, std::strlen(name));
        if (std::string fault = nameFault(view, info.size_filename); !fault.empty()) {
            return failure(3, "refused " + fault);
        }
        Entry entry;
        entry.name.assign(view);
        entry.directory = entry.name.back() == '/';
        const unsigned mode = static_cast<unsigned>(info.external_fa >> 16) & S_IFMT;
        if ((info.version >> 8) == kMadeByUnix && mode != 0 && mode != S_IFREG && mode != S_IFDIR) {
            return failure(4, "refused a link or special file: " + entry.name);
        }
        if ((info.flag & 1u) != 0) {
            return failure(5, "refused an encrypted entry: " + entry.name);
        }
        if (info.compression_method != 0 && info.compression_method != Z_DEFLATED) {
            return failure(5, "unsupported compression method in " + entry.name);
        }
        if (info.uncompressed_size > limits.entryBytes) {
            return failure(6, "entry too large: " + entry.name);
        }
        total += info.uncompressed_size;
        if (total > limits.totalBytes) {
            return failure(6, "archive too large");
        }
        std::string_view relative = entry.name;
        while (!relative.empty() && relative.back() == '/') {
            relative.remove_suffix(1);
        }
        auto target = containedPath(destDir, relative);
        if (!target) {
            return failure(3, "refused an entry outside the folder: " + entry.name);
        }
        entry.target = *target;
        entry.size = info.uncompressed_size;
        entries->push_back(std::move(entry));
        status = unzGoToNextFile(zip);
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) {
        return failure(1, "damaged central directory");
    }
    return {};
}

// What one extraction made, so a failure can take it back.
class Undo {
public:
    void madeDirectory(std::string path) { dirs_.push_back(std::move(path)); }
    void wroteFile(std::string path) { files_.push_back(std::move(path)); }
    void rollBack() {
        for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
            ::unlink(it->c_str());
        }
        for (auto it = dirs_.rbegin(); it != dirs_.rend(); ++it) {
            ::rmdir(it->c_str());
        }
    }

private:
    std::vector<std::string> dirs_;
    std::vector<std::string> files_;
};

// Makes `path` and any missing parents, refusing any component that exists as something other than a
// real folder (a link planted earlier would otherwise carry later entries elsewhere).
bool makeDirectories(const std::string& path, Undo* undo) {
    std::string prefix;
    for (const std::string& part : pathComponents(path)) {
        prefix = prefix.empty() ? part : appendingPathComponent(prefix, part);
        struct stat st {};
        if (::lstat(prefix.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                return false;
            }
            continue;
        }
        if (::mkdir(prefix.c_str(), 0700) != 0) {
            return false;
        }
        undo->madeDirectory(prefix);
    }
    return true;
}

Result<void> writeEntry(unzFile zip, const Entry& entry, Overwrite overwrite, const ZipReader::Limits& limits,
                        uint64_t* total, Undo* undo) {
    if (!makeDirectories(deletingLastPathComponent(entry.target), undo)) {
        return failure(7, "cannot make the folder of " + entry.name);
    }
    if (entry.directory) {
        return makeDirectories(entry.target, undo) ? Result<void>() : failure(7, "cannot make " + entry.name);
    }
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        return failure(8, "cannot open entry " + entry.name);
    }
    int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (overwrite == Overwrite::Yes ? O_TRUNC : O_EXCL);
    int fd = ::open(entry.target.c_str(), flags, 0600);
    if (fd < 0) {
        int err = errno;
        unzCloseCurrentFile(zip);
        return failure(7, "cannot write " + entry.name + ": " + std::strerror(err));
    }
    undo->wroteFile(entry.target);
    uint64_t written = 0;
    char buffer[64 * 1024];
    std::string fault;
    for (;;) {
        int n = unzReadCurrentFile(zip, buffer, sizeof buffer);
        if (n < 0) {
            fault = "damaged data in " + entry.name;
            break;
        }
        if (n == 0) {
            break;
        }
        written += static_cast<uint64_t>(n);
        *total += static_cast<uint64_t>(n);
        if (written > entry.size || written > limits.entryBytes || *total > limits.totalBytes) {
            fault = "more data than declared in " + entry.name;
            break;
        }
        for (int off = 0; off < n;) {
            ssize_t w = ::write(fd, buffer + off, static_cast<size_t>(n - off));
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w <= 0) {
                fault = "write failed for " + entry.name + ": " + std::strerror(errno);
                break;
            }
            off += static_cast<int>(w);
        }
        if (!fault.empty()) {
            break;
        }
    }
    int closed = unzCloseCurrentFile(zip);
    if (::close(fd) != 0 && fault.empty()) {
        fault = "write failed for " + entry.name;
    }
    if (fault.empty() && written != entry.size) {
        fault = "less data than declared in " + entry.name;
    }
    if (fault.empty() && closed == UNZ_CRCERROR) {
        fault = "CRC mismatch in " + entry.name;
    }
    if (fault.empty() && closed != UNZ_OK) {
        fault = "damaged data in " + entry.name;
    }
    return fault.empty() ? Result<void>() : failure(8, fault);
}

} // namespace

Result<void> ZipReader::extractAll(const std::string& zipPath, const std::string& destDir, Overwrite overwrite,
                                   Limits limits) {
    Archive archive(zipPath);
    Result<void> result;
    Undo undo;
    if (archive.get() == nullptr) {
        result = failure(1, "not a readable zip archive");
    } else {
        std::vector<Entry> entries;
        result = survey(archive.get(), destDir, limits, &entries);
        if (result && !makeDirectories(destDir, &undo)) {
            result = failure(7, "cannot make the destination folder");
        }
        uint64_t total = 0;
        int status = unzGoToFirstFile(archive.get());
        for (size_t i = 0; result && i < entries.size(); ++i) {
            if (status != UNZ_OK) {
                result = failure(1, "damaged central directory");
                break;
            }
            result = writeEntry(archive.get(), entries[i], overwrite, limits, &total, &undo);
            status = unzGoToNextFile(archive.get());
        }
    }
    if (!result) {
        undo.rollBack();
        ZLOG(Warn, "ZipReader: extracting %s failed: %s", zipPath, result.error().localizedDescription());
    }
    return result;
}

} // namespace fnd
