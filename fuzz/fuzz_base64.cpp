// Fuzz target: strict Base64 decoding of untrusted text either refuses it, naming a character of it,
// or gives bytes that encode back to exactly the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/data_helpers.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto bytes = zelvan::base64Decode(text);
    if (!bytes && !(fnd::parseErrorOffset(bytes.error()) < text.size())) {
        std::abort(); // a refusal names a character of the text
    }
    if (bytes && zelvan::base64Encode(*bytes) != text) {
        std::abort();
    }
    auto back = zelvan::base64Decode(zelvan::base64Encode(fnd::Bytes(data, data + size)));
    if (!back || *back != fnd::Bytes(data, data + size)) {
        std::abort();
    }
    return 0;
}
