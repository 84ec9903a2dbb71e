// Ordered HTTP header fields with case-insensitive lookup, refusing names and values that would
// break the wire format.
#include "platform/foundation/http_headers.h"

#include <algorithm>
#include <cstring>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"

namespace fnd {
namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// RFC 9110 token: visible ASCII except delimiters.
bool isToken(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (char ch : name) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || std::strchr("\"(),/:;<=>?@[\\]{}", ch) != nullptr) {
            return false;
        }
    }
    return true;
}

bool acceptable(std::string_view name, std::string_view value) {
    if (!isToken(name)) {
        ZLOG(Warn, "HttpHeaders: refused field with a malformed name \"%s\"", logPreview(name));
        return false;
    }
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        ZLOG(Warn, "HttpHeaders: refused field %s: its value holds CR, LF or NUL", logPreview(name));
        return false;
    }
    return true;
}

} // namespace

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

HttpHeaders::HttpHeaders(std::initializer_list<Field> fields) {
    for (const Field& f : fields) {
        add(f.name, f.value);
    }
}

std::optional<std::string> HttpHeaders::value(std::string_view name) const {
    for (const Field& f : fields_) {
        if (equalsIgnoringAsciiCase(f.name, name)) {
            return f.value;
        }
    }
    return std::nullopt;
}

std::vector<std::string> HttpHeaders::values(std::string_view name) const {
    std::vector<std::string> out;
    for (const Field& f : fields_) {
        if (equalsIgnoringAsciiCase(f.name, name)) {
            out.push_back(f.value);
        }
    }
    return out;
}

bool HttpHeaders::set(std::string_view name, std::string_view value) {
    if (!acceptable(name, value)) {
        return false;
    }
    auto first = std::find_if(fields_.begin(), fields_.end(),
                              [&](const Field& f) { return equalsIgnoringAsciiCase(f.name, name); });
    if (first == fields_.end()) {
        fields_.push_back(Field{std::string(name), std::string(value)});
        return true;
    }
    first->value = std::string(value);
    fields_.erase(
        std::remove_if(first + 1, fields_.end(), [&](const Field& f) { return equalsIgnoringAsciiCase(f.name, name); }),
        fields_.end());
    return true;
}

bool HttpHeaders::add(std::string_view name, std::string_view value) {
    if (!acceptable(name, value)) {
        return false;
    }
    fields_.push_back(Field{std::string(name), std::string(value)});
    return true;
}

void HttpHeaders::remove(std::string_view name) {
    fields_.erase(std::remove_if(fields_.begin(), fields_.end(),
                                 [&](const Field& f) { return equalsIgnoringAsciiCase(f.name, name); }),
                  fields_.end());
}

} // namespace fnd
