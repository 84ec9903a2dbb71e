// The outside-world sources of the device module (battery, location, accelerometer, store), each behind one
// interface: the process uses the Linux source by default and tests install simulators (device/testing/) through the
// install calls here. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/device/store_types.h"
#include "platform/foundation/error.h"

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

// The in-app store's backend: the catalogue, the processing of payments, and the unfinished transactions
// that must outlive a restart. Answers always arrive on a later pass of the main loop.
class StoreBackend {
public:
    // The outcome of one payment: Purchased, or Failed with a PaymentErrorCode.
    using Outcome = std::function<void(TransactionState state, int errorCode)>;
    using ProductsAnswer = std::function<void(fnd::Result<ProductsResponse>)>;
    virtual ~StoreBackend() = default;
    virtual bool canMakePayments() = 0;
    virtual void requestProducts(const std::set<std::string>& identifiers, ProductsAnswer answer) = 0;
    // Processes the transaction's payment and reports through `outcome`, possibly much later (or, for a
    // transaction submitted again after a restart, through the newest outcome given).
    virtual void submit(const TransactionRecord& transaction, Outcome outcome) = 0;
    // The transactions not yet finished, kept across restarts.
    virtual std::vector<TransactionRecord> unfinishedTransactions() = 0;
    virtual void saveUnfinishedTransactions(const std::vector<TransactionRecord>& transactions) = 0;
};

// Each getter creates the Linux source on first use; installing null goes back to it.
void installBatterySource(std::shared_ptr<BatterySource> source);
std::shared_ptr<BatterySource> batterySource();
void installLocationSource(std::shared_ptr<LocationSource> source);
std::shared_ptr<LocationSource> locationSource();
void installAccelerometerSource(std::shared_ptr<AccelerometerSource> source);
std::shared_ptr<AccelerometerSource> accelerometerSource();
// LocalStore by default (the bundle's catalogue; every purchase approved).
void installStoreBackend(std::shared_ptr<StoreBackend> backend);
std::shared_ptr<StoreBackend> storeBackend();

} // namespace device
