// Fuzz target: URL texts into the canvas web view's navigation rule and its query table. "adwick:"
// requests are never loaded, everything else is; query keys are never empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "ads/adwick/adwick_canvas_web_view.h"
#include "platform/foundation/log.h"
#include "platform/foundation/thread.h"
#include "platform/ui/application.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::shared_ptr<zelvan::adwick::AdwickCanvasWebView> view = [] {
        fnd::setLogToStderr(false);
        fnd::initMainThread();
        return ui::View::create<zelvan::adwick::AdwickCanvasWebView>(gfx::Rect(0, 0, 320, 460));
    }();
    static auto controller = std::make_shared<int>(0);
    static int dismissed = 0;
    view->setController(controller);
    view->setDismissSelector([] { ++dismissed; });

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto table = zelvan::adwick::AdwickCanvasWebView::dictionaryWithQueryString(text);
    for (const auto& key : table->allKeys()) {
        check(!key.text().empty());
    }
    auto url = fnd::Url::parse(text);
    if (!url) {
        return 0;
    }
    ui::Application::shared().clearOpenedUrls();
    fnd::UrlRequest request(*url);
    const bool loads = view->webViewShouldStartLoadWithRequest(*view, request, ui::NavigationType::LinkClicked);
    check(loads == (url->scheme() != "adwick"));
    check(ui::Application::shared().openedUrls().size() <= 1);
    return 0;
}
