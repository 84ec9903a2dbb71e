// device::Location and device::LocationManager: where the device is, as reported by the installed location
// source (ZELVAN_LOCATION on Linux, LocationSimulator in tests), delivered to a delegate on the main loop.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/date.h"
#include "platform/foundation/error.h"
#include "platform/foundation/object.h"

namespace device {

struct LocationEvent;

struct Coordinate {
    double latitude = 0;
    double longitude = 0;
};

class Location : public fnd::Object {
public:
    // A fix at the coordinate, now, with unknown altitude and accuracy 0.
    static std::shared_ptr<Location> initWithLatitude(double latitude, double longitude);
    std::string className() const override { return "Location"; }

    Coordinate coordinate;
    double altitude = 0;
    double horizontalAccuracy = 0; // negative: the fix is invalid
    double verticalAccuracy = -1;
    fnd::Date timestamp;
};

class LocationManager;

class LocationManagerDelegate {
public:
    virtual ~LocationManagerDelegate() = default;
    virtual void locationManagerDidUpdateToLocation(LocationManager&, const std::shared_ptr<Location>& /*newLocation*/,
                                                    const std::shared_ptr<Location>& /*oldLocation*/) {}
    // Codes: 0 unknown, 1 denied.
    virtual void locationManagerDidFailWithError(LocationManager&, const fnd::Error&) {}
};

// Main thread only.
class LocationManager : public std::enable_shared_from_this<LocationManager> {
public:
    static constexpr std::string_view kErrorDomain = "LocationError";
    static constexpr int kErrorUnknown = 0;
    static constexpr int kErrorDenied = 1;

    static std::shared_ptr<LocationManager> create();
    ~LocationManager();

    // Whether location services are on for the process (true unless a test turns them off).
    static bool locationServicesEnabled();
    static void setLocationServicesEnabled(bool enabled);

    void setDelegate(std::weak_ptr<LocationManagerDelegate> delegate) { delegate_ = std::move(delegate); }
    double desiredAccuracy() const { return desiredAccuracy_; }
    void setDesiredAccuracy(double metres) { desiredAccuracy_ = metres; }
    double distanceFilter() const { return distanceFilter_; }
    void setDistanceFilter(double metres) { distanceFilter_ = metres; }
    // The last fix delivered, or null.
    std::shared_ptr<Location> location() const { return location_; }

    // Asks the installed source for fixes; they reach the delegate on later passes of the main loop.
    void startUpdatingLocation();
    void stopUpdatingLocation();

private:
    LocationManager() = default;
    void receive(const LocationEvent& event);
    std::weak_ptr<LocationManagerDelegate> delegate_;
    double desiredAccuracy_ = 0;
    double distanceFilter_ = -1;
    std::shared_ptr<Location> location_;
    uint64_t token_ = 0; // non-zero while updating
};

} // namespace device
