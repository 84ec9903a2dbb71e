// ORVShadow: the offer network's session object. It sends every web-service call with the generic
// parameters and a per-request connect key, handles the connect, picture, quote, ad-order and AdShown
// replies (announcing them by notification), and drives the banner mediation and full-page ads; its store
// and leaderboard calls are in orv_shadow_goods.cpp. Main thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "offers/orvane/client/orv_ad_model.h"
#include "offers/orvane/client/orv_goods_records.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/alert_view.h"

namespace ui {
class View;
}

namespace zelvan::orvane {

class OrvaneContext;
class ORVModelController;
class ROZWebServiceFetcher;
class ORVFileDownloadHandler;
class ORVStoreView;
class ORVWebServiceInterface;
class SqliteController;

// Notification names (no object unless noted).
inline constexpr const char* kORVPictureReceived = "17";
inline constexpr const char* kORVPictureFailed = "18";
inline constexpr const char* kORVQuoteReceived = "15";
inline constexpr const char* kORVQuoteFailed = "16";
inline constexpr const char* kORVAdOrderReceived = "GetAdOrderDidReceiveData";
inline constexpr const char* kORVAdOrderFailed = "ORV_GET_ADORDER_ERROR";
// Object: the reason text.
inline constexpr const char* kORVFullPageAdFailure = "ORV_FULL_PAGE_AD_FAILURE_NOTIFICATION";
// Posted once a connect reply was cached (ours: the host may wait for the account).
inline constexpr const char* kORVConnectReceived = "ORV_CONNECT_RETURN";
inline constexpr const char* kORVConnectFailed = "ORV_CONNECT_ERROR";

class ORVShadow : public ui::AlertViewDelegate, public std::enable_shared_from_this<ORVShadow> {
public:
    // The reply envelope's root element.
    static constexpr const char* kEnvelope = "OrvaneConnectReturnObject";

    // `context` gives the request identity, the addresses and what the composition root installs (the
    // screens, the ad model, the full-page factory and the facade); the reply cache, the local store of
    // bought goods and the paging counters are the ones makeOrvane made with it.
    ORVShadow(OrvaneContext& context, std::shared_ptr<ORVModelController> model,
              std::shared_ptr<SqliteController> store, std::shared_ptr<ORVWebServiceInterface> webService);
    // Tells the ad model and the full-page controller to go.
    ~ORVShadow();
    ORVShadow(const ORVShadow&) = delete;
    ORVShadow& operator=(const ORVShadow&) = delete;

    // The context's session object; null without a context (orvane_entry_points.cpp).
    static std::shared_ptr<ORVShadow> sharedInstance();

    // A new dictionary: "AppID", "DeviceID", "SDKVersion", "Timestamp" (Unix seconds) and "ConnectKey"
    // (md5 of those four and the app secret), in that order. Callers add their own keys.
    fnd::Value genericParameters() const;

    // --- Connect ---
    enum class ConnectState { None, InFlight, Connected, Failed };
    ConnectState connectState() const { return connectState_; }
    // Sends the Connect call unless one is in flight or done; its success requests the ad order.
    void requestConnect();
    // Connects again after a failed connect (preloadAds and showAdBox call it).
    void retryConnectIfFailed();

    // --- Offers, pictures and quotes ---
    void SubmitOfferClick(const std::string& cachedOfferId, const std::string& publisherUserRecordId);
    // GetPicture / GetQuote: the reply's PictureObject / QuoteObject is cached, then "17" / "15" is posted;
    // no usable reply or an ErrorMessage posts "18" / "16" and the cache stays.
    void getPicture();
    void getQuote();

    // --- Banner ads ---
    bool adOrderError() const { return adOrderError_; }
    // -1: not requested yet, 0: asked for (an event waits), 1: arrived.
    int getAdOrderState() const { return adOrderState_; }
    bool adOrderInFlight() const { return adOrderInFlight_; }
    // Sends GetAdOrder unless one is in flight; before a connect it connects (the order follows).
    void getAdOrder();
    void preLoadAdWithEvent(int eventId);
    void handleAdOrderSuccess();
    // The banner host view for the event's slot, framed to `rect`; null when there is no controller.
    std::shared_ptr<ui::View> showAdBox(int eventId, gfx::Rect rect);
    // AdShown with the generic parameters and "CampaignID" ("" when there is no id), then the host's
    // adShownWithCampaignID when it answers it.
    void adShownWithCampaignID(const std::optional<std::string>& campaignId);
    // AdShown with no parameters at all, then the host as above.
    void directAdShownWithCampaignID(const std::optional<std::string>& campaignId);
    const std::optional<gfx::Color>& adsBackGroundColor() const { return adsBackGroundColor_; }
    void setAdsBackGroundColor(std::optional<gfx::Color> color) { adsBackGroundColor_ = color; }
    // Latitude and longitude the host gave, or none.
    const std::optional<gfx::Point>& coreLocation() const { return coreLocation_; }
    void setCoreLocation(std::optional<gfx::Point> location) { coreLocation_ = location; }

    // --- Full-page ads ---
    float geFullPageAdAngel() const { return fullPageAngle_; }
    // 0, 90, 180 or 270; anything else becomes 0 (logged).
    void fullPageAdOrientation(int angle);
    void handleFullPageAdRequests();
    void handleShowFullAdRequest();
    void showFullPageAd();
    const std::shared_ptr<ORVFullPageAdsController>& fullPageController() const { return fullPage_; }

    // --- Virtual goods and leaderboards (orv_shadow_goods.cpp) ---
    // The one download handler of bought items (made by the installed screens; null without them).
    std::shared_ptr<ORVFileDownloadHandler> vgController();
    // The local store of bought goods.
    std::shared_ptr<SqliteController> sqliteControllerObj() { return store_; }
    // GetAllVGStoreItems from the available list's start, 25 at most; GetPurchasedVGStoreItems from the
    // bought list's start, 100000 at most. See orv_goods_names.h for what their replies post.
    void getAllVGStoreItems();
    void getPurcahsedVGStoreItems();
    // All bought goods, asked for once a connect succeeded (when screens are installed); the reply goes to
    // ORVWebServiceInterface's GetAllPurchasedVGStoreItemsRequestDidRecieveData.
    void requestPurchasedGoodsAtStartUp();
    // The bought-item alert: "OK" (1) adds the facade's store view to the first window.
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
    // Keeps the store prepared for the bought-item alert until the alert is answered.
    void holdPreparedStore(std::shared_ptr<ORVStoreView> store) { preparedStore_ = std::move(store); }
    // GetHighScoresByFilter with the filters, "daysold", "start" = start1 and "max" = max1; then
    // start1 += max1.
    void getHighScores(const ORVFilters& filters, int days);
    // GetHighScoresByChallenge ("challengeid", "daysold", "start" 0, "max" 0).
    void ShowHighScoresPanelByChallenge(int days, const std::string& challengeId);
    // GetHighScoreImage ("HighScoreID").
    void getHighScoresImage(const std::string& highScoreId);
    // SubmitHighScore with the submission's values.
    void showSubmitHighScores(const ORVScoreSubmission& submission);
    // "8" answers two requests; which one the last "8" answered, and whether each is awaiting its reply.
    enum class EightSource { None, HighScoresByFilter, SubmitHighScore };
    EightSource lastEightSource() const { return lastEightSource_; }
    bool highScoresByFilterPending() const { return highScoresPending_ > 0; }
    bool submitHighScorePending() const { return submitPending_ > 0; }

    // The address of a web-service method (OrvaneContext::serviceURL).
    std::string serviceURL(std::string_view method) const;
    // GETs `url` with `bindings` and hands the read reply to receiveReply(handler) on the main run loop.
    void send(const std::string& url, const std::string& handler, fnd::Value bindings);

    // The result of one call, read from its fetcher: the envelope, or why there is none.
    struct Reply {
        fnd::Value envelope; // the root element's dictionary, Null on failure
        bool errorMessage = false;
        std::string reason; // for the log when not ok
        bool ok() const { return envelope.isDictionary() && !errorMessage; }
    };
    // Reads a finished fetch (reply, HTTP status, parse, envelope, ErrorMessage). Logs nothing.
    static Reply readReply(const ROZWebServiceFetcher& fetcher);
    // Reads a reply body that came with HTTP `status`. Logs nothing.
    static Reply readReply(int status, std::span<const uint8_t> body);
    // Handles the reply of `method` (one notification for those that announce theirs, one WARN line for a
    // bad one); what a method does not know is logged at level 4.
    void receiveReply(std::string_view method, const Reply& reply);

private:
    // GETs `method` with `bindings` and hands the read reply to receiveReply (main run loop).
    void call(const std::string& method, fnd::Value bindings);
    void handleConnectReply(const Reply& reply);
    void handleAdOrderReply(const Reply& reply);
    void handlePictureReply(const Reply& reply);
    void handleQuoteReply(const Reply& reply);
    void tellHostAdShown(const std::optional<std::string>& campaignId);
    // The goods and leaderboard replies; false when `method` is none of theirs.
    bool receiveGoodsReply(std::string_view method, const Reply& reply);
    void handleStoreListReply(bool all, const Reply& reply);
    void handleHighScoresReply(const Reply& reply);
    void handleChallengeScoresReply(const Reply& reply);
    void handleHighScoreImageReply(const Reply& reply);
    void handleSubmitScoreReply(const Reply& reply);
    const std::shared_ptr<ORVModelController>& model() const { return model_; }

    OrvaneContext& context_;
    std::shared_ptr<ORVModelController> model_;
    std::shared_ptr<SqliteController> store_;
    std::shared_ptr<ORVWebServiceInterface> webService_;
    ConnectState connectState_ = ConnectState::None;
    int adOrderState_ = -1;
    bool adOrderError_ = false;
    bool adOrderInFlight_ = false;
    int rememberedEvent_ = 0;
    std::optional<gfx::Color> adsBackGroundColor_;
    std::optional<gfx::Point> coreLocation_;
    float fullPageAngle_ = 0;
    std::shared_ptr<ORVFullPageAdsController> fullPage_;
    std::shared_ptr<ORVFileDownloadHandler> vgController_;
    std::shared_ptr<ORVStoreView> preparedStore_;
    EightSource lastEightSource_ = EightSource::None;
    int highScoresPending_ = 0;
    int submitPending_ = 0;
};

} // namespace zelvan::orvane
