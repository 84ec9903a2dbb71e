// Slot storage of the native registry and the table that new cores copy.
#include "games/native_table.h"

namespace zelvan {

const NativeTable& NativeTable::standard() {
    // Built on first use; each family of natives adds its registrations to this builder.
    static const NativeTable table = [] {
        NativeTable t;
        return t;
    }();
    return table;
}

bool NativeTable::registerNative(int id, Native fn) {
    if (id < 0 || id >= kCount) {
        return false;
    }
    slots_[static_cast<size_t>(id)] = fn;
    return true;
}

} // namespace zelvan
