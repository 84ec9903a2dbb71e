// Fuzz target: the Kavlo JSON writer over random value trees. Its output reads back with the core's
// parser as the same value, or the tree is refused with error 1 (data, dates, non-finite numbers,
// integer keys).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "analytics/kavlo/kavlo_json.h"
#include "core/zjson.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/encodings.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t byte() { return at < size ? data[at++] : 0; }
    std::string text() {
        const size_t length = std::min<size_t>(byte() % 24, size - std::min(at, size));
        std::string out(reinterpret_cast<const char*>(data + at), length);
        at += length;
        return out;
    }
};

fnd::Value make(Reader& in, int depth) {
    switch (in.byte() % 10) {
    case 0:
        return fnd::Value();
    case 1:
        return fnd::Value(in.byte() % 2 == 0);
    case 2: {
        int64_t i = 0;
        for (int b = 0; b < 8; ++b) {
            i = (i << 8) | in.byte();
        }
        return fnd::Value(i);
    }
    case 3: {
        uint64_t bits = 0;
        for (int b = 0; b < 8; ++b) {
            bits = (bits << 8) | in.byte();
        }
        double d;
        std::memcpy(&d, &bits, sizeof(d));
        return fnd::Value(d);
    }
    case 4:
    case 5:
        return fnd::Value(in.text());
    case 6:
        return fnd::Value(fnd::Bytes{1, 2});
    case 7: {
        auto array = fnd::Value::array();
        const int n = depth < 40 ? in.byte() % 5 : 0;
        for (int i = 0; i < n; ++i) {
            array.asArray()->addObject(make(in, depth + 1));
        }
        return array;
    }
    default: {
        auto dictionary = fnd::Value::dictionary();
        const int n = depth < 40 ? in.byte() % 5 : 0;
        for (int i = 0; i < n; ++i) {
            if (in.byte() % 16 == 0) {
                dictionary.asDictionary()->setObject(make(in, depth + 1), fnd::Key(int64_t{i}));
            } else {
                dictionary.asDictionary()->setObject(make(in, depth + 1), fnd::Key(in.text()));
            }
        }
        return dictionary;
    }
    }
}

std::string lossy(const std::string& s) {
    return fnd::decodeUtf8Lossy(std::span(reinterpret_cast<const uint8_t*>(s.data()), s.size()));
}

// Whether `read` (from the parser) is what the writer was given.
bool same(const fnd::Value& given, const fnd::Value& read) {
    if (given.isInt() || given.isDouble()) {
        if (!read.isNumber()) {
            return false;
        }
        if (given.isInt() && read.isInt()) {
            return *given.asInt() == *read.asInt();
        }
        return given.doubleValue() == read.doubleValue();
    }
    if (given.isString()) {
        return read.isString() && *read.asString() == lossy(*given.asString());
    }
    if (given.isArray()) {
        if (!read.isArray() || read.asArray()->count() != given.asArray()->count()) {
            return false;
        }
        for (size_t i = 0; i < given.asArray()->count(); ++i) {
            if (!same(given.asArray()->objectAtIndex(i), read.asArray()->objectAtIndex(i))) {
                return false;
            }
        }
        return true;
    }
    if (given.isDictionary()) {
        // Keys that differ only in ill-formed bytes become one key in the text (the parser keeps the last
        // value); the values are compared when no keys met that way.
        if (!read.isDictionary()) {
            return false;
        }
        const bool keysMet = read.asDictionary()->count() != given.asDictionary()->count();
        for (const auto& [key, value] : *given.asDictionary()) {
            const fnd::Value* found = read.asDictionary()->find(fnd::Key(lossy(key.stringKey())));
            if (found == nullptr || (!keysMet && !same(value, *found))) {
                return false;
            }
        }
        return true;
    }
    return given == read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    const bool sorted = in.byte() % 2 == 0;
    const bool pretty = in.byte() % 2 == 0;
    const fnd::Value value = make(in, 0);
    zelvan::kavlo::KavloJSON writer;
    writer.setSortKeys(sorted);
    writer.setHumanReadable(pretty);
    auto text = writer.stringWithFragment(value);
    if (!text.ok()) {
        check(text.error().code() == zelvan::kavlo::kKavloJSONErrorUnsupported);
        return 0;
    }
    check(fnd::isValidUtf8(text.value()));
    auto read = zelvan::ZJSON::parse(text.value());
    check(read.ok());
    check(same(value, read.value()));
    return 0;
}
