// ZJSON over nlohmann/json: parsing goes through its SAX interface straight into fnd::Value, so the
// nesting cap stops the parser as soon as it is passed, and every refusal becomes a parse error with
// the offset of the fault; writing builds an ordered document and dumps it compactly with strict
// UTF-8 checking.
#include "core/zjson.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <iterator>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/parse_error.h"
#include "protocol/tracer.h"

namespace zelvan {

namespace {

using Json = nlohmann::ordered_json;

// An iterator over the text that records how many characters the parser has taken, so that faults
// the builder finds (nesting) can name their offset as the parser's own errors do.
class CountingIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator() = default;
    CountingIterator(const char* at, const char* begin, size_t* taken) : at_(at), begin_(begin), taken_(taken) {}

    reference operator*() const { return *at_; }
    CountingIterator& operator++() {
        ++at_;
        *taken_ = static_cast<size_t>(at_ - begin_);
        return *this;
    }
    CountingIterator operator++(int) {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return at_ == other.at_; }

private:
    const char* at_ = nullptr;
    const char* begin_ = nullptr;
    size_t* taken_ = nullptr;
};

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
            fail(fnd::kParseMalformed, "number out of range: " + text);
            return false;
        }
        return add(fnd::Value(static_cast<double>(val)));
    }
    bool string(string_t& val) override { return add(fnd::Value(std::move(val))); }
    bool binary(binary_t&) override {
        fail(fnd::kParseMalformed, "binary value");
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
    // `position` counts the characters the lexer has taken: through the offending one (or the end),
    // or just past a number too large for a double (error 406), whose text is `lastToken`.
    bool parse_error(std::size_t position, const std::string& lastToken,
                     const nlohmann::detail::exception& ex) override {
        // "[json.exception.parse_error.101] parse error at line 1, column 4: <reason>": the line comes
        // back from the offset, so only the reason is kept.
        std::string_view reason = ex.what();
        if (const size_t id = reason.find("] "); reason.starts_with("[json.exception.") && id != reason.npos) {
            reason.remove_prefix(id + 2);
        }
        if (const size_t column = reason.find(", column "); reason.starts_with("parse error at line ")) {
            if (const size_t colon = reason.find(": ", column); column != reason.npos && colon != reason.npos) {
                reason.remove_prefix(colon + 2);
            }
        }
        fnd::ParseErrorCode code = fnd::kParseMalformed;
        if (reason.find("end of input") != std::string_view::npos) {
            code = fnd::kParseTruncated;
        } else if (reason.find("UTF-8") != std::string_view::npos) {
            code = fnd::kParseBadEncoding;
        }
        size_t at = position > 0 ? position - 1 : 0;
        if (ex.id == 406) {
            at = position - std::min(position, lastToken.size());
        }
        at = std::min(at, text_.size());
        error_ = fnd::parseError(code, at, lineOf(at), reason);
        return false;
    }

    // `text` is the whole input and `taken` the counter its iterators keep.
    ValueBuilder(std::string_view text, const size_t& taken) : text_(text), taken_(taken) {}

    fnd::Value& result() { return result_; }
    // The first fault, once parsing has stopped on one.
    const std::optional<fnd::Error>& error() const { return error_; }
    // For a parser that stopped without an event saying why (an exception).
    void failHere(std::string_view reason) {
        if (!error_) {
            fail(fnd::kParseMalformed, reason);
        }
    }

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
            fail(fnd::kParseTooDeep, fnd::format("nesting deeper than %d", ZJSON::kMaxDepth));
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

    // The 1-based line of an offset.
    size_t lineOf(size_t offset) const {
        const std::string_view before = text_.substr(0, std::min(offset, text_.size()));
        return 1 + static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
    }
    // A fault found by the builder, placed on the last character the lexer has taken: for nesting,
    // the bracket that opens one level too many.
    void fail(fnd::ParseErrorCode code, std::string_view reason) {
        const size_t taken = std::min(taken_, text_.size());
        const size_t at = taken > 0 ? taken - 1 : 0;
        error_ = fnd::parseError(code, at, lineOf(at), reason);
    }

    std::string_view text_;
    const size_t& taken_;
    std::vector<Open> stack_;
    fnd::Value result_;
    std::optional<fnd::Error> error_;
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

namespace {

fnd::Result<fnd::Value> parseUpToTheEnd(std::string_view text) {
    size_t taken = 0;
    ValueBuilder builder(text, taken);
    bool ok = false;
    try {
        ok = Json::sax_parse(CountingIterator(text.data(), text.data(), &taken),
                             CountingIterator(text.data() + text.size(), text.data(), &taken), &builder,
                             nlohmann::detail::input_format_t::json, true, false);
    } catch (const std::exception& ex) {
        builder.failHere(ex.what());
    }
    if (!ok || builder.error()) {
        builder.failHere("the parser stopped without saying why");
        return *builder.error();
    }
    return std::move(builder.result());
}

} // namespace

fnd::Result<fnd::Value> ZJSON::parse(std::string_view text) {
    // The JSON library takes a NUL byte for the end of its input, so "123\0garbage" would parse as 123.
    // A NUL is never part of a JSON text (inside a string it must be escaped): the text before it is
    // parsed alone, and unless that text fails earlier, the NUL is the fault.
    const size_t nul = text.find('\0');
    auto parsed = parseUpToTheEnd(text.substr(0, nul));
    if (nul == std::string_view::npos) {
        return parsed;
    }
    if (!parsed.ok()) {
        if (const auto at = fnd::parseErrorOffset(parsed.error()); at && *at < nul) {
            return parsed;
        }
    }
    const size_t line = 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + nul, '\n'));
    return fnd::parseError(fnd::kParseMalformed, nul, line, "unexpected NUL byte");
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
