// The game facts and command queue of every script engine, and the do-nothing base entry points.
#include "games/engine/base_script_engine.h"

#include <utility>

namespace zelvan {

BaseScriptEngine::BaseScriptEngine(fnd::Bytes script, int32_t myId, int32_t room, int32_t gameId, fnd::Value userids,
                                   fnd::Value names, int32_t width, int32_t height)
    : script_(std::move(script)), room_(room), myId_(myId), gameId_(gameId), width_(width), height_(height),
      userids_(std::move(userids)), names_(std::move(names)) {}

BaseScriptEngine::~BaseScriptEngine() = default;

fnd::Value BaseScriptEngine::call(std::string_view, const fnd::Value&) {
    return fnd::Value();
}

void BaseScriptEngine::setContext(std::shared_ptr<gfx::Context>, int, std::shared_ptr<SurfaceGuard>) {}

int32_t BaseScriptEngine::state() const {
    return -2;
}

void BaseScriptEngine::setstate(int32_t) {}

void BaseScriptEngine::gc() {}

void BaseScriptEngine::addCmd(fnd::Value cmd) {
    std::lock_guard lock(cmdsMutex_);
    cmds_.push_back(std::move(cmd));
}

std::optional<fnd::Value> BaseScriptEngine::takeOldestCmd() {
    std::lock_guard lock(cmdsMutex_);
    if (cmds_.empty()) {
        return std::nullopt;
    }
    fnd::Value oldest = std::move(cmds_.front());
    cmds_.pop_front();
    return oldest;
}

size_t BaseScriptEngine::cmdCount() const {
    std::lock_guard lock(cmdsMutex_);
    return cmds_.size();
}

void BaseScriptEngine::setCmds(const fnd::Value& cmds) {
    std::deque<fnd::Value> items;
    if (auto array = cmds.asArray()) {
        items.assign(array->begin(), array->end());
    }
    std::lock_guard lock(cmdsMutex_);
    cmds_ = std::move(items);
}

} // namespace zelvan
