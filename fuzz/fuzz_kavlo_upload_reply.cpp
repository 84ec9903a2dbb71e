// Fuzz target: the Kavlo messenger's decision on a server reply accepts exactly the UTF-8 texts whose
// leading integer is 1 (after white space, an optional "+" and any zeros), and never crashes.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "analytics/kavlo/kavlo_messenger.h"
#include "platform/foundation/encodings.h"

namespace {

bool leadingIntegerIsOne(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    if (at < text.size() && text[at] == '+') {
        ++at;
    }
    while (at < text.size() && text[at] == '0') {
        ++at;
    }
    if (at >= text.size() || text[at] != '1') {
        return false;
    }
    ++at;
    return at == text.size() || !std::isdigit(static_cast<unsigned char>(text[at]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool accepted = zelvan::kavlo::KavloMessenger::isAccepted(fnd::Bytes(data, data + size));
    if (accepted != (fnd::isValidUtf8(text) && leadingIntegerIsOne(text))) {
        std::abort();
    }
    return 0;
}
