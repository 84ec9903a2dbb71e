// JSON: the interstitial client's JSON utility. A writer that grows one string (keys quoted, texts with
// the client's escaping, booleans as 1 and 0, whatever JSON cannot hold as null) and reports whether the
// value was representable; reading goes through one shared JsonTextParser with scalars allowed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/value.h"

namespace zelvan::marlin {

class JSON {
public:
    JSON();

    // The text of a new writer after addObject.
    static std::string stringWithObject(const fnd::Value& object);
    // The parsed value; on failure one log line and none.
    static std::optional<fnd::Value> objectWithString(std::string_view text);

    // Each appends the value's text and returns whether it was representable.
    bool addObject(const fnd::Value& object);
    bool addArray(const fnd::Array& array);
    bool addDictionary(const fnd::Dictionary& dictionary);
    bool addString(std::string_view text);
    bool addNumber(const fnd::Value& number);
    bool addNull();
    const std::string& string() const { return text_; }

    // Backspace, tab, newline, form feed and return as \b \t \n \f \r, '"' and '\' behind a backslash,
    // other characters below 32 as \u00XX; the text unchanged when it holds none of them.
    static std::string stringByEscapingCharacters(std::string_view text);
    // Undoes the backslash forms of '"', '\', b, f, n, r and t; keeps everything else.
    static std::string stringByUnescapingCharacters(std::string_view text);

private:
    bool addObjectAtDepth(const fnd::Value& object, int depth);

    std::string text_;
};

} // namespace zelvan::marlin
