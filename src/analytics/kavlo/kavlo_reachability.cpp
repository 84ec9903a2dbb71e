// The Kavlo status rules over the product's reachability monitor.
#include "analytics/kavlo/kavlo_reachability.h"

#include <utility>

#include "analytics/kavlo/kavlo_log.h"
#include "analytics/kavlo/kavlo_reachability_query.h"
#include "platform/foundation/log_preview.h"
#include "reachability/reachability.h"

namespace zelvan::kavlo {
namespace {

using namespace fnd::ReachabilityFlag;

int statusOf(fnd::ReachabilityFlags flags) {
    return (flags & TransientConnection) != 0 ? ReachableViaCarrierDataNetwork : ReachableViaWiFiNetwork;
}

} // namespace

KavloReachability::KavloReachability(std::shared_ptr<Reachability> monitor) : monitor_(std::move(monitor)) {}

std::optional<std::string> KavloReachability::hostName() const {
    std::lock_guard lock(mutex_);
    return hostName_;
}

void KavloReachability::setHostName(std::optional<std::string> hostName) {
    std::lock_guard lock(mutex_);
    hostName_ = std::move(hostName);
}

std::optional<std::string> KavloReachability::address() const {
    std::lock_guard lock(mutex_);
    return address_;
}

void KavloReachability::setAddress(std::optional<std::string> address) {
    std::lock_guard lock(mutex_);
    address_ = std::move(address);
}

std::map<std::string, std::shared_ptr<KavloReachabilityQuery>> KavloReachability::reachabilityQueries() const {
    std::map<std::string, std::shared_ptr<KavloReachabilityQuery>> queries;
    if (monitor_) {
        for (auto& [key, query] : monitor_->reachabilityQueries()) {
            queries.emplace(key, std::make_shared<KavloReachabilityQuery>(query, false));
        }
    }
    return queries;
}

bool KavloReachability::isReachableWithoutRequiringConnection(fnd::ReachabilityFlags flags) {
    return (flags & Reachable) != 0 && ((flags & ConnectionRequired) == 0 || (flags & IsWWAN) != 0);
}

std::optional<fnd::ReachabilityFlags> KavloReachability::flagsAt(const std::string& key) {
    auto ref = reachabilityRefForAddress(key);
    return ref ? ref->getFlags() : std::nullopt;
}

bool KavloReachability::isNetworkAvailableFlags(fnd::ReachabilityFlags* flags) {
    const auto read = flagsAt(std::string(Reachability::kDefaultRouteKey));
    if (!read) {
        return false;
    }
    if (flags != nullptr) {
        *flags = *read;
    }
    return isReachableWithoutRequiringConnection(*read);
}

bool KavloReachability::isAdHocWiFiNetworkAvailableFlags(fnd::ReachabilityFlags* flags) {
    const auto read = flagsAt(std::string(Reachability::kLinkLocalKey));
    if (!read) {
        return false;
    }
    if (flags != nullptr) {
        *flags = *read;
    }
    return isReachableWithoutRequiringConnection(*read);
}

int KavloReachability::internetConnectionStatus() {
    fnd::ReachabilityFlags flags = 0;
    if (!isNetworkAvailableFlags(&flags) || (flags & IsDirect) != 0) {
        return NotReachable;
    }
    return statusOf(flags);
}

int KavloReachability::localWiFiConnectionStatus() {
    fnd::ReachabilityFlags flags = 0;
    return isAdHocWiFiNetworkAvailableFlags(&flags) && (flags & IsDirect) != 0 ? ReachableViaWiFiNetwork : NotReachable;
}

int KavloReachability::remoteHostStatus() {
    std::shared_ptr<fnd::ReachabilityRef> ref;
    const auto host = hostName();
    const auto dotted = address();
    if (host && !host->empty()) {
        ref = reachabilityRefForHostName(*host);
    } else if (dotted && !dotted->empty()) {
        ref = reachabilityRefForAddress(*dotted);
    } else {
        ZLOG_TO(kKavloLog, Error, "No hostName or address specified. Cannot determine reachability.");
        return NotReachable;
    }
    const auto flags = ref ? ref->getFlags() : std::nullopt;
    if (!flags || !isReachableWithoutRequiringConnection(*flags)) {
        return NotReachable;
    }
    return statusOf(*flags);
}

bool KavloReachability::isHostReachable(const std::string& host) {
    if (host.empty()) {
        return false;
    }
    auto ref = fnd::ReachabilityRef::withName(host);
    const auto flags = ref ? ref->getFlags() : std::nullopt;
    return flags && isReachableWithoutRequiringConnection(*flags);
}

std::shared_ptr<fnd::ReachabilityRef> KavloReachability::reachabilityRefForHostName(const std::string& hostName) {
    if (hostName.empty()) {
        return nullptr;
    }
    auto ref = monitor_ ? monitor_->reachabilityRefForHostName(hostName) : nullptr;
    if (!ref) {
        ZLOG_TO(kKavloLog, Error, "Failed to create SCNetworkReachabilityRef for host: %s", fnd::logPreview(hostName));
    }
    return ref;
}

std::shared_ptr<fnd::ReachabilityRef> KavloReachability::reachabilityRefForAddress(const std::string& address) {
    if (address.empty()) {
        return nullptr;
    }
    sockaddr_in parsed{};
    if (!addressFromString(address, &parsed)) {
        ZLOG_TO(kKavloLog, Error, "Failed to convert an IP address string to a sockaddr_in: %s",
                fnd::logPreview(address));
        return nullptr;
    }
    auto ref = monitor_ ? monitor_->reachabilityRefForAddress(address) : nullptr;
    if (!ref) {
        ZLOG_TO(kKavloLog, Error, "Failed to create SCNetworkReachabilityRef for address: %s",
                fnd::logPreview(address));
    }
    return ref;
}

bool KavloReachability::addressFromString(const std::string& text, sockaddr_in* address) {
    return !text.empty() && Reachability::addressFromString(text, address);
}

void KavloReachability::stopListeningForReachabilityChanges() {
    // This front never schedules a query (its notifications are off), so nothing of its own listens; the
    // monitor's other clients keep listening.
}

} // namespace zelvan::kavlo
