// The outside-world sources of the device module, each behind one interface: the process uses the Linux
// source by default and tests install simulators (device/testing/) through the install calls here.
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace device {

struct Acceleration;
class Location;

enum class BatteryState { Unknown = 0, Unplugged = 1, Charging = 2, Full = 3 };

struct BatteryReading {
    bool supported = false; // the machine has a battery
    double level = -1;      // 0...1, or -1 when unknown
    BatteryState state = BatteryState::Unknown;
    friend bool operator==(const BatteryReading&, const BatteryReading&) = default;
};

class BatterySource {
public:
    virtual ~BatterySource() = default;
    virtual BatteryReading read() = 0;
};

// What a location source reports: a fix, or a failure code (0 unknown, 1 denied).
struct LocationEvent {
    std::shared_ptr<Location> location;
    int errorCode = 0;
};

class LocationSource {
public:
    using Deliver = std::function<void(const LocationEvent&)>;
    virtual ~LocationSource() = default;
    // Begins reporting through `deliver`, always from a later pass of the main loop, until stopUpdating
    // with the returned token. Several listeners may be updating at once.
    virtual uint64_t startUpdating(Deliver deliver) = 0;
    virtual void stopUpdating(uint64_t token) = 0;
};

class AccelerometerSource {
public:
    virtual ~AccelerometerSource() = default;
    // The current vector (x, y, z in g; timestamp unset).
    virtual Acceleration current() = 0;
};

// Each getter creates the Linux source on first use; installing null goes back to it.
void installBatterySource(std::shared_ptr<BatterySource> source);
std::shared_ptr<BatterySource> batterySource();
void installLocationSource(std::shared_ptr<LocationSource> source);
std::shared_ptr<LocationSource> locationSource();
void installAccelerometerSource(std::shared_ptr<AccelerometerSource> source);
std::shared_ptr<AccelerometerSource> accelerometerSource();

} // namespace device
