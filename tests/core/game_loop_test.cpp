// The game thread's schedule: script ticks at 50 ms (500 ms while locked) with the cache expiring
// every 120th tick, the idle poll once a second, and a stop that interrupts the wait.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>

#include "core/game_loop.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"

namespace zelvan {
namespace {

struct FakeGames : GamesTabService {
    std::atomic<bool> playing{false};
    std::atomic<int> scripts{0};
    std::atomic<int> collections{0};
    bool throwOnScript = false;
    bool playingGame() override { return playing; }
    void executeScript() override {
        ++scripts;
        if (throwOnScript) {
            throw std::runtime_error("script failed");
        }
    }
    void gc(int full) override { collections += full; }
    void handleServerResponse(const fnd::Value&) override {}
};

struct FakeCache : GameCacheService {
    std::atomic<int> expired{0};
    std::atomic<int> cleared{0};
    void expireRequested() override { ++expired; }
    void clearRequest() override { ++cleared; }
    void handleServerResponse(const fnd::Value&) override {}
};

TEST(GameLoopTest, TurnsFollowTheGameAndTheLock) {
    auto games = std::make_shared<FakeGames>();
    auto cache = std::make_shared<FakeCache>();
    bool locked = false;
    GameLoop loop([&] { return games; }, [&] { return cache; }, [&] { return locked; });

    // No game: the cache expires and clears, the pool is collected, and the next poll is in 1 s.
    EXPECT_EQ(loop.turn(), GameLoop::kIdleInterval);
    EXPECT_EQ(cache->expired, 1);
    EXPECT_EQ(cache->cleared, 1);
    EXPECT_EQ(games->collections, 1);
    EXPECT_EQ(games->scripts, 0);

    games->playing = true;
    for (uint64_t i = 1; i < GameLoop::kExpireEveryTurns; ++i) {
        EXPECT_EQ(loop.turn(), GameLoop::kPlayingInterval);
    }
    EXPECT_EQ(cache->expired, 1);
    loop.turn();
    EXPECT_EQ(cache->expired, 2); // the 120th tick
    EXPECT_EQ(cache->cleared, 1);
    EXPECT_EQ(games->scripts, static_cast<int>(GameLoop::kExpireEveryTurns));
    locked = true;
    EXPECT_EQ(loop.turn(), GameLoop::kLockedInterval);

    // A script that throws is logged and the thread's schedule goes on.
    games->throwOnScript = true;
    EXPECT_EQ(loop.turn(), GameLoop::kIdleInterval);

    // Neither games nor cache: nothing to call, still a poll a second.
    GameLoop empty(nullptr, nullptr, nullptr);
    EXPECT_EQ(empty.turn(), GameLoop::kIdleInterval);
}

TEST(GameLoopTest, ThreadTicksOnTheClockAndStopsAtOnce) {
    auto clock = fnd::ManualClock::install();
    auto games = std::make_shared<FakeGames>();
    games->playing = true;
    GameLoop loop([&] { return games; }, nullptr, [] { return false; });
    loop.start();
    auto& main = fnd::RunLoop::main();
    ASSERT_TRUE(main.pumpUntil([&] { return games->scripts == 1 && clock->sleepers() == 1; }, 10.0));
    for (int tick = 2; tick <= 5; ++tick) {
        clock->advance(GameLoop::kPlayingInterval);
        ASSERT_TRUE(main.pumpUntil([&] { return games->scripts == tick && clock->sleepers() == 1; }, 10.0));
    }
    // Half an interval is not enough for another tick.
    clock->advance(GameLoop::kPlayingInterval / 2);
    main.pumpUntil([] { return false; }, 0.05);
    EXPECT_EQ(games->scripts, 5);
    loop.stop(); // interrupts the wait without any clock advance
    EXPECT_EQ(loop.playingTurns(), 5u);
    fnd::Clock::install(nullptr);
}

} // namespace
} // namespace zelvan
