// uuidString over RAND_bytes; should the generator fail, the process cannot make safe identifiers and aborts
// with a log line rather than hand out predictable ones.
#include "platform/foundation/uuid.h"

#include <openssl/rand.h>

#include <cstdint>
#include <cstdlib>

#include "platform/foundation/log.h"

namespace fnd {

std::string uuidString() {
    uint8_t b[16];
    if (RAND_bytes(b, sizeof b) != 1) {
        ZLOG(Error, "uuidString: the random generator failed");
        std::abort();
    }
    b[6] = static_cast<uint8_t>((b[6] & 0x0F) | 0x40);
    b[8] = static_cast<uint8_t>((b[8] & 0x3F) | 0x80);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(36);
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            out += '-';
        }
        out += kHex[b[i] >> 4];
        out += kHex[b[i] & 0x0F];
    }
    return out;
}

} // namespace fnd
