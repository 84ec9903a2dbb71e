// The game thread's turns and its interruptible, clock-driven wait between them.
#include "core/game_loop.h"

#include <exception>

#include "protocol/tracer.h"

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
        Tracer::sharedTracer().logError(__FILE__, __LINE__, __func__, "game turn failed", e);
    }
    return kIdleInterval;
}

void GameLoop::start() {
    std::lock_guard lock(threadMutex_);
    if (thread_) {
        return;
    }
    sleep_.reset();
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
    sleep_.interrupt();
    if (thread) {
        thread->join();
    }
}

void GameLoop::run() {
    while (sleep_.sleepFor(turn())) {
    }
}

} // namespace zelvan
