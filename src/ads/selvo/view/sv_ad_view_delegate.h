// SVAdViewDelegate: what an ad view tells the object that placed it, and the optional answers it asks of
// it (demographics, rotation, a default ad). Every member is optional: the notifications have empty
// bodies, the two whose presence changes the view's behaviour have an explicit query, and the questions
// answer none (or null) unless overridden. Four notifications arrive off the main thread (see below).
#pragma once

#include <memory>
#include <optional>

#include "ads/selvo/sv_user_info.h"
#include "platform/foundation/error.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/application.h"

namespace zelvan::selvo {

class SVAd;
class SVAdView;
class SVWebViewController;

class SVAdViewDelegate : public SVDemographics {
public:
    // The landing page is to be closed (main thread).
    virtual void adViewDismiss(SVAdView& /*view*/, SVWebViewController& /*controller*/) {}
    // Present `controller` (main thread). The view opens its landing page only for a delegate that says
    // it implements this.
    virtual bool implementsDisplayLandingPage() const { return false; }
    virtual void adViewDisplayLandingPage(SVAdView& /*view*/, const std::shared_ptr<SVWebViewController>& /*c*/) {}
    // The interstitial is laying out at `frame`; the delegate may resize the view (main thread). Only
    // asked of a delegate that says it implements it.
    virtual bool implementsProcessingLayout() const { return false; }
    virtual void adViewProcessingLayout(SVAdView& /*view*/, gfx::Rect /*frame*/) {}

    // Off the main thread: on the request or prefetch operation's own thread.
    virtual void willRequestAd(SVAdView& /*view*/) {}
    virtual void willRefreshCache(SVAdView& /*view*/) {}
    virtual void adViewPrefetchCompleted(SVAdView& /*view*/) {}
    virtual void adViewFailedWithError(SVAdView& /*view*/, const fnd::Error& /*error*/) {}

    // Main thread; `ad` may be null (the first willDisplay sees the ad before any).
    virtual void adViewDidCloseAd(SVAdView& /*view*/, const std::shared_ptr<SVAd>& /*ad*/) {}
    virtual void adViewWillCloseAd(SVAdView& /*view*/, const std::shared_ptr<SVAd>& /*ad*/) {}
    virtual void adViewDidFollowClick(SVAdView& /*view*/, const std::shared_ptr<SVAd>& /*ad*/) {}
    virtual void adViewWillFollowClick(SVAdView& /*view*/, const std::shared_ptr<SVAd>& /*ad*/) {}
    virtual void adViewDidDisplayAd(SVAdView& /*view*/, const std::shared_ptr<SVAd>& /*ad*/) {}
    virtual void adViewWillDisplayAd(SVAdView& /*view*/, const std::shared_ptr<SVAd>& /*ad*/) {}

    // Whether the landing page turns to `orientation`; none lets it turn.
    virtual std::optional<bool>
    adViewWebViewShouldAutorotateToInterfaceOrientation(SVAdView& /*view*/, ui::InterfaceOrientation /*orientation*/) {
        return std::nullopt;
    }
    // An ad to show while the first request runs; null for none.
    virtual std::shared_ptr<SVAd> defaultAd(SVAdView& /*view*/) { return nullptr; }
};

} // namespace zelvan::selvo
