// The canvas web view: loading the canvas page from the media server (cached when possible), the
// callback script with the canvas URL and title escaped, and the "adwick:" scheme's two hosts.
#include "ads/adwick/adwick_canvas_web_view.h"

#include "ads/adwick/adwick_log.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/application.h"

namespace zelvan::adwick {

void AdwickCanvasWebView::initWithFrame(gfx::Rect frame) {
    ui::WebView::initWithFrame(frame);
    setDelegate(std::dynamic_pointer_cast<ui::WebViewDelegate>(self<ui::View>()));
}

void AdwickCanvasWebView::setCanvasUrl(const fnd::Url& url) {
    canvasUrl_ = fnd::Url::parse(fnd::format("%@#sdk", url.absoluteString()));
    if (!canvasUrl_) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: canvas URL not usable: %@", fnd::logPreview(url.absoluteString()));
    }
}

void AdwickCanvasWebView::startLoadingCanvas() {
    auto page = fnd::Url::parse(mediaBase_ + "/static/iphone/canvas.html");
    if (!page) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: no media server for the canvas page");
        closeCanvas();
        return;
    }
    loadRequest(fnd::UrlRequest(*page, fnd::UrlRequestCachePolicy::ReturnCacheDataElseLoad, kCanvasTimeoutSeconds));
    auto indicator = ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::Gray);
    const gfx::Rect area = bounds();
    indicator->setFrame(gfx::Rect((area.size.width - 20) / 2, (area.size.height - 20) / 2, 20, 20));
    indicator->setTag(kIndicatorTag);
    addSubview(indicator);
    indicator->startAnimating();
}

void AdwickCanvasWebView::removeIndicator() {
    if (auto indicator = viewWithTag(kIndicatorTag)) {
        indicator->removeFromSuperview();
    }
}

void AdwickCanvasWebView::closeCanvas() {
    if (!controller_.expired() && dismissSelector_) {
        auto dismiss = dismissSelector_;
        dismiss();
    }
}

std::shared_ptr<fnd::Dictionary> AdwickCanvasWebView::dictionaryWithQueryString(std::string_view query) {
    auto table = std::make_shared<fnd::Dictionary>();
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string_view::npos) {
            end = query.size();
        }
        std::string_view part = query.substr(start, end - start);
        size_t equals = part.find('=');
        if (equals != std::string_view::npos && equals > 0) {
            table->setObject(fnd::Value(fnd::unescapeLenient(part.substr(equals + 1))),
                             fnd::unescapeLenient(part.substr(0, equals)));
        }
        start = end + 1;
    }
    return table;
}

bool AdwickCanvasWebView::webViewShouldStartLoadWithRequest(ui::WebView& /*webView*/, fnd::UrlRequest& request,
                                                            ui::NavigationType /*type*/) {
    const fnd::Url& url = request.url();
    if (url.scheme() != "adwick") {
        return true;
    }
    if (url.host() == "launch") {
        auto query = dictionaryWithQueryString(url.query());
        const fnd::Value* target = query->find("url");
        if (target != nullptr && target->asString() != nullptr) {
            ui::Application::shared().openURL(*target->asString());
        } else {
            ZLOG_TO(kAdwickLog, Warn, "adwick: canvas launch without a url");
        }
    } else if (url.host() == "closecanvas") {
        closeCanvas();
    }
    return false;
}

void AdwickCanvasWebView::webViewDidFinishLoad(ui::WebView& /*webView*/) {
    if (!initialLoad_) {
        return;
    }
    auto keep = self<AdwickCanvasWebView>();
    removeIndicator();
    // No engine ran the page, or it failed: "" counts as undefined.
    const std::string kind = stringByEvaluatingJavaScriptFromString("typeof(adwick)");
    if (kind == "undefined" || kind.empty()) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: the canvas page does not define adwick; closing");
        closeCanvas();
        return;
    }
    stringByEvaluatingJavaScriptFromString(fnd::format(
        "cb('%@', '%@')", fnd::jsEscape(canvasUrl_ ? canvasUrl_->absoluteString() : ""), fnd::jsEscape(canvasTitle_)));
    initialLoad_ = false;
}

void AdwickCanvasWebView::webViewDidFailLoadWithError(ui::WebView& /*webView*/, const fnd::Error& error) {
    if (!initialLoad_) {
        return;
    }
    auto keep = self<AdwickCanvasWebView>();
    removeIndicator();
    ZLOG_TO(kAdwickLog, Warn, "adwick: the canvas page failed to load: %@", error.description());
    closeCanvas();
}

} // namespace zelvan::adwick
