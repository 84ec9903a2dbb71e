// The installed device sources, created lazily with their Linux defaults.
#include "platform/device/backends.h"

#include <mutex>

#include "platform/device/linux_sources.h"
#include "platform/device/local_store.h"

namespace device {
namespace {

std::mutex mutex;
std::shared_ptr<BatterySource> battery;
std::shared_ptr<LocationSource> location;
std::shared_ptr<AccelerometerSource> accelerometer;
std::shared_ptr<StoreBackend> store;

template <class T, class Default>
std::shared_ptr<T> getOrMake(std::shared_ptr<T>& slot) {
    std::lock_guard lock(mutex);
    if (!slot) {
        slot = std::make_shared<Default>();
    }
    return slot;
}

template <class T>
void put(std::shared_ptr<T>& slot, std::shared_ptr<T> value) {
    std::lock_guard lock(mutex);
    slot = std::move(value);
}

} // namespace

void installBatterySource(std::shared_ptr<BatterySource> source) {
    put(battery, std::move(source));
}
std::shared_ptr<BatterySource> batterySource() {
    return getOrMake<BatterySource, SysfsBatterySource>(battery);
}
void installLocationSource(std::shared_ptr<LocationSource> source) {
    put(location, std::move(source));
}
std::shared_ptr<LocationSource> locationSource() {
    return getOrMake<LocationSource, EnvironmentLocationSource>(location);
}
void installAccelerometerSource(std::shared_ptr<AccelerometerSource> source) {
    put(accelerometer, std::move(source));
}
std::shared_ptr<AccelerometerSource> accelerometerSource() {
    return getOrMake<AccelerometerSource, RestingAccelerometerSource>(accelerometer);
}

void installStoreBackend(std::shared_ptr<StoreBackend> backend) {
    put(store, std::move(backend));
}
std::shared_ptr<StoreBackend> storeBackend() {
    return getOrMake<StoreBackend, LocalStore>(store);
}

} // namespace device
