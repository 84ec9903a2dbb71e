// Text transcoding between UTF-8 and the engine's CESU-8, and fnd::Value conversion with a depth cap
// and cycle detection.
#include "platform/ui/duktape_values.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/foundation/utf16.h"
#include "platform/ui/duktape_heap.h"

namespace ui::duk {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr double kMaxSafeInteger = 9007199254740992.0; // 2^53

bool isAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Reads one sequence at `i`, advancing it. Surrogate code points (3-byte sequences ED A0..BF xx) are
// returned as they are; overlong forms and broken sequences give U+FFFD and skip one byte.
char32_t nextCodePoint(std::string_view s, size_t& i) {
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(s[at]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + length > s.size()) {
        ++i;
        return kReplacement;
    }
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = byte(i + k);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF) {
        ++i;
        return kReplacement;
    }
    i += length;
    return cp;
}

void appendUnit(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isSurrogate(char32_t cp) {
    return cp >= 0xD800 && cp <= 0xDFFF;
}

// One conversion's progress: the objects on the way down (for cycles) and the values converted.
struct Walk {
    std::vector<void*> path;
    size_t values = 0;
};

// Converting runs in a native call, where the executor cannot stop it: the conversion checks the
// budget itself, and refuses values larger than any a page should hand over.
void count(duk_context* ctx, Walk& walk) {
    ++walk.values;
    if (walk.values > kMaxValues) {
        duk_error(ctx, DUK_ERR_RANGE_ERROR, "value too large to pass to native code");
    }
    if (walk.values % 1024 == 0 && heapOf(ctx).budgetExpired()) {
        duk_error(ctx, DUK_ERR_RANGE_ERROR, "execution timeout");
    }
}

fnd::Value valueAt(duk_context* ctx, duk_idx_t index, int depth, Walk& walk);

fnd::Value objectAt(duk_context* ctx, duk_idx_t index, int depth, Walk& walk) {
    void* identity = duk_get_heapptr(ctx, index);
    for (void* seen : walk.path) {
        if (seen == identity) {
            return {};
        }
    }
    walk.path.push_back(identity);
    fnd::Value result;
    if (duk_is_array(ctx, index)) {
        auto array = std::make_shared<fnd::Array>();
        const duk_size_t length = duk_get_length(ctx, index);
        for (duk_size_t i = 0; i < length; ++i) {
            duk_get_prop_index(ctx, index, static_cast<duk_uarridx_t>(i));
            array->addObject(valueAt(ctx, -1, depth + 1, walk));
            duk_pop(ctx);
        }
        result = fnd::Value(array);
    } else {
        auto dictionary = std::make_shared<fnd::Dictionary>();
        duk_enum(ctx, index, DUK_ENUM_OWN_PROPERTIES_ONLY);
        while (duk_next(ctx, -1, 1) != 0) {
            const std::string key = textAt(ctx, -2);
            dictionary->setObject(valueAt(ctx, -1, depth + 1, walk), fnd::Key(key));
            duk_pop_2(ctx);
        }
        duk_pop(ctx);
        result = fnd::Value(dictionary);
    }
    walk.path.pop_back();
    return result;
}

fnd::Value valueAt(duk_context* ctx, duk_idx_t index, int depth, Walk& walk) {
    index = duk_normalize_index(ctx, index);
    count(ctx, walk);
    switch (duk_get_type(ctx, index)) {
    case DUK_TYPE_BOOLEAN:
        return fnd::Value(duk_get_boolean(ctx, index) != 0);
    case DUK_TYPE_NUMBER: {
        const double number = duk_get_number(ctx, index);
        if (std::isfinite(number) && std::trunc(number) == number && std::fabs(number) <= kMaxSafeInteger) {
            return fnd::Value(static_cast<int64_t>(number));
        }
        return fnd::Value(number);
    }
    case DUK_TYPE_STRING:
        return fnd::Value(textAt(ctx, index));
    case DUK_TYPE_OBJECT:
        if (depth >= kMaxValueDepth || duk_is_function(ctx, index)) {
            return {};
        }
        return objectAt(ctx, index, depth, walk);
    default: // undefined, null, buffers, pointers, lightfuncs
        return {};
    }
}

void pushValue(duk_context* ctx, const fnd::Value& value, int depth) {
    if (depth >= kMaxValueDepth) {
        duk_push_null(ctx);
        return;
    }
    switch (value.kind()) {
    case fnd::Value::Kind::Bool:
        duk_push_boolean(ctx, value.boolValue() ? 1 : 0);
        return;
    case fnd::Value::Kind::Int:
    case fnd::Value::Kind::Double:
    case fnd::Value::Kind::Decimal:
        duk_push_number(ctx, value.doubleValue());
        return;
    case fnd::Value::Kind::String:
        pushText(ctx, *value.asString());
        return;
    case fnd::Value::Kind::Date:
        duk_get_global_string(ctx, "Date");
        duk_push_number(ctx, value.asDate()->since1970() * 1000.0);
        duk_new(ctx, 1);
        return;
    case fnd::Value::Kind::Array: {
        const duk_idx_t array = duk_push_array(ctx);
        duk_uarridx_t i = 0;
        for (const fnd::Value& item : *value.asArray()) {
            pushValue(ctx, item, depth + 1);
            duk_put_prop_index(ctx, array, i++);
        }
        return;
    }
    case fnd::Value::Kind::Dictionary: {
        const duk_idx_t object = duk_push_object(ctx);
        for (const auto& [key, item] : *value.asDictionary()) {
            pushText(ctx, key.text());
            pushValue(ctx, item, depth + 1);
            duk_put_prop(ctx, object);
        }
        return;
    }
    default: // null, data, native objects
        duk_push_null(ctx);
        return;
    }
}

} // namespace

std::string toEngineText(std::string_view utf8) {
    if (isAscii(utf8)) {
        return std::string(utf8);
    }
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 2);
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = nextCodePoint(utf8, i);
        if (isSurrogate(cp)) {
            cp = kReplacement; // not UTF-8
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            appendUnit(out, 0xD800 + (cp >> 10));
            appendUnit(out, 0xDC00 + (cp & 0x3FF));
        } else {
            appendUnit(out, cp);
        }
    }
    return out;
}

std::string fromEngineText(std::string_view engine) {
    if (isAscii(engine)) {
        return std::string(engine);
    }
    std::u16string units;
    units.reserve(engine.size());
    for (size_t i = 0; i < engine.size();) {
        char32_t cp = nextCodePoint(engine, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (cp >> 10));
            units += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            units += static_cast<char16_t>(cp);
        }
    }
    return fnd::fromUtf16(units); // pairs join; a lone surrogate becomes U+FFFD
}

void pushText(duk_context* ctx, std::string_view utf8) {
    if (isAscii(utf8)) {
        duk_push_lstring(ctx, utf8.data(), utf8.size());
        return;
    }
    const std::string engine = toEngineText(utf8);
    duk_push_lstring(ctx, engine.data(), engine.size());
}

std::string textAt(duk_context* ctx, duk_idx_t index) {
    duk_size_t length = 0;
    const char* text = duk_get_lstring(ctx, index, &length);
    if (text == nullptr) {
        return {};
    }
    return fromEngineText(std::string_view(text, length));
}

void pushValue(duk_context* ctx, const fnd::Value& value) {
    pushValue(ctx, value, 0);
}

fnd::Value valueAt(duk_context* ctx, duk_idx_t index) {
    Walk walk;
    return valueAt(ctx, index, 0, walk);
}

} // namespace ui::duk
