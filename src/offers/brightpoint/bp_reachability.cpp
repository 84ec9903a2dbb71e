// The offer wall's reachability monitor: the status rules over a reachability target of its own, or over
// the product's one monitor for the internet, and the change notification.
#include "offers/brightpoint/bp_reachability.h"

#include <arpa/inet.h>

#include "offers/brightpoint/bp_log.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/verify.h"
#include "reachability/reachability.h"

namespace zelvan::brightpoint {

namespace {

using namespace fnd::ReachabilityFlag;

constexpr uint32_t kLinkLocalNetwork = 0xA9FE0000; // 169.254.0.0

void printReachabilityFlags(fnd::ReachabilityFlags flags, const char* comment) {
    auto bit = [flags](fnd::ReachabilityFlags mask, char letter) { return (flags & mask) != 0 ? letter : '-'; };
    ZLOG_TO(kBrightpointLog, Debug, "Reachability Flag Status: %c%c %c%c%c%c%c%c%c %s\n", bit(IsWWAN, 'W'),
            bit(Reachable, 'R'), bit(TransientConnection, 't'), bit(ConnectionRequired, 'c'),
            bit(ConnectionOnTraffic, 'C'), bit(InterventionRequired, 'i'), bit(ConnectionOnDemand, 'D'),
            bit(IsLocalAddress, 'l'), bit(IsDirect, 'd'), comment);
}

void announce(const std::shared_ptr<fnd::Object>& monitor) {
    fnd::NotificationCenter::defaultCenter().postNotificationName(kBPNetworkReachabilityChangedNotification,
                                                                  fnd::Value(monitor));
}

} // namespace

std::shared_ptr<BPReachability> BPReachability::withTarget(std::shared_ptr<fnd::ReachabilityRef> target,
                                                           bool localWiFi) {
    if (!target) {
        return nullptr;
    }
    return std::make_shared<BPReachability>(Passkey(), std::move(target), nullptr, localWiFi);
}

void BPReachabilityCallback(fnd::ReachabilityRef&, fnd::ReachabilityFlags, const std::shared_ptr<fnd::Object>& info) {
    VERIFY(info != nullptr && "info was NULL in BPReachabilityCallback");
    VERIFY(std::dynamic_pointer_cast<BPReachability>(info) != nullptr &&
           "info was wrong class in BPReachabilityCallback");
    announce(info);
}

std::shared_ptr<BPReachability> BPReachability::reachabilityWithHostName(const std::string& hostName) {
    return withTarget(fnd::ReachabilityRef::withName(hostName), false);
}

std::shared_ptr<BPReachability> BPReachability::reachabilityWithAddress(const sockaddr_in& hostAddress) {
    if (hostAddress.sin_family != AF_INET) {
        return nullptr;
    }
    return withTarget(fnd::ReachabilityRef::withAddress(ntohl(hostAddress.sin_addr.s_addr)), false);
}

std::shared_ptr<BPReachability> BPReachability::reachabilityForInternetConnection() {
    if (auto shared = Reachability::sharedReachability()) {
        return std::make_shared<BPReachability>(Passkey(), nullptr, std::move(shared), false);
    }
    sockaddr_in zeroAddress{};
    zeroAddress.sin_family = AF_INET;
    return reachabilityWithAddress(zeroAddress);
}

std::shared_ptr<BPReachability> BPReachability::reachabilityForLocalWiFi() {
    sockaddr_in linkLocal{};
    linkLocal.sin_family = AF_INET;
    linkLocal.sin_addr.s_addr = htonl(kLinkLocalNetwork);
    return withTarget(fnd::ReachabilityRef::withAddress(ntohl(linkLocal.sin_addr.s_addr)), true);
}

BPReachability::BPReachability(Passkey, std::shared_ptr<fnd::ReachabilityRef> target,
                               std::shared_ptr<Reachability> shared, bool localWiFi)
    : target_(std::move(target)), shared_(std::move(shared)), localWiFi_(localWiFi) {}

BPReachability::~BPReachability() {
    stopNotifer();
    if (target_) {
        target_->setCallback(nullptr);
    }
}

bool BPReachability::startNotifer() {
    std::weak_ptr<fnd::Object> self = weak_from_this();
    if (shared_) {
        // The product monitor announces every change of its targets; each is passed on as this monitor's.
        shared_->setNetworkStatusNotificationsEnabled(true);
        forwarding_ = fnd::NotificationCenter::defaultCenter().observe(
            std::string(kNetworkReachabilityChangedNotification),
            std::weak_ptr<BPReachability>(std::static_pointer_cast<BPReachability>(shared_from_this())),
            &BPReachability::forwardChange);
        // Asking schedules the default route's target on this thread's run loop.
        return shared_->reachabilityRefForAddress(std::string(Reachability::kDefaultRouteKey)) != nullptr;
    }
    const bool registered = target_->setCallback([self](fnd::ReachabilityRef& target, fnd::ReachabilityFlags flags) {
        // A monitor on its way out has stopped listening; a change already under way is dropped.
        if (auto monitor = self.lock()) {
            BPReachabilityCallback(target, flags, monitor);
        }
    });
    return registered && target_->scheduleWithRunLoop(fnd::RunLoop::current(), fnd::RunLoopMode::Default);
}

void BPReachability::forwardChange() {
    announce(shared_from_this());
}

void BPReachability::stopNotifer() {
    if (shared_) {
        forwarding_.reset();
        return;
    }
    target_->unscheduleFromRunLoop(fnd::RunLoop::current(), fnd::RunLoopMode::Default);
}

std::optional<fnd::ReachabilityFlags> BPReachability::readFlags() {
    if (shared_) {
        fnd::ReachabilityFlags flags = 0;
        shared_->isNetworkAvailableFlags(&flags);
        return flags;
    }
    return target_->getFlags();
}

int BPReachability::currentReachabilityStatus() {
    const auto flags = readFlags();
    if (!flags) {
        return BPNotReachable;
    }
    return localWiFi_ ? localWiFiStatusForFlags(*flags) : BPNetworkStatusForFlags(*flags);
}

bool BPReachability::connectionRequired() {
    const auto flags = readFlags();
    return flags && (*flags & ConnectionRequired) != 0;
}

int BPReachability::BPNetworkStatusForFlags(fnd::ReachabilityFlags flags) const {
    printReachabilityFlags(flags, "networkStatusForFlags");
    if ((flags & Reachable) == 0) {
        return BPNotReachable;
    }
    int status = (flags & ConnectionRequired) == 0 ? BPReachableViaWiFi : BPNotReachable;
    if ((flags & (ConnectionOnDemand | ConnectionOnTraffic)) != 0 && (flags & InterventionRequired) == 0) {
        status = BPReachableViaWiFi;
    }
    if ((flags & IsWWAN) != 0) {
        status = BPReachableViaWWAN;
    }
    return status;
}

int BPReachability::localWiFiStatusForFlags(fnd::ReachabilityFlags flags) const {
    printReachabilityFlags(flags, "localWiFiStatusForFlags");
    return (flags & Reachable) != 0 && (flags & IsDirect) != 0 ? BPReachableViaWiFi : BPNotReachable;
}

} // namespace zelvan::brightpoint
