// Slot storage of the native registry, the table that new cores copy, and the helpers the families
// of natives share.
#include "games/engine/natives/native_table.h"

#include <algorithm>

#include "games/engine/natives/game_host.h"
#include "games/engine/natives/natives.h"
#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/context.h"
#include "protocol/tracer.h"

namespace zelvan {

const NativeTable& NativeTable::standard() {
    // Built on first use; each family of natives adds its registrations to this builder.
    static const NativeTable table = [] {
        NativeTable t;
        registerTimeNatives(t);
        registerTextNatives(t);
        registerArrayNatives(t);
        registerPacketNatives(t);
        registerResourceNatives(t);
        registerScreenNatives(t);
        registerDrawingNatives(t);
        registerImageNatives(t);
        registerSoundNatives(t);
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

namespace natives {

ScriptValue newString(STLScriptCore& core, std::string_view text) {
    return valueOf(core.pool().newData(fnd::Bytes(text.begin(), text.end())));
}

std::string_view textOf(const ZData& data) {
    return std::string_view(reinterpret_cast<const char*>(data.bytes.data()), data.bytes.size());
}

GameHost* hostOf(STLScriptCore& core) {
    return core.engine().host();
}

DrawLock::DrawLock(STLScriptCore& core, int otherSlot) : pixels_(core.lockDrawing(otherSlot)) {
    context_ = core.currentContext().get();
}

std::optional<std::string> gameFile(STLScriptCore& core, std::string_view path) {
    GameHost* host = hostOf(core);
    if (host == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> resolved = host->gameFilePath(std::string(path));
    if (!resolved) {
        ZTRACE_WARN("game %d, the path %@ is not a game file; treated as missing", core.engine().gameId(),
                    fnd::logPreview(path));
    }
    return resolved;
}

size_t clampIndex(int32_t index, size_t length) {
    int64_t i = index < 0 ? int64_t{index} + static_cast<int64_t>(length) : int64_t{index};
    return static_cast<size_t>(std::clamp<int64_t>(i, 0, static_cast<int64_t>(length)));
}

} // namespace natives
} // namespace zelvan
