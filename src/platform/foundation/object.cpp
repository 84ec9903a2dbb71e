// The default description of an Object.
#include "platform/foundation/object.h"

#include <cstdint>
#include <cstdio>

namespace fnd {

std::string Object::description() const {
    char address[32];
    std::snprintf(address, sizeof address, "0x%jx", static_cast<uintmax_t>(reinterpret_cast<uintptr_t>(this)));
    return "<" + className() + ": " + address + ">";
}

} // namespace fnd
