// Fuzz target for text from outside that reaches the formatter and the scalar rules: the input is
// used as an untrusted template (with fewer arguments than it may ask for) and read as numbers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/format.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string owned(text);
    fnd::Value asValue(owned);
    volatile size_t sink = 0;
    sink = sink + fnd::formatUntrusted(text).size();
    sink = sink + fnd::formatUntrusted(text, 7, owned).size();
    sink = sink + fnd::formatUntrusted(text, 1.5, int64_t{-3}, asValue, "x").size();
    sink = sink + static_cast<size_t>(fnd::intValue(text)) + static_cast<size_t>(fnd::longLongValue(text));
    sink = sink + static_cast<size_t>(fnd::doubleValue(text) != 0) + static_cast<size_t>(fnd::floatValue(text) != 0);
    sink = sink + static_cast<size_t>(fnd::boolValue(text));
    // The input as an argument of every conversion of a fixed format.
    sink = sink + fnd::format("%d %lld %f %s %@ %.3s %C %c %x", asValue, asValue, asValue, owned, asValue, owned,
                              asValue, asValue, asValue)
                      .size();
    (void)sink;
    return 0;
}
