// Fuzz target: XML property lists from untrusted bytes must parse or be refused, never crash.
#include <cstddef>
#include <cstdint>

#include "platform/foundation/log.h"
#include "platform/foundation/property_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    fnd::Bytes bytes(data, data + size);
    if (auto value = fnd::PropertyList::read(bytes)) {
        // Walk the whole result.
        (void)value->description();
    }
    return 0;
}
