// Fuzz target: untrusted bytes through the tagged value codec. Whatever decodes must encode again
// and decode to an equal value (the bytes may differ, since the writer picks the narrowest forms).
// Decoding the same bytes as a shared frame (large byte strings become slices of it) must agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "protocol/tagged_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    auto value = zelvan::loads(std::span<const uint8_t>(data, size));
    auto frame = std::make_shared<const fnd::Bytes>(data, data + size);
    auto shared = zelvan::loads(frame);
    frame.reset();
    if (value.ok() != shared.ok()) {
        std::abort();
    }
    if (value ? !(*value == *shared) || zelvan::dumps(*shared) != zelvan::dumps(*value)
              : value.error().localizedDescription() != shared.error().localizedDescription()) {
        std::abort();
    }
    if (!value) {
        // A refusal names a place inside the input.
        if (fnd::parseErrorOffset(value.error()).value_or(size + 1) > size) {
            std::abort();
        }
        return 0;
    }
    fnd::Bytes again = zelvan::dumps(*value);
    auto back = zelvan::loads(again);
    if (!back || !(*back == *value)) {
        std::abort();
    }
    // Narrowest forms are stable: writing the value read back gives the same bytes.
    if (zelvan::dumps(*back) != again) {
        std::abort();
    }
    return 0;
}
