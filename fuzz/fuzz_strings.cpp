// Fuzz target: string tables from untrusted bytes must parse or be refused, never crash; whatever
// parses must hold only valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/foundation/encodings.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/string_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    auto table = fnd::StringTable::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!table && fnd::parseErrorOffset(table.error()).value_or(size + 1) > size) {
        std::abort(); // a refusal names a place inside the text
    }
    if (table) {
        for (const auto& [key, value] : *table) {
            if (!fnd::isValidUtf8(key) || !fnd::isValidUtf8(value)) {
                std::abort();
            }
        }
    }
    return 0;
}
