// KavloReachability: the Kavlo client's network status (0 not reachable, 1 carrier data network, 2 Wi-Fi)
// as a thin front over the product's one reachability monitor: it keeps its own host name and address
// and reads flags through the monitor's query cache. Change notifications stay off. Any thread.
#pragma once

#include <netinet/in.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/reachability.h"

namespace zelvan {
class Reachability;
}

namespace zelvan::kavlo {

class KavloReachabilityQuery;

class KavloReachability {
public:
    // The front of the installed registry's Kavlo context; null when there is none. An entry point
    // (kavlo_entry_points.cpp).
    static std::shared_ptr<KavloReachability> getInstance();

    // Over `monitor` (null: every flag is unreadable, every status 0).
    explicit KavloReachability(std::shared_ptr<Reachability> monitor);

    std::optional<std::string> hostName() const;
    void setHostName(std::optional<std::string> hostName);
    std::optional<std::string> address() const;
    void setAddress(std::optional<std::string> address);
    // Always false here: this client never listens for changes.
    bool networkStatusNotificationsEnabled() const { return false; }
    // The monitor's cached queries, by host name or address.
    std::map<std::string, std::shared_ptr<KavloReachabilityQuery>> reachabilityQueries() const;

    // Reachable, and either over the carrier network or without a connection to be made first.
    static bool isReachableWithoutRequiringConnection(fnd::ReachabilityFlags flags);
    // Through the default route: 0, or 1 with the transient bit, else 2 (a direct link gives 0).
    int internetConnectionStatus();
    // 2 when the link-local network is reachable directly, else 0.
    int localWiFiConnectionStatus();
    // Of the host name when set, else of the address; with neither, one ERROR line and 0.
    int remoteHostStatus();
    // A one-off check of `host`; false for an empty name or unreadable flags.
    bool isHostReachable(const std::string& host);
    // The default route's (or link-local network's) flags into `flags` when readable (else it is left
    // alone) and whether they pass isReachableWithoutRequiringConnection.
    bool isNetworkAvailableFlags(fnd::ReachabilityFlags* flags);
    bool isAdHocWiFiNetworkAvailableFlags(fnd::ReachabilityFlags* flags);
    // The cached target of a host name or dotted IPv4 address; null (with an ERROR line unless the text
    // is empty) when it cannot be made.
    std::shared_ptr<fnd::ReachabilityRef> reachabilityRefForHostName(const std::string& hostName);
    std::shared_ptr<fnd::ReachabilityRef> reachabilityRefForAddress(const std::string& address);
    // Fills an IPv4 socket address from dotted text; false for empty or other text.
    static bool addressFromString(const std::string& text, sockaddr_in* address);
    // Stops every cached query listening on every run loop.
    void stopListeningForReachabilityChanges();

private:
    std::optional<fnd::ReachabilityFlags> flagsAt(const std::string& key);

    std::shared_ptr<Reachability> monitor_;
    mutable std::mutex mutex_;
    std::optional<std::string> hostName_;
    std::optional<std::string> address_;
};

} // namespace zelvan::kavlo
