// The plain dialog controller: a web view made on first use that opens the init address, and
// address loads through it.
#include "web/web_dialog_controller.h"

#include "platform/foundation/log_preview.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "protocol/tracer.h"

namespace zelvan {

void PlainWebDialogController::openUrl(const std::string& url) {
    if (!webView_) {
        initUrl_ = url;
        return;
    }
    load(url);
}

std::shared_ptr<ui::View> PlainWebDialogController::view() {
    if (!webView_) {
        webView_ = ui::View::create<ui::WebView>(gfx::Rect(0, 0, 280, 200));
        webView_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
        if (!initUrl_.empty()) {
            load(initUrl_);
        }
    }
    return webView_;
}

void PlainWebDialogController::load(const std::string& url) {
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        ZTRACE_WARN("PlainWebDialogController: cannot open \"%@\"", fnd::logPreview(url));
        return;
    }
    webView_->loadRequest(fnd::UrlRequest(*parsed));
}

} // namespace zelvan
