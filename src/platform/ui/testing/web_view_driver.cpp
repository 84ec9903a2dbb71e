// The web view test driver.
#include "platform/ui/testing/web_view_driver.h"

#include "platform/foundation/run_loop.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

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

namespace {

std::string collapsed(const std::string& text) {
    std::string out;
    for (char c : text) {
        const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
        if (space) {
            if (!out.empty() && out.back() != ' ') {
                out += ' ';
            }
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

} // namespace

bool WebViewDriver::tapLinkNamed(const std::string& name) {
    WebView& view = *webView_;
    const std::shared_ptr<HtmlTree> tree = view.document().tree();
    HtmlNodeId link = 0;
    for (HtmlNodeId a : tree->elementsByTagName("a")) {
        if (tree->attribute(a, "id") == name || collapsed(tree->textContent(a)) == name) {
            link = a;
            break;
        }
    }
    auto window = view.window();
    if (link == 0 || !window) {
        return false;
    }
    view.layoutPage();
    auto frame = view.frameOfElement(link);
    if (!frame) {
        return false;
    }
    if (!view.bounds().containsPoint(gfx::Point(frame->midX(), frame->midY()))) {
        auto scroll = view.scrollView();
        scroll->scrollRectToVisible(view.convertRectToView(*frame, scroll.get()), Animated::No);
        frame = view.frameOfElement(link);
    }
    const gfx::Point centre = view.convertPointToView(gfx::Point(frame->midX(), frame->midY()), nullptr);
    TouchDriver::tap(window, centre);
    return true;
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
