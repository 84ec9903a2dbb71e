// Fuzz target: zlib inflation of untrusted bytes must succeed within its cap or fail cleanly, naming a
// place inside the input. The first input byte picks the output cap, so small limits are exercised too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/zlib_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    if (size == 0) {
        return 0;
    }
    size_t cap = data[0] < 128 ? static_cast<size_t>(data[0]) * 16 : size_t{1} << 20;
    fnd::Bytes stream(data + 1, data + size);
    auto out = fnd::inflate(stream, cap);
    if (!out && fnd::parseErrorOffset(out.error()).value_or(0) > stream.size()) {
        std::abort(); // a refusal names a place inside the input
    }
    if (out) {
        if (out->size() > cap) {
            std::abort();
        }
        // What inflated must survive a round trip.
        auto again = fnd::inflate(fnd::deflate(*out), out->size());
        if (!again || *again != *out) {
            std::abort();
        }
    }
    (void)fnd::crc32(stream);
    return 0;
}
