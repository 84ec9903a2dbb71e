// OrvaneContext: what the offer network's class-level operations share - the reply parser, the skin
// folder, the log threshold, the user colour and the service base - held in the application registry's
// `orvane` slot and reached through context().
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "core/network_endpoint.h"

namespace zelvan::orvane {

class ORVParser;
class ORVShadow;
class ORVModelController;
class OrvaneConnect;
class ORVAdModel;
class ORVFullPageAdsController;
class ORVScreens;
class ORVWebServiceInterface;
class SqliteController;
class LocalPurchasedItems;
class ORVFiltersValueInfo;

class OrvaneContext {
public:
    static constexpr int kDefaultLogThreshold = 3;
    static constexpr int32_t kDefaultUserColorCode = 0x0E2C4C;

    // `endpoint` is where the network's web services are (not configured: the service base is empty and
    // no request is sent). `skinFolder` holds the skin's images.
    OrvaneContext(const NetworkEndpoint& endpoint, std::string skinFolder);
    OrvaneContext(const OrvaneContext&) = delete;
    OrvaneContext& operator=(const OrvaneContext&) = delete;

    // The shared reply parser.
    const std::shared_ptr<ORVParser>& parser() const { return parser_; }
    const std::string& skinFolder() const { return skinFolder_; }
    // The endpoint's root, or "" when it is not configured.
    const std::string& serviceBase() const { return serviceBase_; }
    // The address of a web-service method: serviceBase + "/Service1.asmx/" + method; "" without a base
    // (the fetcher refuses an empty address, so the call ends at once as failed).
    std::string serviceURL(std::string_view method) const;

    // ORVLog writes levels at or below this (3 until set). Any thread.
    int logThreshold() const { return logThreshold_.load(); }
    void setLogThreshold(int level) { logThreshold_.store(level); }
    // The skin's primary colour as 0xRRGGBB (0E2C4C until the host sets one). Any thread.
    int32_t userColorCode() const { return userColorCode_.load(); }
    void setUserColorCode(int32_t code) { userColorCode_.store(code & 0xFFFFFF); }

    // --- The request identity (the generic parameters' values; fixed at build time, device id set by the
    // host). The connect key of a request is fnd::md5Hex(appId + deviceId + sdkVersion + timestamp + secret).
    static constexpr const char* kAppId = "zelvan-iphone";
    static constexpr const char* kAppSecret = "c4b1f0e2-zelvan-offers";
    static constexpr const char* kSdkVersion = "2.4";
    std::string deviceId() const;
    void setDeviceId(std::string id);
    // Seconds a service call may wait for its reply.
    static constexpr double kRequestTimeout = 20.0;

    // --- The client's objects (main thread) ---
    // The one session object and reply cache, made on first use.
    std::shared_ptr<ORVShadow> shadow();
    std::shared_ptr<ORVModelController> modelController();
    // The facade: null until the first connect request makes it.
    std::shared_ptr<OrvaneConnect> facade() const;
    void setFacade(std::shared_ptr<OrvaneConnect> facade);
    // The banner mediation's controller registry (none until the host installs one) and the maker of the
    // full-page controller (none: no full-page ads).
    std::shared_ptr<ORVAdModel> adModel() const;
    void setAdModel(std::shared_ptr<ORVAdModel> model);
    using FullPageFactory = std::function<std::shared_ptr<ORVFullPageAdsController>()>;
    FullPageFactory fullPageFactory() const;
    void setFullPageFactory(FullPageFactory factory);

    // The store and leaderboard screens (none until the composition root installs them).
    std::shared_ptr<ORVScreens> screens() const;
    void setScreens(std::shared_ptr<ORVScreens> screens);
    // The paging counters and purchase call, the local store of bought goods (<Documents>/
    // "orvane_goods.sqlite" unless set), the bought-goods update prompt and the leaderboard's last
    // filters: each made on first use.
    std::shared_ptr<ORVWebServiceInterface> webServiceInterface();
    std::shared_ptr<SqliteController> sqliteController();
    void setSqliteController(std::shared_ptr<SqliteController> store);
    std::shared_ptr<LocalPurchasedItems> localPurchasedItems();
    std::shared_ptr<ORVFiltersValueInfo> filtersValueInfo();

private:
    mutable std::recursive_mutex objectsMutex_;
    std::shared_ptr<ORVScreens> screens_;
    std::shared_ptr<ORVWebServiceInterface> webService_;
    std::shared_ptr<SqliteController> sqlite_;
    std::shared_ptr<LocalPurchasedItems> localPurchased_;
    std::shared_ptr<ORVFiltersValueInfo> filters_;
    std::string deviceId_ = "unknown-device";
    std::shared_ptr<ORVModelController> model_;
    std::shared_ptr<ORVAdModel> adModel_;
    FullPageFactory fullPageFactory_;
    // Ended before the objects above (its end tells the ad model and full-page controller to go).
    std::shared_ptr<OrvaneConnect> facade_;
    std::shared_ptr<ORVShadow> shadow_;
    std::shared_ptr<ORVParser> parser_;
    std::string skinFolder_;
    std::string serviceBase_;
    std::atomic<int> logThreshold_{kDefaultLogThreshold};
    std::atomic<int32_t> userColorCode_{kDefaultUserColorCode};
};

// The context in the installed application delegate's registry; null when no delegate is installed or
// its registry has no offer network. The one place this library reads the installed delegate. Any thread.
std::shared_ptr<OrvaneContext> context();

} // namespace zelvan::orvane
