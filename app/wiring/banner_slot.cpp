// The banner networks' feature starters, over the slot rule the mediation's "orvane" starter keeps too
// (claimBannerSlot).
#include "app/wiring/banner_slot.h"

#include <utility>

#include "ads/zlv_ad_wrapper_view.h"
#include "app/wiring/mediation.h"

namespace zelvan::app {

AppRegistry::AdFeatureStarter bannerFeature(BannerSourceMaker source, AppRegistry::AdFeatureStarter start) {
    return [source = std::move(source), start = std::move(start)](zelvanAppDelegate& delegate,
                                                                  const LoginSession& session) {
        if (start) {
            start(delegate, session);
        }
        auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate.adView());
        if (!wrapper || wrapper->sourceChosenFor() == session.userId) {
            return; // no shared ad view, or an earlier banner network of this list took it
        }
        if (auto banner = source(delegate)) {
            claimBannerSlot(delegate, session, std::move(banner));
        }
    };
}

} // namespace zelvan::app
