// Device information: fixed model and system texts, uname and host name lookups, and the
// per-installation identifier kept under the Library folder.
#include "platform/device/device.h"

#include <sys/random.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <random>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/digest.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"

namespace device {
namespace {

bool isIdentifier(const std::string& text) {
    return text.size() == 40 &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return text;
}

std::string freshIdentifier() {
    fnd::Bytes seed(32);
    size_t filled = 0;
    while (filled < seed.size()) {
        const ssize_t n = ::getrandom(seed.data() + filled, seed.size() - filled, 0);
        if (n <= 0) {
            break;
        }
        filled += static_cast<size_t>(n);
    }
    if (filled < seed.size()) {
        // getrandom is missing or failing: fall back to the standard generator for the rest.
        std::random_device rd;
        for (size_t i = filled; i < seed.size(); ++i) {
            seed[i] = static_cast<uint8_t>(rd());
        }
    }
    return lower(fnd::sha1HexUpper(seed));
}

void keep(const std::string& identifier) {
    fnd::AppFolders::setUp();
    const fnd::Bytes bytes(identifier.begin(), identifier.end());
    if (!fnd::writeFile(Device::identifierPath(), bytes, fnd::Atomic::Yes)) {
        ZLOG(Warn, "Device: could not keep the device identifier in %s", Device::identifierPath());
    }
}

} // namespace

Device& Device::current() {
    // Held by a shared_ptr so notifications can name it as their sender; never destroyed.
    static auto* device = new std::shared_ptr<Device>(new Device);
    return **device;
}

std::string Device::name() const {
    std::array<char, 256> host{};
    if (::gethostname(host.data(), host.size() - 1) != 0 || host[0] == '\0') {
        return "localhost";
    }
    return host.data();
}

std::string Device::machine() const {
    struct utsname info {};
    if (::uname(&info) != 0) {
        return "unknown";
    }
    return info.machine;
}

std::string Device::identifierPath() {
    return fnd::AppFolders::library() + "/DeviceIdentifier";
}

std::string Device::uniqueIdentifier() {
    std::lock_guard lock(mutex_);
    if (identifier_) {
        return *identifier_;
    }
    if (auto kept = fnd::readFile(identifierPath())) {
        std::string text(kept->begin(), kept->end());
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
            text.pop_back();
        }
        if (isIdentifier(text)) {
            identifier_ = lower(text);
            return *identifier_;
        }
        ZLOG(Warn, "Device: the kept device identifier is malformed; making a new one");
    }
    identifier_ = freshIdentifier();
    keep(*identifier_);
    return *identifier_;
}

void Device::setUniqueIdentifier(std::optional<std::string> identifier) {
    std::lock_guard lock(mutex_);
    identifier_ = std::move(identifier);
    if (identifier_) {
        keep(*identifier_);
    }
}

bool Device::supportsCamera() const {
    std::lock_guard lock(mutex_);
    return supportsCamera_;
}

void Device::setSupportsCamera(bool supports) {
    std::lock_guard lock(mutex_);
    supportsCamera_ = supports;
}

} // namespace device
