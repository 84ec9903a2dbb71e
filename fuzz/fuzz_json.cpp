// Fuzz target: JSON text from untrusted bytes must parse or be refused, never crash; whatever parses
// must write back and read again as an equal value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/zjson.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    const auto value = zelvan::ZJSON::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!value) {
        // A refusal names a place inside the text.
        if (fnd::parseErrorOffset(value.error()).value_or(size + 1) > size) {
            std::abort();
        }
        return 0;
    }
    const auto text = zelvan::ZJSON::write(*value);
    if (!text) {
        std::abort();
    }
    const auto again = zelvan::ZJSON::parse(*text);
    if (!again || !(*again == *value)) {
        std::abort();
    }
    return 0;
}
