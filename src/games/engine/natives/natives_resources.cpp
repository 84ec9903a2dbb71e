// Natives of game resources: asking the game resource cache for keys, and taking a ready resource as
// its local path or as a native object holding the file's bytes.
#include "games/engine/natives/game_host.h"
#include "games/engine/natives/natives.h"
#include "games/engine/stl_script_core.h"

namespace zelvan {
namespace {

using natives::arg;
using natives::Args;

// 41: key, key, ...: asks the cache for the keys (the string arguments, as text).
ScriptValue requestResources(STLScriptCore& core, Args args) {
    GameHost* host = natives::hostOf(core);
    if (host == nullptr) {
        return kNoValue;
    }
    std::vector<std::string> keys;
    for (ScriptValue v : args) {
        if (ZData* key = dataOf(v)) {
            keys.push_back(key->newString());
        }
    }
    host->requestDataWithKeys(std::move(keys));
    return kNoValue;
}

// 42: key [, as bytes]: the ready resource (handed out once), as its path, or with a second argument
// of 1 as a native object holding the file's contents; null when nothing is ready or readable.
ScriptValue takeResource(STLScriptCore& core, Args args) {
    GameHost* host = natives::hostOf(core);
    ZData* key = dataOf(arg(args, 0));
    if (host == nullptr || key == nullptr) {
        return kNoValue;
    }
    std::optional<std::string> path = host->newDataWithKey(key->newString());
    if (!path) {
        return kNoValue;
    }
    ScriptValue asBytes = arg(args, 1);
    if (isInt(asBytes) && intOf(asBytes) == 1) {
        std::optional<fnd::Bytes> contents = host->newFileData(*path);
        if (!contents) {
            return kNoValue;
        }
        return valueOf(core.pool().newNSObject(fnd::Value(std::move(*contents))));
    }
    return natives::newString(core, *path);
}

} // namespace

void registerResourceNatives(NativeTable& table) {
    table.registerNative(41, requestResources);
    table.registerNative(42, takeResource);
}

} // namespace zelvan
