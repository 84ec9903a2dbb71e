// Natives that send game packets (commands 15, 73 and 58 with the script's values) and the user-score
// query (command 72), a small state machine on the engine's _userScore that the answer completes.
#include "games/engine/natives/game_host.h"
#include "games/engine/natives/natives.h"
#include "games/engine/script_ops.h"
#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "protocol/command_table.h"
#include "protocol/zelvan_packet.h"

namespace zelvan {
namespace {

using natives::arg;
using natives::Args;

// A packet of `cmd`: the room, then every argument converted to a platform value.
ScriptValue sendRoomPacket(STLScriptCore& core, Args args, int cmd) {
    GameHost* host = natives::hostOf(core);
    if (host == nullptr) {
        return kNoValue;
    }
    ZelvanPacket packet(cmd);
    packet.addInt(core.engine().room());
    for (ScriptValue v : args) {
        core.work().spend(1 + script_ops::sizeOf(v));
        packet.addObject(convertToNS(v));
    }
    host->send(packet.array());
    return kNoValue;
}

ScriptValue sendGamePacket(STLScriptCore& core, Args args) {
    return sendRoomPacket(core, args, 15);
}

ScriptValue sendGamePacket73(STLScriptCore& core, Args args) {
    return sendRoomPacket(core, args, 73);
}

// 84: [58, room, game id, foe score, every argument].
ScriptValue sendScorePacket(STLScriptCore& core, Args args) {
    GameHost* host = natives::hostOf(core);
    if (host == nullptr) {
        return kNoValue;
    }
    STLScriptEngine& engine = core.engine();
    fnd::Value packet = fnd::Value::array({cmd::kScoreReport, engine.room(), engine.gameId(), engine.foescore()});
    std::shared_ptr<fnd::Array> items = packet.asArray();
    for (ScriptValue v : args) {
        core.work().spend(1 + script_ops::sizeOf(v));
        items->addObject(convertToNS(v));
    }
    host->send(packet);
    return kNoValue;
}

// A player's user id as UTF-8 bytes.
fnd::Value userIdBytes(const fnd::Value& userId) {
    std::string text = userId.stringValue();
    return fnd::Value(fnd::Bytes(text.begin(), text.end()));
}

// 88: index: the user-score query. Idle: sends [72, the player's user id, game id, room] and waits.
// While the answer is pending the result is -1000000; an answer is handed out once and the query is
// idle again. A non-integer index or one outside the players gives null and changes nothing.
ScriptValue userScore(STLScriptCore& core, Args args) {
    ScriptValue index = arg(args, 0);
    GameHost* host = natives::hostOf(core);
    STLScriptEngine& engine = core.engine();
    std::shared_ptr<fnd::Array> userids = engine.userids().asArray();
    if (host == nullptr || !isInt(index) || userids == nullptr || intOf(index) < 0 ||
        static_cast<size_t>(intOf(index)) >= userids->count()) {
        return kNoValue;
    }
    if (engine.exchangeUserScore(BaseScriptEngine::kNoUserScore, BaseScriptEngine::kUserScorePending)) {
        host->send(fnd::Value::array({cmd::kUserScoreAsk,
                                      userIdBytes(userids->objectAtIndex(static_cast<size_t>(intOf(index)))),
                                      engine.gameId(), engine.room()}));
    }
    int32_t score = engine._userScore();
    if (score == BaseScriptEngine::kUserScorePending || score == BaseScriptEngine::kNoUserScore ||
        !engine.exchangeUserScore(score, BaseScriptEngine::kNoUserScore)) {
        return fromInt(BaseScriptEngine::kNoUserScore);
    }
    return fromInt(score);
}

} // namespace

void registerPacketNatives(NativeTable& table) {
    table.registerNative(43, sendGamePacket);
    table.registerNative(92, sendGamePacket73);
    table.registerNative(84, sendScorePacket);
    table.registerNative(88, userScore);
}

} // namespace zelvan
