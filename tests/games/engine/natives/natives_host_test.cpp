// The natives that reach the client through GameHost, run from assembled scripts against the
// recording fake: packets as they leave send (spread arguments included), the user-score query,
// resources, and the players, room and screen natives behind the room guard.
#include <gtest/gtest.h>

#include "platform/foundation/testing/log_capture.h"
#include "protocol/tagged_codec.h"
#include "tests/games/engine/fake_game_host.h"
#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

using testing::bytes;
using testing::FakeGameHost;
using testing::FakeGameScreen;

const fnd::Value null;

fnd::Value runWith(const std::shared_ptr<FakeGameHost>& host, std::string_view body, int32_t room = 5) {
    auto engine = testing::engineWithHost(testing::mainProgram(body), host, room);
    return engine->call("main", fnd::Value());
}

TEST(NativesHostTest, PacketsAsTheyLeave) {
    auto host = std::make_shared<FakeGameHost>();
    runWith(host, "push 1\n bytes \"ab\"\n push 2\n push 3\n mkarray 2\n native 43 3\n pop\n"
                  "push 7\n push 8\n push 9\n mkarray 3\n native 43 -1\n pop\n"
                  "push 1\n push 2\n push 3\n push 4\n mkarray 2\n native 43 -3\n pop\n"
                  "push 6\n native 92 1\n ret");
    auto engine = testing::engineWithHost(testing::mainProgram("bytes \"s\"\n native 84 1\n ret"), host);
    engine->setFoescore(9);
    engine->call("main", fnd::Value());
    EXPECT_EQ(host->sent(), (std::vector<fnd::Value>{
                                fnd::Value::array({15, 5, 1, bytes("ab"), fnd::Value::array({2, 3})}),
                                fnd::Value::array({15, 5, 7, 8, 9}),
                                fnd::Value::array({15, 5, 1, 2, 3, 4}),
                                fnd::Value::array({73, 5, 6}),
                                fnd::Value::array({58, 5, testing::kTestGameId, 9, bytes("s")}),
                            }));
    // Without a host nothing is sent and the natives give null.
    EXPECT_EQ(testing::runMain("push 1\n native 43 1\n push 1\n native 88 1\n native 121 0\n mkarray 3\n ret"),
              fnd::Value::array({null, null, null}));
}

TEST(NativesHostTest, UserScoreQuery) {
    auto host = std::make_shared<FakeGameHost>();
    auto engine = testing::engineWithHost(testing::mainProgram("load L0\n native 88 1\n ret"), host);
    auto query = [&engine](fnd::Value index) { return engine->call("main", fnd::Value::array({std::move(index)})); };
    const fnd::Value request = fnd::Value::array({72, bytes("102"), testing::kTestGameId, 5});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(query(1), -1000000);
    }
    EXPECT_EQ(host->sent(), std::vector<fnd::Value>{request});
    // Players that do not exist and indexes that are not integers: null, nothing sent, state kept.
    EXPECT_TRUE(query(2).isNull());
    EXPECT_TRUE(query("1").isNull());
    EXPECT_EQ(engine->_userScore(), -999999);
    engine->set_userScore(1500);
    EXPECT_TRUE(query(-1).isNull());
    EXPECT_EQ(query(1), 1500);
    EXPECT_EQ(query(1), -1000000);
    EXPECT_EQ(host->sent(), (std::vector<fnd::Value>{request, request}));
}

TEST(NativesHostTest, Resources) {
    auto host = std::make_shared<FakeGameHost>();
    host->readyPaths = {{"img", "/cache/img"}, {"dat", "/cache/dat"}, {"gone", "/cache/gone"}};
    host->files = {{"/cache/dat", dumps(fnd::Value::array({1, "z"}))}};
    EXPECT_EQ(runWith(host, "bytes \"a\"\n push 5\n bytes \"b\"\n native 41 3\n pop\n"
                            "bytes \"img\"\n native 42 1\n bytes \"img\"\n native 42 1\n"
                            "bytes \"dat\"\n push 1\n native 42 2\n native 35 1\n"
                            "bytes \"gone\"\n push 1\n native 42 2\n mkarray 4\n ret"),
              fnd::Value::array({bytes("/cache/img"), null, fnd::Value::array({1, bytes("z")}), null}));
    EXPECT_EQ(host->calls(),
              std::vector<fnd::Value>{fnd::Value::array({"requestDataWithKeys", fnd::Value::array({"a", "b"})})});
    // The wrapper's footprint includes the file it holds.
    host->readyPaths = {{"big", "/cache/big"}};
    host->files = {{"/cache/big", fnd::Bytes(100000, 7)}};
    auto engine = testing::engineWithHost(testing::mainProgram("bytes \"big\"\n push 1\n native 42 2\n store G4\n"
                                                               " push 0\n ret"),
                                          host);
    engine->call("main", fnd::Value());
    EXPECT_GE(engine->core()->pool().liveBytes(), 100000u);
}

// Every guarded native once, with arguments that act.
constexpr std::string_view kGuardedCalls =
    "push 0\n push 10\n push 20\n push 12\n push32 16711680\n push16 200\n"
    " native 87 6\n pop\n"
    "push 1\n push 2\n push 3\n push 4\n push 5\n push 6\n push 7\n push 8\n native 87 8\n pop\n"
    "push 1\n native 95 1\n pop\n"
    "push 1\n push 2\n push 3\n push 4\n push 5\n push 6\n push 7\n native 89 7\n pop\n"
    "push 1\n push 2\n push 3\n push 4\n push 5\n push 6\n push 7\n push 8\n"
    " push 9\n native 89 9\n pop\n"
    "native 90 0\n pop\n push 1\n native 91 1\n pop\n push 2\n native 93 1\n pop\n"
    "push 1\n bytes \"bye\"\n push 7\n push 1\n mkarray 1\n native 94 4\n pop\n"
    "push 2\n bytes \"hi\"\n native 96 2\n pop\n"
    "bytes \"http://u\"\n push 3\n native 97 2\n pop\n"
    "bytes \"http://w\"\n native 109 1\n pop\n"
    "push 1\n push 2\n push 3\n push 4\n native 110 4\n pop\n"
    "push 1\n native 99 1\n ret";

TEST(NativesHostTest, ScreenNativesActForTheRoomOnScreen) {
    auto host = std::make_shared<FakeGameHost>();
    auto screen = std::make_shared<FakeGameScreen>(5, 0);
    host->screen = screen;
    EXPECT_EQ(runWith(host, kGuardedCalls), bytes("bob"));
    EXPECT_EQ(screen->calls(),
              (std::vector<fnd::Value>{
                  fnd::Value::array({"drawUserName", fnd::Value::array({"ann", 10, 20, 12, 200, 16711680, 0, 200})}),
                  fnd::Value::array({"drawUserName", fnd::Value::array({"bob", 2, 3, 4, 6, 5, 1, 7, 8})}),
                  fnd::Value::array({"hideUserName", 1}),
                  fnd::Value::array({"displayChat", 1, 2, 3, 4, 5, 6, 7, null}),
                  fnd::Value::array({"displayChat", 1, 2, 3, 4, 5, 6, 7, fnd::Value::array({8, 9})}),
                  fnd::Value::array({"showInput"}),
                  fnd::Value::array({"showUserInfo", 1}),
                  fnd::Value::array({"webDlgShow", "http://w"}),
                  fnd::Value::array({"tapHighlight", 1, 2, 3, 4}),
              }));
    EXPECT_EQ(host->calls(),
              (std::vector<fnd::Value>{
                  fnd::Value::array({"scriptQuitGuide", 2}),
                  fnd::Value::array({"scriptQuitGame", fnd::Value::array({1, "bye", "7", "array(1){int(1)}"})}),
                  fnd::Value::array({"scriptShowAlert", fnd::Value::array({2, "hi"})}),
                  fnd::Value::array({"scriptOpenUrl", fnd::Value::array({"http://u", "3"})}),
              }));

    // The tutorial: no room record on screen (room 0) and an engine of room 0.
    auto tutorial = std::make_shared<FakeGameScreen>(0, 0);
    host->screen = tutorial;
    runWith(host, "native 90 0\n ret", 0);
    EXPECT_EQ(tutorial->calls(), std::vector<fnd::Value>{fnd::Value::array({"showInput"})});
}

TEST(NativesHostTest, ScreenNativesRefuseOtherRoomsAndBadIndexes) {
    auto host = std::make_shared<FakeGameHost>();
    // Another room's game on screen, the tutorial's screen for a room engine, no screen at all.
    for (int32_t room : {6, 0, -1}) {
        auto screen = std::make_shared<FakeGameScreen>(room, 0);
        host->screen = room < 0 ? nullptr : screen;
        EXPECT_TRUE(runWith(host, kGuardedCalls).isNull()) << room;
        EXPECT_TRUE(screen->calls().empty()) << room;
        EXPECT_TRUE(host->calls().empty()) << room;
    }
    auto screen = std::make_shared<FakeGameScreen>(5, 0);
    host->screen = screen;
    fnd::testing::LogCapture log;
    EXPECT_EQ(runWith(host,
                      "push 2\n push 1\n push 1\n push 1\n push 1\n push 1\n native 87 6\n"
                      "push -1\n native 99 1\n push 9\n native 95 1\n push 5\n native 91 1\n"
                      "bytes \"0\"\n push 1\n push 1\n push 1\n push 1\n push 1\n native 87 6\n"
                      "push 1\n push 2\n push 3\n push 4\n push 5\n push 6\n native 89 6\n"
                      "bytes \"k\"\n native 94 1\n push 5\n native 97 1\n push 5\n native 109 1\n mkarray 9\n ret"),
              fnd::Value::array({null, null, null, null, null, null, null, null, null}));
    EXPECT_TRUE(screen->calls().empty());
    EXPECT_TRUE(host->calls().empty());
    EXPECT_EQ(log.count("index out of bounds 2, failed to display username"), 1u);
    EXPECT_EQ(log.count("index out of bounds -1, failed to display username"), 1u);
    EXPECT_EQ(log.count("index out of bounds 9, failed to hide username"), 1u);
    EXPECT_EQ(log.count("ERROR"), 3u);
    EXPECT_TRUE(log.contains("execute"));
}

TEST(NativesHostTest, PlayersRoomAttributeAndAlerts) {
    auto host = std::make_shared<FakeGameHost>();
    host->audio = 0;
    host->screen = std::make_shared<FakeGameScreen>(9, 0x400);
    EXPECT_EQ(runWith(host, "native 86 0\n native 101 0\n native 121 0\n push 1\n native 105 1\n mkarray 4\n ret"),
              fnd::Value::array({fnd::Value::array({bytes("101"), bytes("102")}), 1, 0, null}));
    EXPECT_EQ(host->calls(), std::vector<fnd::Value>{fnd::Value::array(
                                 {"showAlert", "", "This version of Zelvan doesn't support In-App Purchase"})});
    host->screen = std::make_shared<FakeGameScreen>(5, 0x3ff);
    EXPECT_EQ(runWith(host, "native 101 0\n ret"), 0);
    host->screen = nullptr;
    EXPECT_EQ(runWith(host, "native 101 0\n ret"), 0);
}

} // namespace
} // namespace zelvan
