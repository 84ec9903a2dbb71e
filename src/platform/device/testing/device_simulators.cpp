// The device simulators: sources whose readings tests set, delivering on the main loop like the real ones.
#include "platform/device/testing/device_simulators.h"

#include "platform/foundation/run_loop.h"

namespace device::testing {

struct BatterySimulator::Source : BatterySource {
    BatteryReading reading{true, 1.0, BatteryState::Full};
    BatteryReading read() override { return reading; }
};

BatterySimulator::BatterySimulator() : source_(std::make_shared<Source>()) {
    installBatterySource(source_);
}
BatterySimulator::~BatterySimulator() {
    Device::current().setBatteryMonitoringEnabled(false);
    installBatterySource(nullptr);
}
void BatterySimulator::set(double level, BatteryState state, bool supported) {
    source_->reading = BatteryReading{supported, level, state};
}

struct LocationSimulator::Source : LocationSource, std::enable_shared_from_this<LocationSimulator::Source> {
    std::map<uint64_t, Deliver> listeners;
    uint64_t next = 1;
    bool denied = false;

    uint64_t startUpdating(Deliver deliver) override {
        const uint64_t token = next++;
        listeners[token] = std::move(deliver);
        if (denied) {
            send(token, LocationEvent{nullptr, LocationManager::kErrorDenied});
        }
        return token;
    }
    void stopUpdating(uint64_t token) override { listeners.erase(token); }
    void send(uint64_t token, LocationEvent event) {
        fnd::RunLoop::main().post([weak = weak_from_this(), token, event] {
            auto self = weak.lock();
            if (!self) {
                return;
            }
            if (auto it = self->listeners.find(token); it != self->listeners.end()) {
                auto call = it->second;
                call(event);
            }
        });
    }
    void broadcast(const LocationEvent& event) {
        for (const auto& [token, deliver] : listeners) {
            send(token, event);
        }
    }
};

LocationSimulator::LocationSimulator() : source_(std::make_shared<Source>()) {
    installLocationSource(source_);
}
LocationSimulator::~LocationSimulator() {
    installLocationSource(nullptr);
}
void LocationSimulator::deliver(const std::shared_ptr<Location>& location) {
    source_->broadcast(LocationEvent{location, 0});
}
void LocationSimulator::fail(int code) {
    source_->broadcast(LocationEvent{nullptr, code});
}
void LocationSimulator::setDenied(bool denied) {
    source_->denied = denied;
}
size_t LocationSimulator::listeners() const {
    return source_->listeners.size();
}

struct AccelerometerSimulator::Source : AccelerometerSource {
    Acceleration vector;
    Acceleration current() override { return vector; }
};

AccelerometerSimulator::AccelerometerSimulator() : source_(std::make_shared<Source>()) {
    installAccelerometerSource(source_);
}
AccelerometerSimulator::~AccelerometerSimulator() {
    Accelerometer::shared().reset();
    installAccelerometerSource(nullptr);
}
void AccelerometerSimulator::setVector(double x, double y, double z) {
    source_->vector = Acceleration{x, y, z, 0};
}

} // namespace device::testing
