// Simulators for the device sources (battery, location, accelerometer) and the orientation driver, for
// tests under the manual clock. Each simulator installs itself as the source on construction and puts
// the Linux default back when it goes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "platform/device/accelerometer.h"
#include "platform/device/backends.h"
#include "platform/device/device.h"
#include "platform/device/location.h"

namespace device::testing {

class OrientationDriver {
public:
    static void setOrientation(DeviceOrientation orientation) { Device::current().deviceDidRotate(orientation); }
};

class BatterySimulator {
public:
    BatterySimulator();
    ~BatterySimulator();
    // What the next poll reads.
    void set(double level, BatteryState state, bool supported = true);

private:
    struct Source;
    std::shared_ptr<Source> source_;
};

class LocationSimulator {
public:
    LocationSimulator();
    ~LocationSimulator();
    // Each reaches every updating manager on the next pass of the main loop.
    void deliver(const std::shared_ptr<Location>& location);
    void fail(int code);
    // While denied, every start is answered with a failure of code 1.
    void setDenied(bool denied);
    // How many managers are updating.
    size_t listeners() const;

private:
    struct Source;
    std::shared_ptr<Source> source_;
};

class AccelerometerSimulator {
public:
    AccelerometerSimulator();
    ~AccelerometerSimulator();
    void setVector(double x, double y, double z);

private:
    struct Source;
    std::shared_ptr<Source> source_;
};

} // namespace device::testing
