// The web view test driver.
#include "platform/ui/testing/web_view_driver.h"

#include "platform/foundation/run_loop.h"

namespace ui::testing {

bool WebViewDriver::clickLink(const std::string& href) {
    return webView_->simulateNavigation(href, NavigationType::LinkClicked);
}

bool WebViewDriver::clickLink(size_t index) {
    const auto& links = webView_->document().links();
    if (index >= links.size()) {
        return false;
    }
    return clickLink(links[index]);
}

bool WebViewDriver::finishLoad(double realTimeout) {
    WebView& view = *webView_;
    return fnd::RunLoop::main().pumpUntil([&view] { return view.queuedNavigations_ == 0 && !view.isLoading(); },
                                          realTimeout);
}

bool WebViewDriver::failLoad(const fnd::Error& error) {
    if (!webView_->isLoading()) {
        return false;
    }
    webView_->failLoad(error);
    return true;
}

void WebViewDriver::failNextLoad(int64_t code) {
    webView_->injectedFailure_ = code;
}

std::shared_ptr<RecordingScriptHost> WebViewDriver::recordingHost() const {
    return std::dynamic_pointer_cast<RecordingScriptHost>(webView_->scriptHost());
}

std::vector<RecordingScriptHost::RecordedScript> WebViewDriver::scripts() const {
    auto host = recordingHost();
    return host ? host->scripts() : std::vector<RecordingScriptHost::RecordedScript>{};
}

} // namespace ui::testing
