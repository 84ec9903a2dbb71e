// KavloContext: what the Kavlo analytics client keeps process-wide - its event queue database, its JSON
// writer, its reachability front over the product's one monitor, the analytics data server's address, and
// the controller and the messenger once the entry points made them - held in the application registry's
// `kavlo` slot. It constructs none of the client's parts; makeKavlo (kavlo_wiring.h) makes it and says
// how it ends them. Only the class-level entry points (kavlo_entry_points.cpp) reach it through
// context(); every other part is handed it. Tests make their own.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "analytics/kavlo/kavlo_json.h"
#include "core/network_endpoint.h"

namespace zelvan {
class Reachability;
}

namespace zelvan::kavlo {

struct KavloAdShared;
class KavloBrowserView;
class KavloController;
class KavloDatabase;
class KavloMessenger;
class KavloReachability;

// The client's version, in every environment record and every upload.
inline constexpr std::string_view kKavloSDKVersion = "3.1.0";

class KavloContext {
public:
    // `reachability` is the product's monitor (may be null: then every status reads 0). The analytics data
    // server is the endpoint's root; not configured, events are stored but never sent.
    explicit KavloContext(std::shared_ptr<Reachability> reachability = nullptr, const NetworkEndpoint& endpoint = {});
    // Runs the teardown first.
    ~KavloContext();
    KavloContext(const KavloContext&) = delete;
    KavloContext& operator=(const KavloContext&) = delete;

    // The event queue once KavloDatabase::initForApplication has opened it; null before. Any thread.
    std::shared_ptr<KavloDatabase> database() const;
    void setDatabase(std::shared_ptr<KavloDatabase> database);

    // The client's JSON writer, default settings (it serialises its own calls).
    KavloJSON& json() { return json_; }

    // The reachability front (never null).
    const std::shared_ptr<KavloReachability>& reachability() const { return reachability_; }

    // The analytics data server's root ("" when none) and its host name (the reachability host).
    std::string serverURL() const;
    std::string serverHost() const;
    void setServerURL(const std::string& url);

    // What runs first when the context goes (makeKavlo's: the client's threads hold the controller and the
    // messenger, so they end before the queue goes). Set before the context is shared.
    void setTeardown(std::function<void(KavloContext&)> teardown) { teardown_ = std::move(teardown); }

    // The controller and the messenger once made (null before). Any thread.
    std::shared_ptr<KavloController> controller() const;
    void setController(std::shared_ptr<KavloController> controller);
    std::shared_ptr<KavloMessenger> messenger() const;
    void setMessenger(std::shared_ptr<KavloMessenger> messenger);
    // The class lock that getInstance of the controller and of the messenger take.
    std::recursive_mutex& classLock() { return classLock_; }
    // Set once Info.plist was found to name no application id: the client stays off.
    std::atomic<bool> misconfigured{false};

    // Main thread only: the values the ad views share (alive while any ad view is) and the one in-app
    // browser view (made by the first touch-through).
    std::weak_ptr<KavloAdShared> adShared;
    std::shared_ptr<KavloBrowserView> browserView;
    // The app store, maps and video site hosts whose links the in-app browser hands to the system.
    const std::vector<std::string> browserSystemHosts{"apps.store.test", "maps.test", "video.test"};

private:
    mutable std::mutex mutex_;
    std::recursive_mutex classLock_;
    std::string serverURL_;
    std::shared_ptr<KavloController> controller_;
    std::shared_ptr<KavloMessenger> messenger_;
    std::shared_ptr<KavloDatabase> database_;
    KavloJSON json_;
    std::shared_ptr<KavloReachability> reachability_;
    std::function<void(KavloContext&)> teardown_;
};

// The context in the installed application delegate's registry; null when there is none. The one place
// this library reads the installed delegate; called by the class-level entry points only. Any thread.
std::shared_ptr<KavloContext> context();

} // namespace zelvan::kavlo
