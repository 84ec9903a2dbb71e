// GameRoomWebController: the room commands the server sends, moved to the main thread and handled
// there. Each command reads and checks all of its elements before it acts, so a malformed packet is
// logged and changes nothing.
#include <exception>

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "games/room/game_room_web_controller.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/tab_bar_controller.h"
#include "protocol/command_table.h"
#include "protocol/packet_reader.h"
#include "protocol/tracer.h"
#include "web/js_escape.h"
#include "web/zlv_database.h"
#include "web/zlv_web_database_manager.h"

namespace zelvan {
namespace {

std::string joinScript(int32_t table, int32_t status) {
    return fnd::format("joingametable(%d,%d);", table, status);
}

} // namespace

void GameRoomWebController::handleServerResponse(const fnd::Value& packet) {
    onMain([packet](GameRoomWebController& self) { self.handleServerResponseInternal(packet); });
}

void GameRoomWebController::handleServerResponseInternal(const fnd::Value& packet) {
    std::shared_ptr<fnd::Array> list = packet.asArray();
    const int cmd = list != nullptr && list->count() > 0 ? list->objectAtIndex(0).intValue() : -1;
    try {
        if (list == nullptr || list->count() == 0) {
            throw BadPacket("not a packet");
        }
        handleCommand(cmd, packet);
    } catch (const std::exception& e) {
        PacketReader::warn(fnd::format("GameRoomController failed, %d, %@,", cmd, exceptionTypeName(e)),
                           fnd::logPreview(e.what()), packet);
    }
}

std::shared_ptr<ScriptController> GameRoomWebController::playing(int32_t roomId) const {
    std::shared_ptr<ScriptController> game = playingScreen();
    return game != nullptr && game->roomId() == roomId ? game : nullptr;
}

void GameRoomWebController::handleCommand(int cmd, const fnd::Value& value) {
    const PacketReader p(value);
    switch (cmd) {
    case cmd::kStartGame:
        startGame(p);
        break;
    case cmd::kGameScript:
        if (auto game = playing(p.intAt(1))) {
            game->handleGameScript(value);
        }
        break;
    case cmd::kTableEvent: {
        const int32_t table = p.intAt(1);
        const PacketReader event = p.arrayAt(2, 4);
        const std::string kind = event.textAt(0);
        const std::string name = event.at(3).stringValue();
        if (kind == "logout" || kind == "left") {
            send(fnd::Value::array({cmd::kLeaveTable, table}));
        }
        if (kind == "logout") {
            if (auto app = appDelegate()) {
                app->showInfo("", fnd::format(ZLS("%@ left"), name));
            }
        }
        break;
    }
    case cmd::kTableJoined: {
        const int32_t table = p.intAt(1);
        saveTid(table);
        callJS(joinScript(table, 0));
        hideLoading();
        break;
    }
    case cmd::kGameMessage: {
        const int32_t room = p.intAt(1);
        const PacketReader message = p.arrayAt(2, 2);
        const int32_t type = message.intAt(0);
        const std::string text = message.textAt(1);
        if (auto game = playing(room)) {
            game->handleMessage(text, type);
        }
        break;
    }
    case cmd::kTableCreated: {
        const PacketReader table = p.arrayAt(2, 7);
        const int32_t id = table.intAt(0);
        const std::string name = table.textAt(1);
        const int32_t e6 = table.at(6).intValue(); // the page takes it as an integer
        hideLoading();
        callJS(fnd::format("creategametable(%d,%@,'%d');", id, jsStringLiteral(name), e6));
        break;
    }
    case cmd::kTableJoinStatus: {
        const int32_t table = p.intAt(1);
        const std::string status = p.textAt(2);
        hideLoading();
        static const char* const kStatuses[] = {"del", "full", "exist", "more", "logout"};
        for (int i = 0; i < 5; ++i) {
            if (status == kStatuses[i]) {
                callJS(joinScript(table, i + 1));
                return;
            }
        }
        if (const int32_t value = fnd::Value(status).intValue(); value != 0) {
            callJS(joinScript(table, value));
        }
        break;
    }
    case cmd::kGameInvitation: {
        const PacketReader invitation = p.arrayAt(1, 6);
        const std::string inviter = invitation.textAt(2);
        const std::string game = invitation.textAt(5);
        showConfirmation(kConfirmInvitation, fnd::format(ZLS("%@ invites you to play %@"), inviter, game),
                         ZLS("Game invitation"), fnd::Value::array({invitation.at(3), inviter, invitation.at(4)}));
        break;
    }
    case cmd::kPlayNowResult: {
        const int32_t result = p.intAt(1);
        if (result > 0) {
            const int32_t table = p.arrayAt(2, 1).intAt(0);
            saveTid(table);
            send(fnd::Value::array({cmd::kJoinTable, table}));
            callJS(fnd::format("playnow(%d);", table));
        } else {
            clearTid();
            callJS("playnow(-1);");
        }
        hideLoading();
        break;
    }
    case cmd::kNoTable: {
        hideMask();
        if (isViewLoaded()) {
            auto alert = ZSimpleAlertView::create();
            alert->setIcon(ZSimpleAlertView::kIconWarning);
            alert->label()->setText(ZLS("No available table"));
            noTableAlerts_.show(alert->queueEntry(view()));
        }
        break;
    }
    case cmd::kMultiGameScore:
    case cmd::kSingleGameScore: {
        const int32_t room = p.intAt(1);
        const int32_t score = p.intAt(2);
        auto game = playing(room);
        std::shared_ptr<GameRoom> record = game != nullptr ? game->room() : nullptr;
        if (game == nullptr) {
            break;
        }
        const char* format = cmd == cmd::kSingleGameScore ? "http://%@/iphone/static_singlegamescore_%d?tid=%d&score=%d"
                             : p.count() > 3              ? "http://%@/iphone/static_multigamescore_%d?tid=%d&score=%d"
                                                          : "http://%@/iphone/static_halloffame_%d?tid=%d&score=%d";
        const int32_t gameId = record == nullptr ? 0 : cmd == cmd::kSingleGameScore ? record->single : record->multiple;
        auto app = appDelegate();
        openScorePage(
            fnd::format(ZLS(format), app != nullptr ? app->zelvanWebHost() : std::string(), gameId, room, score));
        // Forgotten now; the screen closes a moment later, held by the delayed close. The result box the
        // game's end put up has no button, so it goes with the screen.
        setPlayingGame(nullptr);
        fnd::RunLoop::main().performAfter(kCloseDelay, [game, weakApp = appDelegate_] {
            auto engine = game->engine();
            const bool finished = engine != nullptr && engine->state() == kStateFinished;
            game->hideAndCloseGame();
            if (auto app = weakApp.lock(); finished && app != nullptr) {
                app->hideInfo();
            }
        });
        break;
    }
    case cmd::kFoeScore:
    case cmd::kQuellinScore:
    case cmd::kUserScore: {
        const int32_t room = p.intAt(1);
        const int32_t value = p.intAt(2);
        if (auto game = playing(room)) {
            if (cmd == cmd::kFoeScore) {
                game->setFoescore(value);
            } else if (cmd == cmd::kUserScore) {
                game->setUserScore(value);
            } else {
                game->setQuellinscore(game->quellinscore() + value);
            }
        }
        break;
    }
    case cmd::kInvitationPrompt:
        send(fnd::Value::array({cmd::kInvitationAnswer, 0, p.intAt(1)}));
        break;
    case cmd::kPlayerJoined:
    case cmd::kPlayerLeft: {
        const int32_t room = p.intAt(1);
        const fnd::Value player = p.at(2);
        p.arrayAt(3, 0); // names
        p.arrayAt(4, 0); // user ids
        auto game = playing(room);
        auto engine = game != nullptr ? game->engine() : nullptr;
        if (engine != nullptr) {
            engine->setPlayers(p.at(4), p.at(3));
            engine->call(cmd == cmd::kPlayerJoined ? "join" : "leave", fnd::Value::array({player}));
        }
        break;
    }
    case cmd::kGameReady:
        hideLoading();
        break;
    case cmd::kTutorial:
        hideLoading();
        startTutorial(p);
        break;
    case cmd::kTableNotice:
    case cmd::kTableClosed:
        break;
    default:
        ZTRACE_WARN("GameRoomController: command %d is not a room command", cmd);
        break;
    }
}

void GameRoomWebController::startGame(const PacketReader& p) {
    const fnd::Value name = p.at(1);
    const int32_t roomId = p.intAt(2);
    const fnd::Value myId = p.at(3);
    p.intAt(3); // the player's id is a number
    const fnd::Value names = p.at(4);
    const fnd::Value userids = p.at(5);
    p.arrayAt(4, 0);
    p.arrayAt(5, 0);
    const fnd::Value script = p.at(6);
    if (!script.isData()) {
        throw BadPacket("element 6 is not the game's code");
    }
    const int32_t gameId = p.intAt(7);
    const int32_t flags = p.intAt(9);
    const std::optional<int32_t> roomAttribute = p.count() > 10 ? std::optional(p.intAt(10)) : std::nullopt;

    auto room = std::make_shared<GameRoom>();
    room->roomId = roomId;
    room->name = name;
    if (roomAttribute) {
        room->attribute = *roomAttribute;
    }
    if (GameRoom::checkAttr(flags, kSingleBit)) {
        room->isSingleGame = true;
        hideLoading();
        room->single = gameId;
        room->multiple = 0;
    } else if (GameRoom::checkAttr(flags, kMultiBit)) {
        room->multiple = gameId;
    }
    // Every start closes a screen still open, so its engine and full screen do not stay behind.
    closeGame();
    const bool landscape = GameRoom::checkAttr(flags, kLandscapeBit);
    auto game = ScriptController::initWithScript(name.stringValue(), *script.asData(), myId, fnd::Value(roomId),
                                                 fnd::Value(gameId), userids, names, landscape ? 480 : 320,
                                                 landscape ? 320 : 480, fnd::Value(flags), host_);
    game->setRoom(room);
    game->setTitle(name.stringValue());
    setPlayingGame(game);
    auto app = appDelegate();
    if (app != nullptr && app->tabBarController() != nullptr) {
        app->switchTab(zelvanAppDelegate::TabGames, ui::Animated::No);
    }
    game->handleGameInit();
}

void GameRoomWebController::startTutorial(const PacketReader& p) {
    if (playingScreen() != nullptr) {
        return;
    }
    const fnd::Value script = p.at(1);
    if (script.isData()) {
        const int32_t flags = p.intAt(2);
        const bool landscape = GameRoom::checkAttr(flags, kLandscapeBit);
        auto app = appDelegate();
        auto game = ScriptController::initWithScript(
            "Tutorial", *script.asData(), fnd::Value(app != nullptr ? app->userId() : 0), fnd::Value(0), fnd::Value(0),
            fnd::Value::array(), fnd::Value::array(), landscape ? 480 : 320, landscape ? 320 : 480, fnd::Value(flags),
            host_);
        setPlayingGame(game);
        if (app != nullptr && app->tabBarController() != nullptr) {
            app->switchTab(zelvanAppDelegate::TabGames, ui::Animated::No);
        }
        game->handleGameInit();
    }
    if (!urlAfterGuide_.empty()) {
        slideNewPage(urlAfterGuide_);
        urlAfterGuide_.clear();
    }
}

void GameRoomWebController::openScorePage(const std::string& url) {
    openUrl(url);
}

// --- The lobby's table id and page moves ---

std::shared_ptr<ZLVDatabase> GameRoomWebController::connectionDB() const {
    auto app = appDelegate();
    auto databases = app != nullptr ? app->webDatabases() : nullptr;
    return databases != nullptr ? databases->connectionDB() : nullptr;
}

void GameRoomWebController::saveTid(int32_t tid) {
    if (auto db = connectionDB()) {
        db->kvSaveInt("tid", tid, -1);
    }
}

void GameRoomWebController::clearTid() {
    if (auto db = connectionDB()) {
        db->kvSave("tid", fnd::Value(), -1);
    }
}

void GameRoomWebController::slideNewPage(const std::string& page) {
    callJS("document.location=" + jsStringLiteral("zelvan://slidenewpage?" + page) + ";");
}

void GameRoomWebController::slideToLeft(const std::string& page) {
    callJS("document.location=" + jsStringLiteral("zelvan://slidetoleft?" + page) + ";");
}

} // namespace zelvan
