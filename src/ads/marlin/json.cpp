// The interstitial client's JSON writer and its shared reader front.
#include "ads/marlin/json.h"

#include <cmath>
#include <mutex>

#include "ads/marlin/json_text_parser.h"
#include "ads/marlin/mn_log.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"

namespace zelvan::marlin {

JSON::JSON() {
    text_.reserve(256);
}

std::string JSON::stringWithObject(const fnd::Value& object) {
    JSON writer;
    writer.addObject(object);
    return writer.string();
}

std::optional<fnd::Value> JSON::objectWithString(std::string_view text) {
    static std::mutex mutex;
    static JsonTextParser parser; // one parser for the client, as its scans keep state
    std::lock_guard lock(mutex);
    auto result = parser.objectWithString(text, true);
    if (!result) {
        MNLog("JSON: could not parse %s: %s", fnd::logPreview(text), result.error().localizedDescription());
        return std::nullopt;
    }
    return std::move(result).value();
}

bool JSON::addObject(const fnd::Value& object) {
    return addObjectAtDepth(object, 0);
}

bool JSON::addObjectAtDepth(const fnd::Value& object, int depth) {
    if (depth > fnd::Value::kMaxDepth) {
        addNull();
        return false;
    }
    switch (object.kind()) {
    case fnd::Value::Kind::Array: {
        bool ok = true;
        text_ += '[';
        bool first = true;
        auto array = object.asArray();
        for (size_t i = 0; i < array->count(); ++i) {
            if (!first) {
                text_ += ',';
            }
            first = false;
            ok = addObjectAtDepth(array->objectAtIndex(i), depth + 1) && ok;
        }
        text_ += ']';
        return ok;
    }
    case fnd::Value::Kind::Dictionary: {
        bool ok = true;
        text_ += '{';
        bool first = true;
        for (const auto& [key, value] : *object.asDictionary()) {
            if (!first) {
                text_ += ',';
            }
            first = false;
            ok = key.isString() && ok; // another key is written as its text and spoils the result
            addString(key.text());
            text_ += ':';
            ok = addObjectAtDepth(value, depth + 1) && ok;
        }
        text_ += '}';
        return ok;
    }
    case fnd::Value::Kind::String:
        return addString(*object.asString());
    case fnd::Value::Kind::Bool:
    case fnd::Value::Kind::Int:
    case fnd::Value::Kind::Double:
    case fnd::Value::Kind::Decimal:
        return addNumber(object);
    case fnd::Value::Kind::Null:
        return addNull();
    default: // data, dates and objects have no JSON form
        addNull();
        return false;
    }
}

bool JSON::addArray(const fnd::Array& array) {
    return addObject(fnd::Value(std::make_shared<fnd::Array>(array)));
}

bool JSON::addDictionary(const fnd::Dictionary& dictionary) {
    return addObject(fnd::Value(std::make_shared<fnd::Dictionary>(dictionary)));
}

bool JSON::addString(std::string_view text) {
    text_ += '"';
    text_ += stringByEscapingCharacters(text);
    text_ += '"';
    return true;
}

bool JSON::addNumber(const fnd::Value& number) {
    if (auto d = number.asDouble(); d && !std::isfinite(*d)) {
        addNull();
        return false;
    }
    if (!number.isNumber() && !number.isBool()) {
        addNull();
        return false;
    }
    text_ += number.stringValue();
    return true;
}

bool JSON::addNull() {
    text_ += "null";
    return true;
}

std::string JSON::stringByEscapingCharacters(std::string_view text) {
    bool plain = true;
    for (char ch : text) {
        if (static_cast<unsigned char>(ch) < 32 || ch == '"' || ch == '\\') {
            plain = false;
            break;
        }
    }
    if (plain) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() + 8);
    for (char ch : text) {
        switch (ch) {
        case '\b':
            out += "\\b";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\r':
            out += "\\r";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (static_cast<unsigned char>(ch) < 32) {
                out += fnd::format("\\u%04x", static_cast<unsigned>(ch));
            } else {
                out += ch;
            }
        }
    }
    return out;
}

std::string JSON::stringByUnescapingCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\\' && i + 1 < text.size()) {
            char e = text[i + 1];
            char plain = 0;
            switch (e) {
            case '"':
            case '\\':
                plain = e;
                break;
            case 'b':
                plain = '\b';
                break;
            case 'f':
                plain = '\f';
                break;
            case 'n':
                plain = '\n';
                break;
            case 'r':
                plain = '\r';
                break;
            case 't':
                plain = '\t';
                break;
            default:
                break;
            }
            if (plain != 0) {
                out += plain;
                ++i;
                continue;
            }
        }
        out += ch;
    }
    return out;
}

} // namespace zelvan::marlin
