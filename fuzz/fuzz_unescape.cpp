// Fuzz target: percent unescaping of untrusted text never misbehaves, strict and lenient decoding
// agree whenever strict succeeds, and every escaper round-trips and emits only what it promises.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/foundation/encodings.h"
#include "platform/foundation/escape.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

bool isUnreservedOrEscape(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '%';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const auto strict = fnd::unescape(input);
    const std::string lenient = fnd::unescapeLenient(input);
    check(fnd::isValidUtf8(lenient));
    if (strict) {
        check(fnd::isValidUtf8(*strict));
        check(*strict == lenient);
    }

    // Escaping any valid text and unescaping it gives the text back.
    const std::string text = fnd::decodeUtf8Lossy(fnd::Bytes(data, data + size));
    const std::string unreserved = fnd::escapeUnreserved(text);
    for (char c : unreserved) {
        check(isUnreservedOrEscape(c));
    }
    check(fnd::unescape(unreserved) == text);
    check(fnd::unescape(fnd::escapeLegacy(text)) == text);
    const std::string_view extra = input.substr(0, 4);
    const std::string plus = fnd::escapeLegacyPlus(text, extra);
    check(fnd::unescape(plus) == text);
    for (char c : extra) {
        // Hex digits and % also appear inside escapes; any other extra character must be gone.
        const bool inEscapes = std::isxdigit(static_cast<unsigned char>(c)) || c == '%';
        check(inEscapes || plus.find(c) == std::string::npos);
    }

    // Script and markup escapes stay well-formed and cannot close their context.
    const std::string js = fnd::jsEscape(input);
    check(fnd::isValidUtf8(js));
    check(js.find('\n') == std::string::npos && js.find('\r') == std::string::npos);
    check(js.find("</") == std::string::npos);
    check(js.find("\xE2\x80\xA8") == std::string::npos && js.find("\xE2\x80\xA9") == std::string::npos);
    const std::string html = fnd::htmlEscape(input);
    check(fnd::isValidUtf8(html));
    check(html.find_first_of("<>\"'") == std::string::npos);
    return 0;
}
