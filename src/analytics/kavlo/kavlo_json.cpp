// The Kavlo JSON writer: dictionaries, arrays, texts with the minimal escape set, numbers and null.
#include "analytics/kavlo/kavlo_json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <span>
#include <vector>

#include "core/json_text_runs.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/format.h"

namespace zelvan::kavlo {
namespace {

fnd::Error writerError(int64_t code, const std::string& description) {
    return fnd::Error(std::string(kKavloJSONErrorDomain), code, std::string_view(description));
}

fnd::Error unsupported(std::string_view what) {
    return writerError(kKavloJSONErrorUnsupported, fnd::format("JSON serialisation not supported for %s", what));
}

// Whether `text` is a JSON number as it stands (decimal values keep their literal text).
bool isJsonNumber(std::string_view text) {
    size_t i = 0;
    auto digits = [&] {
        const size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
        }
        return i > start;
    };
    if (i < text.size() && text[i] == '-') {
        ++i;
    }
    if (i < text.size() && text[i] == '0') {
        ++i;
    } else if (!digits()) {
        return false;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (!digits()) {
            return false;
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        if (!digits()) {
            return false;
        }
    }
    return i == text.size();
}

} // namespace

KavloJSON::KavloJSON() = default;

fnd::Result<std::string> KavloJSON::stringWithObject(const fnd::Value& value) {
    return stringWithObject(value, false);
}

fnd::Result<std::string> KavloJSON::stringWithFragment(const fnd::Value& value) {
    return stringWithObject(value, true);
}

fnd::Result<std::string> KavloJSON::stringWithObject(const fnd::Value& value, bool allowScalar) {
    std::lock_guard lock(mutex_);
    depth_ = 0;
    nesting_ = 0;
    if (!allowScalar && !value.isDictionary() && !value.isArray()) {
        return writerError(kKavloJSONErrorNotContainer, "Not valid type for JSON");
    }
    std::string json;
    json.reserve(128);
    auto written = appendValue(value, json);
    if (!written.ok()) {
        return std::move(written).error();
    }
    return json;
}

fnd::Result<void> KavloJSON::appendValue(const fnd::Value& value, std::string& into) {
    switch (value.kind()) {
    case fnd::Value::Kind::Dictionary:
        return appendDictionary(*value.asDictionary(), into);
    case fnd::Value::Kind::Array:
        return appendArray(*value.asArray(), into);
    case fnd::Value::Kind::String:
        appendString(*value.asString(), into);
        return {};
    case fnd::Value::Kind::Bool:
        into.append(*value.asBool() ? "true" : "false");
        return {};
    case fnd::Value::Kind::Int: {
        char buffer[24];
        const auto end = std::to_chars(buffer, buffer + sizeof(buffer), *value.asInt()).ptr;
        into.append(buffer, end);
        return {};
    }
    case fnd::Value::Kind::Double: {
        const double d = *value.asDouble();
        if (!std::isfinite(d)) {
            return unsupported("a non-finite number");
        }
        // The shortest text that reads back as the same double.
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof(buffer), d).ptr;
        into.append(buffer, end);
        return {};
    }
    case fnd::Value::Kind::Decimal: {
        const std::string& text = *value.asDecimal();
        if (!isJsonNumber(text)) {
            return unsupported("a decimal that is not a number");
        }
        into.append(text);
        return {};
    }
    case fnd::Value::Kind::Null:
        into.append("null");
        return {};
    case fnd::Value::Kind::Data:
        return unsupported("Data");
    case fnd::Value::Kind::Date:
        return unsupported("Date");
    case fnd::Value::Kind::Object:
        return unsupported("Object");
    }
    return unsupported("an unknown value");
}

fnd::Result<void> KavloJSON::appendDictionary(const fnd::Dictionary& dictionary, std::string& into) {
    if (nesting_ >= maxDepth_) {
        return writerError(kKavloJSONErrorUnsupported, "Nested too deep");
    }
    ++nesting_;
    ++depth_;
    for (const auto& entry : dictionary) {
        if (!entry.first.isString()) {
            --depth_;
            --nesting_;
            return writerError(kKavloJSONErrorUnsupported, "JSON object key must be string");
        }
    }
    // The entries in the dictionary's own order, or sorted by key.
    std::vector<const fnd::Dictionary::Entry*> sorted;
    if (sortKeys_) {
        sorted.reserve(dictionary.count());
        for (const auto& entry : dictionary) {
            sorted.push_back(&entry);
        }
        std::sort(sorted.begin(), sorted.end(),
                  [](const auto* a, const auto* b) { return a->first.stringKey() < b->first.stringKey(); });
    }
    const size_t count = dictionary.count();
    const auto& entries = dictionary.entries();
    into.push_back('{');
    for (size_t i = 0; i < count; ++i) {
        const fnd::Dictionary::Entry& entry = sortKeys_ ? *sorted[i] : entries[i];
        if (i > 0) {
            into.push_back(',');
        }
        if (humanReadable_) {
            into.append(indent());
        }
        appendString(entry.first.stringKey(), into);
        into.append(humanReadable_ ? " : " : ":");
        if (!appendValue(entry.second, into).ok()) {
            --depth_;
            --nesting_;
            return writerError(kKavloJSONErrorUnsupported,
                               fnd::format("Unsupported value for key %s in object", entry.first.stringKey()));
        }
    }
    --depth_;
    --nesting_;
    if (humanReadable_ && count > 0) {
        into.append(indent());
    }
    into.push_back('}');
    return {};
}

fnd::Result<void> KavloJSON::appendArray(const fnd::Array& array, std::string& into) {
    if (nesting_ >= maxDepth_) {
        return writerError(kKavloJSONErrorUnsupported, "Nested too deep");
    }
    ++nesting_;
    into.push_back('[');
    for (size_t i = 0; i < array.count(); ++i) {
        if (i > 0) {
            into.push_back(',');
        }
        if (humanReadable_) {
            into.append(indent());
        }
        auto written = appendValue(array.objectAtIndex(i), into);
        if (!written.ok()) {
            --nesting_;
            return written;
        }
    }
    --nesting_;
    if (humanReadable_ && array.count() > 0) {
        into.append(indent());
    }
    into.push_back(']');
    return {};
}

void KavloJSON::appendString(std::string_view text, std::string& into) const {
    into.push_back('"');
    const size_t start = into.size();
    if (!jsonscan::appendEscapedUtf8<false>(into, text)) {
        // Ill-formed bytes become U+FFFD, so the output is always UTF-8.
        into.resize(start);
        const auto bytes = std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        jsonscan::appendEscaped<false>(into, fnd::decodeUtf8Lossy(bytes));
    }
    into.push_back('"');
}

std::string KavloJSON::indent() const {
    std::string text(1 + 2 * static_cast<size_t>(depth_), ' ');
    text[0] = '\n';
    return text;
}

} // namespace zelvan::kavlo
