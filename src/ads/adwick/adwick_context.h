// AdwickContext: what the banner client keeps process-wide: its server addresses, the worker pool its ad
// replies are read on, the shared services below it (localizer, image cache, location manager, app data,
// each made on first use), the user agent,
// the publisher's id and keywords, the rich ads' colours, the landing screen on screen, and the factories
// of rich ads and landing screens (installed by the wiring, adwick_wiring.h). It lives in the application
// registry's `adwick` slot; the classes of the client are handed it when they are made, and only the
// entry points (adwick_entry_points.cpp) reach it through context().
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ads/adwick/adwick_url_download.h"
#include "core/network_endpoint.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"

namespace fnd {
class WorkerPool;
}

namespace zelvan::adwick {

class AdwickAppData;
class AdwickBrowserController;
class AdwickCanvasController;
class AdwickContext;
class AdwickDelegate;
class AdwickFlexAdDelegate;
class AdwickImageCache;
class AdwickLocalizer;
class AdwickLocationManager;
class AdwickModalViewController;
class AdwickRichAd;
class AdwickSearchViewController;

// The colours rich ads take from the first flex ad's publisher.
struct AdwickFlexColors {
    gfx::Color primaryText = gfx::Color::white();
    gfx::Color secondaryText = gfx::Color::white();
    gfx::Color adBackground = gfx::Color(0.443, 0.514, 0.631, 1);
};

// Builds a rich ad from `markup` in `frame`; it reports to `delegate`, reads `publisher` and is handed
// `context`.
using AdwickFlexAdFactory = std::function<std::shared_ptr<AdwickRichAd>(
    const fnd::Value& markup, std::weak_ptr<AdwickFlexAdDelegate> delegate, std::weak_ptr<AdwickDelegate> publisher,
    gfx::Rect frame, const std::shared_ptr<AdwickContext>& context)>;

// What makes the landing screens a click can open (embedded browser, canvas page, search screen), each
// handed the context. A click whose screen has no factory logs one line and opens nothing.
struct AdwickLandingScreens {
    std::function<std::shared_ptr<AdwickBrowserController>(const std::shared_ptr<AdwickContext>&)> browser;
    std::function<std::shared_ptr<AdwickCanvasController>(const std::shared_ptr<AdwickContext>&)> canvas;
    std::function<std::shared_ptr<AdwickSearchViewController>(const std::shared_ptr<AdwickContext>&)> search;
};

class AdwickContext {
public:
    // `endpoint` is the media server (not configured: no address is known and every download fails at
    // once); `workers` read the ad replies. No rich ad or landing screen is made until their factories are
    // installed.
    AdwickContext(const NetworkEndpoint& endpoint, std::shared_ptr<fnd::WorkerPool> workers);
    AdwickContext(const AdwickContext&) = delete;
    AdwickContext& operator=(const AdwickContext&) = delete;

    // The endpoint's "/ad_source.php", or "".
    const std::string& endpoint() const { return endpoint_; }
    // The endpoint's root (the media server), or "".
    const std::string& mediaBase() const { return mediaBase_; }
    // Where each ad's JSON reply is read, off the main thread.
    const std::shared_ptr<fnd::WorkerPool>& workers() const { return workers_; }

    std::shared_ptr<AdwickLocalizer> localizer();
    std::shared_ptr<AdwickImageCache> imageCache();
    std::shared_ptr<AdwickLocationManager> locationManager();
    std::shared_ptr<AdwickAppData> appData();
    // Built once, with the device's locale.
    std::string userAgent();
    // What the client's downloads carry: the user agent, and whether the media server is configured.
    AdwickDownloadSettings downloadSettings();

    // The application's publisher id and the keywords its banners ask with.
    static constexpr std::string_view kDefaultPublisherId = "zelvan-messenger";
    const std::string& publisherId() const { return publisherId_; }
    void setPublisherId(std::string id) { publisherId_ = std::move(id); }
    const std::optional<std::string>& keywords() const { return keywords_; }
    void setKeywords(std::optional<std::string> keywords) { keywords_ = std::move(keywords); }

    // What builds rich ads and the landing screens of clicks (the real ones, installed by the wiring;
    // tests may swap in recorders). Main thread.
    const AdwickFlexAdFactory& flexAdFactory() const { return flexAdFactory_; }
    void setFlexAdFactory(AdwickFlexAdFactory factory) { flexAdFactory_ = std::move(factory); }
    const AdwickLandingScreens& landingScreens() const { return landingScreens_; }
    void setLandingScreens(AdwickLandingScreens screens) { landingScreens_ = std::move(screens); }

    // The rich ads' colours, taken from the first flex ad's publisher; nullopt until then. Main thread.
    const std::optional<AdwickFlexColors>& flexColors() const { return flexColors_; }
    void setFlexColors(AdwickFlexColors colors) { flexColors_ = colors; }

    // The landing screen on screen, held until it has given the screen back. Main thread.
    const std::shared_ptr<AdwickModalViewController>& landingScreenOnScreen() const { return landingScreenOnScreen_; }
    void setLandingScreenOnScreen(std::shared_ptr<AdwickModalViewController> screen) {
        landingScreenOnScreen_ = std::move(screen);
    }

    // The map service's host prefixes and the video site's host names whose links the embedded browser
    // hands to the system (matched only, never fetched).
    const std::vector<std::string>& mapHostPrefixes() const { return mapHostPrefixes_; }
    void setMapHostPrefixes(std::vector<std::string> prefixes) { mapHostPrefixes_ = std::move(prefixes); }
    const std::vector<std::string>& videoHosts() const { return videoHosts_; }
    void setVideoHosts(std::vector<std::string> hosts) { videoHosts_ = std::move(hosts); }

    // Whether an ad of this run already asked for the embedded browser's button pictures. Main thread.
    bool browserIconsRequested() const { return browserIconsRequested_; }
    void setBrowserIconsRequested() { browserIconsRequested_ = true; }

private:
    std::recursive_mutex mutex_;
    std::string endpoint_;
    std::string mediaBase_;
    const std::shared_ptr<fnd::WorkerPool> workers_;
    std::shared_ptr<AdwickLocalizer> localizer_;
    std::shared_ptr<AdwickImageCache> imageCache_;
    std::shared_ptr<AdwickLocationManager> locationManager_;
    std::shared_ptr<AdwickAppData> appData_;
    std::optional<std::string> userAgent_;
    std::string publisherId_ = std::string(kDefaultPublisherId);
    std::optional<std::string> keywords_;
    AdwickFlexAdFactory flexAdFactory_;
    AdwickLandingScreens landingScreens_;
    std::shared_ptr<AdwickModalViewController> landingScreenOnScreen_;
    std::optional<AdwickFlexColors> flexColors_;
    bool browserIconsRequested_ = false;
    std::vector<std::string> mapHostPrefixes_{"maps.atlas.test", "map.atlas.test"};
    std::vector<std::string> videoHosts_{"vidora.test", "www.vidora.test"};
};

// The context in the installed application delegate's registry; null when there is none. The one place
// this library reads the installed delegate; called only by the entry points. Any thread.
std::shared_ptr<AdwickContext> context();

} // namespace zelvan::adwick
