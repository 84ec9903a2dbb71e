// The script engine facade: the engine's lock around every call into the interpreter, refusal of
// nested calls, the stop of a game whose runs (its load-time code's included) never return, and
// locked access to the state and the drawing slots.
#include "games/engine/stl_script_engine.h"

#include <exception>
#include <string>
#include <utility>

#include "games/engine/stl_script_core.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/graphics_stack.h"
#include "protocol/tracer.h"

namespace zelvan {

STLScriptEngine::STLScriptEngine(fnd::Bytes script, int32_t myId, int32_t room, int32_t gameId, fnd::Value userids,
                                 fnd::Value names, int32_t width, int32_t height, std::shared_ptr<GameHost> host,
                                 uint64_t instructionBudget)
    : BaseScriptEngine(std::move(script), myId, room, gameId, std::move(userids), std::move(names), width, height),
      host_(std::move(host)) {
    std::lock_guard lock(mutex_);
    // The initialisation code runs inside the core's constructor; a native that calls back into the
    // engine meanwhile is refused like any nested call.
    running_ = true;
    try {
        core_ = std::make_unique<STLScriptCore>(this->script(), *this, gfx::getCurrentContext(), instructionBudget);
    } catch (...) {
        running_ = false;
        throw;
    }
    running_ = false;
    // Load-time code runs once: a game whose set-up never finished has no state worth running, so
    // one overrun stops it, as a run of them stops a game looping in its entry points.
    if (core_->lastRunEnd() == STLScriptCore::RunEnd::OutOfBudget) {
        stopped_ = true;
        ZTRACE_ERROR("game %d stopped: its load-time code spent the whole instruction budget", this->gameId());
    }
}

STLScriptEngine::~STLScriptEngine() {
    std::lock_guard lock(mutex_);
    core_.reset();
}

fnd::Value STLScriptEngine::call(std::string_view name, const fnd::Value& args) {
    std::lock_guard lock(mutex_);
    if (stopped_) {
        return fnd::Value();
    }
    if (running_ || core_ == nullptr) {
        ZTRACE_WARN("game %d: call of \"%@\" refused while another call runs on this thread", gameId(),
                    fnd::logPreview(name));
        return fnd::Value();
    }
    running_ = true;
    fnd::Value result;
    try {
        result = core_->call(name, args);
    } catch (const std::exception& e) {
        Tracer::sharedTracer().logError(__FILE__, __LINE__, __func__,
                                        fnd::format("game %d: call of \"%@\" failed", gameId(), std::string(name)), e);
        result = fnd::Value();
    }
    running_ = false;
    countBudgetStop(name);
    return result;
}

void STLScriptEngine::countBudgetStop(std::string_view name) {
    const STLScriptCore::RunEnd end = core_->lastRunEnd();
    if (end == STLScriptCore::RunEnd::Returned) {
        budgetStops_ = 0;
    } else if (end == STLScriptCore::RunEnd::OutOfBudget && ++budgetStops_ >= kMaxBudgetStops) {
        stopped_ = true;
        ZTRACE_ERROR("game %d stopped: %d runs in a row spent the whole instruction budget, the last of \"%@\"",
                     gameId(), budgetStops_, fnd::logPreview(name));
    }
}

void STLScriptEngine::setContext(std::shared_ptr<gfx::Context> context, int index,
                                 std::shared_ptr<SurfaceGuard> guard) {
    std::lock_guard lock(mutex_);
    if (core_ == nullptr || !core_->storeBufferContext(index, std::move(context), std::move(guard))) {
        ZTRACE_WARN("game %d: drawing context for buffer slot %d refused", gameId(), index);
    }
}

void STLScriptEngine::setPlayers(fnd::Value userids, fnd::Value names) {
    std::lock_guard lock(mutex_);
    setUserids(std::move(userids));
    setNames(std::move(names));
}

int32_t STLScriptEngine::state() const {
    return core_ != nullptr ? core_->state() : -1;
}

void STLScriptEngine::setstate(int32_t value) {
    std::lock_guard lock(mutex_);
    if (core_ != nullptr) {
        core_->setState(value);
    }
}

void STLScriptEngine::gc() {
    std::lock_guard lock(mutex_);
}

} // namespace zelvan
