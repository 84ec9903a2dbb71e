// The game thread's turns and its interruptible, clock-driven wait between them.
#include "core/game_loop.h"

#include <chrono>
#include <exception>

#include "core/tracer.h"
#include "platform/foundation/clock.h"

namespace zelvan {

GameLoop::GameLoop(GamesProvider games, CacheProvider cache, LockedProvider locked)
    : games_(std::move(games)), cache_(std::move(cache)), locked_(std::move(locked)) {}

GameLoop::~GameLoop() {
    stop();
}

double GameLoop::turn() {
    std::shared_ptr<GamesTabService> games = games_ ? games_() : nullptr;
    std::shared_ptr<GameCacheService> cache = cache_ ? cache_() : nullptr;
    try {
        if (games && games->playingGame()) {
            games->executeScript();
            uint64_t turns = ++playingTurns_;
            if (cache && turns % kExpireEveryTurns == 0) {
                cache->expireRequested();
            }
            games->gc(1);
            return locked_ && locked_() ? kLockedInterval : kPlayingInterval;
        }
        if (cache) {
            cache->expireRequested();
            cache->clearRequest();
        }
        if (games) {
            games->gc(1);
        }
    } catch (const std::exception& e) {
        // A failing game must not end the thread that every later game runs on.
        Tracer::sharedTracer().logError(traceFileName(__FILE__), __LINE__, __func__, "game turn failed", e);
    }
    return kIdleInterval;
}

void GameLoop::start() {
    std::lock_guard lock(threadMutex_);
    if (thread_) {
        return;
    }
    {
        std::lock_guard signalLock(signal_->mutex);
        signal_->stopRequested = false;
    }
    thread_ = std::make_unique<fnd::Thread>([this] { run(); });
    thread_->setName("game");
    thread_->start();
}

void GameLoop::stop() {
    std::unique_ptr<fnd::Thread> thread;
    {
        std::lock_guard lock(threadMutex_);
        thread = std::move(thread_);
    }
    {
        std::lock_guard lock(signal_->mutex);
        signal_->stopRequested = true;
    }
    signal_->cv.notify_all();
    if (thread) {
        thread->join();
    }
}

void GameLoop::run() {
    while (wait(turn())) {
    }
}

bool GameLoop::wait(double seconds) {
    const double deadline = fnd::Clock::monotonic() + seconds;
    // The clock's waiter takes our mutex before notifying, so an advance between the deadline check
    // and the wait cannot be missed.
    auto token = fnd::Clock::addWaiter([signal = signal_] {
        std::lock_guard lock(signal->mutex);
        signal->cv.notify_all();
    });
    fnd::ManualClock* manual = fnd::ManualClock::installed();
    if (manual) {
        manual->sleeperEntered();
    }
    bool running;
    {
        std::unique_lock lock(signal_->mutex);
        for (;;) {
            if (signal_->stopRequested) {
                break;
            }
            double left = deadline - fnd::Clock::monotonic();
            if (left <= 0) {
                break;
            }
            if (manual) {
                signal_->cv.wait(lock);
            } else {
                signal_->cv.wait_for(lock, std::chrono::duration<double>(left));
            }
        }
        running = !signal_->stopRequested;
    }
    if (manual) {
        manual->sleeperLeft();
    }
    fnd::Clock::removeWaiter(token);
    return running;
}

} // namespace zelvan
