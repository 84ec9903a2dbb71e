// Natives of arrays: integer ranges, zero-filled arrays, shallow and deep copies, appending,
// removing and inserting in place, removal by identity, search and a stable sort. Indexes outside
// the array, or indexes that are not integers, leave the array as it is and give null.
#include <algorithm>

#include "games/engine/natives/natives.h"
#include "games/engine/stl_script_core.h"

namespace zelvan {
namespace {

using natives::arg;
using natives::Args;
using natives::intArg;

ScriptValue newArray(STLScriptCore& core, std::vector<ScriptValue> elements) {
    core.work().spend(elements.size());
    return valueOf(core.pool().newArray(std::move(elements)));
}

// 5: n, or from, to [, step = 1]: the integers 0..n-1, or from, from + step, ... short of to. A
// range over the element cap gives null.
ScriptValue range(STLScriptCore& core, Args args) {
    int64_t from = 0;
    int64_t to = intArg(args, 0);
    int64_t step = 1;
    if (args.size() > 1) {
        from = intArg(args, 0);
        to = intArg(args, 1);
        step = args.size() > 2 ? intArg(args, 2) : 1;
    }
    int64_t count = 0;
    if (step > 0 && from < to) {
        count = (to - from + step - 1) / step;
    } else if (step < 0 && from > to) {
        count = (from - to - step - 1) / -step;
    }
    if (count > static_cast<int64_t>(kMaxElements)) {
        return kNoValue;
    }
    std::vector<ScriptValue> elements;
    elements.reserve(static_cast<size_t>(count));
    for (int64_t i = 0, v = from; i < count; ++i, v += step) {
        elements.push_back(fromInt(static_cast<int32_t>(v)));
    }
    return newArray(core, std::move(elements));
}

// 40: n zeros; nothing over the element cap (null).
ScriptValue zeros(STLScriptCore& core, Args args) {
    int32_t n = std::max(intArg(args, 0), 0);
    if (static_cast<size_t>(n) > kMaxElements) {
        return kNoValue;
    }
    return newArray(core, std::vector<ScriptValue>(static_cast<size_t>(n), fromInt(0)));
}

ScriptValue shallowCopy(STLScriptCore& core, Args args) {
    ZArray* array = arrayOf(arg(args, 0));
    return array == nullptr ? kNoValue : newArray(core, array->elements);
}

ScriptValue deepCopy(STLScriptCore& core, Args args) {
    ScriptValue copied = deepArrayCopy(arg(args, 0), core.pool());
    if (ZArray* array = arrayOf(copied)) {
        core.work().spend(array->elements.size());
    }
    return copied;
}

// Grows `array` in place with `grow` (which may reallocate), charging the pool for new capacity.
template <class Grow>
void growInPlace(STLScriptCore& core, ZArray& array, Grow grow) {
    size_t capacity = array.elements.capacity();
    grow();
    if (array.elements.capacity() > capacity) {
        core.pool().charge((array.elements.capacity() - capacity) * sizeof(ScriptValue));
    }
}

// 16: array, value: appends value (not past the element cap).
ScriptValue append(STLScriptCore& core, Args args) {
    ZArray* array = arrayOf(arg(args, 0));
    if (array != nullptr && array->elements.size() < kMaxElements) {
        growInPlace(core, *array, [&] { array->elements.push_back(arg(args, 1)); });
    }
    return kNoValue;
}

// 17: array [, index = -1]: removes and returns the element at index.
ScriptValue removeAt(STLScriptCore& core, Args args) {
    ZArray* array = arrayOf(arg(args, 0));
    ScriptValue index = args.size() > 1 ? args[1] : fromInt(-1);
    if (array == nullptr || !isInt(index)) {
        return kNoValue;
    }
    int64_t i = intOf(index);
    const auto length = static_cast<int64_t>(array->elements.size());
    if (i < 0) {
        i += length;
    }
    if (i < 0 || i >= length) {
        return kNoValue;
    }
    core.work().spend(static_cast<uint64_t>(length - i));
    auto at = array->elements.begin() + i;
    ScriptValue removed = *at;
    array->elements.erase(at);
    return removed;
}

// 18: array, index, value: inserts value before position index (0 to length after adjustment).
ScriptValue insertAt(STLScriptCore& core, Args args) {
    ZArray* array = arrayOf(arg(args, 0));
    ScriptValue index = arg(args, 1);
    if (array == nullptr || !isInt(index) || array->elements.size() >= kMaxElements) {
        return kNoValue;
    }
    int64_t i = intOf(index);
    const auto length = static_cast<int64_t>(array->elements.size());
    if (i < 0) {
        i += length;
    }
    if (i < 0 || i > length) {
        return kNoValue;
    }
    core.work().spend(static_cast<uint64_t>(length - i));
    growInPlace(core, *array, [&] { array->elements.insert(array->elements.begin() + i, arg(args, 2)); });
    return kNoValue;
}

// 19: array, value: removes every element that is the very same word.
ScriptValue removeIdentical(STLScriptCore& core, Args args) {
    if (ZArray* array = arrayOf(arg(args, 0))) {
        core.work().spend(array->elements.size());
        std::erase(array->elements, arg(args, 1));
    }
    return kNoValue;
}

// 20: array, value [, from = 0 [, to = length]]: the first index in [from, to) whose element compares
// equal to value, or -1. Bounds count from the end when negative and are clamped to the array.
ScriptValue indexOf(STLScriptCore& core, Args args) {
    ZArray* array = arrayOf(arg(args, 0));
    if (array == nullptr) {
        return kNoValue;
    }
    const size_t length = array->elements.size();
    size_t from = 0;
    size_t to = length;
    if (args.size() > 2) {
        if (!isInt(args[2])) {
            return kNoValue;
        }
        from = natives::clampIndex(intOf(args[2]), length);
    }
    if (args.size() > 3) {
        if (!isInt(args[3])) {
            return kNoValue;
        }
        to = natives::clampIndex(intOf(args[3]), length);
    }
    ScriptValue value = arg(args, 1);
    for (size_t i = from; i < to; ++i) {
        bool equal = cmp(array->elements[i], value, core.work()) == 0;
        if (core.work().spent()) {
            return kNoValue;
        }
        if (equal) {
            return fromInt(static_cast<int32_t>(i));
        }
    }
    return fromInt(-1);
}

// 23: array [, descending]: a stable sort by the value order, ascending or (when the second argument
// is true) descending. Once the run's work allowance is spent the rest compares equal, so the sort
// still ends, quickly, with every element in place.
ScriptValue sort(STLScriptCore& core, Args args) {
    ZArray* array = arrayOf(arg(args, 0));
    if (array == nullptr) {
        return kNoValue;
    }
    WorkBudget& work = core.work();
    if (checkTrue(arg(args, 1))) {
        std::stable_sort(array->elements.begin(), array->elements.end(),
                         [&work](ScriptValue a, ScriptValue b) { return cmp(a, b, work) > 0; });
    } else {
        std::stable_sort(array->elements.begin(), array->elements.end(),
                         [&work](ScriptValue a, ScriptValue b) { return cmp(a, b, work) < 0; });
    }
    return kNoValue;
}

} // namespace

void registerArrayNatives(NativeTable& table) {
    table.registerNative(5, range);
    table.registerNative(40, zeros);
    table.registerNative(11, shallowCopy);
    table.registerNative(12, deepCopy);
    table.registerNative(16, append);
    table.registerNative(17, removeAt);
    table.registerNative(18, insertAt);
    table.registerNative(19, removeIdentical);
    table.registerNative(20, indexOf);
    table.registerNative(23, sort);
}

} // namespace zelvan
