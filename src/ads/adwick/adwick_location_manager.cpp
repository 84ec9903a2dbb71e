// The banner client's cached location and the rules for taking a fix.
#include "ads/adwick/adwick_location_manager.h"

#include <cmath>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/format.h"
#include "platform/foundation/paths.h"

namespace zelvan::adwick {

std::shared_ptr<AdwickLocationManager> AdwickLocationManager::create(std::string cachePath,
                                                                     std::shared_ptr<device::LocationManager> system) {
    return std::shared_ptr<AdwickLocationManager>(new AdwickLocationManager(
        std::move(cachePath), system ? std::move(system) : device::LocationManager::create()));
}

AdwickLocationManager::AdwickLocationManager(std::string cachePath, std::shared_ptr<device::LocationManager> system)
    : cachePath_(std::move(cachePath)), system_(std::move(system)) {
    fnd::FileManager::createDirectoryAtPath(fnd::deletingLastPathComponent(cachePath_));
}

std::string AdwickLocationManager::defaultCachePath() {
    return fnd::AppFolders::caches() + "/adwick/location_cache/location.txt";
}

std::string AdwickLocationManager::stringForLocation(const device::Location& location) {
    return fnd::format("%f,%f", location.coordinate.latitude, location.coordinate.longitude);
}

bool AdwickLocationManager::locationServicesEnabled() const {
    return device::LocationManager::locationServicesEnabled() && !refused_;
}

void AdwickLocationManager::updateIfAppropriate() {
    if (!locationServicesEnabled()) {
        return;
    }
    auto last = lastUpdated();
    if (last && fnd::Clock::now().timeIntervalSinceDate(*last) <= kMaxAgeSeconds) {
        return;
    }
    system_->setDelegate(weak_from_this());
    system_->startUpdatingLocation();
    updating_ = true;
}

std::optional<std::string> AdwickLocationManager::locationString() {
    if (!locationString_) {
        if (auto bytes = fnd::readFile(cachePath_)) {
            locationString_ = std::string(bytes->begin(), bytes->end());
        }
    }
    return locationString_;
}

std::optional<fnd::Date> AdwickLocationManager::lastUpdated() {
    if (!lastUpdated_) {
        if (auto attributes = fnd::FileManager::attributesOfItemAtPath(cachePath_)) {
            lastUpdated_ = attributes->modificationDate;
        }
    }
    return lastUpdated_;
}

void AdwickLocationManager::locationManagerDidUpdateToLocation(device::LocationManager& manager,
                                                               const std::shared_ptr<device::Location>& newLocation,
                                                               const std::shared_ptr<device::Location>&) {
    if (!newLocation) {
        return;
    }
    const device::Location& fix = *newLocation;
    bool away = std::fabs(fix.coordinate.latitude) > kMinDegrees || std::fabs(fix.coordinate.longitude) > kMinDegrees;
    fnd::Date now = fnd::Clock::now();
    if (!away || now.timeIntervalSinceDate(fix.timestamp) > kMaxAgeSeconds) {
        return;
    }
    locationString_ = stringForLocation(fix);
    std::string text = *locationString_;
    fnd::writeFile(cachePath_, fnd::Bytes(text.begin(), text.end()));
    lastUpdated_ = now;
    if (fix.horizontalAccuracy >= 0 && fix.horizontalAccuracy <= kGoodAccuracyMetres) {
        manager.stopUpdatingLocation();
        updating_ = false;
    }
}

void AdwickLocationManager::locationManagerDidFailWithError(device::LocationManager& manager, const fnd::Error& error) {
    if (error.code() == device::LocationManager::kErrorDenied) {
        refused_ = true;
        manager.stopUpdatingLocation();
        updating_ = false;
    }
}

} // namespace zelvan::adwick
