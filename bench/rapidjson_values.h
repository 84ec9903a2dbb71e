// The peer side of the JSON benchmarks: RapidJSON's SAX events built into the same fnd::Value our readers
// give, and an fnd::Value written back through RapidJSON's Writer.
#pragma once

#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/value.h"

namespace bench {

// Numbers come as doubles, or, parsed with kParseNumbersAsStringsFlag, as decimals keeping their literal.
struct RapidJsonValueHandler : rapidjson::BaseReaderHandler<rapidjson::UTF8<>, RapidJsonValueHandler> {
    std::vector<fnd::Value> stack;
    std::vector<std::string> keys;
    fnd::Value root;

    bool add(fnd::Value v) {
        if (stack.empty()) {
            root = std::move(v);
        } else if (auto array = stack.back().asArray()) {
            array->addObject(std::move(v));
        } else {
            stack.back().asDictionary()->setObject(std::move(v), fnd::Key(std::move(keys.back())));
            keys.pop_back();
        }
        return true;
    }
    bool Null() { return add(fnd::Value()); }
    bool Bool(bool b) { return add(fnd::Value(b)); }
    bool Int(int i) { return add(fnd::Value(static_cast<double>(i))); }
    bool Uint(unsigned u) { return add(fnd::Value(static_cast<double>(u))); }
    bool Int64(int64_t i) { return add(fnd::Value(static_cast<double>(i))); }
    bool Uint64(uint64_t u) { return add(fnd::Value(static_cast<double>(u))); }
    bool Double(double d) { return add(fnd::Value(d)); }
    bool RawNumber(const char* s, rapidjson::SizeType n, bool) { return add(fnd::Value::decimal(std::string(s, n))); }
    bool String(const char* s, rapidjson::SizeType n, bool) { return add(fnd::Value(std::string_view(s, n))); }
    bool Key(const char* s, rapidjson::SizeType n, bool) {
        keys.emplace_back(s, n);
        return true;
    }
    bool StartObject() {
        stack.push_back(fnd::Value::dictionary());
        return true;
    }
    bool EndObject(rapidjson::SizeType) { return end(); }
    bool StartArray() {
        stack.push_back(fnd::Value::array());
        return true;
    }
    bool EndArray(rapidjson::SizeType) { return end(); }
    bool end() {
        fnd::Value done = std::move(stack.back());
        stack.pop_back();
        return add(std::move(done));
    }
};

inline void writeRapidJson(rapidjson::Writer<rapidjson::StringBuffer>& w, const fnd::Value& v) {
    switch (v.kind()) {
    case fnd::Value::Kind::Bool:
        w.Bool(*v.asBool());
        break;
    case fnd::Value::Kind::Int:
        w.Int64(*v.asInt());
        break;
    case fnd::Value::Kind::Double:
        w.Double(*v.asDouble());
        break;
    case fnd::Value::Kind::String:
        w.String(v.asString()->data(), static_cast<rapidjson::SizeType>(v.asString()->size()));
        break;
    case fnd::Value::Kind::Array:
        w.StartArray();
        for (const fnd::Value& item : *v.asArray()) {
            writeRapidJson(w, item);
        }
        w.EndArray();
        break;
    case fnd::Value::Kind::Dictionary:
        w.StartObject();
        for (const auto& [key, item] : *v.asDictionary()) {
            const std::string text = key.text();
            w.Key(text.data(), static_cast<rapidjson::SizeType>(text.size()));
            writeRapidJson(w, item);
        }
        w.EndObject();
        break;
    default:
        w.Null();
        break;
    }
}

} // namespace bench
