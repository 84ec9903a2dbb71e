// Membership, repetition, concatenation, indexing and slicing for the interpreter. Sizes are checked
// before anything is allocated, so a hostile operand cannot make a huge value.
#include "games/engine/script_ops.h"

#include <algorithm>
#include <span>

namespace zelvan::script_ops {
namespace {

// Fills `out` with repetitions of its first `partSize` elements: doubling copies of what is there.
template <class T>
void repeatInPlace(std::span<T> out, size_t partSize) {
    size_t filled = partSize;
    while (filled < out.size()) {
        size_t n = std::min(filled, out.size() - filled);
        std::copy_n(out.begin(), n, out.begin() + static_cast<ptrdiff_t>(filled));
        filled += n;
    }
}

// The bounds [start, end) of a slice of `length`, each adjusted once when negative, then clamped.
std::pair<size_t, size_t> sliceBounds(size_t length, std::optional<int32_t> start, std::optional<int32_t> end) {
    auto adjust = [length](std::optional<int32_t> bound, int64_t fallback) {
        int64_t v = bound ? *bound : fallback;
        if (v < 0) {
            v += static_cast<int64_t>(length);
        }
        return static_cast<size_t>(std::clamp<int64_t>(v, 0, static_cast<int64_t>(length)));
    };
    size_t from = adjust(start, 0);
    size_t to = adjust(end, static_cast<int64_t>(length));
    return {from, std::max(from, to)};
}

} // namespace

bool contains(ScriptValue container, ScriptValue element, WorkBudget& work) {
    if (ZArray* array = arrayOf(container)) {
        for (ScriptValue e : array->elements) {
            bool equal = cmp(element, e, work) == 0;
            if (work.spent()) {
                return false;
            }
            if (equal) {
                return true;
            }
        }
        return false;
    }
    if (ZData* data = dataOf(container)) {
        ZData* needle = dataOf(element);
        if (needle == nullptr) {
            return false;
        }
        work.spend(data->bytes.size() + needle->bytes.size());
        return !work.spent() && data->indexOf(*needle) >= 0;
    }
    return false;
}

size_t sizeOf(ScriptValue v) {
    if (ZArray* array = arrayOf(v)) {
        return array->elements.size();
    }
    if (ZData* data = dataOf(v)) {
        return data->bytes.size();
    }
    return 0;
}

ScriptValue repeat(ScriptValue sequence, int32_t n, ZObjectPool& pool) {
    size_t count = static_cast<size_t>(std::max<int32_t>(n, 1));
    if (ZArray* array = arrayOf(sequence)) {
        size_t length = array->elements.size();
        if (length != 0 && count > kMaxElements / length) {
            return nullValue();
        }
        std::vector<ScriptValue> out(length == 0 ? 0 : length * count);
        std::copy(array->elements.begin(), array->elements.end(), out.begin());
        repeatInPlace(std::span(out), length);
        return valueOf(pool.newArray(std::move(out)));
    }
    if (ZData* data = dataOf(sequence)) {
        size_t length = data->bytes.size();
        if (length != 0 && count > kMaxBytes / length) {
            return nullValue();
        }
        ZData* out = pool.newData(length == 0 ? 0 : length * count);
        std::copy(data->bytes.begin(), data->bytes.end(), out->bytes.begin());
        repeatInPlace(std::span(out->bytes), length);
        return valueOf(out);
    }
    return nullValue();
}

std::optional<ScriptValue> concat(ScriptValue b, ScriptValue a, ZObjectPool& pool) {
    ZData* tail = dataOf(a);
    ZData* head = dataOf(b);
    if (tail != nullptr && head != nullptr) {
        if (head->bytes.size() + tail->bytes.size() > kMaxBytes) {
            return nullValue();
        }
        return valueOf(pool.newData(head->bytes, tail->bytes));
    }
    ZArray* tailArray = arrayOf(a);
    ZArray* headArray = arrayOf(b);
    if (tailArray != nullptr && headArray != nullptr) {
        if (headArray->elements.size() + tailArray->elements.size() > kMaxElements) {
            return nullValue();
        }
        std::vector<ScriptValue> out;
        out.reserve(headArray->elements.size() + tailArray->elements.size());
        out.insert(out.end(), headArray->elements.begin(), headArray->elements.end());
        out.insert(out.end(), tailArray->elements.begin(), tailArray->elements.end());
        return valueOf(pool.newArray(std::move(out)));
    }
    return std::nullopt;
}

IndexedSlot locate(ScriptValue sequence, int32_t index) {
    IndexedSlot slot;
    if (ZArray* array = arrayOf(sequence)) {
        slot.length = array->elements.size();
    } else if (ZData* data = dataOf(sequence)) {
        slot.length = data->bytes.size();
    } else {
        return slot;
    }
    slot.isSequence = true;
    slot.index = index < 0 ? int64_t{index} + static_cast<int64_t>(slot.length) : int64_t{index};
    slot.inBounds = slot.index >= 0 && slot.index < static_cast<int64_t>(slot.length);
    return slot;
}

ScriptValue elementAt(ScriptValue sequence, const IndexedSlot& slot) {
    size_t i = static_cast<size_t>(slot.index);
    if (ZArray* array = arrayOf(sequence)) {
        return array->elements[i];
    }
    return fromInt(dataOf(sequence)->bytes[i]);
}

void storeAt(ScriptValue sequence, const IndexedSlot& slot, ScriptValue value) {
    size_t i = static_cast<size_t>(slot.index);
    if (ZArray* array = arrayOf(sequence)) {
        array->elements[i] = value;
        return;
    }
    ZData* data = dataOf(sequence);
    if (isInt(value)) {
        data->bytes[i] = static_cast<uint8_t>(intOf(value));
    } else if (ZData* source = dataOf(value); source != nullptr && !source->bytes.empty()) {
        data->bytes[i] = source->bytes.front();
    }
}

ScriptValue slice(ScriptValue sequence, std::optional<int32_t> start, std::optional<int32_t> end, ZObjectPool& pool) {
    if (ZArray* array = arrayOf(sequence)) {
        auto [from, to] = sliceBounds(array->elements.size(), start, end);
        auto first = array->elements.begin();
        return valueOf(pool.newArray(
            std::vector<ScriptValue>(first + static_cast<ptrdiff_t>(from), first + static_cast<ptrdiff_t>(to))));
    }
    if (ZData* data = dataOf(sequence)) {
        auto [from, to] = sliceBounds(data->bytes.size(), start, end);
        return valueOf(pool.newData(std::span(data->bytes).subspan(from, to - from)));
    }
    return nullValue();
}

} // namespace zelvan::script_ops
