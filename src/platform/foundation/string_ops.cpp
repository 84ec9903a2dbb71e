// Everyday text operations over UTF-8, with per-code-point case mapping from case_mapping.h.
#include "platform/foundation/string_ops.h"

#include <algorithm>
#include <array>

#include "platform/foundation/case_mapping.h"
#include "platform/foundation/unicode_detail.h"

namespace fnd {
namespace {

bool isSpaceSeparator(char32_t c) {
    return c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

bool isNewline(char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// Applies a per-code-point mapping, writing well-formed UTF-8.
template <typename Map>
std::string mapCodePoints(std::string_view s, Map map) {
    std::string out;
    out.reserve(s.size());
    detail::Utf8Cursor cursor(s);
    while (!cursor.done()) {
        const detail::Utf8Step step = cursor.next();
        detail::appendUtf8(out, map(step.codePoint));
    }
    return out;
}

// Folded UTF-16 units of s, for ordering as the platform orders text.
std::u16string foldedUnits(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    detail::Utf8Cursor cursor(s);
    while (!cursor.done()) {
        detail::appendUtf16(out, detail::foldCodePoint(cursor.next().codePoint));
    }
    return out;
}

} // namespace

struct CharSet::Custom {
    std::array<uint64_t, 2> ascii{}; // bit c set when ASCII code point c is a member
    std::vector<char32_t> others;    // sorted, unique
};

bool hasPrefix(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool hasSuffix(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool contains(std::string_view s, std::string_view x, Options options) {
    if (x.empty()) {
        return false;
    }
    if (hasOption(options, Options::CaseInsensitive)) {
        return rangeOfString(s, x, Options::CaseInsensitive).found();
    }
    return s.find(x) != std::string_view::npos;
}

std::vector<std::string> componentsSeparatedByString(std::string_view s, std::string_view separator) {
    std::vector<std::string> parts;
    if (separator.empty()) {
        parts.emplace_back(s);
        return parts;
    }
    size_t from = 0;
    while (true) {
        size_t at = s.find(separator, from);
        if (at == std::string_view::npos) {
            parts.emplace_back(s.substr(from));
            return parts;
        }
        parts.emplace_back(s.substr(from, at - from));
        from = at + separator.size();
    }
}

std::string componentsJoinedByString(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            out.append(separator);
        }
        out.append(parts[i]);
    }
    return out;
}

std::string replaceOccurrences(std::string_view s, std::string_view target, std::string_view replacement) {
    if (target.empty()) {
        return std::string(s);
    }
    std::string out;
    out.reserve(s.size());
    size_t from = 0;
    for (size_t at = s.find(target); at != std::string_view::npos; at = s.find(target, from)) {
        out.append(s.substr(from, at - from));
        out.append(replacement);
        from = at + target.size();
    }
    out.append(s.substr(from));
    return out;
}

CharSet CharSet::custom(std::string_view characters) {
    auto data = std::make_shared<Custom>();
    detail::Utf8Cursor cursor(characters);
    while (!cursor.done()) {
        const char32_t c = cursor.next().codePoint;
        if (c < 0x80) {
            data->ascii[c >> 6] |= uint64_t{1} << (c & 63);
        } else {
            data->others.push_back(c);
        }
    }
    std::sort(data->others.begin(), data->others.end());
    data->others.erase(std::unique(data->others.begin(), data->others.end()), data->others.end());
    CharSet set(Kind::Custom);
    set.custom_ = std::move(data);
    return set;
}

bool CharSet::contains(char32_t c) const {
    switch (kind_) {
    case Kind::Whitespace:
        return c == 0x09 || isSpaceSeparator(c);
    case Kind::WhitespaceAndNewline:
        return c == 0x09 || isSpaceSeparator(c) || isNewline(c);
    case Kind::Custom:
        if (c < 0x80) {
            return (custom_->ascii[c >> 6] >> (c & 63)) & 1;
        }
        return std::binary_search(custom_->others.begin(), custom_->others.end(), c);
    }
    return false;
}

std::string trim(std::string_view s, const CharSet& set) {
    size_t begin = s.size();
    size_t end = 0;
    detail::Utf8Cursor cursor(s);
    while (!cursor.done()) {
        const size_t at = cursor.position();
        if (!set.contains(cursor.next().codePoint)) {
            begin = std::min(begin, at);
            end = cursor.position();
        }
    }
    return begin < end ? std::string(s.substr(begin, end - begin)) : std::string();
}

std::string removeCharacters(std::string_view s, const CharSet& set) {
    std::string out;
    out.reserve(s.size());
    detail::Utf8Cursor cursor(s);
    while (!cursor.done()) {
        const char32_t c = cursor.next().codePoint;
        if (!set.contains(c)) {
            detail::appendUtf8(out, c);
        }
    }
    return out;
}

std::string lowercase(std::string_view s) {
    return mapCodePoints(s, detail::lowercaseCodePoint);
}

std::string uppercase(std::string_view s) {
    return mapCodePoints(s, detail::uppercaseCodePoint);
}

int caseInsensitiveCompare(std::string_view a, std::string_view b) {
    const int order = foldedUnits(a).compare(foldedUnits(b));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::u16string caseInsensitiveKey(std::string_view s) {
    return foldedUnits(s);
}

uint32_t stableHash32(std::string_view s) {
    uint32_t hash = 2166136261u;
    auto feed = [&hash](uint8_t byte) {
        hash ^= byte;
        hash *= 16777619u;
    };
    for (char16_t unit : toUtf16(s)) {
        feed(static_cast<uint8_t>(unit & 0xFF));
        feed(static_cast<uint8_t>(unit >> 8));
    }
    return hash;
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

} // namespace fnd
