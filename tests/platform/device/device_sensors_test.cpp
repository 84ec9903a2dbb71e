// Orientation, battery, location and accelerometer under the manual clock, through their simulators; and the
// Linux sources' parsing of sysfs text and ZELVAN_LOCATION.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "platform/device/accelerometer.h"
#include "platform/device/device.h"
#include "platform/device/linux_sources.h"
#include "platform/device/location.h"
#include "platform/device/testing/device_simulators.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/loop_driver.h"

namespace device {
namespace {

class DeviceSensorsTest : public ::testing::Test {
protected:
    void SetUp() override { clock_ = fnd::ManualClock::install(); }
    void TearDown() override {
        fnd::NotificationCenter::defaultCenter().removeObserver(owner_);
        fnd::Clock::install(nullptr);
    }
    // Records the names of notifications whose sender is the device.
    void listen(std::string_view name) {
        fnd::NotificationCenter::defaultCenter().addObserver(owner_, std::string(name), fnd::Value(),
                                                             [this](const fnd::Notification& n) {
                                                                 if (n.object.asObject().get() == &Device::current()) {
                                                                     heard_.push_back(n.name);
                                                                 }
                                                             });
    }
    std::shared_ptr<int> owner_ = std::make_shared<int>(0);
    std::vector<std::string> heard_;
    std::shared_ptr<fnd::ManualClock> clock_;
};

TEST_F(DeviceSensorsTest, OrientationNotifiesOnlyWhileGenerating) {
    listen(kDeviceOrientationDidChangeNotification);
    testing::OrientationDriver::setOrientation(DeviceOrientation::LandscapeLeft); // not generating: silent
    Device::current().beginGeneratingDeviceOrientationNotifications();
    testing::OrientationDriver::setOrientation(DeviceOrientation::Portrait);
    testing::OrientationDriver::setOrientation(DeviceOrientation::Portrait); // no change
    Device::current().endGeneratingDeviceOrientationNotifications();
    testing::OrientationDriver::setOrientation(DeviceOrientation::FaceUp);
    EXPECT_EQ(Device::current().orientation(), DeviceOrientation::FaceUp);
    EXPECT_EQ(heard_.size(), 1u);
}

TEST_F(DeviceSensorsTest, BatteryPollsEveryMinuteOnlyWhileMonitoring) {
    testing::BatterySimulator battery;
    battery.set(0.5, BatteryState::Unplugged);
    listen(kBatteryLevelDidChangeNotification);
    listen(kBatteryStateDidChangeNotification);
    Device& device = Device::current();
    EXPECT_EQ(device.batteryLevel(), -1);
    device.setBatteryMonitoringEnabled(true);
    EXPECT_DOUBLE_EQ(device.batteryLevel(), 0.5);
    EXPECT_EQ(device.batteryState(), BatteryState::Unplugged);

    battery.set(0.25, BatteryState::Charging);
    fnd::RunLoop::main().advance(59);
    EXPECT_TRUE(heard_.empty());
    fnd::RunLoop::main().advance(1);
    EXPECT_EQ(heard_, (std::vector<std::string>{std::string(kBatteryLevelDidChangeNotification),
                                                std::string(kBatteryStateDidChangeNotification)}));
    EXPECT_EQ(device.batteryState(), BatteryState::Charging);
    battery.set(0.25, BatteryState::Full);
    fnd::RunLoop::main().advance(60);
    EXPECT_EQ(heard_.size(), 3u); // only the state changed

    device.setBatteryMonitoringEnabled(false);
    battery.set(0.1, BatteryState::Unplugged);
    fnd::RunLoop::main().advance(600);
    EXPECT_EQ(heard_.size(), 3u);
    EXPECT_EQ(device.batteryLevel(), -1);
    EXPECT_EQ(device.batteryState(), BatteryState::Unknown);

    // No battery: monitoring stays off.
    battery.set(-1, BatteryState::Unknown, false);
    device.setBatteryMonitoringEnabled(true);
    EXPECT_FALSE(device.isBatteryMonitoringEnabled());
}

TEST_F(DeviceSensorsTest, SysfsBatteryTextParsesOrReadsUnknown) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(std::getenv("ZELVAN_HOME")) / "power_supply";
    fs::create_directories(root / "AC");
    EXPECT_FALSE(SysfsBatterySource(root.string()).read().supported);
    fs::create_directories(root / "BAT0");
    const struct {
        const char* capacity;
        const char* status;
        double level;
        BatteryState state;
    } cases[] = {
        {"87\n", "Discharging\n", 0.87, BatteryState::Unplugged},
        {"100", "Full", 1.0, BatteryState::Full},
        {"0", "Charging", 0.0, BatteryState::Charging},
        {"abc", "Weird", -1, BatteryState::Unknown},
        {"101", "Not charging", -1, BatteryState::Unplugged},
        {"-5", "", -1, BatteryState::Unknown},
        {"5x", "charging", -1, BatteryState::Unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacity);
        ASSERT_TRUE(
            fnd::writeFile((root / "BAT0/capacity").string(), fnd::Bytes(c.capacity, c.capacity + strlen(c.capacity))));
        ASSERT_TRUE(fnd::writeFile((root / "BAT0/status").string(), fnd::Bytes(c.status, c.status + strlen(c.status))));
        const BatteryReading r = SysfsBatterySource(root.string()).read();
        EXPECT_TRUE(r.supported);
        EXPECT_DOUBLE_EQ(r.level, c.level);
        EXPECT_EQ(r.state, c.state);
    }
}

struct LocationRecorder : LocationManagerDelegate {
    std::vector<std::shared_ptr<Location>> fixes;
    std::vector<std::shared_ptr<Location>> olds;
    std::vector<int64_t> errors;
    void locationManagerDidUpdateToLocation(LocationManager&, const std::shared_ptr<Location>& n,
                                            const std::shared_ptr<Location>& o) override {
        fixes.push_back(n);
        olds.push_back(o);
    }
    void locationManagerDidFailWithError(LocationManager&, const fnd::Error& e) override { errors.push_back(e.code()); }
};

TEST_F(DeviceSensorsTest, LocationFixesAndDenial) {
    testing::LocationSimulator simulator;
    auto recorder = std::make_shared<LocationRecorder>();
    auto manager = LocationManager::create();
    manager->setDelegate(recorder);
    manager->startUpdatingLocation();
    auto first = Location::initWithLatitude(52.5, 13.4);
    simulator.deliver(first);
    EXPECT_TRUE(recorder->fixes.empty()); // on a later pass
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_EQ(recorder->fixes.size(), 1u);
    EXPECT_EQ(manager->location(), first);
    simulator.deliver(Location::initWithLatitude(1, 2));
    simulator.fail(LocationManager::kErrorUnknown);
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_EQ(recorder->fixes.size(), 2u);
    EXPECT_EQ(recorder->olds[1], first);
    EXPECT_EQ(recorder->errors, std::vector<int64_t>{0});

    // Stopped: nothing more arrives, even what was already on its way.
    simulator.deliver(Location::initWithLatitude(3, 4));
    manager->stopUpdatingLocation();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(recorder->fixes.size(), 2u);
    EXPECT_EQ(simulator.listeners(), 0u);

    simulator.setDenied(true);
    manager->startUpdatingLocation();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(recorder->errors, (std::vector<int64_t>{0, LocationManager::kErrorDenied}));
    manager.reset(); // stops with the manager
    EXPECT_EQ(simulator.listeners(), 0u);
}

TEST_F(DeviceSensorsTest, EnvironmentLocationGivesOneFixOrLogsABadValueOnce) {
    auto source = std::make_shared<EnvironmentLocationSource>();
    installLocationSource(source);
    auto recorder = std::make_shared<LocationRecorder>();
    auto manager = LocationManager::create();
    manager->setDelegate(recorder);

    ::setenv("ZELVAN_LOCATION", " 48.85, 2.35 ,25", 1);
    manager->startUpdatingLocation();
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_EQ(recorder->fixes.size(), 1u);
    EXPECT_DOUBLE_EQ(recorder->fixes[0]->coordinate.latitude, 48.85);
    EXPECT_DOUBLE_EQ(recorder->fixes[0]->horizontalAccuracy, 25);
    manager->stopUpdatingLocation();

    fnd::testing::LogCapture log;
    for (const char* bad : {"91,0,5", "1,2", "1,2,-1", "a,b,c", "1,2,3,4", "nan,1,1"}) {
        ::setenv("ZELVAN_LOCATION", bad, 1);
        manager->startUpdatingLocation();
        manager->stopUpdatingLocation();
        manager->startUpdatingLocation();
        fnd::RunLoop::main().runUntilIdle();
        manager->stopUpdatingLocation();
    }
    EXPECT_EQ(recorder->fixes.size(), 1u);
    EXPECT_EQ(log.count("ignored ZELVAN_LOCATION"), 1u);
    ::unsetenv("ZELVAN_LOCATION");
    installLocationSource(nullptr);
}

struct AccelerationRecorder : AccelerometerDelegate {
    std::vector<Acceleration> heard;
    void accelerometerDidAccelerate(Accelerometer&, const Acceleration& a) override { heard.push_back(a); }
};

TEST_F(DeviceSensorsTest, AccelerometerIntervalAndItsClamp) {
    testing::AccelerometerSimulator simulator;
    Accelerometer& accelerometer = Accelerometer::shared();
    auto recorder = std::make_shared<AccelerationRecorder>();
    accelerometer.setUpdateInterval(0.5);
    fnd::RunLoop::main().advance(2); // no delegate: nothing ticks
    accelerometer.setDelegate(recorder);
    fnd::RunLoop::main().advance(1.0);
    ASSERT_EQ(recorder->heard.size(), 2u);
    EXPECT_EQ(recorder->heard[0].y, -1); // resting
    simulator.setVector(0.5, 0, -0.5);
    fnd::RunLoop::main().advance(0.5);
    EXPECT_EQ(recorder->heard.back().x, 0.5);
    EXPECT_EQ(recorder->heard.back().z, -0.5);

    // A tiny interval is raised to 0.01 s: 100 deliveries a second, not a flood.
    recorder->heard.clear();
    accelerometer.setUpdateInterval(1e-9);
    EXPECT_DOUBLE_EQ(accelerometer.updateInterval(), Accelerometer::kMinimumInterval);
    fnd::RunLoop::main().advance(1.0);
    EXPECT_NEAR(static_cast<double>(recorder->heard.size()), 100, 1);

    // Zero, negative and NaN stop the updates.
    for (double stop : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        accelerometer.setUpdateInterval(0.1);
        accelerometer.setUpdateInterval(stop);
        EXPECT_EQ(accelerometer.updateInterval(), 0);
        recorder->heard.clear();
        fnd::RunLoop::main().advance(1.0);
        EXPECT_TRUE(recorder->heard.empty());
    }
    // A delegate that goes away stops the timer too.
    accelerometer.setUpdateInterval(0.1);
    recorder.reset();
    fnd::RunLoop::main().advance(1.0);
}

} // namespace
} // namespace device
