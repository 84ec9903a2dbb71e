// ZJSON over nlohmann/json: parsing goes through its SAX interface straight into fnd::Value, so the
// nesting cap stops the parser as soon as it is passed; writing builds an ordered document and
// dumps it compactly with strict UTF-8 checking.
#include "core/zjson.h"

#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "protocol/tracer.h"

namespace zelvan {

namespace {

using Json = nlohmann::ordered_json;

// Builds the value as the parser reports it. Each open container sits on the stack with the key its
// next value goes under; returning false from any event stops the parser at once.
class ValueBuilder : public nlohmann::json_sax<Json> {
public:
    bool null() override { return add(fnd::Value()); }
    bool boolean(bool val) override { return add(fnd::Value(val)); }
    bool number_integer(number_integer_t val) override { return add(fnd::Value(static_cast<int64_t>(val))); }
    bool number_unsigned(number_unsigned_t val) override {
        if (val <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
            return add(fnd::Value(static_cast<int64_t>(val)));
        }
        return add(fnd::Value(static_cast<double>(val)));
    }
    bool number_float(number_float_t val, const string_t& text) override {
        if (!std::isfinite(val)) {
            error_ = "number out of range: " + text;
            return false;
        }
        return add(fnd::Value(static_cast<double>(val)));
    }
    bool string(string_t& val) override { return add(fnd::Value(std::move(val))); }
    bool binary(binary_t&) override {
        error_ = "binary value";
        return false;
    }
    bool start_object(std::size_t) override { return open(fnd::Value::dictionary()); }
    bool key(string_t& val) override {
        stack_.back().key = std::move(val);
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(fnd::Value::array()); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& ex) override {
        error_ = ex.what();
        return false;
    }

    fnd::Value& result() { return result_; }
    const std::string& error() const { return error_; }

private:
    struct Open {
        fnd::Value container;
        std::string key;
    };

    bool add(fnd::Value value) {
        if (stack_.empty()) {
            result_ = std::move(value);
            return true;
        }
        Open& top = stack_.back();
        if (const auto dict = top.container.asDictionary()) {
            dict->setObject(std::move(value), fnd::Key(std::move(top.key)));
        } else {
            top.container.asArray()->addObject(std::move(value));
        }
        return true;
    }
    bool open(fnd::Value container) {
        if (stack_.size() >= static_cast<size_t>(ZJSON::kMaxDepth)) {
            error_ = fnd::format("nesting deeper than %d", ZJSON::kMaxDepth);
            return false;
        }
        add(container);
        stack_.push_back(Open{std::move(container), {}});
        return true;
    }
    bool close() {
        stack_.pop_back();
        return true;
    }

    std::vector<Open> stack_;
    fnd::Value result_;
    std::string error_;
};

// The document for `value`, or empty with `error` set.
std::optional<Json> toJson(const fnd::Value& value, int depth, std::string& error) {
    using Kind = fnd::Value::Kind;
    switch (value.kind()) {
    case Kind::Null:
        return Json(nullptr);
    case Kind::Bool:
        return Json(*value.asBool());
    case Kind::Int:
        return Json(*value.asInt());
    case Kind::Double: {
        const double d = *value.asDouble();
        if (!std::isfinite(d)) {
            error = "non-finite number";
            return std::nullopt;
        }
        return Json(d);
    }
    case Kind::Decimal: {
        Json number = Json::parse(*value.asDecimal(), nullptr, false);
        if (!number.is_number()) {
            error = "decimal that is not a JSON number: " + *value.asDecimal();
            return std::nullopt;
        }
        return number;
    }
    case Kind::String:
        return Json(*value.asString());
    case Kind::Data:
    case Kind::Date:
    case Kind::Object:
        error = "value of a kind JSON cannot hold: " + value.description();
        return std::nullopt;
    case Kind::Array:
    case Kind::Dictionary:
        break;
    }
    if (depth >= ZJSON::kMaxDepth) {
        error = fnd::format("nesting deeper than %d", ZJSON::kMaxDepth);
        return std::nullopt;
    }
    if (const auto array = value.asArray()) {
        Json out = Json::array();
        for (const auto& item : *array) {
            auto element = toJson(item, depth + 1, error);
            if (!element) {
                return std::nullopt;
            }
            out.push_back(std::move(*element));
        }
        return out;
    }
    Json out = Json::object();
    for (const auto& [key, item] : *value.asDictionary()) {
        auto element = toJson(item, depth + 1, error);
        if (!element) {
            return std::nullopt;
        }
        out[key.text()] = std::move(*element);
    }
    return out;
}

} // namespace

std::optional<fnd::Value> ZJSON::parse(std::string_view text) {
    ValueBuilder builder;
    bool ok = false;
    try {
        ok = Json::sax_parse(text, &builder, nlohmann::detail::input_format_t::json, true, false);
    } catch (const std::exception& ex) {
        ZTRACE_WARN("JSON parse failed: %s", ex.what());
        return std::nullopt;
    }
    if (!ok) {
        ZTRACE_WARN("JSON parse failed: %s", builder.error());
        return std::nullopt;
    }
    return std::move(builder.result());
}

std::optional<std::string> ZJSON::write(const fnd::Value& value) {
    std::string error;
    try {
        auto json = toJson(value, 0, error);
        if (json) {
            return json->dump(-1, ' ', false, Json::error_handler_t::strict);
        }
    } catch (const std::exception& ex) {
        error = ex.what();
    }
    ZTRACE_WARN("JSON write failed: %s", error);
    return std::nullopt;
}

} // namespace zelvan
