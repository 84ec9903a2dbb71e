// Extraction of zip archives (through minizip) into a folder, treating the archive as untrusted: every
// entry must stay inside the folder, links and special files are refused, and sizes and counts are capped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/error.h"

namespace fnd {

enum class Overwrite { No, Yes };

// Caps on one archive: the number of entries, the inflated bytes of all entries together, and of any one
// entry.
struct ZipLimits {
    size_t entries = 4096;
    uint64_t totalBytes = 256ull * 1024 * 1024;
    uint64_t entryBytes = 64ull * 1024 * 1024;
};

class ZipReader {
public:
    static constexpr std::string_view kErrorDomain = "ZipReader";

    using Limits = ZipLimits;

    // Extracts every entry of the archive at `zipPath` under `destDir` (created when missing). The whole
    // central directory is checked before anything is written: names that are empty, absolute, contain
    // "..", a backslash or NUL, links and other special files, encrypted entries, unknown compression
    // methods, and declared sizes or counts beyond `limits` fail the call. While writing, files are opened
    // without following links, the inflated bytes are counted against the declared size and the limits,
    // and the CRC is checked. With Overwrite::No an existing file fails the call. On any failure the
    // files and folders this call made are removed again, a line is logged and the error says why.
    static Result<void> extractAll(const std::string& zipPath, const std::string& destDir,
                                   Overwrite overwrite = Overwrite::Yes, Limits limits = Limits());
};

} // namespace fnd
