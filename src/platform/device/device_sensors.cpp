// Device orientation and battery: the orientation notifications the driver triggers, and the battery
// reading polled from the installed source by a main-loop timer that exists only while monitoring.
#include "platform/device/device.h"

#include "platform/foundation/log.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/timer.h"

namespace device {

void Device::beginGeneratingDeviceOrientationNotifications() {
    ++generatingOrientation_;
}

void Device::endGeneratingDeviceOrientationNotifications() {
    if (generatingOrientation_ > 0) {
        --generatingOrientation_;
    }
}

void Device::deviceDidRotate(DeviceOrientation orientation) {
    if (orientation == orientation_) {
        return;
    }
    orientation_ = orientation;
    if (generatingOrientation_ > 0) {
        fnd::NotificationCenter::defaultCenter().postNotificationName(kDeviceOrientationDidChangeNotification,
                                                                      fnd::Value(shared_from_this()));
    }
}

void Device::setBatteryMonitoringEnabled(bool enabled) {
    if (!enabled) {
        if (batteryTimer_) {
            batteryTimer_->invalidate();
            batteryTimer_.reset();
        }
        battery_ = BatteryReading();
        return;
    }
    if (batteryTimer_) {
        return;
    }
    battery_ = batterySource()->read();
    if (!battery_.supported) {
        ZLOG(Info, "Device: no battery to monitor");
        battery_ = BatteryReading();
        return;
    }
    batteryTimer_ = fnd::Timer::scheduled(kBatteryPollInterval, fnd::Repeats::Yes,
                                          [](fnd::Timer&) { Device::current().pollBattery(); });
}

void Device::pollBattery() {
    const BatteryReading now = batterySource()->read();
    const bool levelChanged = now.level != battery_.level;
    const bool stateChanged = now.state != battery_.state;
    battery_ = now;
    auto& center = fnd::NotificationCenter::defaultCenter();
    if (levelChanged) {
        center.postNotificationName(kBatteryLevelDidChangeNotification, fnd::Value(shared_from_this()));
    }
    if (stateChanged) {
        center.postNotificationName(kBatteryStateDidChangeNotification, fnd::Value(shared_from_this()));
    }
}

double Device::batteryLevel() const {
    return batteryTimer_ ? battery_.level : -1;
}

BatteryState Device::batteryState() const {
    return batteryTimer_ ? battery_.state : BatteryState::Unknown;
}

} // namespace device
