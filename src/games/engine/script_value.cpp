// The value operations of the script engine: truth, ordering, shallow and deep copies, conversion to
// and from platform values, debug text and the one-byte-per-character text helpers. Every recursive
// walk is bounded in depth, detects cycles on its path and caps the total work, since scripts and
// the values they build come from outside.
#include "games/engine/script_value.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "platform/foundation/encodings.h"
#include "platform/foundation/format.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/utf16.h"

namespace zelvan {

ZNull* ZNull::instance() {
    // Never destroyed: engines on other threads may still hold its word during process exit.
    static ZNull* const null = new ZNull();
    return null;
}

ptrdiff_t ZData::indexOf(const ZData& other) const {
    if (other.bytes.empty()) {
        return 0;
    }
    // glibc's memmem runs the two-way algorithm: linear however repetitive the two strings are.
    const void* found = memmem(bytes.data(), bytes.size(), other.bytes.data(), other.bytes.size());
    return found == nullptr ? -1 : static_cast<const uint8_t*>(found) - bytes.data();
}

std::string ZData::newString() const {
    return fnd::decodeUtf8Lossy(bytes);
}

bool checkTrue(ScriptValue v) {
    if (isInt(v)) {
        return intOf(v) != 0;
    }
    ZObject* object = objectOf(v);
    if (object == nullptr) {
        return false;
    }
    switch (object->type) {
    case ZObject::kNull:
        return false;
    case ZObject::kArray:
        return !static_cast<ZArray*>(object)->elements.empty();
    case ZObject::kData:
        return !static_cast<ZData*>(object)->bytes.empty();
    case ZObject::kNSObject:
        return !static_cast<ZNSObject*>(object)->object.isNull();
    default:
        return true;
    }
}

namespace {

// The sign of the full-width difference of two raw words: an arbitrary but stable order between
// objects, or between an integer and an object, that cannot overflow.
int wordOrder(ScriptValue a, ScriptValue b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

template <class T>
int signOf(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

class Comparer {
public:
    explicit Comparer(WorkBudget* work = nullptr) : work_(work) {}

    int compare(ScriptValue a, ScriptValue b, int depth) {
        // Every pair visited costs one unit, equal ones too; once the run's work allowance is spent
        // everything compares equal.
        if (work_ != nullptr) {
            if (work_->spent()) {
                return 0;
            }
            work_->spend(1);
        }
        if (a == b) {
            return 0;
        }
        // Bounded work: nesting past the depth limit, or a comparison that has walked more elements
        // than any value may hold (shared sub-arrays can make the walk exponential), compares equal.
        if (depth > kMaxValueDepth || steps_ > kMaxElements) {
            return 0;
        }
        ++steps_;
        if (isInt(a) && isInt(b)) {
            return signOf<int64_t>(intOf(a), intOf(b));
        }
        ZObject* oa = objectOf(a);
        ZObject* ob = objectOf(b);
        if (oa == nullptr || ob == nullptr) {
            // At least one integer (or the invalid word 0).
            if (ob != nullptr && ob->type == ZObject::kNull) {
                return 1;
            }
            if (oa != nullptr && oa->type == ZObject::kNull) {
                return -1;
            }
            return wordOrder(a, b);
        }
        if (oa->type == ZObject::kNull) {
            return -1;
        }
        if (oa->type == ZObject::kArray && ob->type == ZObject::kArray) {
            const auto& ea = static_cast<ZArray*>(oa)->elements;
            const auto& eb = static_cast<ZArray*>(ob)->elements;
            size_t n = std::min(ea.size(), eb.size());
            for (size_t i = 0; i < n; ++i) {
                if (int r = compare(ea[i], eb[i], depth + 1); r != 0) {
                    return r;
                }
            }
            return signOf(ea.size(), eb.size());
        }
        if (oa->type == ZObject::kData && ob->type == ZObject::kData) {
            const auto& ba = static_cast<ZData*>(oa)->bytes;
            const auto& bb = static_cast<ZData*>(ob)->bytes;
            size_t n = std::min(ba.size(), bb.size());
            if (work_ != nullptr) {
                work_->spend(n);
            }
            auto diff = std::mismatch(ba.begin(), ba.begin() + static_cast<ptrdiff_t>(n), bb.begin());
            if (diff.first != ba.begin() + static_cast<ptrdiff_t>(n)) {
                return *diff.first < *diff.second ? -1 : 1;
            }
            return signOf(ba.size(), bb.size());
        }
        if (ob->type == ZObject::kNull) {
            return 1;
        }
        return wordOrder(a, b);
    }

private:
    WorkBudget* work_;
    size_t steps_ = 0;
};

// Walks mark the arrays on their current path with this bit of `marked` (restored on the way back),
// so a cycle is detected in constant time without touching the collection's mark bit.
constexpr uint8_t kOnPath = 2;

bool onPath(const ZArray* array) {
    return (array->marked & kOnPath) != 0;
}

class PathEntry {
public:
    explicit PathEntry(ZArray* array) : array_(array) {
        array_->marked = static_cast<uint8_t>(array_->marked | kOnPath);
    }
    ~PathEntry() { array_->marked = static_cast<uint8_t>(array_->marked & ~kOnPath); }
    PathEntry(const PathEntry&) = delete;
    PathEntry& operator=(const PathEntry&) = delete;

private:
    ZArray* array_;
};

// Whether a walk of v through its arrays (stopping at cycles and at the depth limit, as the copy and
// the conversion do) stays within kMaxElements arrays and elements. Counting first means an
// oversized value is refused before anything is allocated.
class WorkCounter {
public:
    bool fits(ScriptValue v) {
        count(v, 0);
        return !over_;
    }

private:
    void count(ScriptValue v, int depth) {
        ZArray* array = arrayOf(v);
        if (array == nullptr || depth >= kMaxValueDepth || onPath(array)) {
            return;
        }
        total_ += 1 + array->elements.size();
        if (total_ > kMaxElements) {
            over_ = true;
            return;
        }
        PathEntry entry(array);
        for (ScriptValue element : array->elements) {
            count(element, depth + 1);
            if (over_) {
                return;
            }
        }
    }

    size_t total_ = 0;
    bool over_ = false;
};

ScriptValue deepCopyOf(ScriptValue v, ZObjectPool& pool, int depth) {
    ZArray* source = arrayOf(v);
    if (source == nullptr) {
        return v;
    }
    if (depth >= kMaxValueDepth || onPath(source)) {
        return nullValue();
    }
    PathEntry entry(source);
    std::vector<ScriptValue> elements;
    elements.reserve(source->elements.size());
    for (ScriptValue element : source->elements) {
        elements.push_back(deepCopyOf(element, pool, depth + 1));
    }
    return valueOf(pool.newArray(std::move(elements)));
}

// Conversion to platform values. Each byte string converts to one shared buffer however often the
// value refers to it: an array may name the same large string millions of times, and copying it for
// every reference would take far more memory than the pool ever held.
class ToPlatform {
public:
    fnd::Value convert(ScriptValue v, int depth) {
        if (isInt(v)) {
            return fnd::Value(intOf(v));
        }
        ZObject* object = objectOf(v);
        if (object == nullptr) {
            return fnd::Value();
        }
        switch (object->type) {
        case ZObject::kArray: {
            auto* array = static_cast<ZArray*>(object);
            if (depth >= kMaxValueDepth || onPath(array)) {
                return fnd::Value();
            }
            PathEntry entry(array);
            auto out = std::make_shared<fnd::Array>();
            for (ScriptValue element : array->elements) {
                out->addObject(convert(element, depth + 1));
            }
            return fnd::Value(std::move(out));
        }
        case ZObject::kData: {
            auto* data = static_cast<ZData*>(object);
            std::shared_ptr<const fnd::Bytes>& shared = buffers_[data];
            if (shared == nullptr) {
                shared = std::make_shared<const fnd::Bytes>(data->bytes.begin(), data->bytes.end());
            }
            return fnd::Value(shared);
        }
        case ZObject::kNSObject:
            return static_cast<ZNSObject*>(object)->object;
        default:
            return fnd::Value();
        }
    }

private:
    std::unordered_map<const ZData*, std::shared_ptr<const fnd::Bytes>> buffers_;
};

class FromPlatform {
public:
    explicit FromPlatform(ZObjectPool& pool) : pool_(pool) {}

    ScriptValue convert(const fnd::Value& v, int depth) {
        if (overflow_) {
            return nullValue();
        }
        switch (v.kind()) {
        case fnd::Value::Kind::Null:
            return nullValue();
        case fnd::Value::Kind::Bool:
        case fnd::Value::Kind::Int:
        case fnd::Value::Kind::Double:
        case fnd::Value::Kind::Decimal:
            return fromInt(v.intValue());
        case fnd::Value::Kind::Array: {
            std::shared_ptr<fnd::Array> array = v.asArray();
            if (depth >= kMaxValueDepth || path_.contains(array.get())) {
                return nullValue();
            }
            produced_ += 1 + array->count();
            if (produced_ > kMaxElements) {
                overflow_ = true;
                return nullValue();
            }
            path_.insert(array.get());
            std::vector<ScriptValue> elements;
            elements.reserve(array->count());
            for (const fnd::Value& element : *array) {
                elements.push_back(convert(element, depth + 1));
            }
            path_.erase(array.get());
            return valueOf(pool_.newArray(std::move(elements)));
        }
        case fnd::Value::Kind::Data:
            return valueOf(pool_.newData(*v.asData()));
        case fnd::Value::Kind::String: {
            const std::string& text = *v.asString();
            return valueOf(pool_.newData(fnd::Bytes(text.begin(), text.end())));
        }
        default:
            return valueOf(pool_.newNSObject(v));
        }
    }

    bool overflowed() const { return overflow_; }

private:
    ZObjectPool& pool_;
    std::unordered_set<const fnd::Array*> path_;
    size_t produced_ = 0;
    bool overflow_ = false;
};

class DebugText {
public:
    explicit DebugText(std::string& out) : out_(out), limit_(out.size() + kMaxDebugText) {}

    void append(ScriptValue v, int depth) {
        if (full_) {
            return;
        }
        if (out_.size() >= limit_) {
            // Past the limit the text ends with one "..." and nothing more.
            out_ += "...";
            full_ = true;
            return;
        }
        if (isInt(v)) {
            out_ += fnd::format("int(%d)", intOf(v));
            return;
        }
        ZObject* object = objectOf(v);
        if (object == nullptr) {
            return;
        }
        switch (object->type) {
        case ZObject::kNull:
            out_ += "null";
            break;
        case ZObject::kArray: {
            auto* array = static_cast<ZArray*>(object);
            if (depth >= kMaxValueDepth || onPath(array)) {
                out_ += "...";
                return;
            }
            PathEntry entry(array);
            out_ += fnd::format("array(%d){", static_cast<int64_t>(array->elements.size()));
            for (size_t i = 0; i < array->elements.size() && !full_; ++i) {
                if (i > 0) {
                    out_ += ',';
                }
                append(array->elements[i], depth + 1);
            }
            if (!full_) {
                out_ += '}';
            }
            break;
        }
        case ZObject::kData: {
            const ZBytes& bytes = static_cast<ZData*>(object)->bytes;
            out_ += fnd::format("data[%d]{", static_cast<int64_t>(bytes.size()));
            size_t room = limit_ > out_.size() ? limit_ - out_.size() : 0;
            out_ += fnd::decodeUtf8Lossy(std::span(bytes.data(), std::min(bytes.size(), room)));
            if (bytes.size() > room) {
                out_ += "...";
                full_ = true;
                return;
            }
            out_ += '}';
            break;
        }
        case ZObject::kNSObject:
            out_ += "NSO(";
            out_ += static_cast<ZNSObject*>(object)->object.description();
            out_ += ')';
            break;
        default:
            break;
        }
    }

private:
    std::string& out_;
    size_t limit_;
    bool full_ = false;
};

} // namespace

int cmp(ScriptValue a, ScriptValue b) {
    Comparer comparer;
    return comparer.compare(a, b, 0);
}

int cmp(ScriptValue a, ScriptValue b, WorkBudget& work) {
    Comparer comparer(&work);
    return comparer.compare(a, b, 0);
}

int cmpGreater(ScriptValue a, ScriptValue b) {
    return cmp(a, b) >= 0 ? 1 : 0;
}

int cmpLesser(ScriptValue a, ScriptValue b) {
    return cmp(a, b) < 0 ? 1 : 0;
}

ScriptValue copy(ScriptValue v, ZObjectPool& pool) {
    if (isInt(v)) {
        return v;
    }
    ZObject* object = objectOf(v);
    if (object == nullptr) {
        return nullValue();
    }
    switch (object->type) {
    case ZObject::kArray:
        return valueOf(pool.newArray(static_cast<ZArray*>(object)->elements));
    case ZObject::kData:
        return valueOf(pool.newData(static_cast<ZData*>(object)->bytes));
    case ZObject::kNSObject:
        return valueOf(pool.newNSObject(static_cast<ZNSObject*>(object)->object));
    default:
        return nullValue();
    }
}

ScriptValue deepArrayCopy(ScriptValue v, ZObjectPool& pool) {
    if (!WorkCounter().fits(v)) {
        return nullValue();
    }
    return deepCopyOf(v, pool, 0);
}

fnd::Value convertToNS(ScriptValue v) {
    if (!WorkCounter().fits(v)) {
        return fnd::Value();
    }
    return ToPlatform().convert(v, 0);
}

ScriptValue convertFromNS(const fnd::Value& v, ZObjectPool& pool) {
    FromPlatform converter(pool);
    ScriptValue result = converter.convert(v, 0);
    return converter.overflowed() ? nullValue() : result;
}

void obj2nsstr(ScriptValue v, std::string& out) {
    DebugText text(out);
    text.append(v, 0);
}

void makeUTF8String(std::u16string& out, std::span<const uint8_t> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    out += fnd::toUtf16(text);
}

void makeUTF8CaseString(std::u16string& out, std::span<const uint8_t> bytes, bool lower) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    out += fnd::toUtf16(lower ? fnd::lowercase(text) : fnd::uppercase(text));
}

void makeUTF8Data(fnd::Bytes& out, std::u16string_view units) {
    std::string text = fnd::fromUtf16(units);
    out.insert(out.end(), text.begin(), text.end());
}

std::string toUnsignedString(uint32_t value, int bitsPerDigit) {
    static constexpr char kDigits[] = "0123456789abcdef";
    if (bitsPerDigit < 1 || bitsPerDigit > 4) {
        bitsPerDigit = 4;
    }
    const uint32_t mask = (1u << bitsPerDigit) - 1;
    std::string digits;
    do {
        digits.push_back(kDigits[value & mask]);
        value >>= bitsPerDigit;
    } while (value != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

} // namespace zelvan
