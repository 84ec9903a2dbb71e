// The installed backends of fnd and their defaults.
#include "platform/foundation/backends.h"

#include <mutex>

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
    return installedTransport();
}

} // namespace fnd
