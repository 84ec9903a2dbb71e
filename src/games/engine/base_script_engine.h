// BaseScriptEngine: the game's identity, players and screen size as the game screen and the room
// controller hand them to a script engine, the queue of server commands waiting for the script, and
// the entry points a concrete engine overrides (the base runs nothing).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"

namespace gfx {
class Context;
} // namespace gfx

namespace zelvan {

struct SurfaceGuard;

class BaseScriptEngine {
public:
    // "No score query under way" value of _userScore.
    static constexpr int32_t kNoUserScore = -1000000;
    // "A score query was sent and no answer has come" value of _userScore.
    static constexpr int32_t kUserScorePending = -999999;

    // Stores the image and the game facts; `userids` and `names` are platform arrays (or null).
    BaseScriptEngine(fnd::Bytes script, int32_t myId, int32_t room, int32_t gameId, fnd::Value userids,
                     fnd::Value names, int32_t width, int32_t height);
    virtual ~BaseScriptEngine();
    BaseScriptEngine(const BaseScriptEngine&) = delete;
    BaseScriptEngine& operator=(const BaseScriptEngine&) = delete;

    // Runs the entry point `name` with the platform array `args` (null for none) and returns its
    // result; the base runs nothing and returns null.
    virtual fnd::Value call(std::string_view name, const fnd::Value& args);
    // Stores a drawing context into a buffer slot of the script (slot 0 with an optional surface
    // guard); the base does nothing.
    virtual void setContext(std::shared_ptr<gfx::Context> context, int index,
                            std::shared_ptr<SurfaceGuard> guard = nullptr);
    // The game state; the base has none and gives -2.
    virtual int32_t state() const;
    // Sets the game state; the base does nothing.
    virtual void setstate(int32_t value);
    // Paces the game thread's housekeeping; the base does nothing.
    virtual void gc();

    const fnd::Bytes& script() const { return script_; }
    void setScript(fnd::Bytes script) { script_ = std::move(script); }
    int32_t room() const { return room_; }
    void setRoom(int32_t v) { room_ = v; }
    int32_t myId() const { return myId_; }
    void setMyId(int32_t v) { myId_ = v; }
    int32_t gameId() const { return gameId_; }
    void setGameId(int32_t v) { gameId_ = v; }
    // The scores are written by the room controller and the reply handler while the script may read
    // them on the game thread, so they are atomic.
    int32_t foescore() const { return foescore_.load(); }
    void setFoescore(int32_t v) { foescore_.store(v); }
    int32_t _userScore() const { return userScore_.load(); }
    void set_userScore(int32_t v) { userScore_.store(v); }
    // Replaces _userScore with `desired` only while it holds `expected`; false (nothing changed)
    // otherwise. The score query's steps use it, so an answer stored meanwhile is never lost.
    bool exchangeUserScore(int32_t expected, int32_t desired) {
        return userScore_.compare_exchange_strong(expected, desired);
    }
    int32_t width() const { return width_; }
    void setWidth(int32_t v) { width_ = v; }
    int32_t height() const { return height_; }
    void setHeight(int32_t v) { height_ = v; }
    const fnd::Value& userids() const { return userids_; }
    void setUserids(fnd::Value v) { userids_ = std::move(v); }
    const fnd::Value& names() const { return names_; }
    void setNames(fnd::Value v) { names_ = std::move(v); }

    // The command queue: the game screen appends server commands on the main thread and the room
    // controller's tick takes them, oldest first, on the game thread. Guarded by its own mutex.
    void addCmd(fnd::Value cmd);
    // The oldest queued command, removed from the queue; empty when none is queued.
    std::optional<fnd::Value> takeOldestCmd();
    size_t cmdCount() const;
    // Replaces the whole queue with the elements of the platform array `cmds` (null empties it).
    void setCmds(const fnd::Value& cmds);

private:
    fnd::Bytes script_;
    int32_t room_;
    int32_t myId_;
    int32_t gameId_;
    std::atomic<int32_t> foescore_{0};
    std::atomic<int32_t> userScore_{kNoUserScore};
    int32_t width_;
    int32_t height_;
    fnd::Value userids_;
    fnd::Value names_;

    mutable std::mutex cmdsMutex_;
    std::deque<fnd::Value> cmds_;
};

} // namespace zelvan
