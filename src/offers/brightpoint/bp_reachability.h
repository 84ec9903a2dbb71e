// BPReachability: the offer wall's reachability monitor. It tells whether a host, an address, the internet
// or the link-local network can be reached (0 not reachable, 1 through Wi-Fi or any non-cellular route,
// 2 through the cellular network) and, once started, posts "kBPNetworkReachabilityChangedNotification"
// with itself as object on the run loop it was started on. The internet monitor reads the product's one
// monitor (the registry's reachability slot) when there is one; every other form has its own target.
#pragma once

#include <netinet/in.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/object.h"
#include "platform/foundation/observer_token.h"
#include "platform/foundation/reachability.h"

namespace zelvan {
class Reachability;
}

namespace zelvan::brightpoint {

inline constexpr std::string_view kBPNetworkReachabilityChangedNotification =
    "kBPNetworkReachabilityChangedNotification";

enum BPNetworkStatus : int {
    BPNotReachable = 0,
    BPReachableViaWiFi = 1,
    BPReachableViaWWAN = 2,
};

class BPReachability : public fnd::Object {
public:
    // Each is null when the target cannot be made.
    static std::shared_ptr<BPReachability> reachabilityWithHostName(const std::string& hostName);
    static std::shared_ptr<BPReachability> reachabilityWithAddress(const sockaddr_in& hostAddress);
    // The zero address: the product's one monitor when the registry holds one, else a target of its own.
    static std::shared_ptr<BPReachability> reachabilityForInternetConnection();
    // The link-local network 169.254.0.0.
    static std::shared_ptr<BPReachability> reachabilityForLocalWiFi();

    struct Passkey {
    private:
        friend class BPReachability;
        Passkey() = default;
    };
    BPReachability(Passkey, std::shared_ptr<fnd::ReachabilityRef> target, std::shared_ptr<Reachability> shared,
                   bool localWiFi);
    // Stops the notifications first.
    ~BPReachability() override;

    std::string className() const override { return "BPReachability"; }

    // Announces changes on the current run loop; true when both the callback and the scheduling took.
    bool startNotifer();
    // Stops announcing (unschedules from the current run loop).
    void stopNotifer();

    // 0 when the flags cannot be read; else the local Wi-Fi or the network rule over them.
    int currentReachabilityStatus();
    // The connection-required flag; false when the flags cannot be read.
    bool connectionRequired();
    // 0 not reachable; 1, or 0 with a connection required; 1 when the connection comes on demand or on
    // traffic without intervention; 2 on the cellular network. Logs the flags at Debug.
    int BPNetworkStatusForFlags(fnd::ReachabilityFlags flags) const;
    // 1 when reachable directly, else 0. Logs the flags at Debug.
    int localWiFiStatusForFlags(fnd::ReachabilityFlags flags) const;

    bool localWiFiRef() const { return localWiFi_; }

private:
    // Null without a target.
    static std::shared_ptr<BPReachability> withTarget(std::shared_ptr<fnd::ReachabilityRef> target, bool localWiFi);
    std::optional<fnd::ReachabilityFlags> readFlags();
    // Announces a change of the product monitor as this monitor's.
    void forwardChange();

    const std::shared_ptr<fnd::ReachabilityRef> target_;
    const std::shared_ptr<Reachability> shared_;
    const bool localWiFi_;
    // The forwarding of the product monitor's change notifications, while started.
    fnd::ObserverToken forwarding_;
};

// Posts the change notification for the monitor given as `info`, which must be a live BPReachability.
void BPReachabilityCallback(fnd::ReachabilityRef& target, fnd::ReachabilityFlags flags,
                            const std::shared_ptr<fnd::Object>& info);

} // namespace zelvan::brightpoint
