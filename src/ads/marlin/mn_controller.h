// MNController: the interstitial client's controller. It owns a hidden window of its own at alert level,
// the store and the content controller in which the client script runs; it starts displays, slides the
// content in and out, swaps the key window while an ad shows and relays what happens to the
// application's delegate.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ads/marlin/javascript_bridge.h"
#include "ads/marlin/marlin_context.h"
#include "ads/marlin/mn_content_owner.h"
#include "platform/ui/view_controller.h"

namespace ui {
class Window;
}

namespace zelvan {
class Reachability;
}

namespace zelvan::marlin {

class MNContentController;
class MNDatabase;

class MNController : public ui::ViewController, public MNContentOwner, public JavascriptBridgeFlagListener {
public:
    // At most this many polls run while the client shuts down.
    static constexpr int kMaxShutdownPolls = 100;

    // The controller running, from the installed context; null without one (an entry point, defined with
    // the others in marlin_entry_points.cpp).
    static std::shared_ptr<MNController> sharedController();
    static std::string sdkVersion() { return std::string(kSdkVersion); }
    // Documents and its file URL.
    static std::string localFileBasePath();
    static std::string localFileBaseURL();

    // Makes the controller with its window, store and content controller and boots the client. `server`
    // replaces the addresses' default server; `reachability` is asked for the server's host (a monitor of
    // its own when null).
    static std::shared_ptr<MNController> initWithAppID(int64_t applicationID, const std::optional<std::string>& server,
                                                       MarlinAddresses addresses,
                                                       std::shared_ptr<Reachability> reachability);
    MNController();
    ~MNController() override;

    std::string className() const override { return "MNController"; }

    // The stored "clientVersion" setting.
    std::optional<std::string> clientVersion() override;
    void setClientVersion(const std::string& version) override;

    const std::string& serverURL() const override { return serverURL_; }
    void setServerURL(const std::string& url) override { serverURL_ = url; }
    int64_t applicationID() const override { return applicationID_; }
    void setApplicationID(int64_t id) override { applicationID_ = id; }
    const MarlinAddresses& addresses() const override { return addresses_; }
    const std::shared_ptr<ui::Window>& mnWindow() const override { return mnWindow_; }
    std::shared_ptr<ui::Window> appWindow() const override { return appWindow_.lock(); }
    std::shared_ptr<MarlinDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<MarlinDelegate> delegate) { delegate_ = std::move(delegate); }
    MNDatabase& database() { return *database_; }
    const std::shared_ptr<MNContentController>& contentController() const { return contentController_; }

    // Starts a display of the prefetched ad (or waits for one); whether it started.
    bool displayAdView();
    // 0 not reachable, 1 carrier network, 2 Wi-Fi, for the server's host.
    int serverReachability();

    void presentController(const std::shared_ptr<ui::ViewController>& controller, bool animated) override;
    void dismissController(const std::shared_ptr<ui::ViewController>& controller, bool animated) override;
    void makeKeyWindow() override;
    void resignKeyWindow();

    void jsBridgeDidChangeStateForFlag(JavascriptBridge& bridge, const std::string& flag) override;
    // Tells the client to shut down, runs what it queues (at most kMaxShutdownPolls polls) and takes
    // the content away.
    void didReceiveReleaseMessage();

    // --- Relays to the application's delegate ---
    void marlinDisplayWillOpen() override;
    void marlinDisplayDidOpen() override;
    void marlinDisplayWillClose() override;
    void marlinDisplayDidClose() override;
    void marlinConnectionFailed() override;
    void marlinAdDisplayFailed() override;
    void marlinDidReceiveMemoryWarning() override;

private:
    std::string serverURL_;
    int64_t applicationID_ = 0;
    MarlinAddresses addresses_;
    std::shared_ptr<ui::Window> mnWindow_;
    std::weak_ptr<ui::Window> appWindow_;
    std::weak_ptr<MarlinDelegate> delegate_;
    std::shared_ptr<MNDatabase> database_;
    std::shared_ptr<MNContentController> contentController_;
    std::shared_ptr<Reachability> reachability_;
};

} // namespace zelvan::marlin
