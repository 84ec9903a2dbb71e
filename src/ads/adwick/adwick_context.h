// AdwickContext: what the banner client keeps process-wide (localizer, image cache, location manager,
// app data, user agent) and its server addresses, held in the application registry's `adwick` slot and
// reached through context(). Each shared service is made on first use.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ads/adwick/adwick_flex_ad.h"
#include "ads/adwick/adwick_landing_screens.h"
#include "core/network_endpoint.h"

namespace zelvan::adwick {

class AdwickAppData;
class AdwickImageCache;
class AdwickLocalizer;
class AdwickLocationManager;
class AdwickModalViewController;

class AdwickContext {
public:
    // `endpoint` is the media server (not configured: no address is known and every download fails at
    // once).
    explicit AdwickContext(const NetworkEndpoint& endpoint);
    AdwickContext(const AdwickContext&) = delete;
    AdwickContext& operator=(const AdwickContext&) = delete;

    // The endpoint's "/ad_source.php", or "".
    const std::string& endpoint() const { return endpoint_; }
    // The endpoint's root (the media server), or "".
    const std::string& mediaBase() const { return mediaBase_; }

    std::shared_ptr<AdwickLocalizer> localizer();
    std::shared_ptr<AdwickImageCache> imageCache();
    std::shared_ptr<AdwickLocationManager> locationManager();
    std::shared_ptr<AdwickAppData> appData();
    // Built once, with the localizer's locale.
    std::string userAgent();

    // The application's publisher id and the keywords its banners ask with.
    static constexpr std::string_view kDefaultPublisherId = "zelvan-messenger";
    const std::string& publisherId() const { return publisherId_; }
    void setPublisherId(std::string id) { publisherId_ = std::move(id); }
    const std::optional<std::string>& keywords() const { return keywords_; }
    void setKeywords(std::optional<std::string> keywords) { keywords_ = std::move(keywords); }

    // What builds rich ads and the landing screens of clicks (the real ones unless replaced). Main thread.
    const AdwickFlexAdFactory& flexAdFactory() const { return flexAdFactory_; }
    void setFlexAdFactory(AdwickFlexAdFactory factory) { flexAdFactory_ = std::move(factory); }
    // The real screens unless replaced.
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
// this library reads the installed delegate. Any thread.
std::shared_ptr<AdwickContext> context();

} // namespace zelvan::adwick
