// The ad record's request sequence: browser icons, the ad request, the reply read on a worker,
// the image and icon downloads (or the flex ad), clicks and pixels, and letting go of everything when
// the owner abandons the ad.
#include "ads/adwick/adwick_ad.h"

#include <utility>

#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_image_cache.h"
#include "ads/adwick/adwick_localizer.h"
#include "ads/adwick/adwick_log.h"
#include "ads/adwick/adwick_url_download.h"
#include "ads/adwick/json/json_deserializer.h"
#include "ads/adwick/json/json_serializer.h"
#include "core/main_thread.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url.h"
#include "platform/foundation/worker_pool.h"

namespace zelvan::adwick {

namespace {

constexpr const char* kBrowserIcons[] = {"back", "back_disable", "forward", "forward_disable"};

// A reply value that is a string; anything else counts as absent.
std::optional<std::string> stringFor(const fnd::Dictionary& table, const char* key) {
    const fnd::Value* value = table.find(key);
    if (value == nullptr || value->asString() == nullptr) {
        return std::nullopt;
    }
    return *value->asString();
}

bool isWebURL(const std::string& text) {
    auto url = fnd::Url::parse(text);
    return url && (url->scheme() == "http" || url->scheme() == "https") && !url->host().empty();
}

// A reply value that is an http(s) URL text; anything else counts as absent.
std::optional<std::string> webURLFor(const fnd::Dictionary& table, const char* key) {
    auto text = stringFor(table, key);
    if (text && !isWebURL(*text)) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: reply key %s is not a web URL, ignored: %@", key, fnd::logPreview(*text));
        return std::nullopt;
    }
    return text;
}

} // namespace

std::shared_ptr<AdwickAd> AdwickAd::initWithAdFormat(int format, std::shared_ptr<AdwickContext> context) {
    return std::shared_ptr<AdwickAd>(new AdwickAd(format, std::move(context)));
}

AdwickAd::~AdwickAd() {
    cancelActiveDownloads();
    for (const auto& download : pixelDownloads_) {
        download->cancel();
    }
    if (flexAd_) {
        flexAd_->cancel();
    }
}

std::string AdwickAd::mediaBase() const {
    return context_ ? context_->mediaBase() : std::string();
}

void AdwickAd::abandon() {
    abandoned_ = true;
    delegate_.reset();
    adDelegate_.reset();
    cancelActiveDownloads();
    auto pixels = std::move(pixelDownloads_);
    pixelDownloads_.clear();
    for (const auto& download : pixels) {
        download->cancel();
    }
    if (flexAd_) {
        flexAd_->cancel();
    }
    auto hold = std::move(pixelHold_); // may be the last hold: released at the end of this call
    pixelHold_.reset();
}

void AdwickAd::cancelActiveDownloads() {
    auto downloads = std::move(activeDownloads_);
    activeDownloads_.clear();
    for (const auto& download : downloads) {
        download->cancel();
    }
}

void AdwickAd::addDownload(const std::string& url, const std::string& identifier, std::optional<fnd::Bytes> body) {
    auto download = AdwickURLDownload::create(context_ ? context_->downloadSettings() : AdwickDownloadSettings{});
    std::weak_ptr<AdwickAd> weak = weak_from_this();
    download->setSuccessSelector([weak](AdwickURLDownload& d) {
        if (auto ad = weak.lock()) {
            ad->downloadDidSucceed(d);
        }
    });
    download->setFailureSelector([weak](AdwickURLDownload& d) {
        if (auto ad = weak.lock()) {
            ad->downloadDidFail(d);
        }
    });
    download->setIdentifier(identifier);
    if (identifier == "userImage" || identifier == "actionIcon" || state_ == kLoadingBrowserIcons) {
        download->setMaxBodyBytes(AdwickURLDownload::kImageBodyBytes);
    }
    // In the set before it starts: a URL that cannot load fails inside the call.
    activeDownloads_.insert(download);
    download->loadContentsOfURLAtString(url, std::move(body));
}

std::shared_ptr<AdwickURLDownload> AdwickAd::takeDownload(AdwickURLDownload& download) {
    auto held = download.shared_from_this();
    activeDownloads_.erase(held);
    return held;
}

void AdwickAd::request() {
    if (state_ != kCreated) {
        return;
    }
    if (context_) {
        context_->localizer()->downloadResourcesIfNecessary();
    }
    loadBrowserIcons();
}

void AdwickAd::loadBrowserIcons() {
    state_ = kLoadingBrowserIcons;
    // The pictures are asked for by the run's first ad only: a host that fails them (or an outage) is not
    // asked for all four again with every later ad; the browser opens without the ones that are missing.
    if (context_ && context_->browserIconsRequested()) {
        browserIconsDidFinishLoading();
        return;
    }
    if (context_) {
        context_->setBrowserIconsRequested();
    }
    auto cache = context_ ? context_->imageCache() : nullptr;
    bool started = false;
    for (const char* name : kBrowserIcons) {
        if (cache && cache->imageIsInCache(name)) {
            continue;
        }
        started = true;
        addDownload(mediaBase() + "/static/iphone/browser/" + name + ".png", name, std::nullopt);
        if (state_ != kLoadingBrowserIcons) {
            return; // failed at once
        }
    }
    if (!started) {
        browserIconsDidFinishLoading();
    }
}

void AdwickAd::browserIconsDidFinishLoading() {
    state_ = kBrowserIconsLoaded;
    requestAdFromServer();
}

void AdwickAd::requestAdFromServer() {
    if (state_ != kBrowserIconsLoaded) {
        return;
    }
    std::string endpoint;
    auto publisher = delegate();
    if (auto given = publisher ? publisher->adserverEndpoint() : std::nullopt) {
        endpoint = *given;
    } else if (context_) {
        endpoint = context_->endpoint();
    }
    const std::string query = queryStringFromDictionary(buildParams());
    state_ = kRequestSent;
    addDownload(endpoint + "?" + query, "", std::nullopt);
}

void AdwickAd::downloadDidSucceed(AdwickURLDownload& download) {
    auto held = takeDownload(download);
    switch (state_) {
    case kLoadingBrowserIcons: {
        auto image = gfx::Image::imageWithData(held->data());
        if (!image) {
            ZLOG_TO(kAdwickLog, Warn, "adwick: browser icon %@ did not decode", held->identifier());
            requestDidFail();
            break;
        }
        if (context_) {
            context_->imageCache()->storeImage(*image, held->identifier());
        }
        if (activeDownloads_.empty()) {
            browserIconsDidFinishLoading();
        }
        break;
    }
    case kRequestSent:
        loadAdWithData(held->data());
        break;
    case kLoadingImages: {
        auto image = gfx::Image::imageWithData(held->data());
        if (held->identifier() == "userImage" || held->identifier() == "actionIcon") {
            if (!image) {
                ZLOG_TO(kAdwickLog, Warn, "adwick: the ad's %@ did not decode", held->identifier());
                requestDidFail();
                break;
            }
            if (held->identifier() == "userImage") {
                userImage_ = image;
            } else {
                actionImage_ = image;
                if (context_ && actionImageName_) {
                    context_->imageCache()->storeImage(*image, *actionImageName_);
                }
            }
        }
        if (activeDownloads_.empty()) {
            requestDidSucceed();
        }
        break;
    }
    case kClicking:
        performClickWithData(held->data());
        break;
    default:
        break;
    }
    held->cancel();
}

void AdwickAd::downloadDidFail(AdwickURLDownload& download) {
    auto held = takeDownload(download);
    if (state_ == kLoadingBrowserIcons || state_ == kRequestSent || state_ == kLoadingImages) {
        requestDidFail();
    } else if (state_ == kClicking) {
        clickDidFail();
    }
    held->cancel();
}

void AdwickAd::loadAdWithData(const fnd::Bytes& data) {
    if (data.empty()) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: empty ad reply");
        requestDidFail();
        return;
    }
    // Read on a worker; the result comes back to main while the ad lives.
    std::weak_ptr<AdwickAd> weak = weak_from_this();
    const auto& workers = context_->workers();
    const bool queued = workers && workers->submit([weak, data] {
        auto parsed = JSONDeserializer().deserializeAsDictionary(data);
        if (!parsed) {
            ZLOG_TO(kAdwickLog, Warn, "adwick: refused the ad reply (%@): %@", parsed.error().localizedDescription(),
                    fnd::logPreview(data));
        }
        fnd::Value table = parsed ? *parsed : fnd::Value();
        onMain(weak, [table](AdwickAd& ad) { ad.didFinishParsingAdData(table); });
    });
    if (!queued) {
        requestDidFail(); // the client is shutting down
    }
}

void AdwickAd::didFinishParsingAdData(const fnd::Value& reply) {
    if (abandoned_ || state_ != kRequestSent) {
        return;
    }
    auto dictionary = reply.asDictionary();
    if (!dictionary) {
        if (!reply.isNull()) { // a reply that did not parse has had its line
            ZLOG_TO(kAdwickLog, Warn, "adwick: the ad reply is not a table: %@", fnd::logPreviewValue(reply, 120));
        }
        requestDidFail();
        return;
    }
    const fnd::Dictionary& table = *dictionary;
    text_ = stringFor(table, "text");
    action_ = stringFor(table, "6");
    actionImageName_ = stringFor(table, "18");
    if (!actionImageName_) {
        actionImageName_ = action_;
    }
    userString_ = stringFor(table, "8");
    jsonpUrl_ = webURLFor(table, "jsonp_url");
    suggestionUrl_ = webURLFor(table, "suggestion_url");
    searchPlaceholder_ = stringFor(table, "21");
    searchHelpURL_ = webURLFor(table, "22");

    std::optional<std::string> imageURL;
    if (table.containsKey("banner")) {
        imageURL = webURLFor(table, "banner");
        medium_ = kImageBanner;
    } else if (table.containsKey("204")) {
        if (auto path = stringFor(table, "204")) {
            imageURL = mediaBase() + *path;
            if (!isWebURL(*imageURL)) {
                imageURL.reset();
            }
        }
        medium_ = kTextAd;
    }
    if (table.containsKey("20")) {
        medium_ = kSearchAd;
    }
    if (medium_ == kImageBanner) {
        accountingPixelUrl_ = webURLFor(table, "cpm_url");
        trackingPixelUrl_ = webURLFor(table, "tracking_pixel");
    }
    if (!action_ || !jsonpUrl_) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: the ad reply has no action or click URL");
        requestDidFail();
        return;
    }
    const fnd::Value* markup = table.find("markup");
    if (markup != nullptr && markup->asDictionary()) {
        state_ = kLoadingFlexAd;
        auto owner = adDelegate();
        const gfx::Size size = owner ? owner->adSize() : gfx::Size();
        if (!context_ || !context_->flexAdFactory()) {
            ZLOG_TO(kAdwickLog, Warn, "adwick: a rich ad arrived but no flex ad builder is installed");
            requestDidFail();
            return;
        }
        flexAd_ = context_->flexAdFactory()(*markup, weak_from_this(), delegate_,
                                            gfx::Rect(0, 0, size.width, size.height), context_);
        if (!flexAd_ && state_ == kLoadingFlexAd) {
            requestDidFail();
        }
        return;
    }
    if (!actionImageName_ || !imageURL || (!text_ && medium_ == kTextAd)) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: the ad reply lacks its image, icon name or text");
        requestDidFail();
        return;
    }
    state_ = kLoadingImages;
    addDownload(*imageURL, "userImage", std::nullopt);
    if (state_ != kLoadingImages) {
        return;
    }
    auto cache = context_ ? context_->imageCache() : nullptr;
    if (cache && cache->imageIsInCache(*actionImageName_)) {
        actionImage_ = cache->fetchImageNamed(*actionImageName_);
    }
    if (!actionImage_) {
        addDownload(mediaBase() + "/static/iphone/img/" + fnd::escapeLegacyPlus(*actionImageName_, "/?#&=+") + ".png",
                    "actionIcon", std::nullopt);
    }
}

void AdwickAd::flexAdDidLoad(AdwickFlexAd& /*flexAd*/) {
    if (state_ == kLoadingFlexAd) {
        requestDidSucceed();
    }
}

void AdwickAd::flexAdDidFailLoadWithError(AdwickFlexAd& /*flexAd*/, const fnd::Error& error) {
    if (state_ == kLoadingFlexAd) {
        if (error.domain() != AdwickURLDownload::kErrorDomain) { // a failed asset download has had its line
            ZLOG_TO(kAdwickLog, Warn, "adwick: the rich ad failed to load: %@", error.description());
        }
        requestDidFail();
    }
}

void AdwickAd::requestDidSucceed() {
    state_ = kLoaded;
    if (auto owner = adDelegate()) {
        owner->adDidLoad(*this);
    }
}

void AdwickAd::requestDidFail() {
    auto keep = shared_from_this();
    cancelActiveDownloads();
    state_ = kFailed;
    if (auto owner = adDelegate()) {
        owner->adDidFailToLoad(*this);
    }
}

void AdwickAd::clickWithData(const std::optional<fnd::Value>& data) {
    state_ = kClicking;
    std::optional<fnd::Bytes> body;
    if (data) {
        auto text = JSONSerializer().serializeObject(*data);
        if (text) {
            body = fnd::Bytes(text->begin(), text->end());
        } else {
            ZLOG_TO(kAdwickLog, Warn, "adwick: the click data could not be written as JSON; sent without it");
        }
    }
    if (!jsonpUrl_) {
        clickDidFail();
        return;
    }
    addDownload(*jsonpUrl_, "", std::move(body));
}

void AdwickAd::performClickWithData(const fnd::Bytes& data) {
    if (data.empty()) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: empty click reply");
        clickDidFail();
        return;
    }
    auto parsed = JSONDeserializer().deserializeAsDictionary(data);
    if (!parsed) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: the click reply is not a table: %@", fnd::logPreview(data));
    }
    clickDidSucceedWithResponse(parsed ? *parsed : fnd::Value());
}

void AdwickAd::clickDidSucceedWithResponse(const fnd::Value& response) {
    auto keep = shared_from_this();
    state_ = kLoaded;
    if (auto owner = adDelegate()) {
        owner->clickDidSucceed(*this, response);
    }
}

void AdwickAd::clickDidFail() {
    auto keep = shared_from_this();
    state_ = kLoaded;
    if (auto owner = adDelegate()) {
        owner->clickDidFail(*this);
    }
}

void AdwickAd::loadAccountingPixel() {
    if (accountingPixelLoaded_) {
        return;
    }
    accountingPixelLoaded_ = true;
    if (accountingPixelUrl_) {
        addPixelDownload(*accountingPixelUrl_, "accountingPixel");
    }
    if (trackingPixelUrl_) {
        addPixelDownload(*trackingPixelUrl_, "trackingPixel");
    }
}

void AdwickAd::addPixelDownload(const std::string& url, const std::string& identifier) {
    auto download = AdwickURLDownload::create(context_ ? context_->downloadSettings() : AdwickDownloadSettings{});
    std::weak_ptr<AdwickAd> weak = weak_from_this();
    auto ended = [weak](AdwickURLDownload& d) {
        if (auto ad = weak.lock()) {
            ad->pixelDownloadEnded(d);
        }
    };
    download->setSuccessSelector(ended);
    download->setFailureSelector(ended);
    download->setIdentifier(identifier);
    pixelDownloads_.insert(download);
    pixelHold_ = shared_from_this();
    download->loadContentsOfURLAtString(url);
}

void AdwickAd::pixelDownloadEnded(AdwickURLDownload& download) {
    auto held = download.shared_from_this();
    pixelDownloads_.erase(held);
    held->cancel();
    if (pixelDownloads_.empty()) {
        auto last = std::move(pixelHold_); // the ad may go when this call returns
        pixelHold_.reset();
    }
}

std::string AdwickAd::description() const {
    return fnd::format("<AdwickAd %p: '%@', '%@', %@, %@, %@>", static_cast<const void*>(this),
                       text_.value_or("(null)"), action_.value_or("(null)"), userImage_ ? "image" : "(null)",
                       actionImage_ ? "image" : "(null)", fnd::format("%d downloads", int(activeDownloads_.size())));
}

} // namespace zelvan::adwick
