// Url parsing and resolution. URLs with an authority are split and resolved by libcurl's URL API;
// URLs without one ("tel:123", "mailto:a@b.c", "zelvan:///x") are split here, because libcurl
// insists on "//host". The caller's text is kept verbatim as the absolute string.
#include "platform/foundation/url.h"

#include <curl/curl.h>
#include <unistd.h>

#include <charconv>
#include <memory>

#include "platform/foundation/escape.h"
#include "platform/foundation/log.h"
#include "platform/foundation/paths.h"

namespace fnd {
namespace {

using CurlUrl = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

CurlUrl newHandle() {
    return CurlUrl(curl_url(), &curl_url_cleanup);
}

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Length of the scheme that `text` starts with (ALPHA *( ALPHA / DIGIT / "+" / "-" / "." / "_" )
// followed by ':'), or 0 when it has none. The underscore is accepted because the product's own
// schemes use it.
size_t schemeLength(std::string_view text) {
    if (text.empty() || !isAlpha(text[0])) {
        return 0;
    }
    for (size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == ':') {
            return i;
        }
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.' && c != '_') {
            return 0;
        }
    }
    return 0;
}

// Spaces, controls, DEL and non-ASCII bytes must arrive escaped.
bool hasRefusedByte(std::string_view text) {
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F) {
            return true;
        }
    }
    return false;
}

// libcurl's scheme syntax has no underscore; it gets a stand-in ("zelvan-cache-file"), which no
// scheme libcurl treats specially can match. The scheme itself is kept by the caller.
std::string curlText(std::string_view text, size_t schemeLen) {
    std::string out(text);
    for (size_t i = 0; i < schemeLen; ++i) {
        if (out[i] == '_') {
            out[i] = '-';
        }
    }
    return out;
}

std::optional<std::string> getPart(CURLU* h, CURLUPart part) {
    char* value = nullptr;
    if (curl_url_get(h, part, &value, 0) != CURLUE_OK || value == nullptr) {
        return std::nullopt;
    }
    std::string out(value);
    curl_free(value);
    return out;
}

std::optional<Url> refuse(std::string_view text, const char* why) {
    // Escaped and cut short, so control characters and huge texts stay out of the log.
    ZLOG(Warn, "Url: refused \"%s\": %s", escapeLegacy(text.substr(0, 200)), why);
    return std::nullopt;
}

} // namespace

std::optional<Url> Url::parse(std::string_view text) {
    if (text.empty()) {
        return refuse(text, "empty");
    }
    if (hasRefusedByte(text)) {
        return refuse(text, "unescaped space, control or non-ASCII character");
    }
    size_t schemeLen = schemeLength(text);
    if (schemeLen == 0) {
        return refuse(text, "no scheme");
    }
    Url url;
    url.text_ = std::string(text);
    url.scheme_.reserve(schemeLen);
    for (size_t i = 0; i < schemeLen; ++i) {
        url.scheme_ += lower(text[i]);
    }
    std::string_view rest = text.substr(schemeLen + 1);
    bool authority = rest.size() > 2 && rest.substr(0, 2) == "//" && rest[2] != '/' && rest[2] != '?' && rest[2] != '#';

    if (url.scheme_ != "file" && !authority) {
        if (url.scheme_ == "http" || url.scheme_ == "https") {
            return refuse(text, "no host");
        }
        // No authority (or an empty one): path, query and fragment split on the first '?' and '#'.
        if (rest.substr(0, 2) == "//") {
            rest.remove_prefix(2);
        }
        size_t hash = rest.find('#');
        if (hash != std::string_view::npos) {
            url.fragment_ = std::string(rest.substr(hash + 1));
            rest = rest.substr(0, hash);
        }
        size_t question = rest.find('?');
        if (question != std::string_view::npos) {
            url.query_ = std::string(rest.substr(question + 1));
            rest = rest.substr(0, question);
        }
        url.path_ = std::string(rest);
        return url;
    }

    CurlUrl h = newHandle();
    if (!h) {
        return refuse(text, "out of memory");
    }
    std::string forCurl = curlText(text, schemeLen);
    CURLUcode rc = curl_url_set(h.get(), CURLUPART_URL, forCurl.c_str(), CURLU_NON_SUPPORT_SCHEME | CURLU_PATH_AS_IS);
    if (rc != CURLUE_OK) {
        return refuse(text, curl_url_strerror(rc));
    }
    url.hasAuthority_ = true;
    url.user_ = getPart(h.get(), CURLUPART_USER).value_or("");
    url.password_ = getPart(h.get(), CURLUPART_PASSWORD).value_or("");
    url.host_ = getPart(h.get(), CURLUPART_HOST).value_or("");
    if (auto port = getPart(h.get(), CURLUPART_PORT)) {
        int value = 0;
        auto [end, ec] = std::from_chars(port->data(), port->data() + port->size(), value);
        if (ec == std::errc() && end == port->data() + port->size()) {
            url.port_ = value;
        }
    }
    url.path_ = getPart(h.get(), CURLUPART_PATH).value_or("");
    url.query_ = getPart(h.get(), CURLUPART_QUERY).value_or("");
    url.fragment_ = getPart(h.get(), CURLUPART_FRAGMENT).value_or("");
    if (url.scheme_ != "file" && url.path_ == "/") {
        // libcurl reports "/" for an empty path; keep the path as written.
        std::string_view afterSlashes = rest.substr(2);
        size_t end = afterSlashes.find_first_of("/?#");
        if (end == std::string_view::npos || afterSlashes[end] != '/') {
            url.path_.clear();
        }
    }
    return url;
}

Url Url::fileUrl(std::string_view path) {
    std::string absolute(path);
    if (absolute.empty() || absolute[0] != '/') {
        char buffer[4096];
        const char* cwd = ::getcwd(buffer, sizeof buffer);
        absolute = appendingPathComponent(cwd != nullptr ? cwd : "/", absolute);
    }
    Url url;
    url.hasAuthority_ = true;
    url.scheme_ = "file";
    url.path_ = escapeLegacyPlus(absolute, "?#");
    url.text_ = "file://" + url.path_;
    return url;
}

std::optional<Url> Url::resolve(const Url& base, std::string_view reference) {
    if (hasRefusedByte(reference)) {
        return refuse(reference, "unescaped space, control or non-ASCII character in a reference");
    }
    if (schemeLength(reference) > 0) {
        return parse(reference);
    }
    std::string_view withoutFragment = base.text_;
    withoutFragment = withoutFragment.substr(0, withoutFragment.find('#'));
    if (reference.empty()) {
        return parse(withoutFragment);
    }
    if (reference[0] == '#') {
        return parse(std::string(withoutFragment) + std::string(reference));
    }
    if (reference.substr(0, 2) == "//") {
        return parse(base.scheme_ + ":" + std::string(reference));
    }
    if (!base.hasAuthority_) {
        return refuse(reference, "relative reference against a base without an authority");
    }

    CurlUrl h = newHandle();
    if (!h) {
        return refuse(reference, "out of memory");
    }
    size_t schemeLen = schemeLength(base.text_);
    std::string baseText = curlText(base.text_, schemeLen);
    if (curl_url_set(h.get(), CURLUPART_URL, baseText.c_str(), CURLU_NON_SUPPORT_SCHEME | CURLU_PATH_AS_IS) !=
        CURLUE_OK) {
        return refuse(base.text_, "base does not parse");
    }
    std::string ref(reference);
    CURLUcode rc = curl_url_set(h.get(), CURLUPART_URL, ref.c_str(), CURLU_NON_SUPPORT_SCHEME);
    if (rc != CURLUE_OK) {
        return refuse(reference, curl_url_strerror(rc));
    }
    std::optional<std::string> resolved = getPart(h.get(), CURLUPART_URL);
    if (!resolved) {
        return refuse(reference, "no resolved URL");
    }
    size_t colon = resolved->find(':');
    if (colon == std::string::npos) {
        return refuse(*resolved, "no scheme in the resolved URL");
    }
    return parse(base.scheme_ + resolved->substr(colon));
}

std::string Url::lastPathComponent() const {
    return fnd::lastPathComponent(path_);
}

std::string Url::pathExtension() const {
    return fnd::pathExtension(lastPathComponent());
}

std::string Url::filePath() const {
    if (!isFileUrl()) {
        return {};
    }
    std::optional<std::string> path = unescape(path_);
    if (!path || path->find('\0') != std::string::npos) {
        return {};
    }
    return *path;
}

std::vector<QueryItem> Url::queryItems() const {
    std::vector<QueryItem> items;
    std::string_view rest = query_;
    while (!rest.empty()) {
        size_t amp = rest.find('&');
        std::string_view piece = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
        if (piece.empty()) {
            continue;
        }
        size_t eq = piece.find('=');
        QueryItem item;
        item.name = unescapeLenient(piece.substr(0, eq));
        if (eq != std::string_view::npos) {
            item.value = unescapeLenient(piece.substr(eq + 1));
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::string Url::queryString(const std::vector<QueryItem>& items) {
    std::string out;
    for (const QueryItem& item : items) {
        if (!out.empty()) {
            out += '&';
        }
        out += escapeUnreserved(item.name);
        out += '=';
        out += escapeUnreserved(item.value);
    }
    return out;
}

} // namespace fnd
