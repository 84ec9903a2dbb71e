// testing::WebViewDriver: plays the user and the network for a web view in tests - link taps,
// link taps where the page drew them, waiting for loads to end, injected failures, and the
// scripts the page ran.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/error.h"
#include "platform/ui/recording_script_host.h"
#include "platform/ui/web_view.h"

namespace ui::testing {

class WebViewDriver {
public:
    explicit WebViewDriver(std::shared_ptr<WebView> webView) : webView_(std::move(webView)) {}

    // A LinkClicked navigation to `href` (resolved against the page), as a tap on a link does.
    bool clickLink(const std::string& href);
    // The same for the page's link at `index` (document order); false when there is none.
    bool clickLink(size_t index);
    // Taps, through the window's touch system, at the centre of where the page drew the first link
    // whose id or text (white space collapsed) is `name`, scrolling it into view first. False when
    // there is no such link, it has no box, or the view is in no window.
    bool tapLinkNamed(const std::string& name);

    // Pumps the main loop (real time, manual time frozen) until no navigation is queued and no
    // load runs; false when that takes longer than `realTimeout`.
    bool finishLoad(double realTimeout = 5.0);
    // Fails the running load now with `error`; false when nothing is loading.
    bool failLoad(const fnd::Error& error);
    // The next load that starts fails on the following pass with fnd.url `code`, without fetching.
    void failNextLoad(int64_t code);

    // The current document's host when it is a RecordingScriptHost, else null.
    std::shared_ptr<RecordingScriptHost> recordingHost() const;
    // The scripts the current document's recording host ran (empty for other hosts).
    std::vector<RecordingScriptHost::RecordedScript> scripts() const;

private:
    std::shared_ptr<WebView> webView_;
};

} // namespace ui::testing
