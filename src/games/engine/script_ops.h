// Sequence operations of the interpreter's instructions: membership, repetition, concatenation,
// indexing and slicing of arrays and byte strings, each within the engine's size caps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "games/engine/script_value.h"

namespace zelvan::script_ops {

// Whether `element` is in `container`: an element of an array comparing equal, or a byte string
// occurring inside a byte string. Any other container holds nothing. Spends `work` per pair compared
// and per byte searched, and answers false once it is spent.
bool contains(ScriptValue container, ScriptValue element, WorkBudget& work);

// The element count of an array or the byte count of a byte string; 0 for anything else.
size_t sizeOf(ScriptValue v);

// A new sequence holding max(n, 1) copies of the array's or byte string's contents; null when the
// result would exceed the size caps or `sequence` is neither.
ScriptValue repeat(ScriptValue sequence, int32_t n, ZObjectPool& pool);

// b followed by a when both are byte strings or both arrays (null past the size caps); nothing
// (an empty optional) for any other pair.
std::optional<ScriptValue> concat(ScriptValue b, ScriptValue a, ZObjectPool& pool);

// A position in a sequence after adding the length to a negative index once.
struct IndexedSlot {
    bool isSequence = false; // the container is an array or a byte string
    bool inBounds = false;
    int64_t index = 0; // the adjusted index
    size_t length = 0; // the sequence's length
};
IndexedSlot locate(ScriptValue sequence, int32_t index);

// Element `slot.index` of an array, or the byte there of a byte string as an integer. The slot must
// be in bounds.
ScriptValue elementAt(ScriptValue sequence, const IndexedSlot& slot);
// Stores into an in-bounds slot: any value into an array; into a byte string the low 8 bits of an
// integer or the first byte of a non-empty byte string (anything else stores nothing).
void storeAt(ScriptValue sequence, const IndexedSlot& slot, ScriptValue value);

// A new array or byte string of positions start to end-1, each bound adjusted once by the length
// when negative and then clamped to the sequence; null for any other kind.
ScriptValue slice(ScriptValue sequence, std::optional<int32_t> start, std::optional<int32_t> end, ZObjectPool& pool);

} // namespace zelvan::script_ops
