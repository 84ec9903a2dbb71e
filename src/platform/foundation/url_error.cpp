// Descriptions of the "fnd.url" error codes and the error constructor.
#include "platform/foundation/url_error.h"

#include "platform/foundation/dictionary.h"

namespace fnd {

std::string_view UrlError::describe(int64_t code) {
    switch (code) {
    case Cancelled:
        return "cancelled";
    case BadUrl:
        return "bad URL";
    case TimedOut:
        return "The request timed out.";
    case UnsupportedUrl:
        return "unsupported URL";
    case CannotFindHost:
        return "A server with the specified hostname could not be found.";
    case CannotConnectToHost:
        return "Could not connect to the server.";
    case NetworkConnectionLost:
        return "The network connection was lost.";
    case HttpTooManyRedirects:
        return "too many HTTP redirects";
    case NotConnectedToInternet:
        return "The Internet connection appears to be offline.";
    case BadServerResponse:
        return "bad server response";
    case FileDoesNotExist:
        return "The requested URL was not found on this server.";
    case FileIsDirectory:
        return "file is directory";
    case DataLengthExceedsMaximum:
        return "resource exceeds maximum size";
    case SecureConnectionFailed:
        return "An SSL error has occurred and a secure connection to the server cannot be made.";
    case ServerCertificateHasBadDate:
        return "The certificate for this server has expired.";
    case ServerCertificateUntrusted:
        return "The certificate for this server is invalid.";
    case ServerCertificateHasUnknownRoot:
        return "The certificate for this server was signed by an unknown certifying authority.";
    case ServerCertificateNotYetValid:
        return "The certificate for this server is not yet valid.";
    default:
        return "unknown error";
    }
}

Error UrlError::make(int64_t code, std::string_view failingUrl, std::string_view underlying) {
    Error error(std::string(kUrlErrorDomain), code, describe(code), underlying);
    auto info = error.userInfo().asDictionary();
    info->setObject(Value(failingUrl), kFailingUrlStringKey);
    if (!underlying.empty()) {
        info->setObject(Value(underlying), kUnderlyingErrorKey);
    }
    return error;
}

} // namespace fnd
