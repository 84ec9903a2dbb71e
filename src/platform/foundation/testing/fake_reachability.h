// A scripted reachability provider for tests: flags set per host name or IPv4 address, and
// change() to make scheduled targets re-read them at once.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/reachability.h"

namespace fnd::testing {

class FakeReachability final : public ReachabilityProvider {
public:
    // Creates a fake and installs it as the process provider (backends.h).
    static std::shared_ptr<FakeReachability> install();

    // Flags for one name or address. Targets set nowhere get the default flags, which start as
    // Reachable (a Wi-Fi-like connection).
    void setFlagsForName(const std::string& host, ReachabilityFlags flags);
    void setFlagsForAddress(uint32_t ipv4, ReachabilityFlags flags);
    void setDefaultFlags(ReachabilityFlags flags);
    // Makes queries fail (getFlags() gives nullopt) while set.
    void setUnavailable(bool unavailable);

    // Makes every scheduled target re-read its flags on its loop now, calling back on a change.
    void change();

    std::optional<ReachabilityFlags> flagsForName(const std::string& host) override;
    std::optional<ReachabilityFlags> flagsForAddress(uint32_t ipv4) override;

private:
    std::mutex mutex_;
    std::map<std::string, ReachabilityFlags> names_;
    std::map<uint32_t, ReachabilityFlags> addresses_;
    ReachabilityFlags default_ = ReachabilityFlag::Reachable;
    bool unavailable_ = false;
};

} // namespace fnd::testing
