// fnd::UrlResponse: the Content-Type and Content-Length readings of a response.
#include "platform/foundation/url_response.h"

#include <charconv>
#include <string_view>

#include "platform/foundation/string_ops.h"

namespace fnd {

namespace {

constexpr std::string_view kOctetStream = "application/octet-stream";

std::string_view trimAscii(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

// Splits "type/subtype; charset=utf-8; x=y" into the media type and the charset parameter.
void parseContentType(std::string_view text, std::string* mimeType, std::string* charset) {
    size_t semicolon = text.find(';');
    std::string_view type = trimAscii(text.substr(0, semicolon));
    *mimeType = type.empty() ? std::string(kOctetStream) : lowerAscii(type);
    while (semicolon != std::string_view::npos) {
        text.remove_prefix(semicolon + 1);
        semicolon = text.find(';');
        std::string_view param = trimAscii(text.substr(0, semicolon));
        size_t eq = param.find('=');
        if (eq == std::string_view::npos || lowerAscii(trimAscii(param.substr(0, eq))) != "charset") {
            continue;
        }
        std::string_view value = trimAscii(param.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        *charset = lowerAscii(value);
        return;
    }
}

int64_t parseContentLength(const std::optional<std::string>& text) {
    if (!text) {
        return -1;
    }
    std::string_view digits = trimAscii(*text);
    int64_t length = -1;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
    if (ec != std::errc() || end != digits.data() + digits.size() || length < 0) {
        return -1;
    }
    return length;
}

} // namespace

UrlResponse::UrlResponse(Url url, bool isHttp, int64_t statusCode, HttpHeaders headers)
    : url_(std::move(url)), isHttp_(isHttp), statusCode_(statusCode), headers_(std::move(headers)) {}

UrlResponse::UrlResponse(Url url, int64_t statusCode, HttpHeaders headers)
    : UrlResponse(std::move(url), true, statusCode, std::move(headers)) {
    std::optional<std::string> contentType = headers_.value("Content-Type");
    if (contentType) {
        parseContentType(*contentType, &mimeType_, &textEncodingName_);
    } else {
        mimeType_ = std::string(kOctetStream);
    }
    expectedContentLength_ = parseContentLength(headers_.value("Content-Length"));
}

UrlResponse UrlResponse::nonHttp(Url url, std::string mimeType, int64_t expectedContentLength) {
    UrlResponse response(std::move(url), false, 0, HttpHeaders());
    response.mimeType_ = mimeType.empty() ? std::string(kOctetStream) : std::move(mimeType);
    response.expectedContentLength_ = expectedContentLength;
    return response;
}

} // namespace fnd
