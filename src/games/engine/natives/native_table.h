// The registry of numbered natives that the native-call instruction dispatches to: a fixed table of
// 125 slots (ids 0-124), each empty or holding a plain function of the core and the call's arguments.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "games/engine/script_value.h"

namespace zelvan {

class STLScriptCore;

// A native receives the arguments in stack order (argument 0 was pushed first) and returns the value
// to push; returning kNoValue pushes null. The arguments stay valid for the whole call.
using Native = ScriptValue (*)(STLScriptCore& core, std::span<const ScriptValue> args);

class NativeTable {
public:
    static constexpr int kCount = 125;

    // The natives every new core starts with. Built once; later families register theirs here.
    static const NativeTable& standard();

    // Puts `fn` into slot `id` (null empties it). Ids outside 0-124 are ignored; returns whether stored.
    bool registerNative(int id, Native fn);
    // The native of `id`, or null when the slot is empty or the id is outside the table.
    Native lookup(int id) const { return id >= 0 && id < kCount ? slots_[static_cast<size_t>(id)] : nullptr; }

private:
    std::array<Native, kCount> slots_{};
};

} // namespace zelvan
