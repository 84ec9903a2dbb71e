// fnd::UrlResponse: what a URL load answered before its body - the final URL, the status and header
// fields of an HTTP response, the MIME type and text encoding, and the expected body length.
#pragma once

#include <cstdint>
#include <string>

#include "platform/foundation/http_headers.h"
#include "platform/foundation/url.h"

namespace fnd {

class UrlResponse {
public:
    // An HTTP response; the expected length comes from Content-Length (-1 when absent or bad).
    UrlResponse(Url url, int64_t statusCode, HttpHeaders headers);
    // A response that is not HTTP (a file): status 0, no header fields.
    static UrlResponse nonHttp(Url url, std::string mimeType, int64_t expectedContentLength);

    // The URL that answered, after redirects.
    const Url& url() const { return url_; }
    bool isHttp() const { return isHttp_; }
    // The HTTP status (0 for a response that is not HTTP).
    int64_t statusCode() const { return statusCode_; }
    const HttpHeaders& allHeaderFields() const { return headers_; }

    // The media type of Content-Type, lower case and without parameters ("text/html"); for files,
    // guessed from the extension; "application/octet-stream" when unknown.
    const std::string& mimeType() const { return mimeType_; }
    // The charset parameter of Content-Type, lower case, without quotes; "" when absent.
    const std::string& textEncodingName() const { return textEncodingName_; }
    // The body length announced by the server, or -1 when unknown or when the body arrives decoded
    // from a content encoding (so the announced length is not the length delivered).
    int64_t expectedContentLength() const { return expectedContentLength_; }

    // Marks the body as decoded from a content encoding (the expected length becomes -1).
    void setBodyDecoded() { expectedContentLength_ = -1; }

private:
    UrlResponse(Url url, bool isHttp, int64_t statusCode, HttpHeaders headers);

    Url url_;
    bool isHttp_ = true;
    int64_t statusCode_ = 0;
    HttpHeaders headers_;
    std::string mimeType_;
    std::string textEncodingName_;
    int64_t expectedContentLength_ = -1;
};

} // namespace fnd
