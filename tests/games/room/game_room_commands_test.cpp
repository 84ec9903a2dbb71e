// The Games tab controller's received commands: a table of packets with what goes out, what the lobby
// page runs and the stored table id; malformed packets and a throwing page handler; game starts,
// replacements, the tutorial, player changes, scores and the score pages with their delayed close.
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/localization.h"
#include "platform/foundation/format.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/testing/web_view_driver.h"
#include "tests/games/room/game_room_test_support.h"

namespace zelvan::testing {
namespace {

using fnd::Value;

TEST_F(GameRoomControllerTest, ReceivedCommandsSendRunPageFunctionsAndKeepTheTableId) {
    struct Row {
        Value packet;
        std::vector<Value> out;
        std::vector<std::string> js;
        int64_t tid;  // the stored "tid" afterwards (-1: none)
        bool loading; // the loading overlay shown before still shows
    };
    // The controller reaches the delegate it was made with, not the one installed for the process.
    zelvanAppDelegate::setInstance(nullptr);
    const std::string tricky = "it's a \\ </script>";
    const std::vector<Row> rows = {
        {Value::array({40, 17}), {}, {"joingametable(17,0);"}, 17, false},
        {Value::array({39, 17, Value::array({"left", 0, 0, "bob"})}), {Value::array({36, 17})}, {}, 17, true},
        {Value::array({39, 17, Value::array({"logout", 0, 0, "bob"})}), {Value::array({36, 17})}, {}, 17, true},
        {Value::array({39, 17, Value::array({"won", 0, 0, "bob"})}), {}, {}, 17, true},
        {Value::array({43, 0, Value::array({5, tricky, 0, 0, 0, 0, "3"})}),
         {},
         {R"(creategametable(5,"it\'s a \\ <\/script>",'3');)"},
         17,
         false},
        {Value::array({44, 9, "full"}), {}, {"joingametable(9,2);"}, 17, false},
        {Value::array({44, 9, "logout"}), {}, {"joingametable(9,5);"}, 17, false},
        {Value::array({44, 9, "7"}), {}, {"joingametable(9,7);"}, 17, false},
        {Value::array({44, 9, "0"}), {}, {}, 17, false},
        {Value::array({51, 1, Value::array({23, 0})}), {Value::array({65, 23})}, {"playnow(23);"}, 23, false},
        {Value::array({51, 0}), {}, {"playnow(-1);"}, -1, false},
        {Value::array({74, 1600}), {Value::array({56, 0, 1600})}, {}, -1, true},
        {Value::array({38, 1}), {}, {}, -1, true},
        {Value::array({69}), {}, {}, -1, true},
        {Value::array({82}), {}, {}, -1, false},
        // No game is open: room commands for a room change nothing.
        {Value::array({22, 5, "x"}), {}, {}, -1, true},
        {Value::array({53, 5, 10}), {}, {}, -1, true},
        {Value::array({65, 5, 10}), {}, {}, -1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.packet.description());
        rooms_->showLoading();
        receive(row.packet);
        EXPECT_EQ(sent(), row.out);
        EXPECT_EQ(scripts(), row.js);
        EXPECT_EQ(tid(), row.tid);
        EXPECT_EQ(rooms_->isShowingLoading(), row.loading);
    }
}

TEST_F(GameRoomControllerTest, MalformedPacketsAndAThrowingPageAreLoggedAndChangeNothing) {
    fnd::testing::LogCapture log;
    receive(Value::array({40, 17}));
    scripts();
    for (const Value& packet :
         {Value::array({40}), Value::array({40, "17x"}), Value::array({43, 0, Value::array({1})}),
          Value::array({51, 1, "no list"}), Value::array({21, "Cards", 5}),
          Value::array({21, "Cards", 5, 4242, Value::array(), Value::array(), "not code", 1, 0, 4}),
          Value::array({78, 5}), Value("not a packet")}) {
        SCOPED_TRACE(packet.description());
        log.clear();
        receive(packet);
        EXPECT_TRUE(log.contains("GameRoomController failed, ")) << ::testing::PrintToString(log.lines());
        EXPECT_TRUE(sent().empty());
        EXPECT_TRUE(scripts().empty());
        EXPECT_EQ(tid(), 17);
        EXPECT_EQ(rooms_->playingScreen(), nullptr);
    }
    log.clear();
    receive(Value::array({40}));
    EXPECT_TRUE(log.contains("GameRoomController failed, 40, zelvan::BadPacket, element 1 missing"))
        << ::testing::PrintToString(log.lines());

    // A page that throws while the controller calls it: the failure is logged with the command, the
    // exception and its reason, and the next command is handled as usual.
    auto host = std::dynamic_pointer_cast<ui::RecordingScriptHost>(rooms_->webView()->scriptHost());
    ASSERT_NE(host, nullptr);
    host->setAnswerer([](const std::string& expression) -> std::optional<ui::ScriptResult> {
        if (expression.starts_with("playnow")) {
            throw std::runtime_error("page gone");
        }
        return std::nullopt;
    });
    log.clear();
    receive(Value::array({51, 0}));
    EXPECT_TRUE(log.contains("GameRoomController failed, 51, std::runtime_error, page gone"))
        << ::testing::PrintToString(log.lines());
    receive(Value::array({40, 18}));
    EXPECT_EQ(tid(), 18);
    EXPECT_EQ(scripts().back(), "joingametable(18,0);");
}

TEST_F(GameRoomControllerTest, StartsReplaceOpenGamesAndReadTheRoomAttribute) {
    // Ten elements leave the room attribute at 0; eleven set it. Each start closes the open screen.
    auto first = start(5, 4);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->room()->attribute, 0);
    EXPECT_EQ(first->room()->multiple, 1600);
    EXPECT_EQ(first->title(), "Cards");
    EXPECT_EQ(first->view()->frame().size, gfx::Size(320, 480));

    auto second = start(6, 4 | 8, 0x40);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->engine(), nullptr); // the old screen was closed, its engine let go
    EXPECT_EQ(second->room()->attribute, 0x40);
    EXPECT_EQ(second->view()->frame().size, gfx::Size(480, 320));

    // A single-player start closes the open screen as well, and hides the loading overlay.
    rooms_->showLoading();
    auto single = start(7, 2);
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(second->engine(), nullptr);
    EXPECT_TRUE(single->room()->isSingleGame);
    EXPECT_EQ(single->room()->single, 1600);
    EXPECT_EQ(single->room()->multiple, 0);
    EXPECT_FALSE(rooms_->isShowingLoading());
    EXPECT_EQ(rooms_->playingScreen(), single);
}

TEST_F(GameRoomControllerTest, RoomCommandsReachTheOpenGameOnly) {
    auto game = start(5, 4);
    ASSERT_NE(game, nullptr);
    receive(Value::array({22, 6, "other room"}));
    receive(Value::array({22, 5, "move", 3}));
    EXPECT_EQ(game->engine()->cmdCount(), 1u);

    receive(Value::array({55, 5, 30}));
    receive(Value::array({79, 5, 40}));
    receive(Value::array({64, 5, 7}));
    receive(Value::array({64, 5, 8}));
    receive(Value::array({55, 6, 99}));
    EXPECT_EQ(game->foescore(), 30);
    EXPECT_EQ(game->engine()->_userScore(), 40);
    EXPECT_EQ(game->quellinscore(), 15);

    // Seat changes reach the engine under its lock, then the script hears who came or went.
    receive(Value::array({78, 5, 103, Value::array({"ann", "bob", "cy"}), Value::array({101, 102, 103})}));
    receive(Value::array({81, 5, 102, Value::array({"ann", "cy"}), Value::array({101, 103})}));
    EXPECT_EQ(game->engine()->userids(), Value::array({101, 103}));
    EXPECT_EQ(game->engine()->names(), Value::array({"ann", "cy"}));
    using Call = std::pair<int, Value>;
    EXPECT_EQ(EntryLog::shared().take(), (std::vector<Call>{{kJoin, Value(103)}, {kLeave, Value(102)}}));

    // The chat line of another player.
    receive(Value::array({41, 5, Value::array({-1, "bob: hi"})}));
    ASSERT_NE(game->chat(), nullptr);
    EXPECT_EQ(game->chat()->messages().size(), 1u);
}

TEST_F(GameRoomControllerTest, ScorePagesOpenAndTheScreenClosesHalfASecondLater) {
    // The localised page format, filled with the test's web host, the game 1600, room 5 and the score.
    auto scorePage = [](const char* format, int32_t score) {
        return fnd::format(ZLS(format), std::string("games.test"), 1600, 5, score);
    };
    struct Case {
        int32_t flags;
        Value packet;
        std::string page;
    };
    const std::vector<Case> cases = {
        {4, Value::array({53, 5, 120}), scorePage("http://%@/iphone/static_halloffame_%d?tid=%d&score=%d", 120)},
        {4, Value::array({53, 5, 120, 1}), scorePage("http://%@/iphone/static_multigamescore_%d?tid=%d&score=%d", 120)},
        {2, Value::array({65, 5, 90}), scorePage("http://%@/iphone/static_singlegamescore_%d?tid=%d&score=%d", 90)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.packet.description());
        auto game = start(5, c.flags);
        ASSERT_NE(game, nullptr);
        ui::testing::WebViewDriver(rooms_->webView()).failNextLoad(-1); // the page is not fetched
        receive(c.packet);
        EXPECT_EQ(rooms_->webView()->pageUrl(), c.page);
        // Forgotten at once; the screen itself closes 0.5 s later.
        EXPECT_EQ(rooms_->playingScreen(), nullptr);
        EXPECT_NE(game->engine(), nullptr);
        fnd::RunLoop::main().advance(0.4);
        EXPECT_NE(game->engine(), nullptr);
        fnd::RunLoop::main().advance(0.2);
        EXPECT_EQ(game->engine(), nullptr);
        seenScripts_ = 0;
    }
}

TEST_F(GameRoomControllerTest, TheTutorialOpensOnlyWithoutAGameAndThenMovesToTheWaitingGuidePage) {
    // First visit of a table list asks for the guide and keeps the page.
    action("zelvan://entertablelist?1600?static_tables_1600");
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({74, 1600})}));
    EXPECT_EQ(rooms_->urlAfterGuide(), "static_tables_1600");

    // Without code no tutorial starts, but the waiting page is shown.
    receive(Value::array({83, "no code", 0}));
    EXPECT_EQ(rooms_->playingScreen(), nullptr);
    EXPECT_EQ(scripts(),
              (std::vector<std::string>{R"(document.location="zelvan://slidenewpage?static_tables_1600";)"}));
    EXPECT_EQ(rooms_->urlAfterGuide(), "");

    // With code: a "Tutorial" screen with no room record; "Playing" reads its room id as 0.
    receive(Value::array({83, Value(assemble(kRoomGame)), 8}));
    auto tutorial = rooms_->playingScreen();
    ASSERT_NE(tutorial, nullptr);
    EXPECT_EQ(tutorial->title(), "Tutorial");
    EXPECT_EQ(tutorial->room(), nullptr);
    EXPECT_TRUE(tutorial->isLandscape());
    receive(Value::array({22, 0, "step"}));
    EXPECT_EQ(tutorial->engine()->cmdCount(), 1u);

    // A second 83 while it runs only hides loading.
    rooms_->showLoading();
    receive(Value::array({83, Value(assemble(kRoomGame)), 0}));
    EXPECT_EQ(rooms_->playingScreen(), tutorial);
    EXPECT_FALSE(rooms_->isShowingLoading());

    // The tutorial's result goes out for room 0 without touching a room record.
    tutorial->engine()->core()->natives().registerNative(27, reportEntry);
    EntryLog::shared().queue(kExecute, 1);
    tick(); // initialize
    tick(); // start
    tick(); // oncmd, execute
    EXPECT_EQ(sent(), (std::vector<Value>{Value::array({47, 1, 0, 1, 0}), Value::array({40, 0})}));
}

} // namespace
} // namespace zelvan::testing
