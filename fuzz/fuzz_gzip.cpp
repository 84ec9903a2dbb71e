// Fuzz target: gzip inflation of untrusted bytes must stay within its cap or fail cleanly, naming a
// place inside the input, and what inflates must come back unchanged through deflation. The first
// byte picks the output cap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/data_helpers.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    if (size == 0) {
        return 0;
    }
    size_t cap = data[0] < 128 ? static_cast<size_t>(data[0]) * 16 : size_t{1} << 20;
    fnd::Bytes stream(data + 1, data + size);
    auto out = zelvan::gzipInflate(stream, cap);
    if (!out && fnd::parseErrorOffset(out.error()).value_or(0) > stream.size()) {
        std::abort(); // a refusal names a place inside the input
    }
    if (out) {
        if (out->size() > cap) {
            std::abort();
        }
        auto again = zelvan::gzipInflate(zelvan::gzipDeflate(*out), out->size());
        if (!again || *again != *out) {
            std::abort();
        }
    }
    return 0;
}
