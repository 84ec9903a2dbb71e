// The Games tab controller's test bench: a test delegate with web databases, the controller over a
// lobby web view whose stand-in script host records every script, a game whose entry points report to
// the test and return what it queues, and helpers that push server packets and take what went out.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "games/engine/script_value.h"
#include "games/engine/stl_script_core.h"
#include "games/room/game_room_web_controller.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/application.h"
#include "platform/ui/recording_script_host.h"
#include "platform/ui/window.h"
#include "tests/games/engine/fake_game_host.h"
#include "tests/games/engine/script_test_support.h"
#include "tests/support/scoped_app_delegate.h"
#include "tests/support/sent_packets.h"
#include "web/zlv_database.h"
#include "web/zlv_web_database_manager.h"

namespace zelvan::testing {

// Entry point numbers the game reports with native 27.
enum Entry { kInitialize = 1, kStart, kOncmd, kExecute, kJoin, kLeave, kAlertClicked, kQuitCallback, kQuit };

// Every entry point calls native 27 with its number and its first argument (0 for none; "alertClicked"
// its three as a list) and returns what the native gives.
inline constexpr std::string_view kRoomGame =
    ".entry \"initialize\" G3\n.entry \"start\" G4\n.entry \"oncmd\" G5\n.entry \"execute\" G6\n"
    ".entry \"join\" G7\n.entry \"leave\" G8\n.entry \"alertClicked\" G9\n.entry \"quitGameCallback\" G10\n"
    ".entry \"quit\" G11\n"
    "    func e1\n    store G3\n    func e2\n    store G4\n    func e3\n    store G5\n    func e4\n    store G6\n"
    "    func e5\n    store G7\n    func e6\n    store G8\n    func e7\n    store G9\n    func e8\n    store G10\n"
    "    func e9\n    store G11\n    stop\n"
    "e1:\n    push 1\n    push 0\n    native 27 2\n    ret\n"
    "e2:\n    push 2\n    push 0\n    native 27 2\n    ret\n"
    "e3:\n    push 3\n    load L0\n    native 27 2\n    ret\n"
    "e4:\n    push 4\n    push 0\n    native 27 2\n    ret\n"
    "e5:\n    push 5\n    load L0\n    native 27 2\n    ret\n"
    "e6:\n    push 6\n    load L0\n    native 27 2\n    ret\n"
    "e7:\n    push 7\n    load L0\n    load L1\n    load L2\n    mkarray 3\n    native 27 2\n    ret\n"
    "e8:\n    push 8\n    push 0\n    native 27 2\n    ret\n"
    "e9:\n    push 9\n    push 0\n    native 27 2\n    ret\n";

// What the game's entry points did, and what they return next (by entry; "initialize" returns -1 and
// the others null when nothing is queued).
struct EntryLog {
    std::mutex mutex;
    std::vector<std::pair<int, fnd::Value>> calls;
    std::map<int, std::deque<std::optional<int32_t>>> results;

    void queue(int entry, std::optional<int32_t> result) {
        std::lock_guard lock(mutex);
        results[entry].push_back(result);
    }
    std::vector<std::pair<int, fnd::Value>> take() {
        std::lock_guard lock(mutex);
        return std::exchange(calls, {});
    }
    static EntryLog& shared() {
        static EntryLog log;
        return log;
    }
};

inline ScriptValue reportEntry(STLScriptCore&, std::span<const ScriptValue> args) {
    EntryLog& log = EntryLog::shared();
    const int entry = args.size() > 0 && isInt(args[0]) ? intOf(args[0]) : 0;
    std::lock_guard lock(log.mutex);
    log.calls.emplace_back(entry, args.size() > 1 ? convertToNS(args[1]) : fnd::Value());
    std::deque<std::optional<int32_t>>& queued = log.results[entry];
    if (queued.empty()) {
        return entry == kInitialize ? fromInt(-1) : kNoValue;
    }
    std::optional<int32_t> result = queued.front();
    queued.pop_front();
    return result ? fromInt(*result) : kNoValue;
}

class GameRoomControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        {
            std::lock_guard lock(EntryLog::shared().mutex);
            EntryLog::shared().calls.clear();
            EntryLog::shared().results.clear();
        }
        AppRegistry registry;
        registry.webDatabases.factory = [](zelvanAppDelegate&) { return std::make_shared<ZLVWebDatabaseManager>(); };
        AppConfig config;
        config.webHost = "games.test";
        app_.emplace(std::move(registry), config);
        rooms_ = GameRoomWebController::create((**app_).shared_from_this());
        rooms_->setInitUrl(""); // no lobby page is fetched: the stand-in document records the scripts
        rooms_->setGameHost(host_);
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        window_->addSubview(rooms_->view());
        settle();
    }
    void TearDown() override {
        rooms_->connectionLost();
        (*app_)->hideInfo();
        for (const auto& panel : ui::AlertPanel::visiblePanels()) {
            panel->dismissWithClickedButtonIndex(0, ui::Animated::No);
        }
        if (rooms_->gameAlert() != nullptr) {
            rooms_->gameAlert()->hide();
        }
        settle();
        fnd::RunLoop::main().advance(1);
        window_->setHidden(true);
        rooms_.reset();
        app_.reset();
        fnd::Clock::install(nullptr);
    }

    static void settle() {
        fnd::RunLoop::main().runUntilIdle();
        ui::Application::shared().flush();
    }
    // The packet handed over on the network thread's path and handled on the main thread.
    void receive(const fnd::Value& packet) {
        rooms_->handleServerResponse(packet);
        settle();
    }
    void action(const std::string& url) {
        rooms_->openUrl(url);
        settle();
    }
    std::vector<fnd::Value> sent() { return takeSentPackets(**app_); }
    // Scripts the lobby page evaluated since the last call.
    std::vector<std::string> scripts() {
        auto host = std::dynamic_pointer_cast<ui::RecordingScriptHost>(rooms_->webView()->scriptHost());
        if (host == nullptr) {
            ADD_FAILURE() << "the lobby has no recording script host";
            return {};
        }
        std::vector<std::string> all = host->evaluations();
        std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(std::min(seenScripts_, all.size())),
                                       all.end());
        seenScripts_ = all.size();
        return fresh;
    }
    int64_t tid() { return (*app_)->webDatabases()->connectionDB()->kvInt("tid", -1); }

    // Command 21 for the test game: [21, name, room, own id, names, ids, code, game id, 0, flags(, room
    // attribute)].
    static fnd::Value startPacket(int32_t room, int32_t flags, std::optional<int32_t> roomAttribute = std::nullopt,
                                  int32_t gameId = 1600) {
        fnd::Value packet =
            fnd::Value::array({21, "Cards", room, 4242, fnd::Value::array({"ann", "bob"}),
                               fnd::Value::array({101, 102}), fnd::Value(assemble(kRoomGame)), gameId, 0, flags});
        if (roomAttribute) {
            packet.asArray()->addObject(*roomAttribute);
        }
        return packet;
    }
    // Starts a game with 21 and hooks its entry points to the test.
    std::shared_ptr<ScriptController> start(int32_t room, int32_t flags,
                                            std::optional<int32_t> roomAttribute = std::nullopt) {
        receive(startPacket(room, flags, roomAttribute));
        std::shared_ptr<ScriptController> game = rooms_->playingScreen();
        if (game == nullptr || game->engine() == nullptr) {
            ADD_FAILURE() << "no game started";
            return game;
        }
        game->engine()->core()->natives().registerNative(27, reportEntry);
        return game;
    }
    void tick() {
        rooms_->executeScript();
        settle();
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::optional<ScopedAppDelegate> app_;
    std::shared_ptr<FakeGameHost> host_ = std::make_shared<FakeGameHost>();
    std::shared_ptr<GameRoomWebController> rooms_;
    std::shared_ptr<ui::Window> window_;
    size_t seenScripts_ = 0;
};

} // namespace zelvan::testing
