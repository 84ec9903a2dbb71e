// Natives of strings and bytes: numbers to text and back, trimming, searching, cutting, counting and
// changing the case of text on its UTF-16 code units, the tagged value codec, MD5, and the lengths,
// reversals and counts shared by byte strings and arrays.
#include <algorithm>
#include <span>
#include <string>

#include "games/engine/natives/natives.h"
#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "platform/foundation/digest_helpers.h"
#include "platform/foundation/format.h"
#include "protocol/tagged_codec.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

using natives::arg;
using natives::Args;
using natives::intArg;
using natives::newString;

ScriptValue newBytes(STLScriptCore& core, fnd::Bytes bytes) {
    return valueOf(core.pool().newData(std::move(bytes)));
}

// The text of a byte string as UTF-16 code units.
std::u16string unitsOf(const ZData& data) {
    std::u16string units;
    makeUTF8String(units, data.bytes);
    return units;
}

ScriptValue newText(STLScriptCore& core, std::u16string_view units) {
    fnd::Bytes bytes;
    makeUTF8Data(bytes, units);
    return newBytes(core, std::move(bytes));
}

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

ScriptValue byteString(STLScriptCore& core, Args args) {
    return newBytes(core, fnd::Bytes{static_cast<uint8_t>(intArg(args, 0) & 255)});
}

ScriptValue hexString(STLScriptCore& core, Args args) {
    return newString(core, toUnsignedString(static_cast<uint32_t>(intArg(args, 0)), 4));
}

ScriptValue decimalString(STLScriptCore& core, Args args) {
    return newString(core, std::to_string(intArg(args, 0)));
}

// 24: an integer as it is; a string's leading decimal number as a standard input stream reads it
// (white space skipped, optional sign, digits; 0 when there is none; out of range saturates).
ScriptValue parseInt(STLScriptCore& core, Args args) {
    ScriptValue x = arg(args, 0);
    if (isInt(x)) {
        return x;
    }
    ZData* data = dataOf(x);
    if (data == nullptr) {
        return kNoValue;
    }
    std::string_view text = natives::textOf(*data);
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    size_t digitsStart = i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT32_MAX} + 1);
    }
    core.work().spend(i);
    if (i == digitsStart) {
        return fromInt(0);
    }
    value = negative ? -value : value;
    return fromInt(static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)));
}

// 25: an integer's low byte, or a string's first byte; null for an empty string or anything else.
ScriptValue byteValue(STLScriptCore&, Args args) {
    ScriptValue x = arg(args, 0);
    if (isInt(x)) {
        return fromInt(intOf(x) & 255);
    }
    ZData* data = dataOf(x);
    return data == nullptr || data->bytes.empty() ? kNoValue : fromInt(data->bytes.front());
}

// 28: the text without leading and trailing spaces, tabs, carriage returns and line feeds.
ScriptValue trim(STLScriptCore& core, Args args) {
    ZData* data = dataOf(arg(args, 0));
    if (data == nullptr) {
        return kNoValue;
    }
    core.work().spend(data->bytes.size());
    std::u16string units = unitsOf(*data);
    auto blank = [](char16_t unit) { return unit == u' ' || unit == u'\n' || unit == u'\r' || unit == u'\t'; };
    size_t first = 0;
    while (first < units.size() && blank(units[first])) {
        ++first;
    }
    size_t last = units.size();
    while (last > first && blank(units[last - 1])) {
        --last;
    }
    return newText(core, std::u16string_view(units).substr(first, last - first));
}

// The last position p with from <= p < to (and p + needle <= haystack) where the needle matches,
// or -1. Scans backwards with the Knuth-Morris-Pratt table of the reversed needle, so the work is
// linear in both lengths however repetitive they are.
int64_t lastMatch(std::span<const uint8_t> haystack, std::span<const uint8_t> needle, size_t from, size_t to) {
    const size_t m = needle.size();
    if (m > haystack.size()) {
        return -1;
    }
    // The last admissible start, and the first byte past the region any such match may use.
    size_t lastStart = std::min(to - 1, haystack.size() - m);
    if (to == 0 || from > lastStart) {
        return -1;
    }
    if (m == 0) {
        return static_cast<int64_t>(lastStart);
    }
    // r[i] = needle[m - 1 - i]; fail[i] = length of the longest proper border of r[0..i].
    std::vector<size_t> fail(m, 0);
    auto r = [&](size_t i) { return needle[m - 1 - i]; };
    for (size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && r(i) != r(k)) {
            k = fail[k - 1];
        }
        if (r(i) == r(k)) {
            ++k;
        }
        fail[i] = k;
    }
    // Walk the haystack backwards from the end of the last admissible match.
    size_t matched = 0;
    for (size_t pos = lastStart + m; pos > from; --pos) {
        uint8_t byte = haystack[pos - 1];
        while (matched > 0 && byte != r(matched)) {
            matched = fail[matched - 1];
        }
        if (byte == r(matched)) {
            ++matched;
        }
        if (matched == m) {
            return static_cast<int64_t>(pos - 1);
        }
    }
    return -1;
}

// 29 and 30: haystack, needle [, from = 0 [, to = length]]: the last match in the range.
ScriptValue find(STLScriptCore& core, Args args) {
    ZData* haystack = dataOf(arg(args, 0));
    ZData* needle = dataOf(arg(args, 1));
    if (haystack == nullptr || needle == nullptr) {
        return kNoValue;
    }
    const size_t length = haystack->bytes.size();
    size_t from = args.size() > 2 ? natives::clampIndex(intArg(args, 2), length) : 0;
    size_t to = args.size() > 3 ? natives::clampIndex(intArg(args, 3), length) : length;
    core.work().spend(length + needle->bytes.size());
    if (core.work().spent()) {
        return kNoValue;
    }
    return fromInt(static_cast<int32_t>(lastMatch(haystack->bytes, needle->bytes, from, to)));
}

// 34: the value written with the tagged value codec.
ScriptValue dump(STLScriptCore& core, Args args) {
    fnd::Bytes bytes = dumps(convertToNS(arg(args, 0)));
    core.work().spend(bytes.size());
    return newBytes(core, std::move(bytes));
}

// 35: the value read back from a byte string or from the data object native 42 made.
ScriptValue load(STLScriptCore& core, Args args) {
    ScriptValue x = arg(args, 0);
    std::span<const uint8_t> bytes;
    if (ZData* data = dataOf(x)) {
        bytes = data->bytes;
    } else if (ZNSObject* wrapper = nsObjectOf(x); wrapper != nullptr && wrapper->object.asData() != nullptr) {
        bytes = *wrapper->object.asData();
    } else {
        return kNoValue;
    }
    core.work().spend(bytes.size());
    fnd::Result<fnd::Value> value = loads(bytes);
    if (!value) {
        ZTRACE_WARN("game %d: bytes of a script value unreadable: %@", core.engine().gameId(),
                    value.error().localizedDescription());
        return kNoValue;
    }
    return convertFromNS(*value, core.pool());
}

// 36: s, from [, to]: the characters from `from` up to `to` (the end without it). Indexes outside
// the text, or from past to, give null; a cut through a surrogate pair leaves the pair out.
ScriptValue substring(STLScriptCore& core, Args args) {
    ZData* data = dataOf(arg(args, 0));
    if (data == nullptr) {
        return kNoValue;
    }
    core.work().spend(data->bytes.size());
    std::u16string units = unitsOf(*data);
    int64_t from = intArg(args, 1);
    int64_t to = args.size() > 2 ? intArg(args, 2) : static_cast<int64_t>(units.size());
    if (from < 0 || to > static_cast<int64_t>(units.size()) || from > to) {
        return kNoValue;
    }
    auto begin = static_cast<size_t>(from);
    auto end = static_cast<size_t>(to);
    if (begin > 0 && begin < units.size() && isLowSurrogate(units[begin]) && isHighSurrogate(units[begin - 1])) {
        ++begin;
    }
    if (end > begin && end < units.size() && isHighSurrogate(units[end - 1]) && isLowSurrogate(units[end])) {
        --end;
    }
    return newText(core, std::u16string_view(units).substr(begin, std::max(begin, end) - begin));
}

ScriptValue characterCount(STLScriptCore& core, Args args) {
    ZData* data = dataOf(arg(args, 0));
    if (data == nullptr) {
        return kNoValue;
    }
    core.work().spend(data->bytes.size());
    return fromInt(static_cast<int32_t>(unitsOf(*data).size()));
}

ScriptValue changeCase(STLScriptCore& core, Args args, bool lower) {
    ZData* data = dataOf(arg(args, 0));
    if (data == nullptr) {
        return kNoValue;
    }
    core.work().spend(data->bytes.size());
    std::u16string units;
    makeUTF8CaseString(units, data->bytes, lower);
    return newText(core, units);
}

ScriptValue lowerCase(STLScriptCore& core, Args args) {
    return changeCase(core, args, true);
}

ScriptValue upperCase(STLScriptCore& core, Args args) {
    return changeCase(core, args, false);
}

ScriptValue md5Text(STLScriptCore& core, Args args) {
    ZData* data = dataOf(arg(args, 0));
    if (data == nullptr) {
        return kNoValue;
    }
    core.work().spend(data->bytes.size());
    return newBytes(core, md5(natives::textOf(*data)));
}

// 10: an array's element count or a string's byte count.
ScriptValue length(STLScriptCore&, Args args) {
    ScriptValue x = arg(args, 0);
    if (ZArray* array = arrayOf(x)) {
        return fromInt(static_cast<int32_t>(array->elements.size()));
    }
    if (ZData* data = dataOf(x)) {
        return fromInt(static_cast<int32_t>(data->bytes.size()));
    }
    return kNoValue;
}

// 21: a new array or string in reverse order.
ScriptValue reversed(STLScriptCore& core, Args args) {
    ScriptValue x = arg(args, 0);
    if (ZArray* array = arrayOf(x)) {
        core.work().spend(array->elements.size());
        return valueOf(core.pool().newArray({array->elements.rbegin(), array->elements.rend()}));
    }
    if (ZData* data = dataOf(x)) {
        core.work().spend(data->bytes.size());
        return newBytes(core, fnd::Bytes(data->bytes.rbegin(), data->bytes.rend()));
    }
    return kNoValue;
}

// 22: x, value: how many elements of an array compare equal to value, or how many bytes of a string
// equal the first byte of the string value (an empty or missing one gives null).
ScriptValue count(STLScriptCore& core, Args args) {
    ScriptValue x = arg(args, 0);
    ScriptValue value = arg(args, 1);
    if (ZArray* array = arrayOf(x)) {
        int32_t n = 0;
        for (ScriptValue e : array->elements) {
            if (cmp(e, value, core.work()) == 0 && !core.work().spent()) {
                ++n;
            }
        }
        return fromInt(n);
    }
    ZData* data = dataOf(x);
    ZData* needle = dataOf(value);
    if (data == nullptr || needle == nullptr || needle->bytes.empty()) {
        return kNoValue;
    }
    core.work().spend(data->bytes.size());
    return fromInt(static_cast<int32_t>(std::count(data->bytes.begin(), data->bytes.end(), needle->bytes.front())));
}

} // namespace

void registerTextNatives(NativeTable& table) {
    table.registerNative(3, byteString);
    table.registerNative(4, hexString);
    table.registerNative(7, decimalString);
    table.registerNative(24, parseInt);
    table.registerNative(25, byteValue);
    table.registerNative(28, trim);
    // One routine; both report the last match in the range.
    table.registerNative(29, find);
    table.registerNative(30, find);
    table.registerNative(34, dump);
    table.registerNative(35, load);
    table.registerNative(36, substring);
    table.registerNative(37, characterCount);
    table.registerNative(38, lowerCase);
    table.registerNative(39, upperCase);
    table.registerNative(47, md5Text);
    table.registerNative(10, length);
    table.registerNative(21, reversed);
    table.registerNative(22, count);
}

} // namespace zelvan
