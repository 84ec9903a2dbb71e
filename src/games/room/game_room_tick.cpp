// GameRoomWebController: the game thread's tick and collection pacing, the result report, the end of
// a game its engine stopped, and the script's requests (open a page, show an alert, confirm quitting,
// leave the guide) with the quit flows they start.
#include <exception>

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "games/room/game_room_web_controller.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "protocol/command_table.h"
#include "protocol/tracer.h"
#include "web/js_escape.h"

namespace zelvan {
namespace {

// A script value as text: byte strings are the script's UTF-8 text.
std::string textOf(const fnd::Value& value) {
    if (const fnd::Bytes* bytes = value.asData()) {
        return std::string(bytes->begin(), bytes->end());
    }
    return value.stringValue();
}

// The elements of `args` from index `from` on, as a new array.
fnd::Value elementsFrom(const std::shared_ptr<fnd::Array>& args, size_t from) {
    fnd::Value out = fnd::Value::array();
    for (size_t i = from; args != nullptr && i < args->count(); ++i) {
        out.asArray()->addObject(args->objectAtIndex(i));
    }
    return out;
}

} // namespace

void GameRoomWebController::executeScript() {
    // The tick holds its own reference, so the main thread forgetting the game meanwhile frees nothing
    // under it; a closed screen has let go of its engine, and the tick then does nothing.
    std::shared_ptr<ScriptController> game = playingScreen();
    if (game == nullptr) {
        return;
    }
    std::lock_guard lock(game->screenLock());
    std::shared_ptr<STLScriptEngine> engine = game->engine();
    if (engine == nullptr) {
        return;
    }
    if (engine->stopped()) {
        // Its runs never returned: the game ends on the main thread, which takes the screen's lock
        // once this tick has let it go.
        std::weak_ptr<ScriptController> weak = game;
        onMain([weak](GameRoomWebController& self) { self.endStoppedGame(weak.lock()); });
        return;
    }
    try {
        const int32_t state = engine->state();
        if (state == -1) {
            const int32_t progress = engine->call("initialize", fnd::Value()).intValue();
            if (progress == -1) {
                engine->setstate(0);
                game->hideProgress();
            } else {
                game->setProgress(progress);
            }
        } else if (state == 0) {
            engine->call("start", fnd::Value());
            engine->setstate(1);
        } else if (state == 1) {
            while (std::optional<fnd::Value> cmd = engine->takeOldestCmd()) {
                engine->call("oncmd", fnd::Value::array({*cmd}));
            }
            const fnd::Value result = engine->call("execute", fnd::Value());
            if (result.isNumber()) {
                engine->setstate(kStateFinished);
                reportResult(*game, result.intValue());
            }
        }
        if (engine->state() != -1) {
            game->safeRefresh();
        }
    } catch (const std::exception& e) {
        ZTRACE_ERROR("GameRoomController executeScript failed, %@, %@", exceptionTypeName(e),
                     fnd::logPreview(e.what()));
    }
}

void GameRoomWebController::endStoppedGame(const std::shared_ptr<ScriptController>& game) {
    if (game == nullptr || playingScreen() != game) {
        return; // already closed, or a later tick's repeat
    }
    ZTRACE_WARN("GameRoomController: game %d in room %d never returned from its runs; it is closed", game->gameId(),
                game->roomId());
    executeScriptQuitGame(fnd::Value());
    closeGame();
    showAlert(ZLS("gameStoppedMessage"), ZLS("gameStopped"));
}

void GameRoomWebController::reportResult(ScriptController& game, int32_t result) {
    const char* title = result == 1 ? "You Win!" : result == -1 ? "You Lose!" : result == 0 ? "Draw!" : nullptr;
    auto app = appDelegate();
    if (title != nullptr && app != nullptr) {
        app->showInfo(ZLS(title), "");
    }
    const int32_t roomId = game.roomId();
    if (result == 3) {
        return;
    }
    if (result == 2) {
        send(fnd::Value::array({cmd::kGameResult, game.quellinscore(), 0, roomId + 1}));
    } else {
        send(fnd::Value::array({cmd::kGameResult, result, game.foescore(), roomId + 1, game.gameId()}));
    }
    send(fnd::Value::array({cmd::kGameOver, roomId}));
}

void GameRoomWebController::gc(int n) {
    std::shared_ptr<ScriptController> game = playingScreen();
    if (game == nullptr) {
        gcTick_ = 0;
        return;
    }
    if (n > 0) {
        gcTick_ += n;
    }
    if (n < 0 || gcTick_.load() > kGcTicks) {
        std::lock_guard lock(game->screenLock());
        if (auto engine = game->engine()) {
            engine->gc();
        }
        gcTick_ = 0;
    }
}

void GameRoomWebController::quitGame() {
    std::shared_ptr<ScriptController> game = playingScreen();
    if (game == nullptr) {
        return;
    }
    std::lock_guard lock(game->screenLock());
    if (auto engine = game->engine()) {
        engine->call("quit", fnd::Value());
    }
}

// --- The script's requests ---

void GameRoomWebController::scriptOpenUrl(fnd::Value args) {
    onMain([args = std::move(args)](GameRoomWebController& self) { self.scriptOpenUrlInMainThread(args); });
}

void GameRoomWebController::scriptShowAlert(fnd::Value args) {
    onMain([args = std::move(args)](GameRoomWebController& self) { self.scriptShowAlertInMainThread(args); });
}

void GameRoomWebController::scriptQuitGame(fnd::Value args) {
    onMain([args = std::move(args)](GameRoomWebController& self) { self.scriptQuitGameInMainThread(args); });
}

void GameRoomWebController::scriptQuitGuide(int32_t kind) {
    onMain([kind](GameRoomWebController& self) {
        if (kind == 0) {
            self.closeGame();
        }
    });
}

void GameRoomWebController::scriptOpenUrlInMainThread(const fnd::Value& args) {
    std::shared_ptr<fnd::Array> list = args.asArray();
    std::shared_ptr<ScriptController> game = playingScreen();
    if (list == nullptr || list->count() == 0) {
        ZTRACE_WARN("GameRoomController: the script asked for a page without naming it");
        return;
    }
    if (game != nullptr) {
        std::shared_ptr<GameRoom> room = game->room();
        const int32_t roomId = game->roomId();
        if (room != nullptr && room->isSingleGame) {
            send(fnd::Value::array({cmd::kLeaveSingleGame, roomId}));
        } else if (GameRoom::checkAttr(game->gameattribute(), kMultiBit)) {
            leaveTable(roomId, list);
        }
    }
    slideNewPage(textOf(list->objectAtIndex(0)));
    closeGame();
}

void GameRoomWebController::executeScriptQuitGame(const fnd::Value& args) {
    std::shared_ptr<ScriptController> game = playingScreen();
    std::shared_ptr<fnd::Array> list = args.asArray();
    if (game == nullptr) {
        return;
    }
    std::shared_ptr<GameRoom> room = game->room();
    const int32_t roomId = game->roomId();
    if (room != nullptr && room->isSingleGame) {
        send(fnd::Value::array(
            {cmd::kLeaveSingleGame, roomId, list != nullptr && list->count() > 0 ? list->objectAtIndex(0) : 0}));
    } else if (GameRoom::checkAttr(game->gameattribute(), kMultiBit)) {
        leaveTable(roomId, list);
    }
}

void GameRoomWebController::leaveTable(int32_t roomId, const std::shared_ptr<fnd::Array>& args) {
    fnd::Value packet = elementsFrom(args, 1);
    packet.asArray()->insertObject(roomId, 0);
    packet.asArray()->insertObject(35, 0);
    send(packet);
    callJS(fnd::format("joingametable(%d,5);", roomId));
}

// --- Script alerts and the quit confirmation ---

std::shared_ptr<ZSimpleAlertView> GameRoomWebController::reusedGameAlert() {
    if (gameAlert_ == nullptr) {
        gameAlert_ = ZSimpleAlertView::create();
    }
    gameAlert_->removeAllButton();
    gameAlert_->hide();
    gameAlert_->setDelegate(std::weak_ptr<ZSimpleAlertViewDelegate>(self()));
    return gameAlert_;
}

std::shared_ptr<ui::View> GameRoomWebController::alertHostView() const {
    std::shared_ptr<ScriptController> game = playingScreen();
    if (game != nullptr && game->isViewLoaded()) {
        return game->view();
    }
    return isViewLoaded() ? const_cast<GameRoomWebController*>(this)->view() : nullptr;
}

void GameRoomWebController::scriptShowAlertInMainThread(const fnd::Value& args) {
    std::shared_ptr<fnd::Array> list = args.asArray();
    if (list == nullptr || list->count() < 3) {
        ZTRACE_WARN("GameRoomController: a script alert needs an id, a text and an icon");
        return;
    }
    gameAlertType_ = kAlertScript;
    auto alert = reusedGameAlert();
    alert->setAlertId(list->objectAtIndex(0));
    alert->label()->setText(textOf(list->objectAtIndex(1)));
    alert->setIcon(list->objectAtIndex(2).intValue());
    for (size_t i = 3; i < list->count(); ++i) {
        alert->addButtonWithTitle(textOf(list->objectAtIndex(i)));
    }
    alert->showInView(alertHostView());
}

void GameRoomWebController::scriptQuitGameInMainThread(const fnd::Value& args) {
    gameAlertType_ = kAlertQuit;
    auto alert = reusedGameAlert();
    alert->setAlertId(args);
    alert->label()->setText(ZLS("Do you want to quit the game?"));
    alert->setIcon(ZSimpleAlertView::kIconWarning);
    alert->addButtonWithTitle(ZLS("No"));
    alert->addButtonWithTitle(ZLS("Yes"));
    alert->showInView(alertHostView());
}

void GameRoomWebController::buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& buttonTitle,
                                                   int buttonIndex) {
    if (&alert != gameAlert_.get()) {
        ZAdvancedWebViewController::buttonClickedFromAlert(alert, buttonTitle, buttonIndex);
        return;
    }
    std::shared_ptr<ScriptController> game = playingScreen();
    std::shared_ptr<STLScriptEngine> engine = game != nullptr ? game->engine() : nullptr;
    if (gameAlertType_ == kAlertScript) {
        if (engine != nullptr) {
            engine->call("alertClicked", fnd::Value::array({alert.alertId(), buttonIndex, buttonTitle}));
        }
    } else if (gameAlertType_ == kAlertQuit && buttonIndex == 1) {
        if (engine != nullptr) {
            engine->call("quitGameCallback", fnd::Value());
        }
        std::weak_ptr<GameRoomWebController> weak = self();
        fnd::RunLoop::main().performAfter(kQuitDelay, [weak, id = alert.alertId()] {
            if (auto controller = weak.lock()) {
                controller->executeScriptQuitGame(id);
            }
        });
    }
}

} // namespace zelvan
