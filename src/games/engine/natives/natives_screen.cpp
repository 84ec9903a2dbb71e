// Natives of players, the room and the game screen: user ids and names, name labels, the chat area
// and input, player pages, quitting, alerts, URLs, web dialogs and tap highlights. Those that act on
// the screen or the room controller pass the room guard first: the playing screen's room must be the
// engine's, so a script left running for a room no longer on screen changes nothing.
#include "games/engine/natives/game_host.h"
#include "games/engine/natives/natives.h"
#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

using natives::arg;
using natives::Args;
using natives::intArg;

// The playing screen when the room guard passes, else null. The strong reference keeps the screen
// alive for the native's whole body even if the main thread lets it go meanwhile.
std::shared_ptr<GameScreen> guardedScreen(STLScriptCore& core) {
    GameHost* host = natives::hostOf(core);
    if (host == nullptr) {
        return nullptr;
    }
    std::shared_ptr<GameScreen> screen = host->playingGame();
    if (screen == nullptr || screen->roomId() != core.engine().room()) {
        return nullptr;
    }
    return screen;
}

// A value as text for the room controller: a byte string its UTF-8 text, an integer in decimal,
// anything else its debug text.
fnd::Value asText(ScriptValue v) {
    if (ZData* data = dataOf(v)) {
        return fnd::Value(data->newString());
    }
    if (isInt(v)) {
        return fnd::Value(std::to_string(intOf(v)));
    }
    std::string text;
    obj2nsstr(v, text);
    return fnd::Value(std::move(text));
}

// The name of player `index`, or nothing (with the trace line `failure`) when there is no such player.
std::optional<std::string> playerName(STLScriptCore& core, int32_t index, std::string_view failure) {
    std::shared_ptr<fnd::Array> names = core.engine().names().asArray();
    if (names == nullptr || index < 0 || static_cast<size_t>(index) >= names->count()) {
        Tracer::sharedTracer().output(__FILE__, __LINE__, "execute", Tracer::kError, failure, index);
        return std::nullopt;
    }
    return names->objectAtIndex(static_cast<size_t>(index)).stringValue();
}

constexpr std::string_view kDisplayFailure = "index out of bounds %d, failed to display username";
constexpr std::string_view kHideFailure = "index out of bounds %d, failed to hide username";

// 86: the players' user ids as strings.
ScriptValue userIds(STLScriptCore& core, Args) {
    std::vector<ScriptValue> ids;
    if (std::shared_ptr<fnd::Array> userids = core.engine().userids().asArray()) {
        for (const fnd::Value& id : *userids) {
            ids.push_back(natives::newString(core, id.stringValue()));
        }
    }
    return valueOf(core.pool().newArray(std::move(ids)));
}

// 99: index: the player's name.
ScriptValue userName(STLScriptCore& core, Args args) {
    if (guardedScreen(core) == nullptr) {
        return kNoValue;
    }
    std::optional<std::string> name = playerName(core, intArg(args, 0), kDisplayFailure);
    return name ? natives::newString(core, *name) : kNoValue;
}

// 87: index, x, y, font size, colour, alpha [, width = 200 [, height]]: shows the player's name.
ScriptValue drawUserName(STLScriptCore& core, Args args) {
    std::shared_ptr<GameScreen> screen = guardedScreen(core);
    ScriptValue index = arg(args, 0);
    if (screen == nullptr || !isInt(index)) {
        return kNoValue;
    }
    std::optional<std::string> name = playerName(core, intOf(index), kDisplayFailure);
    if (!name) {
        return kNoValue;
    }
    fnd::Value info = fnd::Value::array({*name, intArg(args, 1), intArg(args, 2), intArg(args, 3), intArg(args, 5),
                                         intArg(args, 4), intOf(index), args.size() > 6 ? intArg(args, 6) : 200});
    if (args.size() > 7) {
        info.asArray()->addObject(intArg(args, 7));
    }
    screen->drawUserName(std::move(info));
    return kNoValue;
}

// 95: index: hides the player's name.
ScriptValue hideUserName(STLScriptCore& core, Args args) {
    std::shared_ptr<GameScreen> screen = guardedScreen(core);
    ScriptValue index = arg(args, 0);
    if (screen == nullptr || !isInt(index) || !playerName(core, intOf(index), kHideFailure)) {
        return kNoValue;
    }
    screen->hideUserName(intOf(index));
    return kNoValue;
}

// 89: x, y, width, height, font size, colour, alpha [, custom colour, ...]: the chat area.
ScriptValue displayChat(STLScriptCore& core, Args args) {
    std::shared_ptr<GameScreen> screen = guardedScreen(core);
    if (screen == nullptr || args.size() < 7) {
        return kNoValue;
    }
    fnd::Value custom;
    if (args.size() > 7) {
        custom = fnd::Value::array();
        for (ScriptValue v : args.subspan(7)) {
            custom.asArray()->addObject(intOf(v));
        }
    }
    screen->displayChat(intOf(args[0]), intOf(args[1]), intOf(args[2]), intOf(args[3]), intOf(args[4]), intOf(args[5]),
                        intOf(args[6]), std::move(custom));
    return kNoValue;
}

ScriptValue showInput(STLScriptCore& core, Args) {
    if (std::shared_ptr<GameScreen> screen = guardedScreen(core)) {
        screen->showInput();
    }
    return kNoValue;
}

// 91: index: opens the player's page; an index outside the players changes nothing.
ScriptValue showUserInfo(STLScriptCore& core, Args args) {
    std::shared_ptr<GameScreen> screen = guardedScreen(core);
    std::shared_ptr<fnd::Array> userids = core.engine().userids().asArray();
    int32_t index = intArg(args, 0);
    if (screen != nullptr && userids != nullptr && index >= 0 && static_cast<size_t>(index) < userids->count()) {
        screen->showUserInfo(index);
    }
    return kNoValue;
}

ScriptValue quitGuide(STLScriptCore& core, Args args) {
    if (guardedScreen(core) != nullptr) {
        natives::hostOf(core)->scriptQuitGuide(intArg(args, 0));
    }
    return kNoValue;
}

// [kind as a number, every further argument as text].
fnd::Value kindAndTexts(Args args) {
    fnd::Value list = fnd::Value::array({intArg(args, 0)});
    for (ScriptValue v : args.subspan(std::min<size_t>(1, args.size()))) {
        list.asArray()->addObject(asText(v));
    }
    return list;
}

ScriptValue quitGame(STLScriptCore& core, Args args) {
    if (guardedScreen(core) != nullptr && isInt(arg(args, 0))) {
        natives::hostOf(core)->scriptQuitGame(kindAndTexts(args));
    }
    return kNoValue;
}

ScriptValue showScriptAlert(STLScriptCore& core, Args args) {
    if (guardedScreen(core) != nullptr) {
        natives::hostOf(core)->scriptShowAlert(kindAndTexts(args));
    }
    return kNoValue;
}

// 97: url, text, ...: every argument as text; the first must be a string.
ScriptValue openUrl(STLScriptCore& core, Args args) {
    if (guardedScreen(core) == nullptr || dataOf(arg(args, 0)) == nullptr) {
        return kNoValue;
    }
    fnd::Value list = fnd::Value::array();
    for (ScriptValue v : args) {
        list.asArray()->addObject(asText(v));
    }
    natives::hostOf(core)->scriptOpenUrl(std::move(list));
    return kNoValue;
}

// 101: 1 when the playing screen's room has attribute bit 0x400, else 0.
ScriptValue roomAttributeBit(STLScriptCore& core, Args) {
    GameHost* host = natives::hostOf(core);
    std::shared_ptr<GameScreen> screen = host != nullptr ? host->playingGame() : nullptr;
    return fromInt(screen != nullptr && (screen->roomAttribute() & 0x400) != 0 ? 1 : 0);
}

ScriptValue purchaseUnsupported(STLScriptCore& core, Args) {
    if (GameHost* host = natives::hostOf(core)) {
        host->showAlert("", "This version of Zelvan doesn't support In-App Purchase");
    }
    return kNoValue;
}

// 109: url: the in-game web dialog.
ScriptValue webDialog(STLScriptCore& core, Args args) {
    std::shared_ptr<GameScreen> screen = guardedScreen(core);
    ZData* url = dataOf(arg(args, 0));
    if (screen != nullptr && url != nullptr) {
        screen->webDlgShow(url->newString());
    }
    return kNoValue;
}

// 110: x, y, w, h: flashes a highlight over the rectangle.
ScriptValue tapHighlight(STLScriptCore& core, Args args) {
    if (std::shared_ptr<GameScreen> screen = guardedScreen(core)) {
        screen->tapHighlight(gfx::Rect(intArg(args, 0), intArg(args, 1), intArg(args, 2), intArg(args, 3)));
    }
    return kNoValue;
}

} // namespace

void registerScreenNatives(NativeTable& table) {
    table.registerNative(86, userIds);
    table.registerNative(99, userName);
    table.registerNative(87, drawUserName);
    table.registerNative(95, hideUserName);
    table.registerNative(89, displayChat);
    table.registerNative(90, showInput);
    table.registerNative(91, showUserInfo);
    table.registerNative(93, quitGuide);
    table.registerNative(94, quitGame);
    table.registerNative(96, showScriptAlert);
    table.registerNative(97, openUrl);
    table.registerNative(101, roomAttributeBit);
    table.registerNative(105, purchaseUnsupported);
    table.registerNative(109, webDialog);
    table.registerNative(110, tapHighlight);
}

} // namespace zelvan
