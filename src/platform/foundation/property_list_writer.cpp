// Writes fnd::Value trees as XML property lists that PropertyList::read gives back. Text is escaped
// by hand (four characters need it) after a check that it is UTF-8 XML can carry; anything a
// property list cannot hold fails the whole document with a log line naming where it sits.
#include <openssl/evp.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/unicode_detail.h"

namespace fnd {
namespace {

// 0000-01-01T00:00:00Z and 9999-12-31T23:59:59Z in Unix seconds: the span of four-digit years.
constexpr double kFirstUnixSecond = -62167219200.0;
constexpr double kLastUnixSecond = 253402300799.0;
constexpr size_t kBase64LineChars = 68;

class Writer {
public:
    bool value(const Value& v, int depth);
    std::string& out() { return out_; }
    const std::string& error() const { return error_; }

private:
    bool fail(std::string why) {
        error_ = std::move(why) + " at " + (path_.empty() ? std::string("the top level") : path_);
        return false;
    }
    void indent(int depth) { out_.append(static_cast<size_t>(depth), '\t'); }
    bool text(std::string_view s);
    bool scalar(const Value& v, int depth);
    bool date(Date d);
    void data(const Bytes& bytes, int depth);
    bool array(const Array& a, int depth);
    bool dictionary(const Dictionary& d, int depth);

    std::string out_;
    std::string path_; // where the value being written sits, for error lines: "/list/3/name"
    std::string error_;
};

// Appends the escaped text; fails on bytes that are not UTF-8 or characters XML cannot carry.
// A carriage return is written as a reference, because a parser turns a literal one into "\n".
bool Writer::text(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t i = 0;
    while (i < s.size()) {
        detail::Utf8Step step = detail::decodeUtf8Step(p + i, s.size() - i);
        if (!step.valid) {
            return fail("text that is not UTF-8 (byte " + std::to_string(i) + ")");
        }
        if (!detail::isXmlChar(step.codePoint)) {
            char name[16];
            std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(step.codePoint));
            return fail(std::string("character ") + name + ", which XML cannot carry,");
        }
        switch (step.codePoint) {
        case '&':
            out_ += "&amp;";
            break;
        case '<':
            out_ += "&lt;";
            break;
        case '>':
            out_ += "&gt;";
            break;
        case '\r':
            out_ += "&#13;";
            break;
        default:
            out_.append(s.substr(i, step.length));
        }
        i += step.length;
    }
    return true;
}

bool Writer::date(Date d) {
    double unix = d.since1970();
    // The reader takes a leap second, so its last date (9999-12-31T23:59:60.999Z) lies one second
    // past the last ordinary one; that second is written the same way.
    if (!std::isfinite(unix) || unix < kFirstUnixSecond || unix >= kLastUnixSecond + 2) {
        return fail("a date outside the years 0-9999");
    }
    double whole = std::floor(unix);
    double fraction = unix - whole; // exact: the floor is within one unit of the value's magnitude
    bool leapSecond = whole > kLastUnixSecond;
    auto seconds = static_cast<time_t>(leapSecond ? kLastUnixSecond : whole);
    std::tm tm{};
    if (::gmtime_r(&seconds, &tm) == nullptr) {
        return fail("a date the C library cannot convert");
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, leapSecond ? 60 : tm.tm_sec);
    out_ += "<date>";
    out_ += buf;
    // Microseconds, without trailing zeros; the reader takes any number of fraction digits.
    auto micros = static_cast<long>(std::llround(fraction * 1e6));
    if (micros >= 1000000) {
        micros = 999999;
    }
    if (micros > 0) {
        std::snprintf(buf, sizeof buf, ".%06ld", micros);
        std::string digits = buf;
        while (digits.back() == '0') {
            digits.pop_back();
        }
        out_ += digits;
    }
    out_ += "Z</date>";
    return true;
}

void Writer::data(const Bytes& bytes, int depth) {
    if (bytes.empty()) {
        out_ += "<data></data>";
        return;
    }
    out_ += "<data>\n";
    // Encode in runs of 51 bytes, each giving one 68-character line.
    constexpr size_t kChunk = kBase64LineChars / 4 * 3;
    unsigned char line[kBase64LineChars + 1];
    for (size_t at = 0; at < bytes.size(); at += kChunk) {
        size_t n = std::min(kChunk, bytes.size() - at);
        int written = EVP_EncodeBlock(line, bytes.data() + at, static_cast<int>(n));
        indent(depth);
        out_.append(reinterpret_cast<const char*>(line), static_cast<size_t>(written));
        out_ += '\n';
    }
    indent(depth);
    out_ += "</data>";
}

bool Writer::scalar(const Value& v, int depth) {
    char buf[64];
    switch (v.kind()) {
    case Value::Kind::Bool:
        out_ += *v.asBool() ? "<true/>" : "<false/>";
        return true;
    case Value::Kind::Int: {
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, *v.asInt());
        out_ += "<integer>" + std::string(buf, end) + "</integer>";
        return true;
    }
    case Value::Kind::Decimal: {
        const std::string& digits = *v.asDecimal();
        int64_t i = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), i);
        if (ec == std::errc() && end == digits.data() + digits.size() && !digits.empty()) {
            out_ += "<integer>" + digits + "</integer>";
            return true;
        }
        return scalar(Value(v.doubleValue()), depth);
    }
    case Value::Kind::Double: {
        // Shortest text that reads back as the same double; "inf", "-inf" and "nan" read back too.
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, *v.asDouble());
        out_ += "<real>" + std::string(buf, end) + "</real>";
        return true;
    }
    case Value::Kind::String:
        out_ += "<string>";
        if (!text(*v.asString())) {
            return false;
        }
        out_ += "</string>";
        return true;
    case Value::Kind::Data:
        data(*v.asData(), depth);
        return true;
    case Value::Kind::Date:
        return date(*v.asDate());
    case Value::Kind::Null:
        return fail("a null value");
    case Value::Kind::Object:
        return fail("an object (" + v.asObject()->className() + ")");
    default:
        return fail("a value of unknown kind");
    }
}

bool Writer::array(const Array& a, int depth) {
    if (a.empty()) {
        out_ += "<array/>";
        return true;
    }
    out_ += "<array>\n";
    size_t pathLength = path_.size();
    for (size_t i = 0; i < a.count(); ++i) {
        path_ += "/" + std::to_string(i);
        indent(depth + 1);
        if (!value(a.objectAtIndex(i), depth + 1)) {
            return false;
        }
        out_ += '\n';
        path_.resize(pathLength);
    }
    indent(depth);
    out_ += "</array>";
    return true;
}

bool Writer::dictionary(const Dictionary& d, int depth) {
    if (d.empty()) {
        out_ += "<dict/>";
        return true;
    }
    out_ += "<dict>\n";
    size_t pathLength = path_.size();
    for (const auto& [key, item] : d) {
        path_ += "/" + key.text().substr(0, 40);
        if (!key.isString()) {
            return fail("an integer dictionary key");
        }
        indent(depth + 1);
        out_ += "<key>";
        if (!text(key.stringKey())) {
            return false;
        }
        out_ += "</key>\n";
        indent(depth + 1);
        if (!value(item, depth + 1)) {
            return false;
        }
        out_ += '\n';
        path_.resize(pathLength);
    }
    indent(depth);
    out_ += "</dict>";
    return true;
}

bool Writer::value(const Value& v, int depth) {
    if (out_.size() > PropertyList::kMaxBytes) {
        return fail("a document over " + std::to_string(PropertyList::kMaxBytes) + " bytes");
    }
    if (v.isArray() || v.isDictionary()) {
        // The reader refuses containers this deep; a container holding itself also ends here.
        if (depth >= PropertyList::kMaxDepth) {
            return fail("nesting deeper than " + std::to_string(PropertyList::kMaxDepth) + " levels");
        }
        return v.isArray() ? array(*v.asArray(), depth) : dictionary(*v.asDictionary(), depth);
    }
    return scalar(v, depth);
}

} // namespace

std::optional<std::string> PropertyList::write(const Value& value) {
    Writer writer;
    std::string& out = writer.out();
    out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
    if (!writer.value(value, 0)) {
        ZLOG(Warn, "PropertyList: cannot write %@", writer.error());
        return std::nullopt;
    }
    out += "\n</plist>\n";
    if (out.size() > kMaxBytes) {
        ZLOG(Warn, "PropertyList: cannot write a document of %zu bytes (limit %zu)", out.size(),
             static_cast<size_t>(kMaxBytes));
        return std::nullopt;
    }
    return std::move(out);
}

} // namespace fnd
