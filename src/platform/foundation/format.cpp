// The formatter. Format texts are parsed here; numbers are rendered with snprintf using a conversion
// directive rebuilt from validated pieces (never the caller's text), text conversions are rendered here.
#include "platform/foundation/format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <mutex>
#include <unordered_set>

#include "platform/foundation/log.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/unicode_detail.h"

namespace fnd {
namespace {

enum class Length { None, Char, Short, Long, LongLong, LongDouble, Size };

struct Directive {
    bool left = false, plus = false, space = false, zero = false, alt = false;
    int width = -1;
    int precision = -1;
    Length length = Length::None;
    char conversion = 0;
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a run of digits, capping the result at kMaxFormatWidth.
int readNumber(std::string_view s, size_t& i) {
    int n = 0;
    while (i < s.size() && isDigit(s[i])) {
        n = std::min(n * 10 + (s[i] - '0'), kMaxFormatWidth);
        ++i;
    }
    return n;
}

// "n$" at `i` (n >= 1): consumes it and returns n - 1; otherwise leaves `i` and returns -1.
int readPosition(std::string_view s, size_t& i) {
    size_t j = i;
    int n = readNumber(s, j);
    if (j > i && j < s.size() && s[j] == '$' && n >= 1) {
        i = j + 1;
        return n - 1;
    }
    return -1;
}

bool is64(Length l) {
    return l == Length::Long || l == Length::LongLong || l == Length::Size;
}

uintptr_t addressOf(const FormatArg& a) {
    switch (a.kind()) {
    case FormatArg::Kind::Pointer:
        return reinterpret_cast<uintptr_t>(a.pointer());
    case FormatArg::Kind::Object:
        return reinterpret_cast<uintptr_t>(a.object());
    case FormatArg::Kind::CString:
        return reinterpret_cast<uintptr_t>(a.cString());
    case FormatArg::Kind::Signed:
    case FormatArg::Kind::Unsigned:
        return static_cast<uintptr_t>(a.unsignedValue());
    case FormatArg::Kind::Value: {
        const Value& v = a.value();
        if (auto array = v.asArray()) {
            return reinterpret_cast<uintptr_t>(array.get());
        }
        if (auto dict = v.asDictionary()) {
            return reinterpret_cast<uintptr_t>(dict.get());
        }
        if (auto object = v.asObject()) {
            return reinterpret_cast<uintptr_t>(object.get());
        }
        return reinterpret_cast<uintptr_t>(v.asData());
    }
    default:
        return 0;
    }
}

// The integer an argument stands for; texts read by the scalar rules (32 or 64 bits).
int64_t integerOf(const FormatArg& a, bool wide) {
    switch (a.kind()) {
    case FormatArg::Kind::Signed:
        return a.signedValue();
    case FormatArg::Kind::Unsigned:
        return static_cast<int64_t>(a.unsignedValue());
    case FormatArg::Kind::Double:
        return saturatingInt64(a.doubleValue());
    case FormatArg::Kind::Text:
        return wide ? longLongValue(a.text()) : intValue(a.text());
    case FormatArg::Kind::CString:
        return a.cString() == nullptr ? 0 : (wide ? longLongValue(a.cString()) : intValue(a.cString()));
    case FormatArg::Kind::Value:
        return wide ? a.value().longLongValue() : a.value().intValue();
    case FormatArg::Kind::Pointer:
        return static_cast<int64_t>(addressOf(a));
    default:
        return 0;
    }
}

double doubleOf(const FormatArg& a) {
    switch (a.kind()) {
    case FormatArg::Kind::Double:
        return a.doubleValue();
    case FormatArg::Kind::Signed:
        return static_cast<double>(a.signedValue());
    case FormatArg::Kind::Unsigned:
        return static_cast<double>(a.unsignedValue());
    case FormatArg::Kind::Text:
        return fnd::doubleValue(a.text());
    case FormatArg::Kind::CString:
        return a.cString() == nullptr ? 0.0 : fnd::doubleValue(a.cString());
    case FormatArg::Kind::Value:
        return a.value().doubleValue();
    default:
        return 0.0;
    }
}

std::string hexAddress(uintptr_t p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%jx", static_cast<uintmax_t>(p));
    return buf;
}

// The text %@ and %s print for an argument.
std::string textOf(const FormatArg& a) {
    switch (a.kind()) {
    case FormatArg::Kind::Text:
        return std::string(a.text());
    case FormatArg::Kind::CString:
        return a.cString() == nullptr ? "(null)" : a.cString();
    case FormatArg::Kind::Signed:
        return std::to_string(a.signedValue());
    case FormatArg::Kind::Unsigned:
        return std::to_string(a.unsignedValue());
    case FormatArg::Kind::Double:
        return Value(a.doubleValue()).description();
    case FormatArg::Kind::Value:
        return a.value().isNull() ? "(null)" : a.value().stringValue();
    case FormatArg::Kind::Object:
        return a.object() == nullptr ? "(null)" : a.object()->description();
    case FormatArg::Kind::Pointer:
        return a.pointer() == nullptr ? "(null)" : hexAddress(addressOf(a));
    }
    return {};
}

// UTF-16 units of the code point starting with lead byte `c`.
size_t unitsOfLead(unsigned char c) {
    return c >= 0xF0 ? 2 : 1;
}
bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Cuts `s` to at most `maxUnits` UTF-16 units at a code-point boundary; returns the units kept.
size_t clipUnits(std::string& s, size_t maxUnits) {
    size_t units = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if (isContinuation(c)) {
            continue;
        }
        size_t u = unitsOfLead(c);
        if (units + u > maxUnits) {
            s.resize(i);
            return units;
        }
        units += u;
    }
    return units;
}

void appendPadded(std::string& out, std::string text, const Directive& directive) {
    size_t units = clipUnits(text, directive.precision >= 0 ? static_cast<size_t>(directive.precision) : SIZE_MAX);
    size_t pad = directive.width > 0 && static_cast<size_t>(directive.width) > units ? directive.width - units : 0;
    if (!directive.left) {
        out.append(pad, ' ');
    }
    out += text;
    if (directive.left) {
        out.append(pad, ' ');
    }
}

// snprintf with a directive built here from validated flags, width, precision and conversion.
template <class T>
void appendPrintf(std::string& out, const Directive& directive, const char* lengthMod, T value) {
    char fmt[32];
    size_t n = 0;
    fmt[n++] = '%';
    bool altAllowed = directive.conversion == 'o' || directive.conversion == 'x' || directive.conversion == 'X' ||
                      directive.conversion == 'f' || directive.conversion == 'e' || directive.conversion == 'g';
    bool signAllowed = directive.conversion != 'u' && directive.conversion != 'o' && directive.conversion != 'x' &&
                       directive.conversion != 'X';
    if (directive.left) {
        fmt[n++] = '-';
    }
    if (directive.plus && signAllowed) {
        fmt[n++] = '+';
    }
    if (directive.space && signAllowed) {
        fmt[n++] = ' ';
    }
    if (directive.zero) {
        fmt[n++] = '0';
    }
    if (directive.alt && altAllowed) {
        fmt[n++] = '#';
    }
    fmt[n++] = '*';
    fmt[n++] = '.';
    fmt[n++] = '*';
    for (const char* l = lengthMod; *l != 0; ++l) {
        fmt[n++] = *l;
    }
    fmt[n++] = directive.conversion;
    fmt[n] = 0;
    int width = std::max(directive.width, 0);
    int precision = directive.precision; // negative means "as if omitted"
    char buf[128];
    int len = std::snprintf(buf, sizeof buf, fmt, width, precision, value);
    if (len < 0) {
        return;
    }
    if (static_cast<size_t>(len) < sizeof buf) {
        out.append(buf, static_cast<size_t>(len));
        return;
    }
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(len) + 1);
    std::snprintf(out.data() + at, static_cast<size_t>(len) + 1, fmt, width, precision, value);
    out.resize(at + static_cast<size_t>(len));
}

// The argument reduced to the width its length modifier names (no modifier: the original 32-bit
// int), as the signed or unsigned type of that width would hold it.
template <class T8, class T16, class T32, class T64>
T64 narrowed(const Directive& directive, const FormatArg& arg) {
    auto v = static_cast<T64>(integerOf(arg, is64(directive.length)));
    switch (directive.length) {
    case Length::Char:
        return static_cast<T8>(v);
    case Length::Short:
        return static_cast<T16>(v);
    case Length::Long:
    case Length::LongLong:
    case Length::Size:
        return v;
    default:
        return static_cast<T32>(v);
    }
}

void appendSigned(std::string& out, const Directive& directive, const FormatArg& arg) {
    int64_t v = narrowed<int8_t, int16_t, int32_t, int64_t>(directive, arg);
    if (!directive.left && !directive.plus && !directive.space && !directive.zero && directive.width < 0 &&
        directive.precision < 0) {
        char buf[24];
        auto res = std::to_chars(buf, buf + sizeof buf, v);
        out.append(buf, res.ptr);
        return;
    }
    appendPrintf(out, directive, "ll", static_cast<long long>(v));
}

void appendUnsigned(std::string& out, const Directive& directive, const FormatArg& arg) {
    uint64_t v = narrowed<uint8_t, uint16_t, uint32_t, uint64_t>(directive, arg);
    appendPrintf(out, directive, "ll", static_cast<unsigned long long>(v));
}

// One UTF-16 unit (%C) or one Latin-1 byte (%c) as UTF-8; zero prints nothing.
void appendCharacter(std::string& out, const Directive& directive, const FormatArg& arg) {
    auto v = static_cast<uint64_t>(integerOf(arg, false));
    uint32_t cp = directive.conversion == 'C' ? static_cast<uint32_t>(v & 0xFFFF) : static_cast<uint32_t>(v & 0xFF);
    if (cp >= 0xD800 && cp <= 0xDFFF) {
        cp = 0xFFFD;
    }
    std::string text;
    if (cp != 0) {
        detail::appendUtf8(text, cp);
    }
    Directive padOnly = directive;
    padOnly.precision = -1;
    appendPadded(out, std::move(text), padOnly);
}

void appendPointer(std::string& out, const Directive& directive, const FormatArg& arg) {
    Directive padOnly = directive;
    padOnly.precision = -1;
    appendPadded(out, hexAddress(addressOf(arg)), padOnly);
}

struct WarnedFormats {
    std::mutex mutex;
    std::unordered_set<std::string> formats;
};

void warnMissingArgument(std::string_view fmt) {
    static WarnedFormats* warned = new WarnedFormats; // never destroyed: logging may run at exit
    {
        std::lock_guard lock(warned->mutex);
        if (!warned->formats.emplace(fmt).second) {
            return;
        }
    }
    ZLOG(Warn, "format: missing argument for format \"%@\"", fmt);
}

// Parses the directive after a '%' at `i` (which points past the '%'). Returns false when the text there
// is not a complete conversion.
bool parseDirective(std::string_view fmt, size_t& i, Directive& directive, int& position, int& widthArg,
                    int& precisionArg, bool& widthStar, bool& precisionStar) {
    position = readPosition(fmt, i);
    for (; i < fmt.size(); ++i) {
        char c = fmt[i];
        if (c == '-') {
            directive.left = true;
        } else if (c == '+') {
            directive.plus = true;
        } else if (c == ' ') {
            directive.space = true;
        } else if (c == '0') {
            directive.zero = true;
        } else if (c == '#') {
            directive.alt = true;
        } else {
            break;
        }
    }
    if (i < fmt.size() && fmt[i] == '*') {
        ++i;
        widthStar = true;
        widthArg = readPosition(fmt, i);
    } else if (i < fmt.size() && isDigit(fmt[i])) {
        directive.width = readNumber(fmt, i);
    }
    if (i < fmt.size() && fmt[i] == '.') {
        ++i;
        if (i < fmt.size() && fmt[i] == '*') {
            ++i;
            precisionStar = true;
            precisionArg = readPosition(fmt, i);
        } else {
            directive.precision = readNumber(fmt, i);
        }
    }
    if (i + 1 < fmt.size() && ((fmt[i] == 'h' && fmt[i + 1] == 'h') || (fmt[i] == 'l' && fmt[i + 1] == 'l'))) {
        directive.length = fmt[i] == 'h' ? Length::Char : Length::LongLong;
        i += 2;
    } else if (i < fmt.size()) {
        switch (fmt[i]) {
        case 'h':
            directive.length = Length::Short;
            ++i;
            break;
        case 'l':
            directive.length = Length::Long;
            ++i;
            break;
        case 'q':
            directive.length = Length::LongLong;
            ++i;
            break;
        case 'L':
            directive.length = Length::LongDouble;
            ++i;
            break;
        case 'z':
        case 'j':
        case 't':
            directive.length = Length::Size;
            ++i;
            break;
        default:
            break;
        }
    }
    if (i >= fmt.size()) {
        return false;
    }
    directive.conversion = fmt[i++];
    switch (directive.conversion) {
    case '@':
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
    case 'c':
    case 'C':
    case 's':
    case 'f':
    case 'e':
    case 'g':
    case 'p':
        return true;
    default:
        return false;
    }
}

} // namespace

std::string formatArgs(std::string_view fmt, std::span<const FormatArg> args) {
    std::string out;
    out.reserve(fmt.size() + 16 * args.size());
    size_t next = 0; // the next sequential argument
    bool missing = false;
    auto take = [&](int position) -> const FormatArg* {
        size_t index = position >= 0 ? static_cast<size_t>(position) : next++;
        if (index >= args.size()) {
            missing = true;
            return nullptr;
        }
        return &args[index];
    };

    size_t i = 0;
    while (i < fmt.size()) {
        size_t percent = fmt.find('%', i);
        if (percent == std::string_view::npos) {
            out.append(fmt.substr(i));
            break;
        }
        out.append(fmt.substr(i, percent - i));
        if (percent + 1 < fmt.size() && fmt[percent + 1] == '%') {
            out += '%';
            i = percent + 2;
            continue;
        }
        size_t j = percent + 1;
        Directive directive;
        int position = -1, widthArg = -1, precisionArg = -1;
        bool widthStar = false, precisionStar = false;
        if (!parseDirective(fmt, j, directive, position, widthArg, precisionArg, widthStar, precisionStar)) {
            out.append(fmt.substr(percent, j - percent)); // not a conversion: keep it as written
            i = j;
            continue;
        }
        i = j;
        bool ok = true;
        if (widthStar) {
            const FormatArg* w = take(widthArg);
            if (w == nullptr) {
                ok = false;
            } else {
                int64_t width = integerOf(*w, false);
                if (width < 0) {
                    directive.left = true;
                    width = width == INT32_MIN ? kMaxFormatWidth : -width;
                }
                directive.width = static_cast<int>(std::min<int64_t>(width, kMaxFormatWidth));
            }
        }
        if (precisionStar) {
            const FormatArg* p = take(precisionArg);
            if (p == nullptr) {
                ok = false;
            } else {
                int64_t precision = integerOf(*p, false);
                directive.precision =
                    precision < 0 ? -1 : static_cast<int>(std::min<int64_t>(precision, kMaxFormatWidth));
            }
        }
        const FormatArg* arg = take(position);
        if (!ok || arg == nullptr) {
            continue;
        }
        switch (directive.conversion) {
        case 'd':
        case 'i':
            appendSigned(out, directive, *arg);
            break;
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            appendUnsigned(out, directive, *arg);
            break;
        case 'f':
        case 'e':
        case 'g':
            appendPrintf(out, directive, "", doubleOf(*arg));
            break;
        case 'c':
        case 'C':
            appendCharacter(out, directive, *arg);
            break;
        case 'p':
            appendPointer(out, directive, *arg);
            break;
        default: // '@' and 's'
            appendPadded(out, textOf(*arg), directive);
            break;
        }
    }
    if (missing) {
        warnMissingArgument(fmt);
    }
    return out;
}

std::string formatUntrustedArgs(std::string_view tmpl, std::span<const FormatArg> args) {
    std::string out;
    size_t next = 0;
    size_t i = 0;
    while (i < tmpl.size()) {
        char c = tmpl[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        std::string_view rest = tmpl.substr(i + 1);
        if (rest.starts_with('%')) {
            out += '%';
            i += 2;
            continue;
        }
        size_t specLength = 0;
        Directive directive;
        if (rest.starts_with('d')) {
            specLength = 1;
            directive.conversion = 'd';
        } else if (rest.starts_with("lld")) {
            specLength = 3;
            directive.conversion = 'd';
            directive.length = Length::LongLong;
        } else if (rest.starts_with('f')) {
            specLength = 1;
            directive.conversion = 'f';
        } else if (rest.starts_with('s')) {
            specLength = 1;
            directive.conversion = 's';
        }
        if (specLength == 0 || next >= args.size()) {
            out += '%'; // not a conversion here, or no argument left for it: literal
            ++i;
            continue;
        }
        const FormatArg& arg = args[next++];
        if (directive.conversion == 'd') {
            appendSigned(out, directive, arg);
        } else if (directive.conversion == 'f') {
            appendPrintf(out, directive, "", doubleOf(arg));
        } else {
            appendPadded(out, textOf(arg), directive);
        }
        i += 1 + specLength;
    }
    return out;
}

} // namespace fnd
