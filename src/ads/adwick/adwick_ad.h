// AdwickAd: one banner ad from the moment it is asked for until it is thrown away. It fetches the
// browser icons (with the run's first ad only), sends the request to the ad server, reads the JSON reply
// on a thread of its own, loads the ad image and action icon (or hands "markup" to the flex-ad factory),
// and later sends clicks and the accounting pixels. It reports to one AdwickAdDelegate, reads the
// publisher's AdwickDelegate, and takes its addresses, shared services and rich-ad factory from the
// context it is made with.
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ads/adwick/adwick_delegate.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"

namespace zelvan::adwick {

class AdwickContext;
class AdwickURLDownload;

class AdwickAd : public AdwickFlexAdDelegate, public std::enable_shared_from_this<AdwickAd> {
public:
    static constexpr std::string_view kSdkVersion = "20090609-iSDK-5096df531ccfaf53";
    // Escaped in every query key and value besides what legacy escaping escapes, so no value adds keys.
    static constexpr std::string_view kQueryEscapes = "&=+#";

    enum State {
        kCreated = 0,
        kLoadingBrowserIcons = 1,
        kBrowserIconsLoaded = 2,
        kRequestSent = 3,
        kLoadingImages = 4,
        kLoadingFlexAd = 5,
        kLoaded = 6,
        kFailed = 7,
        kClicking = 8,
    };
    enum Medium { kTextAd = 0, kImageBanner = 1, kSearchAd = 2 };

    // `format` 0 is a banner, anything else full screen. Without a context the ad has no server to ask.
    static std::shared_ptr<AdwickAd> initWithAdFormat(int format, std::shared_ptr<AdwickContext> context);
    ~AdwickAd() override;
    AdwickAd(const AdwickAd&) = delete;
    AdwickAd& operator=(const AdwickAd&) = delete;

    std::shared_ptr<AdwickDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<AdwickDelegate> delegate) { delegate_ = std::move(delegate); }
    std::shared_ptr<AdwickAdDelegate> adDelegate() const { return adDelegate_.lock(); }
    void setAdDelegate(std::weak_ptr<AdwickAdDelegate> delegate) { adDelegate_ = std::move(delegate); }

    // Starts the whole sequence; only in state 0.
    void request();
    // The owner lets go: both delegates are cleared and every download (pixels too) and a loading flex ad
    // are cancelled; a reply still being parsed is dropped when it comes back.
    void abandon();

    bool readyForDisplay() const { return state_ == kLoaded || state_ == kClicking; }
    void click() { clickWithData(std::nullopt); }
    // `data` is a table sent as the JSON body of a POST; without it a GET.
    void clickWithData(const std::optional<fnd::Value>& data);
    // Sends the pixels on the first call only.
    void loadAccountingPixel();

    int state() const { return state_; }
    int format() const { return format_; }
    int medium() const { return medium_; }
    const std::optional<std::string>& text() const { return text_; }
    const std::optional<std::string>& action() const { return action_; }
    const std::optional<std::string>& actionImageName() const { return actionImageName_; }
    const std::optional<std::string>& jsonpUrl() const { return jsonpUrl_; }
    const std::optional<std::string>& userString() const { return userString_; }
    const std::optional<std::string>& suggestionUrl() const { return suggestionUrl_; }
    const std::optional<std::string>& searchPlaceholder() const { return searchPlaceholder_; }
    const std::optional<std::string>& searchHelpURL() const { return searchHelpURL_; }
    const std::optional<std::string>& accountingPixelUrl() const { return accountingPixelUrl_; }
    const std::optional<std::string>& trackingPixelUrl() const { return trackingPixelUrl_; }
    bool accountingPixelLoaded() const { return accountingPixelLoaded_; }
    const gfx::ImagePtr& userImage() const { return userImage_; }
    const gfx::ImagePtr& actionImage() const { return actionImage_; }
    const std::shared_ptr<AdwickRichAd>& flexAd() const { return flexAd_; }
    size_t activeDownloadCount() const { return activeDownloads_.size(); }

    gfx::Color backgroundColor() const;
    gfx::Color textColor() const;
    // 2 for a grey spinner, else 1 (white).
    int spinnerStyle() const;

    // The request's keys in order (no publisher id: none at all) and their query text.
    std::vector<std::pair<std::string, std::string>> buildParams() const;
    std::vector<std::pair<std::string, std::string>> userDemographicInfo() const;
    static std::string queryStringFromDictionary(const std::vector<std::pair<std::string, std::string>>& params);

    std::string description() const;

    void flexAdDidLoad(AdwickFlexAd& flexAd) override;
    void flexAdDidFailLoadWithError(AdwickFlexAd& flexAd, const fnd::Error& error) override;

    // The reply table taken into the ad (main thread; a null or non-table value fails the request).
    void didFinishParsingAdData(const fnd::Value& table);

private:
    AdwickAd(int format, std::shared_ptr<AdwickContext> context) : context_(std::move(context)), format_(format) {}

    void loadBrowserIcons();
    void browserIconsDidFinishLoading();
    void requestAdFromServer();
    void addDownload(const std::string& url, const std::string& identifier, std::optional<fnd::Bytes> body);
    void downloadDidSucceed(AdwickURLDownload& download);
    void downloadDidFail(AdwickURLDownload& download);
    std::shared_ptr<AdwickURLDownload> takeDownload(AdwickURLDownload& download);
    void loadAdWithData(const fnd::Bytes& data);
    void requestDidSucceed();
    void requestDidFail();
    void performClickWithData(const fnd::Bytes& data);
    void clickDidSucceedWithResponse(const fnd::Value& response);
    void clickDidFail();
    void cancelActiveDownloads();
    void addPixelDownload(const std::string& url, const std::string& identifier);
    void pixelDownloadEnded(AdwickURLDownload& download);
    std::string mediaBase() const;

    std::shared_ptr<AdwickContext> context_;
    std::weak_ptr<AdwickDelegate> delegate_;
    std::weak_ptr<AdwickAdDelegate> adDelegate_;
    int state_ = kCreated;
    std::set<std::shared_ptr<AdwickURLDownload>> activeDownloads_;
    int format_ = 0;
    int medium_ = kTextAd;
    std::optional<std::string> text_;
    std::optional<std::string> action_;
    std::optional<std::string> actionImageName_;
    std::optional<std::string> jsonpUrl_;
    std::optional<std::string> suggestionUrl_;
    std::optional<std::string> searchPlaceholder_;
    std::optional<std::string> searchHelpURL_;
    bool accountingPixelLoaded_ = false;
    std::optional<std::string> accountingPixelUrl_;
    std::optional<std::string> trackingPixelUrl_;
    std::optional<std::string> userString_;
    gfx::ImagePtr userImage_;
    gfx::ImagePtr actionImage_;
    std::shared_ptr<AdwickRichAd> flexAd_;
    // Pixel downloads hold the ad (pixelHold_) until the last of them ends.
    std::set<std::shared_ptr<AdwickURLDownload>> pixelDownloads_;
    std::shared_ptr<AdwickAd> pixelHold_;
    bool abandoned_ = false;
};

} // namespace zelvan::adwick
