// LocationManager: forwards the installed source's fixes and failures to the delegate while updating.
#include "platform/device/location.h"

#include <atomic>
#include <cstdint>

#include "platform/device/backends.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"

namespace device {
namespace {
std::atomic<bool> servicesEnabled{true};
}

std::shared_ptr<Location> Location::initWithLatitude(double latitude, double longitude) {
    auto location = std::make_shared<Location>();
    location->coordinate = {latitude, longitude};
    location->timestamp = fnd::Date::now();
    return location;
}

std::shared_ptr<LocationManager> LocationManager::create() {
    return std::shared_ptr<LocationManager>(new LocationManager);
}

LocationManager::~LocationManager() {
    stopUpdatingLocation();
}

bool LocationManager::locationServicesEnabled() {
    return servicesEnabled.load();
}

void LocationManager::setLocationServicesEnabled(bool enabled) {
    servicesEnabled = enabled;
}

void LocationManager::startUpdatingLocation() {
    if (token_ != 0) {
        return;
    }
    std::weak_ptr<LocationManager> weak = weak_from_this();
    auto deliver = [weak](const LocationEvent& event) {
        if (auto self = weak.lock()) {
            self->receive(event);
        }
    };
    if (!locationServicesEnabled()) {
        // Services switched off: the one answer is a denial, on the next pass like any other.
        token_ = UINT64_MAX;
        fnd::RunLoop::main().post([deliver] { deliver(LocationEvent{nullptr, kErrorDenied}); });
        return;
    }
    token_ = locationSource()->startUpdating(deliver);
}

void LocationManager::stopUpdatingLocation() {
    if (token_ != 0 && token_ != UINT64_MAX) {
        locationSource()->stopUpdating(token_);
    }
    token_ = 0;
}

void LocationManager::receive(const LocationEvent& event) {
    if (token_ == 0) {
        return;
    }
    auto delegate = delegate_.lock();
    if (event.location) {
        auto old = location_;
        location_ = event.location;
        if (delegate) {
            delegate->locationManagerDidUpdateToLocation(*this, event.location, old);
        }
    } else if (delegate) {
        const bool denied = event.errorCode == kErrorDenied;
        delegate->locationManagerDidFailWithError(
            *this, fnd::Error(std::string(kErrorDomain), event.errorCode,
                              std::string_view(denied ? "Location services are denied" : "No location is known")));
    }
}

} // namespace device
