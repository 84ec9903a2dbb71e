// FakeStore: a scripted store backend for tests. It has a catalogue, an outcome per product (purchase, fail
// with a code, or stay purchasing until completeNext()), and keeps unfinished transactions in memory so
// they come back on the queue after PaymentQueue::resetDefaultQueue(). Installs itself while alive.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>

#include "platform/device/backends.h"

namespace device::testing {

class FakeStore {
public:
    struct Script {
        enum class Kind { Purchase, Fail, Pending } kind = Kind::Purchase;
        int errorCode = 0;
    };

    FakeStore();
    ~FakeStore();

    void addProduct(Product product);
    void setOutcome(const std::string& productIdentifier, Script script);
    void setCanMakePayments(bool can);
    // The next products request fails with this code (once).
    void failNextProductsRequest(int code);
    // Completes the oldest transaction left purchasing as purchased; false when none waits.
    bool completeNext();
    size_t pendingCount() const;

private:
    struct Backend;
    std::shared_ptr<Backend> backend_;
};

} // namespace device::testing
