// OrvaneConnect: the offer network's facade for the host application - the connect request, preloading
// ads, the host's settings the SDK reads (angle, root controller, view, transitions, beacon switch) and
// the named beacon sections, and the openers of the store, leaderboard and submit-score screens
// (orvane_connect_goods.cpp; its picture and quote boxes are the kit's, made in ../orvane_connect_boxes.cpp).
// Made by the first connect request (through the maker makeOrvane gives the context) and kept by the
// context. Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "offers/orvane/client/orv_beacon_recorder.h"
#include "offers/orvane/client/orv_goods_records.h"

#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"

namespace ui {
class View;
class ViewController;
} // namespace ui

namespace zelvan::orvane {

class ShowPicture;
class ShowQuoteInfo;
class ORVStoreView;
class ORVShadow;
class ORVScreens;
class OrvaneContext;

// Posted by the SDK's screens when they close, unless another SDK view opened them (no object).
inline constexpr const char* kORVShowBoxNotification = "ORV_SHOW_BOX_NOTIFICATION";

// What the host application hears from the SDK; every operation is optional.
class OrvaneConnectDelegate {
public:
    virtual ~OrvaneConnectDelegate() = default;
    // Whether adShownWithCampaignID is implemented.
    virtual bool respondsToAdShown() const { return false; }
    virtual void adShownWithCampaignID(const std::string& /*campaignId*/) {}
};

class OrvaneConnect {
public:
    // `context` gives the screens the composition root installs; `shadow` is the session object the
    // connect and preloads go through.
    OrvaneConnect(OrvaneContext& context, std::shared_ptr<ORVShadow> shadow);
    OrvaneConnect(const OrvaneConnect&) = delete;
    OrvaneConnect& operator=(const OrvaneConnect&) = delete;

    // --- Class-level entry points (orvane_entry_points.cpp) ---
    // The context's facade; null before the first connect request (or without a context).
    static std::shared_ptr<OrvaneConnect> sharedOrvaneConnect();
    // Makes the facade and sends the connect request the first time; later calls return the facade and
    // start nothing (a non-null delegate replaces the one held). Null without a context. The delegate is
    // held weakly.
    static std::shared_ptr<OrvaneConnect>
    requestOrvaneConnectWithDelegate(const std::shared_ptr<OrvaneConnectDelegate>& delegate);

    // Preloads the banner of `eventId` (connecting again first when the connect failed).
    void preloadAds(int eventId);
    std::shared_ptr<OrvaneConnectDelegate> delegate() const { return delegate_.lock(); }

    // --- The host's settings ---
    // Degrees of a fixed orientation (0 until set; 90 and 270 are landscape).
    static int getApplicationAngel();
    void setApplicationAngel(int degrees) { angle_ = degrees; }
    // Whether the host gave a root view controller or a view to rotate with.
    static bool didApplicationEnabledOrientation();
    void setRootViewController(std::shared_ptr<ui::ViewController> controller) { rootController_ = controller; }
    void setApplicationView(std::shared_ptr<ui::View> view) { applicationView_ = view; }
    // Where full-screen pages go: the root controller's view, else the application view, else the first
    // window; null when there is none.
    static std::shared_ptr<ui::View> getApplicationSuperView();
    // The effect dismissing SDK views: an opening effect 0-4 gives 5-9, -1 (none) stays -1, others 5.
    int getreverseTransitionEffect() const;
    int transitionEffect() const { return transitionEffect_; }
    void setTransitionEffect(int effect) { transitionEffect_ = effect; }
    // Seconds of SDK view transitions: 0.5 unless changed, 0 when transitions are off.
    static float getTransitionDelay();
    void setTransitionDelay(float seconds) { transitionDelay_ = seconds; }
    void setTransitionsEnabled(bool enabled) { transitionsEnabled_ = enabled; }
    // The virtual good the offer wall was opened for, or none.
    const std::optional<std::string>& getOffersItemName() const { return offersItemName_; }
    void setOffersItemName(std::optional<std::string> name) { offersItemName_ = std::move(name); }

    // --- Beacon sections (off until the host sets the switch nonzero) ---
    int beaconSwitch() const { return beaconSwitch_; }
    void setBeaconSwitch(int value) { beaconSwitch_ = value; }
    void startSubBeaconWithName(const std::string& name, bool timeSession);
    void endSubBeaconWithName(const std::string& name);
    const ORVBeaconRecorder& beaconRecorder() const { return beacons_; }

    // --- Picture and quote boxes (orvane_connect_boxes.cpp) ---
    // Drops the box made last time and returns a new one of `frame` (kept until the next call) for the
    // caller to add to its views.
    std::shared_ptr<ShowPicture> GetPicture(gfx::Rect frame);
    std::shared_ptr<ShowQuoteInfo> GetQuote(gfx::Rect frame, std::shared_ptr<gfx::Font> font);
    // --- Screens (made by the context's installed screens; none without them) ---
    // Each drops the store view opened before, makes a store 320 wide and 480 high at (0, 0) (460 high at
    // (0, 20), under the status bar, while it shows), sets its tab (and row), runs myLoadView and animates
    // it in with the current transition; the caller adds it to a window. Null without screens.
    std::shared_ptr<ORVStoreView> GetVirtualGoodsWithTab(int tab);
    std::shared_ptr<ORVStoreView> GetVirtualGoodsWithTab(int tab, int row);
    std::shared_ptr<ORVStoreView> getVirtualGoods();
    // The store view made last while it is open, else null (held weakly, cleared when it closes).
    std::shared_ptr<ORVStoreView> GetVirtualGoodsView() const { return storeView_->lock(); }
    void upDateCurrent_PreviousVGController() {}
    // Drops the SDK view shown, makes the leaderboard panel (0, 0, 320, 480) for the filters, keeps it as
    // the current SDK view and animates it in; the caller adds it to a window. Null without screens.
    std::shared_ptr<ui::View> getHighScoresByFilter(const ORVFilters& filters);
    // Makes the submit-score dialog for the panel (20, 90, 280, 300) with the score's values, keeps it as
    // the current SDK view, adds it to getApplicationSuperView and animates it in. Null without screens.
    std::shared_ptr<ui::View> showSubmitHighScoresBox(const ORVScoreSubmission& values);
    const std::shared_ptr<ui::View>& currentSDKView() const { return currentView_; }
    // The filter values last chosen on a leaderboard (the context's; null without a context; an entry
    // point, orvane_entry_points.cpp).
    static std::shared_ptr<ORVFiltersValueInfo> getFiltersValueInfo();

private:
    std::shared_ptr<ORVStoreView> openStore(int tab, std::optional<int> row);
    // The installed screens; logs one line when there are none.
    std::shared_ptr<ORVScreens> installedScreens() const;

    OrvaneContext& context_;
    std::shared_ptr<ORVShadow> shadow_;

    // Shared with the open store's close callback, which may outlive the facade.
    std::shared_ptr<std::weak_ptr<ORVStoreView>> storeView_ = std::make_shared<std::weak_ptr<ORVStoreView>>();
    std::shared_ptr<ui::View> currentView_;
    std::weak_ptr<OrvaneConnectDelegate> delegate_;
    int angle_ = 0;
    std::weak_ptr<ui::ViewController> rootController_;
    std::weak_ptr<ui::View> applicationView_;
    int transitionEffect_ = 4;
    float transitionDelay_ = 0.5f;
    bool transitionsEnabled_ = true;
    std::optional<std::string> offersItemName_;
    int beaconSwitch_ = 0;
    ORVBeaconRecorder beacons_;
    std::shared_ptr<ShowPicture> pictureBox_;
    std::shared_ptr<ShowQuoteInfo> quoteBox_;
};

} // namespace zelvan::orvane
