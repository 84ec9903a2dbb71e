// Shared pieces of the avatar item bar tests: a reader of the script calls the bar makes in its page
// (name, then numbers and double-quoted JavaScript string literals), so a test can check that a call
// parses as one call and get back the strings it carries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zelvan::testing {

struct PageCall {
    std::string name;
    std::vector<std::variant<int64_t, std::string>> args;
};

inline void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// One double-quoted literal at the start of `text` (consumed); nullopt when it is not a closed literal
// or holds a raw line break (CR, LF, U+2028, U+2029) that would end the script's line.
inline std::optional<std::string> readLiteral(std::string_view& text) {
    if (text.empty() || text[0] != '"') {
        return std::nullopt;
    }
    std::string out;
    size_t i = 1;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (c == '\n' || c == '\r' || text.substr(i, 3) == "\xE2\x80\xA8" || text.substr(i, 3) == "\xE2\x80\xA9") {
            return std::nullopt;
        }
        if (c != '\\') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) {
            return std::nullopt;
        }
        const char e = text[i + 1];
        i += 2;
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'u': {
            if (i + 4 > text.size()) {
                return std::nullopt;
            }
            appendUtf8(out, static_cast<uint32_t>(std::stoul(std::string(text.substr(i, 4)), nullptr, 16)));
            i += 4;
            break;
        }
        default:
            out += e; // \\ \" \' \/
        }
    }
    return std::nullopt;
}

// `script` as `name(arg, arg, ...)` with integer and string arguments and nothing after it.
inline std::optional<PageCall> readPageCall(std::string_view script) {
    PageCall call;
    const size_t open = script.find('(');
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    call.name = std::string(script.substr(0, open));
    std::string_view rest = script.substr(open + 1);
    while (!rest.empty() && rest[0] != ')') {
        if (rest[0] == '"') {
            auto literal = readLiteral(rest);
            if (!literal) {
                return std::nullopt;
            }
            call.args.emplace_back(*literal);
        } else {
            size_t n = rest[0] == '-' ? 1 : 0;
            while (n < rest.size() && rest[n] >= '0' && rest[n] <= '9') {
                ++n;
            }
            if (n == 0 || (n == 1 && rest[0] == '-')) {
                return std::nullopt;
            }
            call.args.emplace_back(static_cast<int64_t>(std::stoll(std::string(rest.substr(0, n)))));
            rest.remove_prefix(n);
        }
        if (rest.substr(0, 2) == ", ") {
            rest.remove_prefix(2);
        } else if (rest.empty() || rest[0] != ')') {
            return std::nullopt;
        }
    }
    if (rest != ")") {
        return std::nullopt;
    }
    return call;
}

} // namespace zelvan::testing
