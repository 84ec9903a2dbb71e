// Script values of the game engine: the one-word value (immediate 31-bit integers or references to
// pooled objects), the four object classes, and the value operations shared by the interpreter and
// the natives (truth, ordering, copies, conversion to and from platform values, debug text, text helpers).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "games/engine/data_slots.h"
#include "games/engine/script_bytes.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"

namespace zelvan {

class ZObjectPool;

// One machine word. Odd: an immediate integer (31-bit, wrapping). Even and non-zero: a ZObject*.
// Zero: no value (converts to nil / a Null platform value).
using ScriptValue = uintptr_t;

inline constexpr ScriptValue kNoValue = 0;

// Size caps for anything a script can make grow: element count of an array and byte count of a
// byte string. Operations that would produce more give null instead.
inline constexpr size_t kMaxElements = size_t{4} * 1024 * 1024;
inline constexpr size_t kMaxBytes = size_t{16} * 1024 * 1024;

// Length limit of one debug text (obj2nsstr); a longer text is cut and ends with "...".
inline constexpr size_t kMaxDebugText = size_t{64} * 1024;

// Nesting limit of the recursive value operations (compare, deep copy, conversions, debug text).
inline constexpr int kMaxValueDepth = 256;

class ZObject {
public:
    enum Type : uint32_t { kNull = 1, kArray = 2, kData = 3, kNSObject = 4 };

    virtual ~ZObject() = default;
    ZObject(const ZObject&) = delete;
    ZObject& operator=(const ZObject&) = delete;

    uint32_t type;
    // Collection mark (bit 0), 0 outside a collection. The recursive value walks set bit 1 on the
    // arrays of their current path and clear it again.
    uint8_t marked = 0;

protected:
    explicit ZObject(uint32_t t) : type(t) {}
};

// The null value: one instance per process, never pooled and never freed.
class ZNull final : public ZObject {
public:
    static ZNull* instance();

private:
    ZNull() : ZObject(kNull) {}
};

class ZArray final : public ZObject {
public:
    ZArray() : ZObject(kArray) {}
    explicit ZArray(std::vector<ScriptValue> e) : ZObject(kArray), elements(std::move(e)) {}

    std::vector<ScriptValue> elements;
};

// A byte string; script text is UTF-8 held in one of these. The pool makes the object in one of its
// slots (ZDataSlots) and its bytes in its arena (ZByteArena); a byte string that survives a collection
// has its bytes moved to the heap.
class ZData final : public ZObject {
public:
    static void* operator new(size_t size, ZDataSlots& slots) { return slots.allocate(size); }
    static void operator delete(void* object, ZDataSlots& /*slots*/) { ZDataSlots::release(object); }
    static void operator delete(void* object) { ZDataSlots::release(object); }

    // `head` followed by `tail`, or `length` zero bytes, held by `storage`.
    ZData(std::pmr::memory_resource* storage, std::span<const uint8_t> head, std::span<const uint8_t> tail = {})
        : ZObject(kData), bytes(storage, head, tail) {}
    ZData(std::pmr::memory_resource* storage, size_t length) : ZObject(kData), bytes(storage, length) {}

    // Offset of the first occurrence of `other`'s bytes inside these, or -1; an empty `other` is at 0.
    // Linear in both lengths.
    ptrdiff_t indexOf(const ZData& other) const;
    // The bytes decoded as UTF-8 (ill-formed sequences become U+FFFD).
    std::string newString() const;

    ZBytes bytes;
};

// Wraps a platform value (an image, a sound, any object a native hands to the script). A fresh one
// wraps the null value.
class ZNSObject final : public ZObject {
public:
    ZNSObject() : ZObject(kNSObject) {}
    explicit ZNSObject(fnd::Value v) : ZObject(kNSObject), object(std::move(v)) {}

    fnd::Value object;
};

// --- Word helpers (all inline, none allocates) ---

inline bool isInt(ScriptValue v) {
    return (v & 1u) != 0;
}
// A reference to an object (even and non-zero).
inline bool isObject(ScriptValue v) {
    return v != 0 && (v & 1u) == 0;
}
// The integer of a word: an arithmetic shift of its low 32 bits. Defined for every word (the
// interpreter's integer instructions and the natives read words without checking their kind); an
// object reads as 0, so no arithmetic can turn an object's address into a number a script could send.
inline int32_t intOf(ScriptValue v) {
    ScriptValue integerOnly = v & (ScriptValue{0} - (v & 1u));
    return static_cast<int32_t>(static_cast<uint32_t>(integerOnly)) >> 1;
}
// The integer of a word already known to be an integer (isInt): the shift alone, for hot paths.
inline int32_t intOfInt(ScriptValue v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v)) >> 1;
}
// Encodes n in 31 bits: the top bit of the 32-bit quantity is lost, so results wrap at that width.
inline ScriptValue fromInt(int32_t n) {
    return static_cast<ScriptValue>((static_cast<uint32_t>(n) << 1) | 1u);
}
// The same for unsigned 32-bit arithmetic results.
inline ScriptValue fromUInt(uint32_t n) {
    return static_cast<ScriptValue>((n << 1) | 1u);
}
inline ZObject* objectOf(ScriptValue v) {
    return isObject(v) ? reinterpret_cast<ZObject*>(v) : nullptr;
}
inline ScriptValue valueOf(const ZObject* o) {
    return reinterpret_cast<ScriptValue>(o);
}
// The word of the null singleton.
inline ScriptValue nullValue() {
    return valueOf(ZNull::instance());
}
inline bool isNull(ScriptValue v) {
    return v == nullValue();
}
inline ZArray* arrayOf(ScriptValue v) {
    ZObject* o = objectOf(v);
    return o != nullptr && o->type == ZObject::kArray ? static_cast<ZArray*>(o) : nullptr;
}
inline ZData* dataOf(ScriptValue v) {
    ZObject* o = objectOf(v);
    return o != nullptr && o->type == ZObject::kData ? static_cast<ZData*>(o) : nullptr;
}
inline ZNSObject* nsObjectOf(ScriptValue v) {
    ZObject* o = objectOf(v);
    return o != nullptr && o->type == ZObject::kNSObject ? static_cast<ZNSObject*>(o) : nullptr;
}

// Work allowance of one run for operations whose cost grows with their operands (comparisons of
// nested arrays, membership, searches, sorts): they spend one unit per pair compared or byte examined
// and stop early once it is spent. The interpreter hands its instruction budget in and takes the rest back.
struct WorkBudget {
    int64_t left = INT64_MAX;

    bool spent() const { return left <= 0; }
    void spend(uint64_t units) {
        left -= units > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(units);
    }
};

// --- Value operations ---

// Integer: non-zero. Null: false. Array: has elements. Data: has bytes. Wrapper: wraps a non-null value.
bool checkTrue(ScriptValue v);

// Order of a and b: -1, 0 or 1. Integers by value, arrays element by element then by length, byte
// strings by unsigned bytes then by length, null below everything else, other pairs by a stable
// order of their words. Nesting deeper than kMaxValueDepth compares equal, and so does whatever is
// left once one comparison has visited kMaxElements pairs (shared sub-arrays can make a walk
// exponential), so every comparison ends.
int cmp(ScriptValue a, ScriptValue b);
// As cmp, spending one unit of `work` per pair visited; once `work` is spent the rest compares equal.
int cmp(ScriptValue a, ScriptValue b, WorkBudget& work);
// 1 when cmp(a, b) >= 0, else 0.
int cmpGreater(ScriptValue a, ScriptValue b);
// 1 when cmp(a, b) < 0, else 0.
int cmpLesser(ScriptValue a, ScriptValue b);

// Shallow copy: integers and null as they are; arrays, byte strings and wrappers as new objects
// holding the same elements, bytes or platform value; anything else null.
ScriptValue copy(ScriptValue v, ZObjectPool& pool);
// Arrays become new arrays of the deep copies of their elements; everything else is returned as it
// is. An array that contains itself (on the path being copied) becomes null there; a copy nested
// deeper than kMaxValueDepth, or one that would hold more than kMaxElements arrays and elements in
// all, gives null.
ScriptValue deepArrayCopy(ScriptValue v, ZObjectPool& pool);

// To a platform value: Int, Null (for null and for word 0), Array, Data, or the wrapped value. A
// cycle or nesting beyond kMaxValueDepth converts to Null there.
fnd::Value convertToNS(ScriptValue v);
// From a platform value: null -> null; numbers and bools -> their 32-bit intValue in 31 bits;
// arrays -> arrays; data -> byte strings; strings -> byte strings of their UTF-8; anything else ->
// a wrapper. Cycles and nesting beyond kMaxValueDepth convert to null there.
ScriptValue convertFromNS(const fnd::Value& v, ZObjectPool& pool);

// Appends the debug text of v: "int(5)", "null", "array(2){int(1),null}", "data[2]{ab}", "NSO(...)".
// A cycle or nesting beyond kMaxValueDepth prints "..."; the text stops after about kMaxDebugText bytes.
void obj2nsstr(ScriptValue v, std::string& out);

// Decodes UTF-8 bytes (ill-formed sequences become U+FFFD) and appends the UTF-16 code units, the
// characters the text natives count, cut and trim.
void makeUTF8String(std::u16string& out, std::span<const uint8_t> bytes);
// As makeUTF8String after mapping the text to lower case (lower true) or upper case (lower false).
void makeUTF8CaseString(std::u16string& out, std::span<const uint8_t> bytes, bool lower);
// The reverse: appends the UTF-8 encoding of the code units (a lone surrogate becomes U+FFFD).
void makeUTF8Data(fnd::Bytes& out, std::u16string_view units);
// Digits of `value` in base 2^bitsPerDigit ("0123456789abcdef"), most significant first, no leading
// zeros; 0 gives "0". A bitsPerDigit outside 1-4 is taken as 4.
std::string toUnsignedString(uint32_t value, int bitsPerDigit);

} // namespace zelvan

// The pool is part of the value layer's interface; one include gives both.
#include "games/engine/object_pool.h"
