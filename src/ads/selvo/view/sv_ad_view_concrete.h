// SVAdViewConcrete: the request cycle behind every Selvo view kind. It queues single requests on its own
// queue (batches and prefetches on the cache manager's), both lanes of the shared worker pool, takes
// finished operations back to the main thread, shows the ad with a fade, pings its tracking pixels,
// re-arms a rotation or dismissal timer, opens the landing page on a tap and tells its delegate at each step.
// Operations hear of the view only through a handle that the view cuts when it goes, so neither a running
// operation nor a pending completion reaches a destroyed view.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "ads/selvo/cache/sv_ad_view_notifier.h"
#include "ads/selvo/cache/sv_work_queue.h"
#include "ads/selvo/sv_user_info.h"
#include "ads/selvo/view/sv_ad_view.h"
#include "ads/selvo/view/sv_web_view_controller.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/value.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/ui/layer.h"

namespace zelvan::selvo {

class MediaView;

// Runs `paint` in a new image context of `size` (y down, origin top-left) and returns the image; null
// when no context can be made for the size.
gfx::ImagePtr SVPaintImage(gfx::Size size, const std::function<void()>& paint);

class SVAdViewConcrete : public SVAdView, public SVDemographics, public SVWebViewControllerDelegate {
public:
    // The full factory: makes the kind for `type` (null for any other) and sets publisher id, site id,
    // delegate, batch size, placement, section and realType, in that order.
    static std::shared_ptr<SVAdViewConcrete> adViewWithType(const std::shared_ptr<SelvoContext>& context, int type,
                                                            const std::string& publisherID, const std::string& siteID,
                                                            int placement, const std::optional<std::string>& section,
                                                            unsigned batchSize, int orientation, DelegatePtr delegate);
    // The kind factories: 320 (460 for orientations 3 and 4) wide; 80 high for the banner, 50 for the
    // small banner and the text ad; the interstitial starts with a zero frame that follows its parent.
    static std::shared_ptr<SVAdViewConcrete> bannerAdViewWithOrientation(const std::shared_ptr<SelvoContext>& context,
                                                                         int orientation, DelegatePtr delegate);
    static std::shared_ptr<SVAdViewConcrete>
    smallBannerAdViewWithOrientation(const std::shared_ptr<SelvoContext>& context, int orientation,
                                     DelegatePtr delegate);
    static std::shared_ptr<SVAdViewConcrete> textAdViewWithOrientation(const std::shared_ptr<SelvoContext>& context,
                                                                       int orientation, DelegatePtr delegate);
    static std::shared_ptr<SVAdViewConcrete>
    interstitialAdViewWithOrientation(const std::shared_ptr<SelvoContext>& context, int orientation,
                                      DelegatePtr delegate);

    // Use the factories; `context` is kept for the view's life.
    explicit SVAdViewConcrete(std::shared_ptr<SelvoContext> context);
    // Invalidates the timer, cuts the operations' handle, cancels the batch operations and the own queue
    // (waiting for its running request), and cleans up the media view.
    ~SVAdViewConcrete() override;

    std::string className() const override { return "SVAdViewConcrete"; }
    void initWithFrame(gfx::Rect frame) override;

    // --- The request cycle ---
    void displayNewAd() override;
    void prefetchAds(const std::optional<std::vector<SVAdRequest>>& requests) override;
    void submitReport() override;
    void submitSynchronousReport() override;
    // Shows `ad` (main thread), unless the network looks down.
    void setAd(const std::shared_ptr<SVAd>& ad);
    void scheduleNextAd();
    void displayNewAdTimerFired();
    void dismissTimerFired();
    // Takes the view off its parent with the fade, telling the delegate.
    void dismiss();
    void displayLandingPage();
    void registerAppLaunch();
    std::shared_ptr<fnd::Operation> requestAdOperation();
    fnd::Value userInfoDictionary() const;
    // Pings the ad's tracking pixels one after the other from the calling thread's loop.
    static void touchTrackingPixels(SelvoContext& context, const std::shared_ptr<SVAd>& ad);
    void createMediaView();
    // A bitmap context of `size` (truncated to whole pixels), RGBA premultiplied, alpha last.
    static std::shared_ptr<gfx::BitmapContext> newContext(gfx::Size size);

    // The ad painted for `rect` as a new image, or null (each kind paints its own).
    virtual gfx::ImagePtr newContentImageRef(gfx::Rect rect);
    gfx::ImagePtr imageContent() { return nullptr; }
    // The type code requests carry (0 here).
    virtual int requestAdType() const { return 0; }

    // --- Delegate notifications ---
    void notifyDelegateWillRequestAd();
    void notifyDelegateWillRefreshCache();
    void notifyDelegateWillDisplayAd();
    void notifyDelegateDidDisplayAd();
    void notifyDelegateWillFollowClick();
    void notifyDelegateDidFollowClick();
    void notifyDelegateWillDismissAd();
    void notifyDelegateDidDismissAd();
    void notifyDelegatePrefetchFinished();
    void notifyDelegateFailedWithError(const fnd::Error& error);
    // True when the delegate was asked.
    bool notifyDelegateProcessingLayout(gfx::Rect rect);

    // --- SVWebViewControllerDelegate ---
    void dismissWebview(SVWebViewController& controller) override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

    // --- SVDemographics: the delegate's answers ---
    std::optional<std::string> zipcode() const override;
    std::optional<std::string> dma() const override;
    std::optional<std::string> area() const override;
    std::optional<std::string> mdn() const override;
    std::optional<int> ethnicity() const override;
    std::optional<unsigned> age() const override;
    std::optional<fnd::Date> birthdate() const override;
    std::optional<double> latitude() const override;
    std::optional<double> longitude() const override;
    std::optional<int> gender() const override;
    std::optional<unsigned> income() const override;
    std::optional<int> education() const override;

    void layoutSubviews() override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;

    // --- Properties ---
    unsigned batchSize() const { return batchSize_; }
    void setBatchSize(unsigned size) { batchSize_ = size; }
    // The batch and prefetch operations not yet finished or cancelled (a copy; any thread).
    std::vector<std::shared_ptr<fnd::Operation>> runningBatchOps() const;
    // Whether a single request is queued, running or being shown.
    bool isBusy() const;
    const std::shared_ptr<ui::Layer>& imageLayer() const { return imageLayer_; }
    const std::shared_ptr<SVWebViewController>& webViewController() const { return webViewController_; }
    const std::shared_ptr<MediaView>& mediaView() const { return mediaView_; }
    bool clickedOn() const { return clickedOn_; }
    bool touched() const { return touched_; }
    bool openWebview() const { return openWebview_; }
    const std::shared_ptr<SelvoContext>& context() const { return context_; }

protected:
    // Sets the image layer's contents to newContentImageRef(bounds) when that gives one.
    void paintImageLayer();
    void ensureImageLayer();

private:
    class Handle;
    friend class Handle;

    // Hears of the end of `operation` (own: the view's single request) on the thread that ended it.
    void observe(const std::shared_ptr<fnd::Operation>& operation, bool own);
    void operationEnded(fnd::Operation& operation, bool finished, bool own);
    void removeBatchOp(const fnd::Operation* operation);
    void completedOnMain(const std::shared_ptr<SVAd>& ad, bool own);

    std::shared_ptr<SelvoContext> context_;
    std::weak_ptr<SVAdViewConcrete> weakSelf_;
    std::shared_ptr<Handle> handle_;
    std::shared_ptr<ui::Layer> imageLayer_;
    std::shared_ptr<SVWebViewController> webViewController_;
    std::atomic<unsigned> batchSize_{0};
    std::unique_ptr<SVWorkQueue> requestQueue_;
    std::shared_ptr<fnd::Timer> adTimer_;
    mutable std::mutex batchMutex_;
    std::vector<std::shared_ptr<fnd::Operation>> runningBatchOps_;
    std::shared_ptr<MediaView> mediaView_;
    bool clickedOn_ = false;
    bool touched_ = false;
    bool openWebview_ = false;
    // A single request whose completion has not yet run on the main thread.
    bool singleInFlight_ = false;
};

} // namespace zelvan::selvo
