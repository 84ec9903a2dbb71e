// The families of natives of the standard table and the helpers they share: argument access that
// never reads past the arguments given, new strings and arrays from the core's pool, and the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "games/native_table.h"
#include "games/script_value.h"

namespace zelvan {

class GameHost;
class STLScriptCore;

// Each family puts its natives into `table`.
void registerTimeNatives(NativeTable& table);
void registerTextNatives(NativeTable& table);
void registerArrayNatives(NativeTable& table);
void registerPacketNatives(NativeTable& table);
void registerResourceNatives(NativeTable& table);
void registerScreenNatives(NativeTable& table);

namespace natives {

using Args = std::span<const ScriptValue>;

// Argument i, or null when the script passed fewer.
inline ScriptValue arg(Args args, size_t i) {
    return i < args.size() ? args[i] : nullValue();
}
// Argument i read as an integer without a kind check (objects and missing arguments read 0).
inline int32_t intArg(Args args, size_t i) {
    return intOf(arg(args, i));
}

// A new byte string in the core's pool.
ScriptValue newString(STLScriptCore& core, std::string_view text);
// The bytes of a byte string as text (not validated).
std::string_view textOf(const ZData& data);

// The client behind the core's engine, or null.
GameHost* hostOf(STLScriptCore& core);

// Adjusts a negative index by `length` once, then clamps it to 0..length.
size_t clampIndex(int32_t index, size_t length);

} // namespace natives
} // namespace zelvan
