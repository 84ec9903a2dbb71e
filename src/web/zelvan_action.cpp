// Parsing of zelvan:// action URLs.
#include "web/zelvan_action.h"

#include <algorithm>
#include <cctype>

#include "core/zjson.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/parse_error.h"

namespace zelvan {
namespace {

constexpr std::string_view kPrefix = "zelvan://";

// Where `url` stops matching "zelvan://" (any case); npos when it starts with it.
size_t prefixMismatch(std::string_view url) {
    for (size_t i = 0; i < kPrefix.size(); ++i) {
        if (i == url.size() || std::tolower(static_cast<unsigned char>(url[i])) != kPrefix[i]) {
            return i;
        }
    }
    return std::string_view::npos;
}

bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Where `part` (at `base` in the URL) fails to percent-decode: the '%' of an escape without two hex
// digits, or else the start of the part, whose escapes then decode to ill-formed UTF-8.
fnd::Error undecodable(std::string_view part, size_t base) {
    for (size_t i = 0; i < part.size(); ++i) {
        if (part[i] == '%' && (i + 2 >= part.size() || !isHexDigit(part[i + 1]) || !isHexDigit(part[i + 2]))) {
            return fnd::parseError(fnd::kParseMalformed, base + i, "bad percent escape or ill-formed UTF-8");
        }
    }
    return fnd::parseError(fnd::kParseBadEncoding, base, "bad percent escape or ill-formed UTF-8");
}

bool looksLikeJson(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && (text[first] == '{' || text[first] == '[' || text[first] == '"');
}

} // namespace

bool isZelvanUrl(std::string_view url) {
    return prefixMismatch(url) == std::string_view::npos;
}

fnd::Result<ZelvanAction> parseZelvanUrl(std::string_view url) {
    if (size_t mismatch = prefixMismatch(url); mismatch != std::string_view::npos) {
        return fnd::parseError(fnd::kParseMalformed, mismatch, "not a zelvan:// URL");
    }
    std::string_view rest = url.substr(kPrefix.size());
    const size_t firstMark = rest.find('?');
    std::string_view actionPart = rest.substr(0, firstMark);
    std::string_view variablePart;
    std::string_view relativePart;
    if (firstMark != std::string_view::npos) {
        std::string_view tail = rest.substr(firstMark + 1);
        const size_t secondMark = tail.find('?');
        variablePart = tail.substr(0, secondMark);
        if (secondMark != std::string_view::npos) {
            relativePart = tail.substr(secondMark + 1);
        }
    }

    if (!actionPart.empty() && actionPart.back() == '/') {
        actionPart.remove_suffix(1);
    }
    // Offsets in `url` of the three parts (an absent part is empty, at the end of the URL).
    const size_t actionAt = kPrefix.size();
    const size_t variableAt = firstMark == std::string_view::npos ? url.size() : actionAt + firstMark + 1;
    const size_t relativeAt = std::min(variableAt + variablePart.size() + 1, url.size());
    ZelvanAction result;
    for (size_t i = 0; i < actionPart.size(); ++i) {
        const auto c = static_cast<unsigned char>(actionPart[i]);
        if (!std::isalnum(c) && c != '_') {
            return fnd::parseError(fnd::kParseMalformed, actionAt + i, "bad action name");
        }
        result.action += static_cast<char>(std::tolower(c));
    }
    if (result.action.empty()) {
        return fnd::parseError(fnd::kParseMalformed, actionAt, "no action");
    }

    auto variable = fnd::unescape(variablePart);
    if (!variable) {
        return undecodable(variablePart, variableAt);
    }
    auto relative = fnd::unescape(relativePart);
    if (!relative) {
        return undecodable(relativePart, relativeAt);
    }
    if (looksLikeJson(*variable)) {
        fnd::Result<fnd::Value> parsed = ZJSON::parse(*variable);
        if (!parsed) {
            const fnd::Error& error = parsed.error();
            const auto code = error.domain() == fnd::kParseErrorDomain ? static_cast<fnd::ParseErrorCode>(error.code())
                                                                       : fnd::kParseMalformed;
            return fnd::parseError(code, variableAt,
                                   fnd::format("variable of \"%@\" is not valid JSON (%@)",
                                               fnd::logPreview(result.action),
                                               fnd::logPreview(error.localizedDescription())));
        }
        result.jsonVar = std::move(*parsed);
    } else if (!variable->empty()) {
        result.jsonVar = std::move(*variable);
    }
    result.relativeUrl = std::move(*relative);
    return result;
}

} // namespace zelvan
