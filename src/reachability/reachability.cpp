// The reachability monitor: the status rules over fnd's reachability targets and the query table, which
// threads share under the monitor's lock.
#include "reachability/reachability.h"

#include <arpa/inet.h>

#include <cstring>
#include <utility>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "reachability/reachability_query.h"

namespace zelvan {
namespace {

using namespace fnd::ReachabilityFlag;

std::optional<fnd::ReachabilityFlags> flagsOf(const std::shared_ptr<fnd::ReachabilityRef>& ref) {
    return ref ? ref->getFlags() : std::nullopt;
}

} // namespace

Reachability::~Reachability() {
    stopListeningForReachabilityChanges();
}

std::optional<std::string> Reachability::hostName() const {
    std::lock_guard lock(mutex_);
    return hostName_;
}

void Reachability::setHostName(std::optional<std::string> hostName) {
    std::lock_guard lock(mutex_);
    hostName_ = std::move(hostName);
}

std::optional<std::string> Reachability::address() const {
    std::lock_guard lock(mutex_);
    return address_;
}

void Reachability::setAddress(std::optional<std::string> address) {
    std::lock_guard lock(mutex_);
    address_ = std::move(address);
}

bool Reachability::networkStatusNotificationsEnabled() const {
    std::lock_guard lock(mutex_);
    return notificationsEnabled_;
}

void Reachability::setNetworkStatusNotificationsEnabled(bool enabled) {
    std::lock_guard lock(mutex_);
    notificationsEnabled_ = enabled;
}

std::map<std::string, std::shared_ptr<ReachabilityQuery>> Reachability::reachabilityQueries() const {
    std::lock_guard lock(mutex_);
    return queries_;
}

bool Reachability::isReachableWithoutRequiringConnection(fnd::ReachabilityFlags flags) {
    if ((flags & Reachable) == 0) {
        return false;
    }
    if ((flags & IsWWAN) != 0) {
        return true;
    }
    return (flags & ConnectionRequired) == 0;
}

bool Reachability::isNetworkAvailableFlags(fnd::ReachabilityFlags* flags) {
    const auto read = flagsOf(reachabilityRefForAddress(std::string(kDefaultRouteKey)));
    if (flags != nullptr) {
        *flags = read.value_or(0);
    }
    return read && isReachableWithoutRequiringConnection(*read);
}

bool Reachability::isAdHocWiFiNetworkAvailableFlags(fnd::ReachabilityFlags* flags) {
    const auto read = flagsOf(reachabilityRefForAddress(std::string(kLinkLocalKey)));
    if (flags != nullptr) {
        *flags = read.value_or(0);
    }
    return read && isReachableWithoutRequiringConnection(*read);
}

int Reachability::internetConnectionStatus() {
    fnd::ReachabilityFlags flags = 0;
    if (!isNetworkAvailableFlags(&flags) || (flags & IsDirect) != 0) {
        return NotReachable;
    }
    return (flags & TransientConnection) == 0 ? ReachableViaWiFiNetwork : ReachableViaCarrierDataNetwork;
}

int Reachability::remoteHostStatus() {
    std::shared_ptr<fnd::ReachabilityRef> ref;
    if (auto host = hostName()) {
        ref = reachabilityRefForHostName(*host);
    } else if (auto dotted = address()) {
        ref = reachabilityRefForAddress(*dotted);
    } else {
        ZLOG(Warn, "No hostName or address specified. Cannot determine reachability.");
        return NotReachable;
    }
    const auto flags = flagsOf(ref);
    if (!flags || (*flags & Reachable) == 0) {
        return NotReachable;
    }
    return (*flags & TransientConnection) == 0 ? ReachableViaWiFiNetwork : ReachableViaCarrierDataNetwork;
}

int Reachability::localWiFiConnectionStatus() {
    fnd::ReachabilityFlags flags = 0;
    if (isAdHocWiFiNetworkAvailableFlags(&flags) && (flags & IsDirect) != 0) {
        return ReachableViaWiFiNetwork;
    }
    return NotReachable;
}

bool Reachability::isHostReachable(const std::string& host) {
    if (host.empty()) {
        return false;
    }
    const auto flags = flagsOf(fnd::ReachabilityRef::withName(host));
    return flags && isReachableWithoutRequiringConnection(*flags);
}

bool Reachability::addressFromString(const std::string& text, sockaddr_in* address) {
    in_addr parsed{};
    if (address == nullptr || inet_pton(AF_INET, text.c_str(), &parsed) != 1) {
        return false;
    }
    std::memset(address, 0, sizeof(*address));
    address->sin_family = AF_INET;
    address->sin_addr = parsed;
    return true;
}

std::shared_ptr<fnd::ReachabilityRef> Reachability::reachabilityRefForHostName(const std::string& hostName) {
    return refFor(hostName, false);
}

std::shared_ptr<fnd::ReachabilityRef> Reachability::reachabilityRefForAddress(const std::string& address) {
    return refFor(address, true);
}

std::shared_ptr<fnd::ReachabilityRef> Reachability::refFor(const std::string& key, bool byAddress) {
    std::lock_guard lock(mutex_);
    auto found = queries_.find(key);
    if (found == queries_.end()) {
        ReachabilityQuery::RefMaker maker;
        if (byAddress) {
            sockaddr_in socketAddress{};
            if (!addressFromString(key, &socketAddress)) {
                ZLOG(Warn, "Failed to convert an IP address string to a sockaddr_in: %s", fnd::logPreview(key));
                return nullptr;
            }
            const uint32_t hostOrder = ntohl(socketAddress.sin_addr.s_addr);
            maker = [hostOrder] { return fnd::ReachabilityRef::withAddress(hostOrder); };
        } else {
            maker = [key] { return fnd::ReachabilityRef::withName(key); };
        }
        auto ref = maker();
        if (!ref) {
            if (byAddress) {
                ZLOG(Warn, "Failed to create SCNetworkReachabilityRef for address: %s", fnd::logPreview(key));
            } else {
                ZLOG(Warn, "Failed to create SCNetworkReachabilityRef for host: %s", fnd::logPreview(key));
            }
            return nullptr;
        }
        found = queries_.emplace(key, std::make_shared<ReachabilityQuery>(key, std::move(ref), std::move(maker))).first;
    }
    // Listening starts only while notifications are on, on the asking thread's loop.
    if (notificationsEnabled_) {
        found->second->scheduleOnRunLoop(fnd::RunLoop::current());
    }
    return found->second->reachabilityRef();
}

void Reachability::stopListeningForReachabilityChanges() {
    std::lock_guard lock(mutex_);
    for (auto& [key, query] : queries_) {
        query->unscheduleFromAllRunLoops();
    }
}

} // namespace zelvan
