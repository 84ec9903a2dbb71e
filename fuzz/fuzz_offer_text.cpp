// Fuzz target: the offer network's text helpers on untrusted offer text. Tag removal leaves no "<" with a
// ">" after it and keeps every character outside the tags; the mail escaping gives only letters, digits and
// well-formed %XX escapes, so the text cannot break out of a mailto: URL; grouping and number reads never
// fail.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "offers/orvane/client/orv_util.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    using zelvan::orvane::ORVUtil;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::string plain = ORVUtil::removeUnRequiredHTMLTags(text);
    const size_t open = plain.find('<');
    if (open != std::string::npos && plain.find('>', open) != std::string::npos) {
        std::abort();
    }
    if (plain.size() > text.size() || (text.find('<') == std::string_view::npos && plain != text)) {
        std::abort();
    }

    const std::string mail = ORVUtil::escapeUnrequiredChracterForEmailBody(text);
    for (size_t i = 0; i < mail.size(); ++i) {
        const auto c = static_cast<unsigned char>(mail[i]);
        if (std::isalnum(c) != 0 && c < 0x80) {
            continue;
        }
        if (c != '%' || i + 2 >= mail.size() || !std::isxdigit(static_cast<unsigned char>(mail[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(mail[i + 2]))) {
            std::abort();
        }
        i += 2;
    }

    int32_t number = 0;
    if (size > 0) {
        std::memcpy(&number, data, std::min(size, sizeof number));
    }
    const std::string grouped = ORVUtil::formatString(number);
    if (grouped.empty() || grouped.size() > 14) {
        std::abort();
    }
    (void)ORVUtil::getStrLongValue(text);
    return 0;
}
