// device::Device: facts about the machine the app runs on - model, system name and version, the
// host's name and machine type, a stable identifier per installation, capability flags that tests may
// change, the orientation and the battery.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/device/backends.h"
#include "platform/foundation/object.h"

namespace fnd {
class Timer;
}

namespace device {

enum class DeviceOrientation {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 3,
    LandscapeRight = 4,
    FaceUp = 5,
    FaceDown = 6
};

// Posted with the device as sender.
inline constexpr std::string_view kDeviceOrientationDidChangeNotification = "DeviceOrientationDidChangeNotification";
inline constexpr std::string_view kBatteryLevelDidChangeNotification = "DeviceBatteryLevelDidChangeNotification";
inline constexpr std::string_view kBatteryStateDidChangeNotification = "DeviceBatteryStateDidChangeNotification";

class Device : public fnd::Object {
public:
    // The one device of the process (never destroyed).
    static Device& current();
    std::string className() const override { return "Device"; }

    std::string model() const { return "LinuxDevice"; }
    std::string localizedModel() const { return model(); }
    // The host name ("localhost" when it cannot be read).
    std::string name() const;
    std::string systemName() const { return "Linux"; }
    // A fixed version, so version-gated callers take their modern branch.
    std::string systemVersion() const { return "3.1"; }
    // The kernel's machine type from uname ("x86_64", "aarch64", ...).
    std::string machine() const;

    // 40 lower-case hex digits: the SHA-1 of random bytes made on first use and kept in
    // <Library>/DeviceIdentifier, so it stays the same across calls and restarts. A kept file whose
    // contents are not 40 hex digits is replaced by a fresh identifier.
    std::string uniqueIdentifier();
    // Test hook: uses `identifier` from now on (written to the file too); nullopt forgets the one in
    // memory so the next call reads the file again.
    void setUniqueIdentifier(std::optional<std::string> identifier);

    // Capabilities of this machine: no camera by default.
    bool supportsCamera() const;
    void setSupportsCamera(bool supports);

    // Where the identifier is kept.
    static std::string identifierPath();

    // --- Orientation and battery (main thread only; device_sensors.cpp) ---
    DeviceOrientation orientation() const { return orientation_; }
    // Notifications are posted while at least one caller is generating them (calls nest).
    void beginGeneratingDeviceOrientationNotifications();
    void endGeneratingDeviceOrientationNotifications();
    bool isGeneratingDeviceOrientationNotifications() const { return generatingOrientation_ > 0; }
    // The entry of the orientation driver (device/testing): records the new orientation and, when it
    // changed and notifications are on, posts kDeviceOrientationDidChangeNotification.
    void deviceDidRotate(DeviceOrientation orientation);

    // Enabling reads the installed BatterySource and then polls it every kBatteryPollInterval on the main
    // loop, posting the level and state notifications on changes. Enabling on a machine without a
    // battery leaves monitoring off.
    static constexpr double kBatteryPollInterval = 60.0;
    bool isBatteryMonitoringEnabled() const { return batteryTimer_ != nullptr; }
    void setBatteryMonitoringEnabled(bool enabled);
    // 0...1, or -1 when unknown or not monitoring.
    double batteryLevel() const;
    // Unknown when not monitoring.
    BatteryState batteryState() const;

private:
    void pollBattery();
    Device() = default;

    mutable std::mutex mutex_;
    std::optional<std::string> identifier_;
    bool supportsCamera_ = false;
    DeviceOrientation orientation_ = DeviceOrientation::Unknown;
    int generatingOrientation_ = 0;
    std::shared_ptr<fnd::Timer> batteryTimer_;
    BatteryReading battery_;
};

} // namespace device
