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
#include "protocol/tracer.h"
#include "web/js_escape.h"
#include "web/zlv_database.h"
#include "web/zlv_web_database_manager.h"

namespace zelvan {
namespace {

// Checked reads of a packet's elements; a missing element or one of the wrong kind throws.
class Reader {
public:
    explicit Reader(const fnd::Array& packet) : packet_(packet) {}

    size_t count() const { return packet_.count(); }
    fnd::Value at(size_t index) const {
        if (index >= packet_.count()) {
            throw BadRoomPacket(fnd::format("element %d missing", static_cast<int>(index)));
        }
        return packet_.objectAtIndex(index);
    }
    int32_t intAt(size_t index) const { return number(at(index), index); }
    std::string stringAt(size_t index) const {
        fnd::Value value = at(index);
        if (!value.isString()) {
            throw BadRoomPacket(fnd::format("element %d is not text", static_cast<int>(index)));
        }
        return *value.asString();
    }
    // Text or a number, as its text.
    std::string textAt(size_t index) const {
        fnd::Value value = at(index);
        if (!value.isString() && !value.isNumber()) {
            throw BadRoomPacket(fnd::format("element %d is not text", static_cast<int>(index)));
        }
        return value.stringValue();
    }
    // A nested array with at least `minCount` elements.
    Reader arrayAt(size_t index, size_t minCount) const {
        std::shared_ptr<fnd::Array> list = at(index).asArray();
        if (list == nullptr || list->count() < minCount) {
            throw BadRoomPacket(
                fnd::format("element %d is not a list of %d", static_cast<int>(index), static_cast<int>(minCount)));
        }
        return Reader(list);
    }
    const fnd::Array& array() const { return packet_; }

    static int32_t number(const fnd::Value& value, size_t index) {
        if (!value.isNumber()) {
            throw BadRoomPacket(fnd::format("element %d is not a number", static_cast<int>(index)));
        }
        return value.intValue();
    }

private:
    explicit Reader(std::shared_ptr<fnd::Array> owned) : owned_(std::move(owned)), packet_(*owned_) {}

    std::shared_ptr<fnd::Array> owned_;
    const fnd::Array& packet_;
};

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
            throw BadRoomPacket("not a packet");
        }
        handleCommand(cmd, packet);
    } catch (const std::exception& e) {
        ZTRACE_WARN("GameRoomController failed, %d, %@, %@", cmd, exceptionTypeName(e), fnd::logPreview(e.what()));
    }
}

std::shared_ptr<ScriptController> GameRoomWebController::playing(int32_t roomId) const {
    std::shared_ptr<ScriptController> game = playingScreen();
    return game != nullptr && game->roomId() == roomId ? game : nullptr;
}

void GameRoomWebController::handleCommand(int cmd, const fnd::Value& value) {
    const fnd::Array& packet = *value.asArray();
    const Reader p(packet);
    switch (cmd) {
    case 21:
        startGame(packet);
        break;
    case 22:
        if (auto game = playing(p.intAt(1))) {
            game->handleGameScript(value);
        }
        break;
    case 39: {
        const int32_t table = p.intAt(1);
        const Reader event = p.arrayAt(2, 4);
        const std::string kind = event.textAt(0);
        const std::string name = event.at(3).stringValue();
        if (kind == "logout" || kind == "left") {
            send(fnd::Value::array({36, table}));
        }
        if (kind == "logout") {
            if (auto app = appDelegate()) {
                app->showInfo("", fnd::format(ZLS("%@ left"), name));
            }
        }
        break;
    }
    case 40: {
        const int32_t table = p.intAt(1);
        saveTid(table);
        callJS(joinScript(table, 0));
        hideLoading();
        break;
    }
    case 41: {
        const int32_t room = p.intAt(1);
        const Reader message = p.arrayAt(2, 2);
        const int32_t type = message.intAt(0);
        const std::string text = message.textAt(1);
        if (auto game = playing(room)) {
            game->handleMessage(text, type);
        }
        break;
    }
    case 43: {
        const Reader table = p.arrayAt(2, 7);
        const int32_t id = table.intAt(0);
        const std::string name = table.textAt(1);
        const int32_t e6 = table.at(6).intValue(); // the page takes it as an integer
        hideLoading();
        callJS(fnd::format("creategametable(%d,%@,'%d');", id, jsStringLiteral(name), e6));
        break;
    }
    case 44: {
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
    case 46: {
        const Reader invitation = p.arrayAt(1, 6);
        const std::string inviter = invitation.textAt(2);
        const std::string game = invitation.textAt(5);
        showConfirmation(kConfirmInvitation, fnd::format(ZLS("%@ invites you to play %@"), inviter, game),
                         ZLS("Game invitation"), fnd::Value::array({invitation.at(3), inviter, invitation.at(4)}));
        break;
    }
    case 51: {
        const int32_t result = p.intAt(1);
        if (result > 0) {
            const int32_t table = p.arrayAt(2, 1).intAt(0);
            saveTid(table);
            send(fnd::Value::array({65, table}));
            callJS(fnd::format("playnow(%d);", table));
        } else {
            clearTid();
            callJS("playnow(-1);");
        }
        hideLoading();
        break;
    }
    case 52: {
        hideMask();
        if (isViewLoaded()) {
            auto alert = ZSimpleAlertView::create();
            alert->setIcon(ZSimpleAlertView::kIconWarning);
            alert->label()->setText(ZLS("No available table"));
            noTableAlerts_.show(alert->queueEntry(view()));
        }
        break;
    }
    case 53:
    case 65: {
        const int32_t room = p.intAt(1);
        const int32_t score = p.intAt(2);
        auto game = playing(room);
        std::shared_ptr<GameRoom> record = game != nullptr ? game->room() : nullptr;
        if (game == nullptr) {
            break;
        }
        const char* format = cmd == 65            ? "http://%@/iphone/static_singlegamescore_%d?tid=%d&score=%d"
                             : packet.count() > 3 ? "http://%@/iphone/static_multigamescore_%d?tid=%d&score=%d"
                                                  : "http://%@/iphone/static_halloffame_%d?tid=%d&score=%d";
        const int32_t gameId = record == nullptr ? 0 : cmd == 65 ? record->single : record->multiple;
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
    case 55:
    case 64:
    case 79: {
        const int32_t room = p.intAt(1);
        const int32_t value = p.intAt(2);
        if (auto game = playing(room)) {
            if (cmd == 55) {
                game->setFoescore(value);
            } else if (cmd == 79) {
                game->setUserScore(value);
            } else {
                game->setQuellinscore(game->quellinscore() + value);
            }
        }
        break;
    }
    case 74:
        send(fnd::Value::array({56, 0, p.intAt(1)}));
        break;
    case 78:
    case 81: {
        const int32_t room = p.intAt(1);
        const fnd::Value player = p.at(2);
        p.arrayAt(3, 0); // names
        p.arrayAt(4, 0); // user ids
        auto game = playing(room);
        auto engine = game != nullptr ? game->engine() : nullptr;
        if (engine != nullptr) {
            engine->setPlayers(p.at(4), p.at(3));
            engine->call(cmd == 78 ? "join" : "leave", fnd::Value::array({player}));
        }
        break;
    }
    case 82:
        hideLoading();
        break;
    case 83:
        hideLoading();
        startTutorial(packet);
        break;
    case 38:
    case 69:
        break;
    default:
        ZTRACE_WARN("GameRoomController: command %d is not a room command", cmd);
        break;
    }
}

void GameRoomWebController::startGame(const fnd::Array& packet) {
    const Reader p(packet);
    const fnd::Value name = p.at(1);
    const int32_t roomId = p.intAt(2);
    const fnd::Value myId = p.at(3);
    Reader::number(myId, 3);
    const fnd::Value names = p.at(4);
    const fnd::Value userids = p.at(5);
    p.arrayAt(4, 0);
    p.arrayAt(5, 0);
    const fnd::Value script = p.at(6);
    if (!script.isData()) {
        throw BadRoomPacket("element 6 is not the game's code");
    }
    const int32_t gameId = p.intAt(7);
    const int32_t flags = p.intAt(9);
    const std::optional<int32_t> roomAttribute = packet.count() > 10 ? std::optional(p.intAt(10)) : std::nullopt;

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

void GameRoomWebController::startTutorial(const fnd::Array& packet) {
    const Reader p(packet);
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
