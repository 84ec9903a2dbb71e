// MediaView: image-with-caption pages, the site proxy's home and landing addresses, and the delegate that
// keeps the close pseudo-URL from loading.
#include "ads/selvo/view/media_view.h"

#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_misc.h"
#include "ads/selvo/sv_user_info.h"
#include "ads/selvo/view/sv_ad_view.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/format.h"

namespace zelvan::selvo {

namespace {

constexpr std::string_view kPageFormat =
    "<html><head>%@</head><body style='margin:0px;background-color:transparent'><div "
    "style='border:0px;padding:0px;margin:0px' align='center'><img style='padding:0px;margin:0px' width='%d' "
    "height='%d' border='0' src='%@'/><p>%@</p></div></body></html>";
constexpr std::string_view kStyleFormat =
    "<style type='text/css'>div{font-size:%dpx; font-weight:bold; font-family:arial,san-serif; "
    "line-height:normal; color:%@; text-align:center;margin:0px}p{margin:0px;}</style>";
constexpr std::string_view kEmptyPage = "<html><head></head><body></body></html>";

} // namespace

bool MediaViewDelegate::webViewShouldStartLoadWithRequest(ui::WebView& /*webView*/, fnd::UrlRequest& request,
                                                          ui::NavigationType /*type*/) {
    return !SVMisc(context_.get()).isCloseURL(request.url());
}

void MediaView::setup() {
    delegate_ = std::make_shared<MediaViewDelegate>(context_, self<MediaView>());
    setDelegate(delegate_);
    setBackgroundColor(gfx::Color::clear());
    setOpaque(false);
    setUserInteractionEnabled(false);
}

void MediaView::renderAnimated(const std::string& imageURL, const std::string& text, int width, int height) {
    auto adView = adView_.lock();
    const bool black = !adView || adView->textColor() == gfx::Color::black();
    const std::string style = fnd::format(kStyleFormat, 10, black ? "black" : "white");
    // The reply's URL and caption go into markup: both are escaped (ordinary values stay as they are).
    loadHTMLString(fnd::format(kPageFormat, style, width, height, fnd::htmlEscape(imageURL), fnd::htmlEscape(text)));
    setHidden(false);
}

std::string MediaView::escapedTarget(const std::string& url) {
    return fnd::escapeLegacyPlus(url, "&=+#?");
}

void MediaView::home(const std::string& url) {
    const auto proxy = context_->proxySiteServer();
    if (!proxy) {
        SVLogError(context_, "Error creating expandable banner url request");
        return;
    }
    if (auto request = urlRequest(fnd::Url::parse(*proxy + "u=" + escapedTarget(url)))) {
        loadRequest(*request);
    }
}

std::optional<fnd::Url> MediaView::landing(const std::string& url) const {
    const auto proxy = context_->proxySiteServer();
    if (!proxy) {
        return std::nullopt;
    }
    return fnd::Url::parse(*proxy + "t=landing&u=" + escapedTarget(url));
}

std::optional<fnd::UrlRequest> MediaView::urlRequest(const std::optional<fnd::Url>& url) const {
    if (!url) {
        SVLogError(context_, "Error creating expandable banner url request");
        return std::nullopt;
    }
    fnd::UrlRequest request(*url);
    SVMisc(context_.get()).addSVHeaders(request, SVUserInfoWithDeviceInfo(*context_));
    return request;
}

void MediaView::empty() {
    setHidden(true);
    loadHTMLString(std::string(kEmptyPage));
}

void MediaView::cleanup() {
    adView_.reset();
    setDelegate({});
    delegate_.reset();
}

} // namespace zelvan::selvo
