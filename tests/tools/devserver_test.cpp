// The loopback dev server seen from a plain socket client: log-in replies for good, bad and malformed
// requests, keep-alives, pushed packets, held replies, closing on cue, two sessions at once,
// connections that send broken frames, and the demo game room (its answers, its timed commands, and a
// stop while they wait).
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <asio.hpp>

#include "platform/foundation/array.h"
#include "platform/foundation/file_io.h"
#include "protocol/frame_codec.h"
#include "protocol/tagged_codec.h"
#include "tools/devserver/demo_game.h"
#include "tools/devserver/demo_game_room.h"
#include "tools/devserver/dev_server.h"

namespace zelvan::devserver {
namespace {

using namespace std::chrono_literals;

// Long enough for loopback under sanitizers; waits end as soon as the awaited bytes arrive.
constexpr auto kWait = 5000ms;
// How long a reply that must not come is awaited.
constexpr auto kSilence = 200ms;

// A blocking-style client over its own io_context: every wait is bounded by run_for.
class Client {
public:
    explicit Client(uint16_t port) : socket_(io_) {
        asio::error_code ec;
        socket_.connect({asio::ip::address_v4::loopback(), port}, ec);
        connected_ = !ec;
    }

    bool connected() const { return connected_; }

    void sendRaw(const fnd::Bytes& bytes) { asio::write(socket_, asio::buffer(bytes)); }
    void send(const fnd::Value& packet) { sendRaw(encodeFrame(dumps(packet))); }

    // The next packet, or nullopt when none arrives within `timeout` or the server closed.
    std::optional<fnd::Value> next(std::chrono::milliseconds timeout = kWait) {
        pump(timeout, [&] { return !payloads_.empty(); });
        if (payloads_.empty()) {
            return std::nullopt;
        }
        fnd::Result<fnd::Value> packet = loads(payloads_.front());
        payloads_.pop_front();
        if (!packet) {
            return std::nullopt;
        }
        return std::move(packet).value();
    }

    // True when the server closes the connection within `timeout`.
    bool closedByServer(std::chrono::milliseconds timeout = kWait) {
        pump(timeout, [&] { return closed_; });
        return closed_;
    }

private:
    template <class Done>
    void pump(std::chrono::milliseconds timeout, Done done) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done() && !closed_) {
            auto left = deadline - std::chrono::steady_clock::now();
            if (left <= 0s) {
                return;
            }
            if (!reading_) {
                reading_ = true;
                socket_.async_read_some(asio::buffer(buffer_), [this](const asio::error_code& ec, size_t n) {
                    reading_ = false;
                    if (ec) {
                        closed_ = true;
                        return;
                    }
                    std::vector<fnd::Bytes> complete;
                    reader_.feed(std::span<const uint8_t>(buffer_.data(), n), complete);
                    payloads_.insert(payloads_.end(), complete.begin(), complete.end());
                });
            }
            io_.restart();
            io_.run_for(std::chrono::duration_cast<std::chrono::milliseconds>(left));
        }
    }

    asio::io_context io_;
    asio::ip::tcp::socket socket_;
    bool connected_ = false;
    bool reading_ = false;
    bool closed_ = false;
    std::array<uint8_t, 4096> buffer_{};
    FrameReader reader_;
    std::deque<fnd::Bytes> payloads_;
};

fnd::Value loginRequest(const std::string& phone, const std::string& password) {
    return fnd::Value::array({0, 3, 1, phone, password, 0, "dev", "1.0", "en"});
}

DevServerOptions demoOptions() {
    DevServerOptions options;
    options.accounts = *parseAccounts("5550001:secret:Alice,5550002:pw2");
    return options;
}

// Element `index` of a packet, or null when the packet is missing or shorter.
fnd::Value element(const std::optional<fnd::Value>& packet, size_t index) {
    if (!packet || !packet->isArray() || packet->asArray()->count() <= index) {
        return {};
    }
    return packet->asArray()->objectAtIndex(index);
}

TEST(DevServer, ParsesAccountLists) {
    auto accounts = parseAccounts("5550001:secret:Alice,5550002:pw2,5550003:p:Name:With:Colons");
    ASSERT_TRUE(accounts.has_value());
    ASSERT_EQ(accounts->size(), 3u);
    EXPECT_EQ((*accounts)[0].phone, "5550001");
    EXPECT_EQ((*accounts)[0].password, "secret");
    EXPECT_EQ((*accounts)[0].displayName, "Alice");
    EXPECT_EQ((*accounts)[0].userId, 1001);
    EXPECT_EQ((*accounts)[1].displayName, "5550002"); // no name: the phone number
    EXPECT_EQ((*accounts)[1].userId, 1002);
    EXPECT_EQ((*accounts)[2].displayName, "Name:With:Colons");
    EXPECT_TRUE(parseAccounts("")->empty());
    for (const char* bad : {"5550001", ":pw", "5550001:", "5550001::name", "a:b,,c:d", "a:b,a:c"}) {
        EXPECT_FALSE(parseAccounts(bad).has_value()) << bad;
    }
}

TEST(DevServer, AnswersLogInForGoodBadAndMalformedRequests) {
    DevServer server(demoOptions());
    ASSERT_TRUE(server.start());
    ASSERT_NE(server.port(), 0);

    Client client(server.port());
    ASSERT_TRUE(client.connected());
    struct Case {
        fnd::Value request;
        int failure; // 0: success expected
    };
    const Case cases[] = {
        {loginRequest("5550001", "wrong"), kLoginFailedBadCredentials},
        {loginRequest("5559999", "secret"), kLoginFailedBadCredentials},
        {fnd::Value::array({0, 3, 1, "5550001"}), kLoginFailedMalformed},
        {fnd::Value::array({0, 3, 1, 5550001, "secret"}), kLoginFailedMalformed},
        {loginRequest("5550001", "secret"), 0},
    };
    for (const Case& c : cases) {
        client.send(c.request);
        auto reply = client.next();
        ASSERT_TRUE(reply.has_value()) << c.request.description();
        EXPECT_EQ(element(reply, 0).asInt(), 0);
        if (c.failure != 0) {
            EXPECT_EQ(reply->asArray()->count(), 2u);
            EXPECT_EQ(element(reply, kLoginReplyKey).asInt(), c.failure) << c.request.description();
            continue;
        }
        fnd::Value keyValue = element(reply, kLoginReplyKey);
        const std::string* key = keyValue.asString();
        ASSERT_NE(key, nullptr);
        EXPECT_FALSE(key->empty());
        auto protocols = element(reply, kLoginReplyProtocol).asArray();
        ASSERT_TRUE(protocols);
        EXPECT_EQ(protocols->count(), 1u);
        EXPECT_EQ(*element(reply, kLoginReplyDisplayName).asString(), "Alice");
        EXPECT_EQ(element(reply, kLoginReplyStatus).asInt(), kLoginStatusOnline);
        EXPECT_EQ(element(reply, kLoginReplyUserId).asInt(), 1001);
    }
    EXPECT_EQ(server.loggedInSessions(), 1u);
    ASSERT_TRUE(server.waitForReceived(5, kWait));
    EXPECT_EQ(server.received().back().connection, 1);
}

TEST(DevServer, AnswersAvatarRequestsByRuleAfterLogIn) {
    DevServer server(demoOptions());
    ASSERT_TRUE(server.start());
    Client client(server.port());
    client.send(fnd::Value::array({71, 12, 2, -1})); // before log-in: no answer
    client.send(loginRequest("5550001", "secret"));
    ASSERT_TRUE(element(client.next(), kLoginReplyKey).isString());

    client.send(fnd::Value::array({71, 12, 2, -1}));
    auto head = client.next();
    EXPECT_EQ(element(head, 0).asInt(), 17);
    EXPECT_EQ(element(head, 1).asInt(), 12);
    EXPECT_EQ(element(head, 3).asInt(), 1);
    const fnd::Bytes* png = element(head, 4).asData();
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(*png, solidPng(kAvatarPictureSize, kAvatarPictureSize, avatarColour(12)));
    EXPECT_EQ(fnd::Bytes(png->begin(), png->begin() + 4), (fnd::Bytes{0x89, 'P', 'N', 'G'}));
    EXPECT_NE(avatarColour(12), avatarColour(13));

    const struct {
        fnd::Value request;
        int64_t version;
    } cases[] = {{fnd::Value::array({71, 12, 4, 3}), 1},
                 {fnd::Value::array({71, 12, 1, -1}), 0},
                 {fnd::Value::array({71, 12, 3, -1}), 0},
                 {fnd::Value::array({71, 0, 2, -1}), -1},
                 {fnd::Value::array({71, 12, 9, -1}), -1}};
    for (const auto& c : cases) {
        client.send(c.request);
        auto answer = client.next();
        EXPECT_EQ(element(answer, 2), element(c.request, 2));
        EXPECT_EQ(element(answer, 3).asInt(), c.version) << c.request.description();
        EXPECT_EQ(element(answer, 4).isData(), c.version == 1) << c.request.description();
    }
    client.send(fnd::Value::array({71, "12", 2}));
    EXPECT_FALSE(client.next(kSilence).has_value());
}

TEST(DevServer, RecordsKeepAlivesWithoutAnsweringThem) {
    DevServer server(demoOptions());
    ASSERT_TRUE(server.start());
    Client client(server.port());
    client.send(fnd::Value::array({9999}));
    client.send(loginRequest("5550002", "pw2"));
    client.send(fnd::Value::array({9999}));
    client.send(fnd::Value::array({403, "friends"}));

    // The first thing back is the log-in reply: the keep-alive before it got no answer.
    auto reply = client.next();
    EXPECT_TRUE(element(reply, kLoginReplyKey).isString());
    EXPECT_FALSE(client.next(kSilence).has_value());
    EXPECT_FALSE(client.closedByServer(kSilence));

    ASSERT_TRUE(server.waitForReceived(4, kWait));
    auto received = server.received();
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(element(received[0].packet, 0).asInt(), 9999);
    EXPECT_EQ(received[0].phone, "");
    EXPECT_EQ(element(received[2].packet, 0).asInt(), 9999);
    EXPECT_EQ(received[2].phone, "5550002");
    EXPECT_EQ(*element(received[3].packet, 1).asString(), "friends");
}

TEST(DevServer, PushesPacketsToTwoSessions) {
    DevServer server(demoOptions());
    ASSERT_TRUE(server.start());
    Client alice(server.port());
    Client bob(server.port());
    alice.send(loginRequest("5550001", "secret"));
    auto aliceLogin = alice.next();
    bob.send(loginRequest("5550002", "pw2"));
    auto bobLogin = bob.next();
    ASSERT_TRUE(element(aliceLogin, 1).isString());
    ASSERT_TRUE(element(bobLogin, 1).isString());
    EXPECT_NE(*element(aliceLogin, 1).asString(), *element(bobLogin, 1).asString());
    EXPECT_EQ(element(bobLogin, kLoginReplyUserId).asInt(), 1002);
    EXPECT_EQ(server.loggedInSessions(), 2u);

    EXPECT_TRUE(server.push(0, fnd::Value::array({201, "to alice"})));
    EXPECT_TRUE(server.push("5550002", fnd::Value::array({202, "to bob"})));
    EXPECT_TRUE(server.push(1, fnd::Value::array({203})));
    EXPECT_FALSE(server.push(2, fnd::Value::array({204})));
    EXPECT_FALSE(server.push("5550003", fnd::Value::array({205})));

    EXPECT_EQ(*element(alice.next(), 1).asString(), "to alice");
    EXPECT_EQ(*element(bob.next(), 1).asString(), "to bob");
    EXPECT_EQ(element(bob.next(), 0).asInt(), 203);
    EXPECT_FALSE(alice.next(kSilence).has_value());
}

TEST(DevServer, HoldsAReplyUntilReleased) {
    DevServer server(demoOptions());
    ASSERT_TRUE(server.start());
    Client client(server.port());
    server.stallNextReply();
    client.send(loginRequest("5550001", "secret"));
    EXPECT_FALSE(client.next(kSilence).has_value());
    EXPECT_FALSE(client.closedByServer(kSilence));
    server.releaseHeld();
    EXPECT_TRUE(element(client.next(), kLoginReplyKey).isString());

    // Only the one reply was held: the next comes at once.
    client.send(loginRequest("5550001", "wrong"));
    EXPECT_EQ(element(client.next(), 1).asInt(), kLoginFailedBadCredentials);
}

TEST(DevServer, ClosesConnectionsOnCueAndKeepsListening) {
    DevServer server(demoOptions());
    ASSERT_TRUE(server.start());
    Client first(server.port());
    Client second(server.port());
    first.send(loginRequest("5550001", "secret"));
    ASSERT_TRUE(first.next().has_value());
    second.send(fnd::Value::array({9999}));
    ASSERT_TRUE(server.waitForReceived(2, kWait));

    server.closeAll();
    EXPECT_TRUE(first.closedByServer());
    EXPECT_TRUE(second.closedByServer());
    EXPECT_EQ(server.openConnections(), 0u);
    EXPECT_FALSE(server.push(0, fnd::Value::array({201})));

    Client again(server.port());
    again.send(loginRequest("5550001", "secret"));
    EXPECT_TRUE(element(again.next(), kLoginReplyKey).isString());
    EXPECT_TRUE(server.push("5550001", fnd::Value::array({201})));
    EXPECT_EQ(element(again.next(), 0).asInt(), 201);
}

TEST(DevServer, DropsUndecodablePayloadsAndClosesOnUntrustworthyLengths) {
    DevServer server(demoOptions());
    ASSERT_TRUE(server.start());

    Client client(server.port());
    client.sendRaw(encodeFrame(fnd::Bytes{0x0B, 0x7F})); // a string claiming more bytes than follow
    client.send(loginRequest("5550001", "secret"));
    EXPECT_TRUE(element(client.next(), kLoginReplyKey).isString());

    for (fnd::Bytes header : {fnd::Bytes{0x7F, 0xFF, 0xFF, 0xFF}, fnd::Bytes{0x80, 0x00, 0x00, 0x01}}) {
        Client broken(server.port());
        broken.sendRaw(header);
        EXPECT_TRUE(broken.closedByServer());
    }
    // The well-behaved session is untouched.
    EXPECT_TRUE(server.push(0, fnd::Value::array({201})));
    EXPECT_EQ(element(client.next(), 0).asInt(), 201);
    server.stop();
    EXPECT_TRUE(client.closedByServer());
}

TEST(DevServer, DemoGameRoomAnswersStartResultAndGameOver) {
    using fnd::Value;
    DemoGameRoom room(builtGameRoot());
    const std::optional<fnd::Bytes> bytecode = fnd::readFile(builtGameRoot() + "/" + std::string(kDemoBytecodeFile));
    ASSERT_TRUE(bytecode.has_value());
    const int64_t first = kFirstDemoRoom;
    // The greeting in the game's chat, then the game commands.
    std::vector<Value> commands{Value::array({41, first, Value::array({-1, kDemoChatLine})})};
    for (int n = 1; n <= kDemoCommandCount; ++n) {
        commands.push_back(Value::array({22, first, "move", n}));
    }
    const struct {
        Value packet;
        std::vector<Value> now;
        std::vector<Value> later;
    } cases[] = {
        // Another game, a malformed ask, and a result or game over for a room never started.
        {Value::array({56, 0, kDemoGameId + 1}), {}, {}},
        {Value::array({56, "0", kDemoGameId}), {}, {}},
        {Value::array({47, 1, 0, first + 1, kDemoGameId}), {}, {}},
        {Value::array({40, first}), {}, {}},
        {Value::array({56, 0, kDemoGameId}),
         {Value::array({21, kDemoGameName, first, 1001, Value::array({kDemoPlayerName}), Value::array({"1001"}),
                        *bytecode, kDemoGameId, 0, 2})},
         commands},
        // No score before the result; a result without an integer changes nothing.
        {Value::array({40, first}), {}, {}},
        {Value::array({47, "1", 0, first + 1, kDemoGameId}), {}, {}},
        {Value::array({47, 1, 0, first + 1, kDemoGameId}), {}, {}},
        {Value::array({40, "x"}), {}, {}},
        {Value::array({40, first}), {Value::array({65, first, 100})}, {}},
        // The room is closed once scored.
        {Value::array({40, first}), {}, {}},
        {Value::array({47}), {}, {}},
    };
    for (const auto& c : cases) {
        DemoGameRoom::Answer answer = room.handle(1001, c.packet);
        EXPECT_EQ(answer.now, c.now) << c.packet.description();
        EXPECT_EQ(answer.later, c.later) << c.packet.description();
    }
    // The next game gets the next room; a folder without the bytecode starts nothing.
    EXPECT_EQ(element(room.handle(1002, Value::array({56, 0, kDemoGameId})).now.at(0), 2).asInt(), first + 1);
    DemoGameRoom empty(::testing::TempDir() + "/no-game-folder");
    EXPECT_TRUE(empty.handle(1001, Value::array({56, 0, kDemoGameId})).now.empty());
    // The names carry letters beyond Latin-1.
    EXPECT_NE(std::string(kDemoPlayerName).find("\xC5\x81"), std::string::npos);
}

TEST(DevServer, DemoGamesSendTheCommandsLaterAndStopDoesNotWaitForThem) {
    DevServerOptions options = demoOptions();
    options.gameRoot = builtGameRoot();
    options.demoGames = true;
    options.demoGameCommandDelay = 50ms;
    DevServer server(options);
    ASSERT_TRUE(server.start());
    Client client(server.port());
    client.send(fnd::Value::array({56, 0, kDemoGameId})); // before log-in: no answer
    client.send(loginRequest("5550002", "pw2"));
    ASSERT_TRUE(element(client.next(), kLoginReplyKey).isString());
    client.send(fnd::Value::array({56, 0, kDemoGameId}));
    auto start = client.next();
    EXPECT_EQ(element(start, 0).asInt(), 21);
    EXPECT_EQ(element(start, 3).asInt(), 1002);
    EXPECT_EQ(element(client.next(), 0).asInt(), 41);
    for (int n = 1; n <= kDemoCommandCount; ++n) {
        auto command = client.next();
        EXPECT_EQ(element(command, 0).asInt(), 22);
        EXPECT_EQ(element(command, 3).asInt(), n);
    }
    client.send(fnd::Value::array({47, 1, 0, kFirstDemoRoom + 1, kDemoGameId}));
    client.send(fnd::Value::array({40, kFirstDemoRoom}));
    auto score = client.next();
    EXPECT_EQ(element(score, 0).asInt(), 65);
    EXPECT_EQ(element(score, 2).asInt(), 100);

    // A game whose commands are due in a minute: stopping the server does not wait for them.
    DevServerOptions slow = options;
    slow.demoGameCommandDelay = 60s;
    DevServer patient(slow);
    ASSERT_TRUE(patient.start());
    Client player(patient.port());
    player.send(loginRequest("5550001", "secret"));
    ASSERT_TRUE(element(player.next(), kLoginReplyKey).isString());
    player.send(fnd::Value::array({56, 0, kDemoGameId}));
    EXPECT_EQ(element(player.next(), 0).asInt(), 21);
    const auto before = std::chrono::steady_clock::now();
    patient.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
}

} // namespace
} // namespace zelvan::devserver
