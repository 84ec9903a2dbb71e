// fnd::UrlRequest field handling.
#include "platform/foundation/url_request.h"

namespace fnd {

UrlRequest::UrlRequest(Url url, UrlRequestCachePolicy cachePolicy, double timeoutInterval)
    : url_(std::move(url)), cachePolicy_(cachePolicy) {
    setTimeoutInterval(timeoutInterval);
}

void UrlRequest::setValue(std::string_view value, std::string_view field) {
    headers_.set(field, value);
}

std::optional<std::string> UrlRequest::valueForHTTPHeaderField(std::string_view field) const {
    return headers_.value(field);
}

} // namespace fnd
