// Fuzz target: every property list the reader accepts must be writable, and writing what was read
// back again must give the same document, so stored settings never become unsavable or drift.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/foundation/log.h"
#include "platform/foundation/property_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    auto value = fnd::PropertyList::read(fnd::Bytes(data, data + size));
    if (!value) {
        return 0;
    }
    auto text = fnd::PropertyList::write(*value);
    if (!text) {
        if (value->isNull()) {
            return 0;
        }
        std::abort(); // the reader gave a value the writer cannot hold
    }
    auto again = fnd::PropertyList::read(*text);
    if (!again) {
        std::abort(); // the writer produced a document the reader refuses
    }
    auto text2 = fnd::PropertyList::write(*again);
    if (!text2 || *text2 != *text) {
        std::abort(); // a second round changed the document
    }
    return 0;
}
