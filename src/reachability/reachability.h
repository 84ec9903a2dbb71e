// Reachability: the product's one network-reachability monitor. It tells whether the device is online and
// how (0 not reachable, 1 carrier data network, 2 Wi-Fi), whether a host or address is reachable and
// whether a link-local network is present, and, while notifications are on, posts
// "kNetworkReachabilityChangedNotification" when reachability changes. Safe from any thread.
#pragma once

#include <netinet/in.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/reachability.h"

namespace zelvan {

class ReachabilityQuery;

inline constexpr std::string_view kNetworkReachabilityChangedNotification = "kNetworkReachabilityChangedNotification";

enum NetworkStatus : int {
    NotReachable = 0,
    ReachableViaCarrierDataNetwork = 1,
    ReachableViaWiFiNetwork = 2,
};

class Reachability {
public:
    // The query keys of the default route and of the link-local network.
    static constexpr std::string_view kDefaultRouteKey = "0.0.0.0";
    static constexpr std::string_view kLinkLocalKey = "169.254.0.0";

    // The monitor in the installed application delegate's registry (its `reachability` slot); null when
    // no delegate is installed or the slot is empty.
    static std::shared_ptr<Reachability> sharedReachability();

    Reachability() = default;
    // Stops all listening.
    ~Reachability();
    Reachability(const Reachability&) = delete;
    Reachability& operator=(const Reachability&) = delete;

    std::optional<std::string> hostName() const;
    void setHostName(std::optional<std::string> hostName);
    std::optional<std::string> address() const;
    void setAddress(std::optional<std::string> address);
    bool networkStatusNotificationsEnabled() const;
    void setNetworkStatusNotificationsEnabled(bool enabled);
    // The query table's keys, in order.
    std::map<std::string, std::shared_ptr<ReachabilityQuery>> reachabilityQueries() const;

    // Through the default route: 0, 1 or 2. The host name and address play no part.
    int internetConnectionStatus();
    // Of the host name set, else of the address set: 0, 1 or 2.
    int remoteHostStatus();
    // 2 when a link-local network is reachable directly, else 0.
    int localWiFiConnectionStatus();
    // A one-off check of `host`: NO for an empty name.
    bool isHostReachable(const std::string& host);

    // Reachable, and either through the carrier data network or without a connection to be made first.
    static bool isReachableWithoutRequiringConnection(fnd::ReachabilityFlags flags);
    // The default route's flags into `flags` (when given); whether it is reachable without a new connection.
    bool isNetworkAvailableFlags(fnd::ReachabilityFlags* flags);
    // The link-local network's flags into `flags`; whether it is reachable without a new connection.
    bool isAdHocWiFiNetworkAvailableFlags(fnd::ReachabilityFlags* flags);

    // The target of a host name or dotted address, made once per text, kept in the query table and
    // scheduled on the current run loop (while notifications are on); null when it cannot be made.
    std::shared_ptr<fnd::ReachabilityRef> reachabilityRefForHostName(const std::string& hostName);
    std::shared_ptr<fnd::ReachabilityRef> reachabilityRefForAddress(const std::string& address);
    // Fills an IPv4 socket address from dotted-quad text; NO when the text is not one.
    static bool addressFromString(const std::string& text, sockaddr_in* address);

    // Stops every query listening on every run loop.
    void stopListeningForReachabilityChanges();

private:
    std::shared_ptr<fnd::ReachabilityRef> refFor(const std::string& key, bool byAddress);

    mutable std::mutex mutex_;
    std::optional<std::string> hostName_;
    std::optional<std::string> address_;
    bool notificationsEnabled_ = false;
    std::map<std::string, std::shared_ptr<ReachabilityQuery>> queries_;
};

} // namespace zelvan
