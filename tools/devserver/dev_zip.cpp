// Writes the dev server's stored (uncompressed) zip archives.
#include "tools/devserver/dev_zip.h"

#include "platform/foundation/zlib_codec.h"

namespace zelvan::devserver {

namespace {

void putLE(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

} // namespace

std::string storedZip(const std::vector<ZipEntry>& entries) {
    std::string out, central;
    for (const auto& entry : entries) {
        const auto offset = static_cast<uint32_t>(out.size());
        const auto crc = fnd::crc32(reinterpret_cast<const uint8_t*>(entry.data.data()), entry.data.size());
        const auto size = static_cast<uint32_t>(entry.data.size());
        const uint32_t declared = entry.declaredSize ? entry.declaredSize : size;
        const auto nameLength = static_cast<uint32_t>(entry.name.size());
        for (std::string* record : {&out, &central}) {
            const bool local = record == &out;
            putLE(*record, local ? 0x04034b50 : 0x02014b50, 4);
            if (!local) {
                putLE(*record, (3u << 8) | 20, 2); // made on Unix
            }
            for (uint32_t field : {20u, 0u, 0u, 0u, 0x21u}) { // version, flags, method, time, date
                putLE(*record, field, 2);
            }
            putLE(*record, crc, 4);
            putLE(*record, size, 4);
            putLE(*record, declared, 4);
            putLE(*record, nameLength, 2);
            putLE(*record, 0, 2);
            if (!local) {
                putLE(*record, 0, 2); // comment
                putLE(*record, 0, 2); // disk
                putLE(*record, 0, 2); // internal attributes
                putLE(*record, entry.unixMode << 16, 4);
                putLE(*record, offset, 4);
            }
            *record += entry.name;
            if (local) {
                *record += entry.data;
            }
        }
    }
    const auto centralOffset = static_cast<uint32_t>(out.size());
    out += central;
    putLE(out, 0x06054b50, 4);
    putLE(out, 0, 4);
    putLE(out, static_cast<uint32_t>(entries.size()), 2);
    putLE(out, static_cast<uint32_t>(entries.size()), 2);
    putLE(out, static_cast<uint32_t>(central.size()), 4);
    putLE(out, centralOffset, 4);
    putLE(out, 0, 2);
    return out;
}

} // namespace zelvan::devserver
