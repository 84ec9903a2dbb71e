// Parsing of zelvan:// action URLs.
#include "web/zelvan_action.h"

#include <cctype>

#include "core/zjson.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/log_preview.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

constexpr std::string_view kPrefix = "zelvan://";

bool startsWithPrefix(std::string_view url) {
    if (url.size() < kPrefix.size()) {
        return false;
    }
    for (size_t i = 0; i < kPrefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(url[i])) != kPrefix[i]) {
            return false;
        }
    }
    return true;
}

bool looksLikeJson(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && (text[first] == '{' || text[first] == '[' || text[first] == '"');
}

} // namespace

bool isZelvanUrl(std::string_view url) {
    return startsWithPrefix(url);
}

std::optional<ZelvanAction> parseZelvanUrl(std::string_view url) {
    if (!startsWithPrefix(url)) {
        ZTRACE_WARN("zelvan action refused: not a zelvan:// URL: %@", fnd::logPreview(url));
        return std::nullopt;
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
    ZelvanAction result;
    for (char c : actionPart) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') {
            ZTRACE_WARN("zelvan action refused: bad action name in %@", fnd::logPreview(url));
            return std::nullopt;
        }
        result.action += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (result.action.empty()) {
        ZTRACE_WARN("zelvan action refused: no action in %@", fnd::logPreview(url));
        return std::nullopt;
    }

    auto variable = fnd::unescape(variablePart);
    auto relative = fnd::unescape(relativePart);
    if (!variable || !relative) {
        ZTRACE_WARN("zelvan action refused: bad percent escape or ill-formed UTF-8 in %@", fnd::logPreview(url));
        return std::nullopt;
    }
    if (looksLikeJson(*variable)) {
        fnd::Result<fnd::Value> parsed = ZJSON::parse(*variable);
        if (!parsed) {
            ZTRACE_WARN("zelvan action refused: variable of \"%@\" is not valid JSON (%s)",
                        fnd::logPreview(result.action), fnd::logPreview(parsed.error().localizedDescription()));
            return std::nullopt;
        }
        result.jsonVar = std::move(*parsed);
    } else if (!variable->empty()) {
        result.jsonVar = std::move(*variable);
    }
    result.relativeUrl = std::move(*relative);
    return result;
}

} // namespace zelvan
