// MarlinAdViewController: the full-page network over the Marlin interstitial library's entry points. One
// shared adapter per context: made (and the library started with its application id) for the first
// "marlin" entry of the order, restarted when a later entry names another non-zero id, stopped on destroy.
// It shows the prefetched ad and turns the library's callbacks into the open, close and failure
// notifications, reporting the impression when an ad opens. Main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "ads/mediation/full_page_network.h"
#include "ads/mediation/marlin_library.h"
#include "ads/mediation/mediation_context.h"

namespace zelvan::mediation {

class MarlinAdViewController : public FullPageNetwork,
                               public MarlinListener,
                               public std::enable_shared_from_this<MarlinAdViewController> {
public:
    // The id used when an entry's id reads as 0.
    static constexpr int64_t kDefaultApplicationId = 618204;

    // Application id -1, no network, not started.
    explicit MarlinAdViewController(std::weak_ptr<MediationContext> context);
    // A new adapter keeping `network` with the id of its AdNetworkGameID1.
    static std::shared_ptr<MarlinAdViewController> initWithNetworkInfo(std::weak_ptr<MediationContext> context,
                                                                       AdNetworkRef network);
    // The id of `text` (a decimal number read leniently); 0 gives kDefaultApplicationId.
    void setAppIdFromStr(std::string_view text);

    // --- The shared adapter of `context` ---
    // Makes and starts it for `network`, or restarts it when `network` names another non-zero id.
    static std::shared_ptr<MarlinAdViewController> sharedObjectWithNetworkInfo(MediationContext& context,
                                                                               const AdNetworkRef& network);
    // The shared adapter, or null.
    static std::shared_ptr<MarlinAdViewController> sharedObject(MediationContext& context);
    // Starts the library for the shared adapter; a library that throws (or is missing) leaves it stopped.
    static void marlinInitWithAppId(MediationContext& context, int64_t applicationId);
    // Stops the library when it runs.
    static void destoryMarlin(MediationContext& context);
    // Under the lock: stops the library and drops the shared adapter.
    static void destroy(MediationContext& context);

    // --- The full-page network ---
    // Shows the prefetched ad; no ad to show (or no library started) posts the failure notification.
    void showFullpageAd() override;
    // Forwarded to the library only while it runs (a stopped library is not brought back by a rotation);
    // starting it applies the offer client's angle anyway.
    void setFullPagenNetworkOrientation(float angle) override;

    // --- The library's callbacks (each taken on the main run loop's next pass) ---
    void marlinDisplayWillOpen() override;
    void marlinDisplayWillClose() override;
    void marlinAdDisplayFailed() override;
    void marlinConnectionFailed() override;

    int64_t applicationId() const { return applicationId_; }
    const AdNetworkRef& networkObj() const { return networkObj_; }
    bool marlinInitialized() const { return marlinInitialized_; }

private:
    std::shared_ptr<MarlinLibrary> library() const;
    void later(void (MarlinAdViewController::*step)());
    void opened();
    void closed();
    void failed(const char* reason);
    void displayFailed() { failed("Marlin: Ad display failed"); }
    void connectionFailed() { failed("Marlin: Connection failed"); }

    std::weak_ptr<MediationContext> context_;
    int64_t applicationId_ = -1;
    AdNetworkRef networkObj_;
    bool marlinInitialized_ = false;
};

} // namespace zelvan::mediation
