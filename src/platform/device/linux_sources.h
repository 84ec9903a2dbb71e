// The Linux sources behind device/backends.h: the battery from /sys/class/power_supply, the location from
// ZELVAN_LOCATION, and an accelerometer that lies still.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/device/backends.h"
#include "platform/device/location.h"

namespace device {

// Reads `capacity` and `status` of the first BAT* folder under `root`.
class SysfsBatterySource : public BatterySource {
public:
    explicit SysfsBatterySource(std::string root = "/sys/class/power_supply") : root_(std::move(root)) {}
    BatteryReading read() override;

private:
    std::string root_;
};

// ZELVAN_LOCATION="lat,lon,accuracy" read at each start: a good value gives one fix on the next pass; a bad
// one is logged once and gives nothing; unset gives nothing.
class EnvironmentLocationSource : public LocationSource,
                                  public std::enable_shared_from_this<EnvironmentLocationSource> {
public:
    uint64_t startUpdating(Deliver deliver) override;
    void stopUpdating(uint64_t token) override;
    // The fix a value describes, or nullopt: three finite numbers, latitude within ±90, longitude within
    // ±180, accuracy not negative.
    static std::optional<Coordinate> parse(const std::string& text, double* accuracy);

private:
    std::map<uint64_t, Deliver> listeners_;
    uint64_t next_ = 1;
    bool loggedBadValue_ = false;
};

class RestingAccelerometerSource : public AccelerometerSource {
public:
    Acceleration current() override;
};

} // namespace device
