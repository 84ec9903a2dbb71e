// Moving text and fnd::Value between C++ and the page's JavaScript heap: UTF-8 to the engine's
// CESU-8 strings and back, and values with a depth cap. Private to the Duktape script host.
#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/value.h"
#include "platform/ui/duktape/duktape_engine.h"

namespace ui::duk {

// Nesting deeper than this converts to null in both directions.
constexpr int kMaxValueDepth = 64;
// A value from the page with more parts than this is refused with an error in the script.
constexpr size_t kMaxValues = size_t{1} << 20;

// UTF-8 as the engine keeps strings: characters above U+FFFF as two 3-byte surrogates. Malformed
// input becomes U+FFFD.
std::string toEngineText(std::string_view utf8);
// The engine's text as UTF-8: surrogate pairs join, a lone surrogate or a malformed byte becomes
// U+FFFD. NUL and U+2028 pass through.
std::string fromEngineText(std::string_view engine);

// Pushes UTF-8 text as a string.
void pushText(duk_context* ctx, std::string_view utf8);
// The string at `index` (which must be a string) as UTF-8.
std::string textAt(duk_context* ctx, duk_idx_t index);

// Pushes a value: arrays and dictionaries become arrays and objects, dates Date objects, integers and
// doubles numbers; data and native objects become null. May throw an engine error (call inside a
// protected call).
void pushValue(duk_context* ctx, const fnd::Value& value);
// The value at `index`: undefined, null, functions and cycles become null, integral numbers within
// ±2^53 Int, arrays Array, other objects Dictionary of their own enumerable properties. Throws an
// engine error (call inside a protected call) past kMaxValues parts or the entry's budget.
fnd::Value valueAt(duk_context* ctx, duk_idx_t index);

} // namespace ui::duk
