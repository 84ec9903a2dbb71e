// Shared by the fuzz targets that write files: one temporary folder per process, made on first use,
// and the log kept off stderr so the fuzzer's output stays readable.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/foundation/log.h"

namespace fuzzsupport {

// A fresh folder under the system's temporary folder named after `prefix`; the process aborts when
// none can be made, since the target could not run meaningfully.
inline const std::filesystem::path& temporaryFolder(const char* prefix) {
    static const std::filesystem::path path = [prefix] {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        fnd::setLogToStderr(false);
        return std::filesystem::path(pattern);
    }();
    return path;
}

} // namespace fuzzsupport
