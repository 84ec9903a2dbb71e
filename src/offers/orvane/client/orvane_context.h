// OrvaneContext: the offer network's values and shared services - the reply parser, the skin folder, the
// user colour, the service base and request identity, the screens and banner mediation the composition root
// installs - and the client objects the class-level entry points hand out. It makes none of those objects:
// makeOrvane (orvane_wiring.h) does and sets them here. Held in the application registry's `orvane` slot
// and reached through context() only by orvane_entry_points.cpp.
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
class ORVFiltersValueInfo;

class OrvaneContext {
public:
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

    // --- What the composition root installs (main thread) ---
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

    // --- The client objects (main thread), made by makeOrvane and handed out by the class-level entry
    // points; null on a context makeOrvane did not fill. ---
    struct Objects {
        std::shared_ptr<ORVModelController> modelController;
        std::shared_ptr<SqliteController> sqliteController;
        std::shared_ptr<ORVWebServiceInterface> webServiceInterface;
        std::shared_ptr<ORVShadow> shadow;
        // The leaderboard's last filter values.
        std::shared_ptr<ORVFiltersValueInfo> filtersValueInfo;
        // Makes the facade; the first connect request calls it.
        std::function<std::shared_ptr<OrvaneConnect>()> makeFacade;
    };
    void setObjects(Objects objects);
    std::shared_ptr<ORVShadow> shadow() const;
    std::shared_ptr<ORVModelController> modelController() const;
    std::shared_ptr<ORVWebServiceInterface> webServiceInterface() const;
    std::shared_ptr<SqliteController> sqliteController() const;
    std::shared_ptr<ORVFiltersValueInfo> filtersValueInfo() const;
    // A new facade from the maker makeOrvane set; null without one.
    std::shared_ptr<OrvaneConnect> makeFacade() const;
    // The facade: null until the first connect request makes it.
    std::shared_ptr<OrvaneConnect> facade() const;
    void setFacade(std::shared_ptr<OrvaneConnect> facade);

private:
    mutable std::recursive_mutex objectsMutex_;
    std::shared_ptr<ORVScreens> screens_;
    std::string deviceId_ = "unknown-device";
    std::shared_ptr<ORVAdModel> adModel_;
    FullPageFactory fullPageFactory_;
    std::shared_ptr<ORVParser> parser_;
    std::string skinFolder_;
    std::string serviceBase_;
    std::atomic<int32_t> userColorCode_{kDefaultUserColorCode};
    // Ended before everything above (the session object's end tells the ad model and full-page controller
    // to go), the facade first.
    Objects objects_;
    std::shared_ptr<OrvaneConnect> facade_;
};

// The context in the installed application delegate's registry; null when no delegate is installed or
// its registry has no offer network. The one place this library reads the installed delegate, called
// only by the class-level entry points (orvane_entry_points.cpp). Any thread.
std::shared_ptr<OrvaneContext> context();

} // namespace zelvan::orvane
