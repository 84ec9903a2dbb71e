// STLScriptEngine: the engine the game screen, the script view and the room controller run a game
// through. It owns the interpreter core and serialises every call into it with the engine's lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "games/engine/base_script_engine.h"
#include "games/engine/natives/game_host.h"

namespace zelvan {

class STLScriptCore;

class STLScriptEngine : public BaseScriptEngine {
public:
    // Runs in a row that may spend their whole instruction budget before the engine stops the game.
    static constexpr int kMaxBudgetStops = 3;

    // Stores the game facts and the host, then loads the image into a new core (running its
    // initialisation code, which may already call natives) with the drawing context current on the
    // calling thread (possibly none) as the main surface. Without a host the natives that need one give
    // null. `instructionBudget` bounds each run of the core, the initialisation code's included (0: the default);
    // initialisation code that spends all of it stops the game at once (stopped(), with an ERROR line).
    STLScriptEngine(fnd::Bytes script, int32_t myId, int32_t room, int32_t gameId, fnd::Value userids, fnd::Value names,
                    int32_t width, int32_t height, std::shared_ptr<GameHost> host = nullptr,
                    uint64_t instructionBudget = 0);
    ~STLScriptEngine() override;

    // Under the engine's lock, runs the entry point and returns its result (null for none, for an
    // unknown name, for a failed run). A call made on the same thread while a run is in progress
    // (a native that pumps the run loop) is refused with a warning and returns null. Once
    // kMaxBudgetStops runs in a row (of any entry point) were stopped by the instruction budget, the
    // engine logs the error and stops the game: every later call returns null without running. A
    // run that returns normally starts the count again.
    fnd::Value call(std::string_view name, const fnd::Value& args) override;
    // Whether the game was stopped for runs that never return (or load-time code that never did). Any thread.
    bool stopped() const { return stopped_.load(); }
    // Under the lock, stores `context` into buffer slot `index` (the current surface is unchanged);
    // slot 0 may carry a surface guard (see SurfaceGuard).
    void setContext(std::shared_ptr<gfx::Context> context, int index,
                    std::shared_ptr<SurfaceGuard> guard = nullptr) override;
    // Under the lock, replaces the players' user ids and names (the room's seat changes), so a
    // running native never sees them change under it.
    void setPlayers(fnd::Value userids, fnd::Value names);
    // The game state, read without the lock.
    int32_t state() const override;
    // Under the lock, sets the game state and its mirror in global 2.
    void setstate(int32_t value) override;
    // Takes and releases the lock: waits for a running call to finish. The pool is collected at the
    // end of every call, so there is nothing more to do.
    void gc() override;

    // The client behind the natives; may be null.
    GameHost* host() const { return host_.get(); }

    // The interpreter; null only while the constructor loads it.
    STLScriptCore* core() { return core_.get(); }
    // Whether a call is running (on whichever thread holds the lock).
    bool isRunning() const { return running_.load(); }

private:
    // After a run of `name`: counts a budget stop, starts again after a normal return, and stops the
    // game at kMaxBudgetStops. Under the lock.
    void countBudgetStop(std::string_view name);

    std::shared_ptr<GameHost> host_;
    std::recursive_mutex mutex_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopped_{false};
    int budgetStops_ = 0; // under the lock
    std::unique_ptr<STLScriptCore> core_;
};

} // namespace zelvan
