// Zip archives the dev server serves: entries stored without compression, each with its Unix mode and,
// for hostile archives, a declared size other than its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelvan::devserver {

struct ZipEntry {
    std::string name;
    std::string data;
    uint32_t unixMode = 0100644;
    // The size the directory claims (the data's own when 0).
    uint32_t declaredSize = 0;
};

// An archive of `entries` stored without compression, each with its Unix mode.
std::string storedZip(const std::vector<ZipEntry>& entries);

} // namespace zelvan::devserver
