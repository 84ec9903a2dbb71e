// Case mapping per code point through glibc's C.UTF-8 tables, with an ASCII fast path.
#include "platform/foundation/case_mapping.h"

#include <locale.h>
#include <wctype.h>

#include "platform/foundation/log.h"

namespace fnd::detail {
namespace {

// The private C.UTF-8 locale, created once and kept for the life of the process. Null when the C
// library has no C.UTF-8 locale; only ASCII then changes case.
locale_t utf8Locale() {
    static const locale_t locale = [] {
        locale_t l = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (l == static_cast<locale_t>(nullptr)) {
            ZLOG(Warn, "text: the C.UTF-8 locale is missing; only ASCII letters change case");
        }
        return l;
    }();
    return locale;
}

bool mappable(char32_t c) {
    return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

} // namespace

char32_t lowercaseCodePoint(char32_t c) {
    if (c < 0x80) {
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    }
    locale_t l = utf8Locale();
    if (l == static_cast<locale_t>(nullptr) || !mappable(c)) {
        return c;
    }
    return static_cast<char32_t>(::towlower_l(static_cast<wint_t>(c), l));
}

char32_t uppercaseCodePoint(char32_t c) {
    if (c < 0x80) {
        return (c >= 'a' && c <= 'z') ? c - 32 : c;
    }
    locale_t l = utf8Locale();
    if (l == static_cast<locale_t>(nullptr) || !mappable(c)) {
        return c;
    }
    return static_cast<char32_t>(::towupper_l(static_cast<wint_t>(c), l));
}

char32_t foldCodePoint(char32_t c) {
    return lowercaseCodePoint(uppercaseCodePoint(c));
}

} // namespace fnd::detail
