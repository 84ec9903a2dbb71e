// Fuzz target: XML property lists from untrusted bytes must parse or be refused, never crash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/property_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    fnd::Bytes bytes(data, data + size);
    if (auto value = fnd::PropertyList::read(bytes)) {
        // Walk the whole result.
        (void)value->description();
    } else if (fnd::parseErrorOffset(value.error()).value_or(0) > std::max(size, fnd::PropertyList::kMaxBytes)) {
        std::abort(); // a refusal names a place inside the document (or the size limit)
    }
    return 0;
}
