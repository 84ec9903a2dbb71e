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
#include "ads/marlin/marlin_entry_points.h"
#include "platform/ui/view_controller.h"

namespace ui {
class Window;
}

namespace zelvan::marlin {

class MNContentController;
class MNDatabase;

class MNController : public ui::ViewController, public MarlinDelegate, public JavascriptBridgeFlagListener {
public:
    static constexpr std::string_view kSdkVersion = "2.3.1";
    // At most this many polls run while the client shuts down.
    static constexpr int kMaxShutdownPolls = 100;

    // The controller being set up or running, from the installed context; null without one.
    static std::shared_ptr<MNController> sharedController();
    static std::string sdkVersion() { return std::string(kSdkVersion); }
    // Documents and its file URL.
    static std::string localFileBasePath();
    static std::string localFileBaseURL();

    // Makes the controller with its window, store and content controller, registers it in `context`
    // as the shared instance and boots the client. `server` replaces the context's default server.
    static std::shared_ptr<MNController> initWithAppID(int64_t applicationID, const std::optional<std::string>& server,
                                                       const std::shared_ptr<MarlinEntryPoints>& context);
    MNController();
    ~MNController() override;

    std::string className() const override { return "MNController"; }

    // The stored "clientVersion" setting.
    std::optional<std::string> clientVersion();
    void setClientVersion(const std::string& version);

    const std::string& serverURL() const { return serverURL_; }
    void setServerURL(const std::string& url) { serverURL_ = url; }
    int64_t applicationID() const { return applicationID_; }
    void setApplicationID(int64_t id) { applicationID_ = id; }
    const MarlinAddresses& addresses() const { return addresses_; }
    const std::shared_ptr<ui::Window>& mnWindow() const { return mnWindow_; }
    std::shared_ptr<ui::Window> appWindow() const { return appWindow_.lock(); }
    std::shared_ptr<MarlinDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<MarlinDelegate> delegate) { delegate_ = std::move(delegate); }
    MNDatabase& database() { return *database_; }
    const std::shared_ptr<MNContentController>& contentController() const { return contentController_; }

    // Starts a display of the prefetched ad (or waits for one); whether it started.
    bool displayAdView();
    // 0 not reachable, 1 carrier network, 2 Wi-Fi, for the server's host.
    int serverReachability();

    void presentController(const std::shared_ptr<ui::ViewController>& controller, bool animated);
    void dismissController(const std::shared_ptr<ui::ViewController>& controller, bool animated);
    void makeKeyWindow();
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
