// Command routing as handlers see it: registrations and removals, the fixed owners, the logged-out
// gate, compressed packets (nested, corrupt, oversized) and a handler that throws.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/zlib_codec.h"
#include "protocol/command_map.h"
#include "protocol/tagged_codec.h"

namespace zelvan {
namespace {

using fnd::Value;

class RecordingHandler : public CommandHandler {
public:
    void handleServerResponse(const Value& packet) override {
        received.push_back(packet);
        if (throws) {
            throw std::runtime_error("broken handler");
        }
    }
    std::vector<int> commands() const {
        std::vector<int> out;
        for (const Value& packet : received) {
            out.push_back(packet.asArray()->objectAtIndex(0).intValue());
        }
        return out;
    }

    std::vector<Value> received;
    bool throws = false;
};

Value compressed(const Value& inner) {
    return Value::array({CommandMap::kCompressedCommand, Value(fnd::deflate(dumps(inner)))});
}

class CommandMapTest : public ::testing::Test {
protected:
    CommandMapTest() { map.setLoggedIn(true); }

    CommandMap map;
    std::shared_ptr<RecordingHandler> first = std::make_shared<RecordingHandler>();
    std::shared_ptr<RecordingHandler> second = std::make_shared<RecordingHandler>();
    std::shared_ptr<RecordingHandler> fallback = std::make_shared<RecordingHandler>();
};

TEST_F(CommandMapTest, RegistrationsRemovalsAndReplacement) {
    // Registered before any packet was received.
    map.addCmdDelegate(500, first);
    EXPECT_TRUE(map.dispatch(Value::array({500, "hello"})));
    ASSERT_EQ(first->received.size(), 1u);
    EXPECT_EQ(first->received[0], Value::array({500, "hello"}));

    // A screen that does not hold the entry cannot remove it.
    map.removeCmdDelegate(500, second.get());
    map.removeCmdDelegate(second.get());
    EXPECT_TRUE(map.dispatch(Value::array({500})));
    EXPECT_EQ(first->commands(), (std::vector<int>{500, 500}));

    {
        fnd::testing::LogCapture log;
        map.addCmdDelegate(500, second);
        EXPECT_TRUE(log.contains("WARN"));
        EXPECT_TRUE(log.contains("handler of command 500 replaced"));
    }
    {
        fnd::testing::LogCapture log;
        map.addCmdDelegate(500, second); // the same handler again is no replacement
        EXPECT_FALSE(log.contains("replaced"));
    }
    map.dispatch(Value::array({500}));
    EXPECT_EQ(first->received.size(), 2u);
    EXPECT_EQ(second->commands(), (std::vector<int>{500}));

    // The old holder's removal is now refused; removing all of a handler's entries works.
    map.addCmdDelegate(501, second);
    map.addCmdDelegate(502, first);
    map.removeCmdDelegate(500, first.get());
    map.removeCmdDelegate(second.get());
    map.setFallback(fallback);
    map.dispatch(Value::array({500}));
    map.dispatch(Value::array({501}));
    map.dispatch(Value::array({502}));
    EXPECT_EQ(second->commands(), (std::vector<int>{500}));
    EXPECT_EQ(first->commands(), (std::vector<int>{500, 500, 502}));
    EXPECT_EQ(fallback->commands(), (std::vector<int>{500, 501}));

    // A handler that has gone away no longer receives anything.
    map.addCmdDelegate(503, second);
    second.reset();
    map.dispatch(Value::array({503}));
    EXPECT_EQ(fallback->commands(), (std::vector<int>{500, 501, 503}));
}

TEST_F(CommandMapTest, OwnersRouteTheFixedTable) {
    struct Row {
        int cmd;
        std::optional<CommandMap::Owner> owner;
    };
    const Row table[] = {
        {1, CommandMap::Owner::Messenger},
        {92, CommandMap::Owner::Messenger},
        {403, CommandMap::Owner::Messenger},
        {17, CommandMap::Owner::AvatarManager},
        {24, CommandMap::Owner::AvatarManager},
        {21, CommandMap::Owner::GamesTab},
        {83, CommandMap::Owner::GamesTab},
        {23, CommandMap::Owner::GameCache},
        {400, CommandMap::Owner::WebCache},
        {0, std::nullopt},
        {4, std::nullopt},
        {10, std::nullopt},
        {9999, std::nullopt},
    };
    auto messenger = std::make_shared<RecordingHandler>();
    auto avatars = std::make_shared<RecordingHandler>();
    auto games = std::make_shared<RecordingHandler>();
    auto cache = std::make_shared<RecordingHandler>();
    auto webCache = std::make_shared<RecordingHandler>();
    map.setOwner(CommandMap::Owner::Messenger, messenger);
    map.setOwner(CommandMap::Owner::AvatarManager, avatars);
    map.setOwner(CommandMap::Owner::GamesTab, games);
    map.setOwner(CommandMap::Owner::GameCache, cache);
    map.setOwner(CommandMap::Owner::WebCache, webCache);
    map.setFallback(fallback);
    for (const Row& row : table) {
        EXPECT_EQ(CommandMap::ownerOf(row.cmd), row.owner) << row.cmd;
        EXPECT_TRUE(map.dispatch(Value::array({row.cmd})));
    }
    EXPECT_EQ(messenger->commands(), (std::vector<int>{1, 92, 403}));
    EXPECT_EQ(avatars->commands(), (std::vector<int>{17, 24}));
    EXPECT_EQ(games->commands(), (std::vector<int>{21, 83}));
    EXPECT_EQ(cache->commands(), (std::vector<int>{23}));
    EXPECT_EQ(webCache->commands(), (std::vector<int>{400}));
    EXPECT_EQ(fallback->commands(), (std::vector<int>{0, 4, 10, 9999}));

    // A registration takes a number from its owner; its removal gives it back.
    {
        fnd::testing::LogCapture log;
        map.addCmdDelegate(17, first);
        EXPECT_TRUE(log.contains("handler of command 17 replaced"));
    }
    map.dispatch(Value::array({17}));
    map.removeCmdDelegate(first.get());
    map.dispatch(Value::array({17}));
    EXPECT_EQ(first->commands(), (std::vector<int>{17}));
    EXPECT_EQ(avatars->commands(), (std::vector<int>{17, 24, 17}));

    // Nobody at all: not handled.
    map.setFallback({});
    map.setOwner(CommandMap::Owner::GameCache, {});
    EXPECT_FALSE(map.dispatch(Value::array({23})));
}

TEST_F(CommandMapTest, NothingIsDispatchedWhileLoggedOutOrMalformed) {
    map.addCmdDelegate(5, first);
    map.setFallback(fallback);
    map.setLoggedIn(false);
    EXPECT_FALSE(map.dispatch(Value::array({5})));
    EXPECT_FALSE(map.dispatch(compressed(Value::array({5}))));
    map.setLoggedIn(true);
    EXPECT_TRUE(map.dispatch(Value::array({5})));
    EXPECT_EQ(first->received.size(), 1u);

    fnd::testing::LogCapture log;
    EXPECT_FALSE(map.dispatch(Value("not a packet")));
    EXPECT_FALSE(map.dispatch(Value::array()));
    EXPECT_FALSE(map.dispatch(Value::array({"5"})));
    EXPECT_FALSE(map.dispatch(Value::array({int64_t{1} << 40})));
    EXPECT_EQ(log.count("without a command number"), 4u);
    EXPECT_TRUE(fallback->received.empty());
}

TEST_F(CommandMapTest, CompressedPacketsInflateAndDispatch) {
    map.addCmdDelegate(300, first);
    const Value inner = Value::array({300, "body", Value::dictionary({{1, 2}})});

    EXPECT_TRUE(map.dispatch(compressed(inner)));
    EXPECT_TRUE(map.dispatch(compressed(compressed(compressed(inner)))));
    ASSERT_EQ(first->received.size(), 2u);
    EXPECT_EQ(first->received[0], inner);
    EXPECT_EQ(first->received[1], inner);

    struct Row {
        const char* name;
        Value packet;
        const char* logged;
    };
    fnd::Bytes garbage = {0x78, 0x9c, 0x01, 0x02, 0x03};
    fnd::Bytes notCodec = fnd::deflate(fnd::Bytes{0xff, 0xff, 0xff});
    fnd::Bytes huge = fnd::deflate(dumps(Value(fnd::Bytes(CommandMap::kMaxInflatedSize + 1, 0))));
    Value tooDeep = inner;
    for (int i = 0; i <= CommandMap::kMaxNesting; ++i) {
        tooDeep = compressed(tooDeep);
    }
    const Row rows[] = {
        {"no data", Value::array({1000, "text"}), "without data"},
        {"missing element", Value::array({1000}), "without data"},
        {"corrupt zlib", Value::array({1000, Value(garbage)}),
         "does not inflate within 4194304 bytes (zlib: stream is"},
        {"over the cap", Value::array({1000, Value(huge)}), "(zlib: output exceeds the size limit of 4194304 bytes"},
        {"not the codec", Value::array({1000, Value(notCodec)}), "does not decode"},
        {"nested too deep", tooDeep, "nested deeper"},
    };
    for (const Row& row : rows) {
        fnd::testing::LogCapture log;
        EXPECT_FALSE(map.dispatch(row.packet)) << row.name;
        EXPECT_TRUE(log.contains(row.logged)) << row.name;
        EXPECT_EQ(log.lines().size(), 1u) << row.name;
    }
    EXPECT_EQ(first->received.size(), 2u);
}

TEST_F(CommandMapTest, ThrowingHandlerIsLoggedAndDispatchGoesOn) {
    first->throws = true;
    map.addCmdDelegate(40, first);
    map.addCmdDelegate(41, second);
    fnd::testing::LogCapture log;
    EXPECT_TRUE(map.dispatch(Value::array({40})));
    EXPECT_TRUE(log.contains("ERROR"));
    EXPECT_TRUE(log.contains("handler of command 40 failed"));
    EXPECT_TRUE(log.contains("broken handler"));
    EXPECT_TRUE(map.dispatch(Value::array({41})));
    EXPECT_TRUE(map.dispatch(Value::array({40})));
    EXPECT_EQ(first->received.size(), 2u);
    EXPECT_EQ(second->received.size(), 1u);
}

} // namespace
} // namespace zelvan
