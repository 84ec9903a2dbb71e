// Errors of URL loading: the "fnd.url" domain, its negative codes, and the constructor that fills in
// the description and the failing URL.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/error.h"

namespace fnd {

inline constexpr std::string_view kUrlErrorDomain = "fnd.url";

// Codes of the "fnd.url" domain.
struct UrlError {
    static constexpr int64_t Unknown = -1;
    static constexpr int64_t Cancelled = -999;
    static constexpr int64_t BadUrl = -1000;
    static constexpr int64_t TimedOut = -1001;
    static constexpr int64_t UnsupportedUrl = -1002;
    static constexpr int64_t CannotFindHost = -1003;
    static constexpr int64_t CannotConnectToHost = -1004;
    static constexpr int64_t NetworkConnectionLost = -1005;
    static constexpr int64_t HttpTooManyRedirects = -1007;
    static constexpr int64_t NotConnectedToInternet = -1009;
    static constexpr int64_t BadServerResponse = -1011;
    static constexpr int64_t FileDoesNotExist = -1100;
    static constexpr int64_t FileIsDirectory = -1101;
    static constexpr int64_t DataLengthExceedsMaximum = -1103;
    static constexpr int64_t SecureConnectionFailed = -1200;
    static constexpr int64_t ServerCertificateHasBadDate = -1201;
    static constexpr int64_t ServerCertificateUntrusted = -1202;
    static constexpr int64_t ServerCertificateHasUnknownRoot = -1203;
    static constexpr int64_t ServerCertificateNotYetValid = -1204;

    // User-info keys: the URL that failed, and the lower layer's own message when there is one.
    static constexpr std::string_view kFailingUrlStringKey = "FailingURLString";
    static constexpr std::string_view kUnderlyingErrorKey = "UnderlyingError";

    // An error of this domain with the code's standard description, the failing URL and, when
    // given, the lower layer's message as the failure reason and underlying error.
    static Error make(int64_t code, std::string_view failingUrl, std::string_view underlying = {});

    // The standard description of a code ("The request timed out.").
    static std::string_view describe(int64_t code);
};

} // namespace fnd
