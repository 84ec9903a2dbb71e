// The families of natives of the standard table and the helpers they share: argument access that
// never reads past the arguments given, new strings and arrays from the core's pool, and the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "games/engine/natives/native_table.h"
#include "games/engine/script_value.h"

namespace gfx {
class Context;
} // namespace gfx

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
void registerDrawingNatives(NativeTable& table);
void registerImageNatives(NativeTable& table);
void registerSoundNatives(NativeTable& table);

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

// The current surface for one draw. When the draw involves slot 0 (the current surface is slot 0, or
// `otherSlot` is 0) and slot 0 is guarded, its pixel lock is held for the DrawLock's lifetime.
class DrawLock {
public:
    explicit DrawLock(STLScriptCore& core, int otherSlot = -1);
    DrawLock(const DrawLock&) = delete;
    DrawLock& operator=(const DrawLock&) = delete;
    // Null when there is no current surface.
    gfx::Context* context() const { return context_; }

private:
    std::shared_ptr<void> pixels_;
    gfx::Context* context_ = nullptr;
};

// The resolved path of the script's path `path` when the client lets game code read it; a refused
// path logs one WARN (the path cut short) and gives nothing, as does a core without a host.
std::optional<std::string> gameFile(STLScriptCore& core, std::string_view path);

// Adjusts a negative index by `length` once, then clamps it to 0..length.
size_t clampIndex(int32_t index, size_t length);

} // namespace natives
} // namespace zelvan
