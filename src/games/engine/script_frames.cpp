// The run's variable storage: growth of the value stack in whole steps, and reads, stores and clears of
// global and local variables, whose growth counts towards the pool's memory.
#include "games/engine/stl_script_core.h"

namespace zelvan {

bool STLScriptCore::reserveStack(uint64_t needed) {
    uint64_t capacity = stack_.size();
    if (needed <= capacity) {
        return true;
    }
    uint64_t steps = (needed - capacity + kStackGrowth - 1) / kStackGrowth;
    uint64_t grown = capacity + steps * kStackGrowth;
    if (grown > kMaxStackCapacity) {
        return false;
    }
    stack_.resize(static_cast<size_t>(grown));
    return true;
}

ScriptValue STLScriptCore::variable(int32_t n) const {
    if (n >= 0) {
        size_t i = static_cast<size_t>(n);
        return i < globals_.size() ? globals_[i] : nullValue();
    }
    size_t i = static_cast<size_t>(~n);
    return i < locals_.size() ? locals_[i] : nullValue();
}

void STLScriptCore::storeVariable(int32_t n, ScriptValue value) {
    // Operands are at most 16 bits wide, so a store extends a vector by at most 32768 slots.
    std::vector<ScriptValue>& vars = n >= 0 ? globals_ : locals_;
    size_t i = n >= 0 ? static_cast<size_t>(n) : static_cast<size_t>(~n);
    if (i >= vars.size()) {
        size_t capacity = vars.capacity();
        vars.resize(i + 1, nullValue());
        // Locals live in call frames, as deep as the calls go, so their growth counts towards the pool.
        if (n < 0 && vars.capacity() != capacity) {
            pool_.charge((vars.capacity() - capacity) * sizeof(ScriptValue));
        }
    }
    vars[i] = value;
}

void STLScriptCore::clearVariable(int32_t n) {
    std::vector<ScriptValue>& vars = n >= 0 ? globals_ : locals_;
    size_t i = n >= 0 ? static_cast<size_t>(n) : static_cast<size_t>(~n);
    if (i < vars.size()) {
        vars[i] = nullValue();
    }
}

} // namespace zelvan
