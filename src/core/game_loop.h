// GameLoop: what the game thread runs. While a game is playing it ticks the game's script every
// 50 ms (500 ms while the application is locked) and collects the script values; with no game it
// lets the game cache expire and clear its requests and polls once a second.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "core/app_services.h"
#include "platform/foundation/clock_sleep.h"
#include "platform/foundation/thread.h"

namespace zelvan {

class GameLoop {
public:
    static constexpr double kPlayingInterval = 0.05;
    static constexpr double kLockedInterval = 0.5;
    static constexpr double kIdleInterval = 1.0;
    // While playing, the game cache expires its requests on every this-many-th turn.
    static constexpr uint64_t kExpireEveryTurns = 120;

    using GamesProvider = std::function<std::shared_ptr<GamesTabService>()>;
    using CacheProvider = std::function<std::shared_ptr<GameCacheService>()>;
    using LockedProvider = std::function<bool()>;

    GameLoop(GamesProvider games, CacheProvider cache, LockedProvider locked);
    ~GameLoop();
    GameLoop(const GameLoop&) = delete;
    GameLoop& operator=(const GameLoop&) = delete;

    // One turn; returns how long to wait before the next one, in seconds.
    double turn();

    // Starts a thread named "game" that turns until stop(); a second call does nothing.
    void start();
    // Ends the thread, interrupting its wait, and joins it.
    void stop();

    // Turns taken while a game was playing.
    uint64_t playingTurns() const { return playingTurns_.load(); }

private:
    void run();

    GamesProvider games_;
    CacheProvider cache_;
    LockedProvider locked_;
    std::atomic<uint64_t> playingTurns_{0};

    // The wait between turns, which stop() cuts short.
    fnd::ClockSleep sleep_;
    std::mutex threadMutex_;
    std::unique_ptr<fnd::Thread> thread_;
};

} // namespace zelvan
