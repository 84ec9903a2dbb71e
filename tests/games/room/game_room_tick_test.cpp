// The Games tab controller's game thread side and page side: the tick's states and result reports,
// collection pacing, a forget racing ticks, a script that never returns and a game stopped for it (or
// for load-time code that never returns); the lobby's actions, the new-table strip, script alerts, the
// quit confirmation, opened pages, invitations and the connection.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/localization.h"
#include "core/state_files.h"
#include "games/room/app_game_host.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/keyboard.h"
#include "tests/games/room/game_room_test_support.h"

namespace zelvan::testing {
namespace {

using fnd::Value;
using Call = std::pair<int, Value>;

TEST_F(GameRoomControllerTest, TicksRunTheStatesAndReportTheResult) {
    rooms_->executeScript(); // no game: nothing runs
    EXPECT_TRUE(sent().empty());

    auto game = start(5, 4);
    ASSERT_NE(game, nullptr);
    auto engine = game->engine();
    // "initialize" 50 shows progress and stays loading; -1 moves to ready on the same tick.
    EntryLog::shared().queue(kInitialize, 50);
    EntryLog::shared().queue(kInitialize, -1);
    tick();
    EXPECT_EQ(engine->state(), -1);
    ASSERT_NE(game->loadingView(), nullptr);
    EXPECT_FLOAT_EQ(game->loadingView()->progress(), 0.5f);
    tick();
    EXPECT_EQ(engine->state(), 0);
    EXPECT_EQ(game->loadingView(), nullptr);
    EXPECT_EQ(EntryLog::shared().take(), (std::vector<Call>{{kInitialize, Value(0)}, {kInitialize, Value(0)}}));
    tick();
    EXPECT_EQ(engine->state(), 1);

    // Queued commands go to "oncmd" oldest first; "execute" giving no number changes nothing.
    receive(Value::array({22, 5, "a"}));
    receive(Value::array({22, 5, "b", 2}));
    tick();
    EXPECT_EQ(EntryLog::shared().take(), (std::vector<Call>{{kStart, Value(0)},
                                                            {kOncmd, Value::array({bytes("a")})},
                                                            {kOncmd, Value::array({bytes("b"), 2})},
                                                            {kExecute, Value(0)}}));
    EXPECT_EQ(engine->state(), 1);
    EXPECT_TRUE(sent().empty());

    // 3 finishes without packets.
    EntryLog::shared().queue(kExecute, 3);
    tick();
    EXPECT_EQ(engine->state(), 3);
    EXPECT_TRUE(sent().empty());
    tick();                                                                          // finished: only redraws
    EXPECT_EQ(EntryLog::shared().take(), (std::vector<Call>{{kExecute, Value(0)}})); // only the one that gave 3

    // 2 reports the quell-in score; any other number the result with the foe's score and the game.
    struct Case {
        int32_t result;
        std::vector<Value> out;
    };
    for (const Case& c : {Case{2, {Value::array({47, 9, 0, 8}), Value::array({40, 7})}},
                          Case{-1, {Value::array({47, -1, 30, 8, 1600}), Value::array({40, 7})}},
                          Case{5, {Value::array({47, 5, 30, 8, 1600}), Value::array({40, 7})}}}) {
        auto next = start(7, 4);
        ASSERT_NE(next, nullptr);
        receive(Value::array({64, 7, 9}));
        receive(Value::array({55, 7, 30}));
        EntryLog::shared().queue(kExecute, c.result);
        tick();
        tick();
        tick();
        EXPECT_EQ(next->engine()->state(), 3);
        EXPECT_EQ(sent(), c.out);
    }
    // The application stops: the open game's script hears "quit".
    EntryLog::shared().take();
    rooms_->quitGame();
    EXPECT_EQ(EntryLog::shared().take(), (std::vector<Call>{{kQuit, Value(0)}}));
}

TEST_F(GameRoomControllerTest, CollectionComesOnTheSixHundredAndFirstTick) {
    rooms_->gc(1);
    EXPECT_EQ(rooms_->gcTick(), 0); // no game: nothing is counted
    auto game = start(5, 4);
    ASSERT_NE(game, nullptr);
    for (int i = 0; i < 600; ++i) {
        rooms_->gc(1);
    }
    EXPECT_EQ(rooms_->gcTick(), 600);
    rooms_->gc(1);
    EXPECT_EQ(rooms_->gcTick(), 0);
    rooms_->gc(5);
    rooms_->gc(-1);
    EXPECT_EQ(rooms_->gcTick(), 0);
}

TEST_F(GameRoomControllerTest, ForgettingTheGameWhileTheGameThreadTicksIsSafe) {
    std::atomic<bool> stop{false};
    std::thread gameThread([&] {
        while (!stop) {
            rooms_->executeScript();
            rooms_->gc(-1);
        }
    });
    for (int i = 0; i < 30; ++i) {
        receive(startPacket(5 + i % 3, 4));
        settle();
        if (i % 2 == 0) {
            rooms_->connectionLost();
        } else {
            receive(Value::array({53, 5 + i % 3, 1}));
            fnd::RunLoop::main().advance(0.6);
        }
        settle();
    }
    stop = true;
    gameThread.join();
    EXPECT_EQ(rooms_->playingScreen(), nullptr);
}

constexpr std::string_view kSpinner = ".entry \"initialize\" G3\n.entry \"execute\" G4\n"
                                      "    func init\n    store G3\n    func spin\n    store G4\n    stop\n"
                                      "init:\n    push -1\n    ret\n"
                                      "spin:\n    push 1\n    pop\n    jump16 spin\n";

TEST_F(GameRoomControllerTest, AScriptThatNeverReturnsIsEndedAndTheMainThreadGetsTheScreenBack) {
    Value packet = startPacket(5, 4);
    packet.asArray()->replaceObjectAtIndex(6, Value(assemble(kSpinner)));
    receive(packet);
    auto game = rooms_->playingScreen();
    ASSERT_NE(game, nullptr);
    game->engine()->core()->setInstructionBudget(2'000'000);
    game->engine()->setstate(1);
    fnd::testing::LogCapture log;
    std::atomic<bool> ticked{false};
    std::thread gameThread([&] {
        rooms_->executeScript();
        ticked = true;
    });
    while (!game->engine()->isRunning() && !ticked) {
        std::this_thread::yield();
    }
    rooms_->connectionLost();
    settle(); // closing waits for the screen's lock, which the budget gives back
    gameThread.join();
    EXPECT_TRUE(log.contains("instruction budget exhausted"));
    EXPECT_EQ(rooms_->playingScreen(), nullptr);
    EXPECT_EQ(game->engine(), nullptr);
    EXPECT_TRUE(sent().empty());
}

TEST_F(GameRoomControllerTest, AGameWhoseRunsNeverReturnLeavesItsTableAndClosesWithTheErrorAlert) {
    Value packet = startPacket(6, 2);
    packet.asArray()->replaceObjectAtIndex(6, Value(assemble(kSpinner)));
    receive(packet);
    auto game = rooms_->playingScreen();
    ASSERT_NE(game, nullptr);
    auto engine = game->engine();
    engine->core()->setInstructionBudget(20'000);
    engine->setstate(1);
    fnd::testing::LogCapture log;
    for (int i = 0; i < STLScriptEngine::kMaxBudgetStops; ++i) {
        EXPECT_EQ(rooms_->playingScreen(), game);
        tick();
    }
    tick(); // the next ticks end the game instead of running it
    tick();
    EXPECT_EQ(log.count("instruction budget exhausted"), STLScriptEngine::kMaxBudgetStops);
    EXPECT_EQ(rooms_->playingScreen(), nullptr);
    EXPECT_EQ(game->engine(), nullptr);
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({68, 6, 0})}));
    auto alert = ui::testing::AlertDriver::visibleAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), ZLS("gameStopped"));
}

// A game whose "initialize" returns at once but whose load-time code never ends: each round of its loop
// jumps back over 30,000 bytes, so it spends the default instruction budget in a few thousand rounds.
std::string loadTimeSpinner() {
    std::string padding = "    .int 0";
    for (int i = 1; i < 7500; ++i) {
        padding += ", 0";
    }
    return ".entry \"initialize\" G3\n    func init\n    store G3\n"
           "spin:\n    jump16 over\n" +
           padding + "\nover:\n    jump16 spin\ninit:\n    push -1\n    ret\n";
}

TEST_F(GameRoomControllerTest, AGameWhoseLoadTimeCodeNeverReturnsLeavesItsTableAndClosesWithTheErrorAlert) {
    Value packet = startPacket(6, 2);
    packet.asArray()->replaceObjectAtIndex(6, Value(assemble(loadTimeSpinner())));
    fnd::testing::LogCapture log;
    receive(packet);
    auto game = rooms_->playingScreen();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(log.count("instruction budget exhausted"), 1u);
    tick(); // the first tick ends the game instead of running it
    EXPECT_EQ(rooms_->playingScreen(), nullptr);
    EXPECT_EQ(game->engine(), nullptr);
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({68, 6, 0})}));
    auto alert = ui::testing::AlertDriver::visibleAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), ZLS("gameStopped"));
}

TEST_F(GameRoomControllerTest, PageActionsSendTheirPackets) {
    receive(Value::array({40, 17}));
    scripts();
    struct Row {
        std::string url;
        std::vector<Value> out;
        std::vector<std::string> js;
        bool loading;
    };
    const std::vector<Row> rows = {
        {"zelvan://joingametable?12", {Value::array({65, 12})}, {}, true},
        {"zelvan://joingametable", {}, {}, false},
        {"zelvan://playnow?3", {Value::array({66, 3})}, {}, true},
        {"zelvan://playsinglegame?1600", {Value::array({56, 0, 1600})}, {}, true},
        {"zelvan://startsinglegame?1601", {Value::array({56, 0, 1601})}, {}, false},
        {"zelvan://startsinglegame", {}, {}, false},
        {"zelvan://rereadygame?12", {Value::array({36, 12})}, {"hidecountdown();"}, false},
        {"zelvan://rereadygame", {}, {"hidecountdown();"}, false},
        {"zelvan://invitefriend?1600~4242", {Value::array({43, 4242, 1600})}, {}, false},
        {"zelvan://invitefriend?1600", {}, {}, false},
        {"zelvan://invitefriend?1600~", {}, {}, false},
        {"zelvan://howtoplay?1600", {Value::array({74, 1600})}, {}, true},
        {"zelvan://cancelplay", {Value::array({35, 17})}, {}, false}, // the stored table
        {"zelvan://cancelplay", {}, {}, false},                       // cleared by the first
        {"zelvan://leavegametable?12?static_game_1600",
         {Value::array({35, 12})},
         {R"(document.location="zelvan://slidetoleft?static_game_1600";)"},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        rooms_->hideLoading();
        action(row.url);
        EXPECT_EQ(sent(), row.out);
        EXPECT_EQ(scripts(), row.js);
        EXPECT_EQ(rooms_->isShowingLoading(), row.loading);
    }
    EXPECT_EQ(tid(), -1);

    // "entertablelist" asks for the guide once and records it; the next visit only moves the page.
    action("zelvan://entertablelist?1700?static_tables_1700");
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({74, 1700})}));
    EXPECT_TRUE(scripts().empty());
    EXPECT_EQ((*app_)->displayGuide(), Value::dictionary({{1700, 1}}));
    EXPECT_EQ(readfile(zelvanAppDelegate::kDisplayGuideFile).value(), Value::dictionary({{1700, 1}}));
    action("zelvan://entertablelist?1700?static_tables_1700");
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(scripts(),
              (std::vector<std::string>{R"(document.location="zelvan://slidenewpage?static_tables_1700";)"}));

    // The new-table strip: the name goes out with the parent id; an empty name sends nothing.
    action("zelvan://creategametable?88");
    ASSERT_EQ(rooms_->inputView()->superview(), rooms_->view());
    EXPECT_EQ(rooms_->inputView()->frame(), gfx::Rect(0, 146, rooms_->view()->bounds().size.width, 56));
    EXPECT_TRUE(ui::testing::Keyboard::type("Ann's table"));
    EXPECT_TRUE(ui::testing::Keyboard::pressReturn());
    settle();
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({41, "Ann's table", 88, 9, 1, 0})}));
    EXPECT_EQ(rooms_->inputView()->superview(), nullptr);
    EXPECT_EQ(rooms_->textField()->text(), "");
    action("zelvan://creategametable?88");
    EXPECT_TRUE(ui::testing::Keyboard::pressReturn());
    settle();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(rooms_->inputView()->superview(), nullptr);

    // The countdown ends once more than 5 whole seconds have passed, and leaving a table ends it too.
    rooms_->startTiming();
    fnd::RunLoop::main().advance(5.5);
    EXPECT_TRUE(rooms_->isCountingDown());
    EXPECT_TRUE(scripts().empty());
    fnd::RunLoop::main().advance(1);
    EXPECT_FALSE(rooms_->isCountingDown());
    EXPECT_EQ(scripts(), (std::vector<std::string>{"hidecountdown();"}));
    rooms_->startTiming();
    action("zelvan://leavegametable?12");
    EXPECT_FALSE(rooms_->isCountingDown());
    EXPECT_EQ(scripts(), (std::vector<std::string>{"hidecountdown();"}));
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({35, 12})}));

    // Everything else is the base page controller's.
    action("zelvan://loading");
    EXPECT_TRUE(rooms_->isShowingLoading());
}

TEST_F(GameRoomControllerTest, ScriptAlertsAndTheQuitConfirmation) {
    auto game = start(5, 4);
    ASSERT_NE(game, nullptr);
    // A script alert answers "alertClicked" with its id, the button's index and title.
    rooms_->scriptShowAlert(Value::array({bytes("a1"), bytes("Ready?"), 0, bytes("Go"), bytes("Wait")}));
    settle();
    auto alert = rooms_->gameAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->superview(), game->view());
    EXPECT_EQ(alert->label()->text(), "Ready?");
    ASSERT_EQ(alert->numberOfButtons(), 2);
    alert->buttonViews()[1]->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    settle();
    EXPECT_EQ(EntryLog::shared().take(),
              (std::vector<Call>{{kAlertClicked, Value::array({bytes("a1"), 1, bytes("Wait")})}}));

    // "No" only closes the confirmation.
    rooms_->scriptQuitGame(Value::array({4}));
    settle();
    EXPECT_EQ(alert->label()->text(), ZLS("Do you want to quit the game?"));
    ASSERT_EQ(alert->numberOfButtons(), 2); // the script alert's buttons were removed
    alert->buttonViews()[0]->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    fnd::RunLoop::main().advance(1);
    EXPECT_FALSE(alert->isShowing());
    EXPECT_TRUE(EntryLog::shared().take().empty());
    EXPECT_TRUE(sent().empty());

    // "Yes" calls "quitGameCallback" and 0.2 s later ends the multi-player game for the room.
    rooms_->scriptQuitGame(Value::array({4, 11, 12}));
    settle();
    alert->buttonViews()[1]->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    settle();
    EXPECT_EQ(EntryLog::shared().take(), (std::vector<Call>{{kQuitCallback, Value(0)}}));
    EXPECT_TRUE(sent().empty());
    fnd::RunLoop::main().advance(0.25);
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({35, 5, 11, 12})}));
    EXPECT_EQ(scripts(), (std::vector<std::string>{"joingametable(5,5);"}));
    EXPECT_EQ(rooms_->playingScreen(), game); // the server's 53 or 65 closes it

    // A single-player game sends its room and the result.
    start(6, 2);
    rooms_->scriptQuitGame(Value::array({-1}));
    settle();
    rooms_->gameAlert()->buttonViews()[1]->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    fnd::RunLoop::main().advance(0.25);
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({68, 6, -1})}));
}

TEST_F(GameRoomControllerTest, OpenedPagesAndTheGuideCloseTheGame) {
    auto multi = start(5, 4);
    rooms_->scriptOpenUrl(Value::array({bytes("static_rank?x='1'"), 3}));
    settle();
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({35, 5, 3})}));
    EXPECT_EQ(scripts(),
              (std::vector<std::string>{"joingametable(5,5);",
                                        R"(document.location="zelvan://slidenewpage?static_rank?x=\'1\'";)"}));
    EXPECT_EQ(rooms_->playingScreen(), nullptr);
    EXPECT_EQ(multi->engine(), nullptr);

    start(6, 2);
    rooms_->scriptOpenUrl(Value::array({"static_rank"}));
    settle();
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({68, 6})}));
    EXPECT_EQ(rooms_->playingScreen(), nullptr);

    start(7, 4);
    rooms_->scriptQuitGuide(1);
    settle();
    EXPECT_NE(rooms_->playingScreen(), nullptr);
    rooms_->scriptQuitGuide(0);
    settle();
    EXPECT_EQ(rooms_->playingScreen(), nullptr);
}

TEST_F(GameRoomControllerTest, InvitationsAnswerWithTheCarriedValues) {
    struct Case {
        std::string button;
        std::vector<Value> out;
    };
    for (const Case& c : {Case{"Accept", {Value::array({56, 31, 32})}}, Case{"Reject", {Value::array({44, 31, 0})}},
                          Case{"Ignore", {}}}) {
        SCOPED_TRACE(c.button);
        receive(Value::array({46, Value::array({0, 0, "bob", 31, 32, "Cards"})}));
        auto alert = ui::testing::AlertDriver::visibleAlert();
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->title(), ZLS("Game invitation"));
        EXPECT_EQ(alert->message(),
                  fnd::format(ZLS("%@ invites you to play %@"), std::string("bob"), std::string("Cards")));
        EXPECT_TRUE(ui::testing::AlertDriver::tap(ZLS(c.button)));
        EXPECT_EQ(sent(), c.out);
    }
}

TEST_F(GameRoomControllerTest, TheConnectionHidesTheMaskAndItsLossClosesTheGame) {
    rooms_->showMask("Connecting", false);
    ASSERT_EQ(rooms_->maskView()->superview(), rooms_->view());
    rooms_->connectionResumed();
    settle();
    fnd::RunLoop::main().advance(1);
    EXPECT_EQ(rooms_->maskView()->superview(), nullptr);

    auto game = start(5, 4);
    rooms_->connectionLost();
    settle();
    EXPECT_EQ(rooms_->playingScreen(), nullptr);
    EXPECT_EQ(game->engine(), nullptr);

    // "No available table" shows over the page and any tap takes it away.
    receive(Value::array({52}));
    std::shared_ptr<ZSimpleAlertView> notice;
    for (const auto& view : rooms_->view()->subviews()) {
        if (auto found = std::dynamic_pointer_cast<ZSimpleAlertView>(view)) {
            notice = found;
        }
    }
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->label()->text(), ZLS("No available table"));
    EXPECT_EQ(notice->numberOfButtons(), 0);
    notice->hide();
}

TEST_F(GameRoomControllerTest, TheApplicationHostServesTheNativesFromTheDelegateAndTheController) {
    auto appHost = std::make_shared<AppGameHost>(zelvanAppDelegate::current(), nullptr, rooms_);
    rooms_->setGameHost(appHost);
    auto game = start(5, 4);
    EXPECT_EQ(appHost->playingGame(), game);
    appHost->send(Value::array({34, 5, "hi"}));
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({34, 5, "hi"})}));
    EXPECT_EQ(appHost->gameAudioEnable(), 1);
    (*app_)->setGameAudioEnable(false);
    EXPECT_EQ(appHost->gameAudioEnable(), 0);
    // Without a game cache nothing is served and no file is admitted.
    EXPECT_EQ(appHost->newDataWithKey("logo.png"), std::nullopt);
    EXPECT_EQ(appHost->gameFilePath("/etc/hosts"), std::nullopt);
    appHost->scriptQuitGuide(0);
    settle();
    EXPECT_EQ(appHost->playingGame(), nullptr);
    EXPECT_EQ(game->engine(), nullptr);
}

} // namespace
} // namespace zelvan::testing
