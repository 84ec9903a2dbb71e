// JavaScript literals built from native data for page scripts.
#include "web/js_escape.h"

#include "core/zjson.h"
#include "platform/foundation/escape.h"

namespace zelvan {

std::string jsStringLiteral(std::string_view text) {
    std::string out = "\"";
    out += fnd::jsEscape(text);
    out += '"';
    return out;
}

std::optional<std::string> jsValueLiteral(const fnd::Value& value) {
    if (value.isString()) {
        return jsStringLiteral(*value.asString());
    }
    auto json = ZJSON::write(value);
    if (!json) {
        return std::nullopt;
    }
    // JSON text is a JavaScript expression except for what may end a script block or a line inside
    // a string: both line separators and "</" (which only occur inside strings in JSON).
    std::string out;
    out.reserve(json->size() + 8);
    for (size_t i = 0; i < json->size(); ++i) {
        const char c = (*json)[i];
        if (c == '\xE2' && i + 2 < json->size() && (*json)[i + 1] == '\x80' &&
            ((*json)[i + 2] == '\xA8' || (*json)[i + 2] == '\xA9')) {
            out += (*json)[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else if (c == '/' && i > 0 && (*json)[i - 1] == '<') {
            out += "\\/";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace zelvan
