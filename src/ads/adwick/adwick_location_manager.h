// AdwickLocationManager: the device location the ad request sends, kept for a day in
// Caches/adwick/location_cache/location.txt ("%f,%f", latitude then longitude). Updates run until a fix
// of 200 m or better or a denial, which holds for the rest of the run.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/device/location.h"
#include "platform/foundation/date.h"

namespace zelvan::adwick {

class AdwickLocationManager : public device::LocationManagerDelegate,
                              public std::enable_shared_from_this<AdwickLocationManager> {
public:
    static constexpr double kMaxAgeSeconds = 86400;
    static constexpr double kMinDegrees = 0.001;
    static constexpr double kGoodAccuracyMetres = 200;

    // The file's folder is created with its parents; the system manager is made when not given.
    static std::shared_ptr<AdwickLocationManager> create(std::string cachePath = defaultCachePath(),
                                                         std::shared_ptr<device::LocationManager> system = nullptr);
    static std::string defaultCachePath();
    // The context's instance; null without a context (an entry point, in adwick_entry_points.cpp).
    static std::shared_ptr<AdwickLocationManager> sharedManager();

    static std::string stringForLocation(const device::Location& location);

    bool locationServicesEnabled() const;
    // Starts updates when enabled and the last fix is unknown or more than a day old.
    void updateIfAppropriate();
    // From memory, else from the cache file (its text / its modification date); nullopt when neither.
    std::optional<std::string> locationString();
    std::optional<fnd::Date> lastUpdated();
    bool updating() const { return updating_; }

    void locationManagerDidUpdateToLocation(device::LocationManager& manager,
                                            const std::shared_ptr<device::Location>& newLocation,
                                            const std::shared_ptr<device::Location>& oldLocation) override;
    void locationManagerDidFailWithError(device::LocationManager& manager, const fnd::Error& error) override;

private:
    AdwickLocationManager(std::string cachePath, std::shared_ptr<device::LocationManager> system);

    std::string cachePath_;
    std::shared_ptr<device::LocationManager> system_;
    std::optional<std::string> locationString_;
    std::optional<fnd::Date> lastUpdated_;
    bool refused_ = false;
    bool updating_ = false;
};

} // namespace zelvan::adwick
