// Fuzz target: random bytes extracted as a zip archive into a fresh folder either fail or succeed, and in
// either case nothing appears outside that folder, and a failure leaves the folder absent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "platform/foundation/file_io.h"
#include "platform/foundation/zip_reader.h"
#include "temp_folder_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace fs = std::filesystem;
    const fs::path& root = fuzzsupport::temporaryFolder("zelvan-fuzz-zip");
    const fs::path archive = root / "in.zip";
    const fs::path dest = root / "out";
    fs::remove_all(dest);
    if (!fnd::writeFile(archive.string(), fnd::Bytes(data, data + size), fnd::Atomic::No)) {
        std::abort();
    }
    fnd::ZipLimits limits;
    limits.entries = 64;
    limits.totalBytes = 1 << 20;
    limits.entryBytes = 1 << 20;
    const bool ok = bool(fnd::ZipReader::extractAll(archive.string(), dest.string(), fnd::Overwrite::Yes, limits));
    size_t others = 0;
    for (const auto& item : fs::directory_iterator(root)) {
        if (item.path() != archive && item.path() != dest) {
            ++others;
        }
    }
    if (others != 0 || (!ok && fs::exists(dest))) {
        std::abort(); // something escaped the folder, or a failed extraction left files behind
    }
    // Every extracted item is a real file or folder, never a link.
    if (ok) {
        for (const auto& item : fs::recursive_directory_iterator(dest)) {
            if (item.is_symlink()) {
                std::abort();
            }
        }
    }
    fs::remove_all(dest);
    return 0;
}
