// Fuzz target: arbitrary text as a zelvan:// action URL from a page. A URL that parses has a
// non-empty lower-case action, and whatever its variable and relative URL hold, the script literals
// made from them never let a quote, a line break or "</" escape the literal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "web/js_escape.h"
#include "web/zelvan_action.h"

namespace {

// A literal is safe when it holds no raw line break, no "</" and no unescaped double quote inside.
void checkLiteral(const std::string& literal) {
    if (literal.find('\n') != std::string::npos || literal.find('\r') != std::string::npos ||
        literal.find("</") != std::string::npos || literal.find("\xE2\x80\xA8") != std::string::npos ||
        literal.find("\xE2\x80\xA9") != std::string::npos) {
        std::abort();
    }
}

void checkStringLiteral(const std::string& literal) {
    checkLiteral(literal);
    if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"') {
        std::abort();
    }
    bool escaped = false;
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
        if (escaped) {
            escaped = false;
        } else if (literal[i] == '\\') {
            escaped = true;
        } else if (literal[i] == '"') {
            std::abort();
        }
    }
    if (escaped) {
        std::abort(); // the closing quote would be escaped
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        fnd::setLogToStderr(false);
        return true;
    }();
    (void)ready;

    const std::string text(reinterpret_cast<const char*>(data), size);
    checkStringLiteral(zelvan::jsStringLiteral(text));
    auto action = zelvan::parseZelvanUrl(text);
    if (!action) {
        if (!(fnd::parseErrorOffset(action.error()) <= text.size())) {
            std::abort(); // a refusal names a place inside the URL
        }
        return 0;
    }
    if (action->action.empty()) {
        std::abort();
    }
    for (char c : action->action) {
        if (c >= 'A' && c <= 'Z') {
            std::abort();
        }
    }
    checkStringLiteral(zelvan::jsStringLiteral(action->relativeUrl));
    if (auto literal = zelvan::jsValueLiteral(action->jsonVar)) {
        checkLiteral(*literal);
    }
    return 0;
}
