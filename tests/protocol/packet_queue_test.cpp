// The outgoing queue as the network thread sees it: encoded packets in order from several threads,
// packets held until log-in and released in order, dropping on a closed connection, and keep-alives
// after an idle minute, however many turns it took.
#include <gtest/gtest.h>

#include <map>
#include <thread>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/testing/log_capture.h"
#include "protocol/packet_queue.h"
#include "protocol/tagged_codec.h"

namespace zelvan {
namespace {

using fnd::Value;

std::vector<Value> decoded(const std::vector<fnd::Bytes>& packets) {
    std::vector<Value> out;
    for (const fnd::Bytes& bytes : packets) {
        fnd::Result<Value> value = loads(bytes);
        EXPECT_TRUE(value.ok());
        out.push_back(std::move(value).valueOr(Value()));
    }
    return out;
}

ZelvanPacket packet(int cmd, int value, bool needsLogin) {
    ZelvanPacket p(cmd);
    p.addInt(value);
    if (needsLogin) {
        p.requireLogin();
    }
    return p;
}

TEST(PacketQueueTest, SendsEncodedPacketsInOrderAndRefusesNonPackets) {
    PacketQueue queue;
    Value changing = Value::array({7, "a"});
    queue.send(changing);
    changing.asArray()->addObject(Value("later")); // encoded at send time, so not seen
    queue.send(Value::array({8, Value::dictionary({{"k", fnd::Bytes{1, 2}}})}));
    {
        fnd::testing::LogCapture log;
        queue.send(Value("text"));
        queue.send(Value::array({"7"}));
        EXPECT_EQ(log.count("without a command number"), 2u);
    }
    EXPECT_EQ(queue.queuedCount(), 2u);
    EXPECT_EQ(
        decoded(queue.drain()),
        (std::vector<Value>{Value::array({7, "a"}), Value::array({8, Value::dictionary({{"k", fnd::Bytes{1, 2}}})})}));
    EXPECT_TRUE(queue.drain().empty());

    // A closed connection drops what was queued.
    queue.send(Value::array({9}));
    queue.clear();
    EXPECT_TRUE(queue.drain().empty());
}

TEST(PacketQueueTest, PacketsFromSeveralThreadsKeepEachThreadsOrder) {
    PacketQueue queue;
    constexpr int kThreads = 4;
    constexpr int kPerThread = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&queue, t] {
            for (int i = 0; i < kPerThread; ++i) {
                queue.send(Value::array({100 + t, i}));
            }
        });
    }
    std::vector<Value> seen;
    for (std::thread& thread : threads) {
        thread.join();
    }
    seen = decoded(queue.drain());
    ASSERT_EQ(seen.size(), size_t{kThreads * kPerThread});
    std::map<int, int> next;
    for (const Value& v : seen) {
        int sender = v.asArray()->objectAtIndex(0).intValue();
        int index = v.asArray()->objectAtIndex(1).intValue();
        EXPECT_EQ(index, next[sender]) << "sender " << sender;
        next[sender] = index + 1;
    }
    EXPECT_EQ(next.size(), size_t{kThreads});
}

TEST(PacketQueueTest, HeldPacketsAreReleasedInOrderOnLogIn) {
    PacketQueue queue;
    EXPECT_FALSE(queue.sessionActive());
    queue.sendPacket(packet(30, 1, true));
    queue.sendPacket(packet(0, 0, false)); // the log-in itself goes out at once
    queue.sendPacket(packet(31, 2, true));
    queue.sendPacket(packet(32, 3, true));
    EXPECT_EQ(queue.heldCount(), 3u);
    EXPECT_EQ(decoded(queue.drain()), (std::vector<Value>{Value::array({0, 0})}));

    queue.clear(); // a closed connection keeps the held packets
    EXPECT_EQ(queue.heldCount(), 3u);

    queue.send(Value::array({5}));
    queue.setSessionActive(true);
    EXPECT_EQ(queue.heldCount(), 0u);
    queue.sendPacket(packet(33, 4, true));
    EXPECT_EQ(decoded(queue.drain()),
              (std::vector<Value>{Value::array({5}), Value::array({30, 1}), Value::array({31, 2}),
                                  Value::array({32, 3}), Value::array({33, 4})}));

    queue.setSessionActive(false);
    queue.sendPacket(packet(34, 5, true));
    EXPECT_TRUE(queue.drain().empty());
    queue.setSessionActive(true);
    EXPECT_EQ(decoded(queue.drain()), (std::vector<Value>{Value::array({34, 5})}));
}

TEST(PacketQueueTest, KeepAliveAfterAnIdleMinuteHoweverManyTurns) {
    auto clock = fnd::ManualClock::install();
    const double start = clock->monotonicTime();
    PacketQueue queue;
    // A loop whose turns are cut short by traffic turns thousands of times a minute: turns alone never
    // call for a keep-alive.
    for (int turn = 0; turn < 10000; ++turn) {
        ASSERT_FALSE(queue.noteEmptyTurn()) << turn;
    }
    clock->advanceTo(start + PacketQueue::kKeepAliveSeconds - 0.1);
    EXPECT_FALSE(queue.noteEmptyTurn());
    EXPECT_TRUE(queue.drain().empty());
    clock->advanceTo(start + PacketQueue::kKeepAliveSeconds);
    EXPECT_TRUE(queue.noteEmptyTurn());
    EXPECT_EQ(decoded(queue.drain()), (std::vector<Value>{Value::array({PacketQueue::kKeepAliveCommand})}));

    // Sending something starts the idle time afresh.
    clock->advance(30);
    queue.send(Value::array({3}));
    EXPECT_EQ(queue.drain().size(), 1u);
    const double sent = clock->monotonicTime();
    clock->advanceTo(sent + PacketQueue::kKeepAliveSeconds - 0.1);
    EXPECT_FALSE(queue.noteEmptyTurn());
    clock->advanceTo(sent + PacketQueue::kKeepAliveSeconds);
    EXPECT_TRUE(queue.noteEmptyTurn());
    fnd::Clock::install(nullptr);
}

} // namespace
} // namespace zelvan
