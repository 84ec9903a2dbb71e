// The scripted reachability provider: lookups in the tables set by the test.
#include "platform/foundation/testing/fake_reachability.h"

#include "platform/foundation/backends.h"

namespace fnd::testing {

std::shared_ptr<FakeReachability> FakeReachability::install() {
    auto fake = std::make_shared<FakeReachability>();
    installReachabilityProvider(fake);
    return fake;
}

void FakeReachability::setFlagsForName(const std::string& host, ReachabilityFlags flags) {
    std::lock_guard lock(mutex_);
    names_[host] = flags;
}

void FakeReachability::setFlagsForAddress(uint32_t ipv4, ReachabilityFlags flags) {
    std::lock_guard lock(mutex_);
    addresses_[ipv4] = flags;
}

void FakeReachability::setDefaultFlags(ReachabilityFlags flags) {
    std::lock_guard lock(mutex_);
    default_ = flags;
}

void FakeReachability::setUnavailable(bool unavailable) {
    std::lock_guard lock(mutex_);
    unavailable_ = unavailable;
}

void FakeReachability::change() {
    Reachability::providerChanged();
}

std::optional<ReachabilityFlags> FakeReachability::flagsForName(const std::string& host) {
    std::lock_guard lock(mutex_);
    if (unavailable_) {
        return std::nullopt;
    }
    auto it = names_.find(host);
    return it != names_.end() ? it->second : default_;
}

std::optional<ReachabilityFlags> FakeReachability::flagsForAddress(uint32_t ipv4) {
    std::lock_guard lock(mutex_);
    if (unavailable_) {
        return std::nullopt;
    }
    auto it = addresses_.find(ipv4);
    return it != addresses_.end() ? it->second : default_;
}

} // namespace fnd::testing
