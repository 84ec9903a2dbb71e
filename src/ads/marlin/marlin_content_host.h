// IMarlinContentHost: what the script bridge's main command handler needs of the interstitial controller
// and its content controller, handed to the handler when it is made. The content controller implements
// it; tests use a recording fake.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/geometry.h"

namespace zelvan::marlin {

class MNAnimationView;
class MNDatabase;

class IMarlinContentHost {
public:
    virtual ~IMarlinContentHost() = default;

    // --- The content controller ---
    // 0 after a boot, 1 idle with an ad ready, 3 ordinary display, 4 pre-roll display, -1 after a
    // forced reboot; the client script sets others.
    virtual int clientState() const = 0;
    virtual void setClientState(int state) = 0;
    virtual bool isAdPrefetched() const = 0;
    virtual void setAdPrefetched(bool prefetched) = 0;
    virtual bool hasClientCheckedInOnPreRoll() const = 0;
    // YES drops the pending pre-roll check-in timer.
    virtual void setHasClientCheckedInOnPreRoll(bool checkedIn) = 0;
    virtual std::string loadingMessage() const = 0;
    virtual void setLoadingMessage(const std::string& message) = 0;
    virtual std::string webViewTitle() const = 0;
    virtual void setWebViewTitle(const std::string& title) = 0;
    virtual double exitItemDisplayTime() const = 0;
    virtual void setExitItemDisplayTime(double seconds) = 0;
    virtual double menuTimerValue() const = 0;
    virtual void setMenuTimerValue(double seconds) = 0;
    virtual double sdkAccelerometerUpdateInterval() const = 0;
    virtual void setSdkAccelerometerUpdateInterval(double seconds) = 0;
    virtual bool javascriptRequestPassthrough() const = 0;
    virtual void setJavascriptRequestPassthrough(bool on) = 0;

    // Presents the content without animation.
    virtual void presentContent() = 0;
    // Dismisses the content without animation (the content controller's `dismiss`).
    virtual void dismissContent() = 0;
    // Boots the client script again with the application id.
    virtual void bootClient() = 0;
    virtual void showLoadingScreen() = 0;
    virtual void dismissLoadingScreen() = 0;
    virtual void hideMenuButton() = 0;
    virtual bool isBrowserMode() const = 0;
    virtual void setBrowserMode(bool on) = 0;
    // Loads the script at `path` (under Documents) into the page with `expression` as its start
    // expression, with `baseURL` or the default content base.
    virtual void loadScript(const std::string& path, const std::string& expression,
                            const std::optional<std::string>& baseURL) = 0;
    virtual void requestPage(const std::string& url, bool browserMode) = 0;
    // The name of the script the page runs ("boot.js", "client.js"), "" when none.
    virtual std::string currentScript() = 0;
    virtual gfx::Size transformationViewSize() const = 0;
    virtual int deviceOrientation() const = 0;
    // YES makes the animation view (with the web view's frame, in front inside the transformation view)
    // or re-frames the one there is; NO removes and releases it. A host without an animation layer
    // has none.
    virtual void prepareAnimationView(bool prepare) { (void)prepare; }
    virtual std::shared_ptr<MNAnimationView> animationView() { return nullptr; }

    // --- The controller ---
    virtual std::string serverURL() const = 0;
    virtual void setServerURL(const std::string& url) = 0;
    virtual int64_t applicationID() const = 0;
    virtual void setApplicationID(int64_t applicationID) = 0;
    // The stored client version, none when no client was installed.
    virtual std::optional<std::string> clientVersion() = 0;
    virtual void setClientVersion(const std::string& version) = 0;
    // Milliseconds since 1970.
    virtual int64_t sessionStart() const = 0;
    // Relays marlinConnectionFailed to the application's delegate.
    virtual void notifyConnectionFailed() = 0;
    // The store of settings and scripts.
    virtual MNDatabase& database() = 0;
};

} // namespace zelvan::marlin
