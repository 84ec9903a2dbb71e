// The Kavlo banner: its ad query, its fetch and reply on the main loop, the page events and the link
// handling that opens the in-app browser or reaches the delegate.
#include "analytics/kavlo/kavlo_ad_view.h"

#include "analytics/kavlo/kavlo_browser.h"
#include "analytics/kavlo/kavlo_context.h"
#include "analytics/kavlo/kavlo_controller.h"
#include "analytics/kavlo/kavlo_log.h"
#include "analytics/kavlo/kavlo_strings.h"
#include "platform/device/device.h"
#include "platform/foundation/case_mapping.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/format.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/url_error.h"
#include "platform/ui/window.h"

namespace zelvan::kavlo {

namespace {

// Ad views alive, shared values or not (the shared values die with the last holder).
long gAdViewCount = 0;

const std::map<std::string, std::string>& demographicKeyTable() {
    static const std::map<std::string, std::string> table = {
        {"dbd", "d"},  {"dec", "e"},  {"den", "r"},  {"dg", "g"},  {"ddg", "dg"},
        {"dic", "m"},  {"dms", "x"},  {"drl", "j"},  {"dac", "c"}, {"dci", "ci"},
        {"dco", "co"}, {"ddc", "dc"}, {"dmc", "mc"}, {"dpo", "z"}, {"drg", "re"},
    };
    return table;
}

std::shared_ptr<KavloAdShared> buildShared(const std::shared_ptr<KavloContext>& ctx) {
    auto shared = std::make_shared<KavloAdShared>();
    auto& device = device::Device::current();
    shared->controller = ctx ? ctx->controller() : nullptr;
    shared->deviceId = device.uniqueIdentifier();
    shared->deviceModel = MCCreateURLEncodedString(device.model());
    shared->deviceSystemVersion = MCCreateURLEncodedString(device.systemVersion());
    shared->locale = MCCreateURLEncodedString(fnd::Locale::current().identifier());
    shared->demographicKeys = demographicKeyTable();
    return shared;
}

std::string lowercase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

} // namespace

// One request over fnd::fetch: hands its reply to the view as the connection events the view reads (the
// response, the body, the end) or as the failure, while the view lives and this is still its current
// request. A fire-and-forget request has no view: it keeps itself until its reply, which it ignores.
class KavloAdView::Connection : public std::enable_shared_from_this<Connection> {
public:
    explicit Connection(std::weak_ptr<KavloAdView> view) : view_(std::move(view)) {}

    void start(fnd::UrlRequest request) {
        std::shared_ptr<Connection> keep = view_.expired() ? shared_from_this() : nullptr;
        fnd::fetch(std::move(request), {}, weak_from_this(),
                   [this, keep](fnd::Result<fnd::FetchReply> reply) { finished(std::move(reply)); });
    }

private:
    void finished(fnd::Result<fnd::FetchReply> reply) {
        auto view = current();
        if (!view) {
            return;
        }
        if (!reply) {
            view->connectionDidFailWithError(reply.error());
            return;
        }
        view->connectionDidReceiveResponse(reply.value().response);
        if (!reply.value().body.empty() && current()) {
            view->connectionDidReceiveData(reply.value().body);
        }
        if (current()) {
            view->connectionDidFinishLoading();
        }
    }
    std::shared_ptr<KavloAdView> current() {
        auto view = view_.lock();
        return view && view->connection_.get() == this ? view : nullptr;
    }
    std::weak_ptr<KavloAdView> view_;
};

KavloAdView::KavloAdView(std::shared_ptr<KavloContext> context) : context_(std::move(context)) {}

KavloAdView::~KavloAdView() {
    if (adTimer_) {
        adTimer_->invalidate();
    }
    browserClosed_.reset();
    if (counted_) {
        --gAdViewCount;
    }
}

long KavloAdView::adViewCount() {
    return gAdViewCount;
}

void KavloAdView::initWithFrame(gfx::Rect frame) {
    ui::WebView::initWithFrame(frame);
    initAdViewWithFrame(frame);
}

void KavloAdView::initAdViewWithFrame(gfx::Rect /*frame*/) {
    if (!counted_) {
        counted_ = true;
        ++gAdViewCount;
    }
    auto ctx = context_.lock();
    if (ctx) {
        shared_ = ctx->adShared.lock();
        if (!shared_) {
            shared_ = buildShared(ctx);
            ctx->adShared = shared_;
        }
        if (!shared_->controller) {
            shared_->controller = ctx->controller();
        }
    } else if (!shared_) {
        shared_ = buildShared(nullptr);
    }
    setBackgroundColor(gfx::Color::clear());
    setOpaque(false);
    setScalesPageToFit(false);
    fnd::CookieStorage::shared().setCookieAcceptPolicy(fnd::CookieAcceptPolicy::Always);
    setDelegate(std::static_pointer_cast<ui::WebViewDelegate>(self<KavloAdView>()));
    adCode_.clear();
}

void KavloAdView::setRefreshTime(double seconds) {
    if (adTimer_) {
        adTimer_->invalidate();
        adTimer_.reset();
    }
    refreshTime_ = seconds;
    if (seconds > 0) {
        getAd();
        // The timer holds the view weakly: a dropped view stops refreshing.
        std::weak_ptr<KavloAdView> weak = self<KavloAdView>();
        adTimer_ = fnd::Timer::scheduled(seconds, fnd::Repeats::Yes, [weak](fnd::Timer& timer) {
            if (auto view = weak.lock()) {
                view->getAd();
            } else {
                timer.invalidate();
            }
        });
    }
}

std::string KavloAdView::adQueryURL() {
    auto ctx = context_.lock();
    const std::string root = ctx ? ctx->serverURL() : std::string();
    if (root.empty()) {
        return "";
    }
    if (!shared_->controller && ctx) {
        shared_->controller = ctx->controller();
    }
    fnd::Value info = shared_->controller ? shared_->controller->infoDictionary() : fnd::Value();
    auto infoDict = info.asDictionary();
    auto member = [&](const char* top, const char* key) -> fnd::Value {
        if (!infoDict) {
            return {};
        }
        auto record = infoDict->objectForKey(top).asDictionary();
        return record ? record->objectForKey(key) : fnd::Value();
    };

    std::string url = fnd::format("%@", root);
    if (!adCode_.empty()) {
        url += fnd::format("?a=%@", adCode_);
    } else {
        url += fnd::format("?i=%@", member("h", "j").stringValue());
        url += fnd::format("&s=%@", adSize_);
    }
    url += fnd::format("&p=iphone&v=%@&u=%@&dt=%@&sv=%@&l=%@", kSdkVersion, shared_->deviceId, shared_->deviceModel,
                       shared_->deviceSystemVersion, shared_->locale);
    const fnd::Value latitude = member("a", "d");
    const fnd::Value longitude = member("a", "e");
    if (latitude.isString() && longitude.isString() && *latitude.asString() != "null" &&
        *longitude.asString() != "null") {
        url += fnd::format("&ll=%@,%@", *latitude.asString(), *longitude.asString());
    }
    if (auto delegate = adDelegate()) {
        if (auto keywords = delegate->keywords()) {
            url += fnd::format("&k=%@", MCCreateURLEncodedString(*keywords));
        }
        if (auto query = delegate->query()) {
            url += fnd::format("&q=%@", MCCreateURLEncodedString(*query));
        }
    }
    if (infoDict) {
        if (auto demographics = infoDict->objectForKey("9").asDictionary()) {
            for (const auto& [key, value] : *demographics) {
                auto name = shared_->demographicKeys.find(key.text());
                if (name != shared_->demographicKeys.end() && value.isString()) {
                    url += fnd::format("&%@=%@", name->second, MCCreateURLEncodedString(*value.asString()));
                }
            }
        }
    }
    return url;
}

void KavloAdView::getAd() {
    const std::string text = adQueryURL();
    stopLoading();
    dropConnection();
    response_.reset();
    data_.clear();
    if (text.empty()) {
        ZLOG_TO(kKavloLog, Info, "kavlo: no ad server configured; no ad requested");
        fail(0);
        return;
    }
    auto url = fnd::Url::parse(text);
    if (!url) {
        ZLOG_TO(kKavloLog, Warn, "kavlo: the ad query does not parse: %s", text);
        fail(0);
        return;
    }
    fnd::UrlRequest request(*url);
    request.setHttpMethod("GET");
    request.setValue("gzip,deflate", "Accept-Encoding");
    connection_ = std::make_shared<Connection>(self<KavloAdView>());
    connection_->start(std::move(request));
}

void KavloAdView::cancelAd() {
    if (adTimer_) {
        adTimer_->invalidate();
        adTimer_.reset();
    }
    stopLoading();
    dropConnection();
}

void KavloAdView::dropConnection() {
    // The request's fetch ends unheard with it.
    connection_.reset();
}

void KavloAdView::fail(int64_t code, const fnd::Error* underlying) {
    dropConnection();
    auto info = fnd::Value::dictionary();
    if (underlying) {
        info.asDictionary()->setObject(fnd::Value(underlying->description()), fnd::UrlError::kUnderlyingErrorKey);
    }
    const fnd::Error error(kKavloAdViewErrorDomain, code, info);
    auto keep = self<KavloAdView>();
    if (auto delegate = adDelegate()) {
        delegate->adViewDidFailLoad(*this);
    }
    if (auto delegate = adDelegate()) {
        delegate->adViewDidFailLoadWithError(*this, error);
    }
}

void KavloAdView::connectionDidReceiveResponse(const fnd::UrlResponse& response) {
    if (!response.isHttp()) {
        fail(0);
        return;
    }
    response_ = response;
    data_.clear();
    if (response.statusCode() == 200) {
        return;
    }
    if (response.statusCode() == 251) {
        const std::string suballocation = response.allHeaderFields().value("X-Kavlo-Suballocation").value_or("");
        fail(fnd::intValue(suballocation));
        return;
    }
    ZLOG_TO(kKavloLog, Info, "kavlo: the ad server answered status %d", static_cast<int>(response.statusCode()));
    fail(-503);
}

void KavloAdView::connectionDidReceiveData(const fnd::Bytes& data) {
    data_.insert(data_.end(), data.begin(), data.end());
}

void KavloAdView::connectionDidFinishLoading() {
    connection_.reset();
    if (!response_) {
        fail(0);
        return;
    }
    loadData(data_, response_->mimeType(), response_->textEncodingName(), response_->url());
}

void KavloAdView::connectionDidFailWithError(const fnd::Error& error) {
    ZLOG_TO(kKavloLog, Info, "kavlo: the ad request failed: %s", error.localizedDescription());
    fail(0, &error);
}

void KavloAdView::webViewDidFinishLoad(ui::WebView& /*webView*/) {
    if (isLoading()) {
        return;
    }
    auto keep = self<KavloAdView>();
    if (auto delegate = adDelegate()) {
        delegate->adViewDidFinishLoad(*this);
    }
    const std::string target = stringByEvaluatingJavaScriptFromString("shouldOpen()");
    if (target.size() > 6) {
        auto url = fnd::Url::parse(target);
        if (!url) {
            ZLOG_TO(kKavloLog, Info, "kavlo: the ad's landing page address does not parse: %s", target);
            return;
        }
        openURLRequest(fnd::UrlRequest(*url));
    }
}

void KavloAdView::webViewDidFailLoadWithError(ui::WebView& /*webView*/, const fnd::Error& error) {
    if (error.code() == fnd::UrlError::Cancelled) {
        return; // a newer request replaced the page load; it reports for itself
    }
    fail(0, &error);
}

std::optional<std::string> kavloCustomAdCommand(const std::string& urlText) {
    const std::string decoded = MCCreateURLDecodedString(urlText).value_or(urlText);
    static const std::string kScheme = "kavlo://";
    const size_t at = lowercase(decoded).find(kScheme);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    return decoded.substr(at + kScheme.size());
}

bool KavloAdView::webViewShouldStartLoadWithRequest(ui::WebView& /*webView*/, fnd::UrlRequest& request,
                                                    ui::NavigationType type) {
    if (type != ui::NavigationType::LinkClicked) {
        return true;
    }
    auto keep = self<KavloAdView>();
    if (auto command = kavloCustomAdCommand(request.url().absoluteString())) {
        if (auto delegate = adDelegate()) {
            delegate->adViewDidTouchCustomAdWithString(*this, *command);
        }
        // The touch is counted by the ad server; its reply is of no interest.
        std::make_shared<Connection>(std::weak_ptr<KavloAdView>())->start(request);
        return false;
    }
    openURLRequest(request);
    return false;
}

void KavloAdView::openURLRequest(const fnd::UrlRequest& request) {
    if (auto window = this->window()) {
        window->makeKeyWindow();
    }
    auto keep = self<KavloAdView>();
    if (auto delegate = adDelegate(); delegate && !delegate->adViewShouldTouchThrough(*this)) {
        return;
    }
    auto ctx = context_.lock();
    auto browser = ctx ? KavloBrowserView::sharedIn(*ctx) : nullptr;
    if (!browser) {
        ZLOG_TO(kKavloLog, Info, "kavlo: no in-app browser; the ad link stays closed");
        return;
    }
    browserClosed_ = fnd::NotificationCenter::defaultCenter().observe(
        kKavloBrowserClose, std::weak_ptr<KavloAdView>(keep), &KavloAdView::browserViewClosed,
        fnd::Value(std::static_pointer_cast<ui::View>(browser)));
    browser->openRequest(request);
}

void KavloAdView::browserViewClosed(const fnd::Notification& /*notification*/) {
    browserClosed_.reset();
    auto keep = self<KavloAdView>();
    if (auto delegate = adDelegate()) {
        delegate->adViewDidFinishTouchThrough(*this);
    }
}

void MMABannerXLAdView::initWithFrame(gfx::Rect frame) {
    setAdSize("300x50");
    KavloAdView::initWithFrame(gfx::Rect(frame.origin.x, frame.origin.y, 300, 50));
}

void IABRectangleMAdView::initWithFrame(gfx::Rect frame) {
    setAdSize("300x250");
    KavloAdView::initWithFrame(gfx::Rect(frame.origin.x, frame.origin.y, 300, 250));
}

} // namespace zelvan::kavlo
