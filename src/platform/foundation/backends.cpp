// The installed backends of fnd and their defaults.
#include "platform/foundation/backends.h"

#include <mutex>

#include "platform/foundation/curl_transport.h"

namespace fnd {

namespace {

std::mutex& backendsMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<HttpTransport>& installedTransport() {
    static std::shared_ptr<HttpTransport> transport;
    return transport;
}

} // namespace

void installHttpTransport(std::shared_ptr<HttpTransport> transport) {
    std::lock_guard lock(backendsMutex());
    installedTransport() = std::move(transport);
}

std::shared_ptr<HttpTransport> httpTransport() {
    std::lock_guard lock(backendsMutex());
    if (installedTransport()) {
        return installedTransport();
    }
    // The libcurl transport is made once and kept for the process, whatever is installed later.
    static std::shared_ptr<HttpTransport> linuxTransport = std::make_shared<CurlTransport>();
    return linuxTransport;
}

} // namespace fnd
