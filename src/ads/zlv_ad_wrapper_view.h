// ZLVAdWrapperView: the application's shared advertisement view. Screens put it in a slot of their
// own; it shows the ad of its source once one is ready and tells its delegate when that happens, so
// the screen can make room for it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ads/ad_source.h"
#include "core/app_services.h"
#include "platform/ui/view.h"

namespace zelvan {

class ZLVAdWrapperView;

// Every method is optional.
class ZLVAdWrapperViewDelegate {
public:
    virtual ~ZLVAdWrapperViewDelegate() = default;
    // An ad became available in `wrapper` (once per change from no ad to an ad).
    virtual void adViewAvailable(ZLVAdWrapperView& /*wrapper*/) {}
};

class ZLVAdWrapperView : public ui::View, public AdViewService {
public:
    std::string className() const override { return "ZLVAdWrapperView"; }

    // Takes ads from `source` from now on (null: none); the source it already has changes nothing. An ad
    // the source already holds is shown at once and counts as becoming available.
    void setAdSource(std::shared_ptr<AdSource> source);
    const std::shared_ptr<AdSource>& adSource() const { return source_; }
    // The signed-in user whose advertising feature list chose the current source, while that list is being
    // walked, so a later banner network of the same list leaves the slot to the first. The walk of one
    // list runs in one pass of the main loop: the mark ends with that pass, and a list the server sends
    // later chooses again. None: no list is choosing.
    std::optional<int32_t> sourceChosenFor() const { return sourceChosenFor_; }
    void setSourceChosenFor(std::optional<int32_t> user);

    // Whether an ad is shown and ready.
    bool isAdViewAvailable() const;
    // The size of the ad shown; zero while none is.
    gfx::Size sizeThatFitsAdView() const;

    void setDisplayMode(int mode) override { displayMode_ = mode; }
    int displayMode() const { return displayMode_; }

    std::shared_ptr<ZLVAdWrapperViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<ZLVAdWrapperViewDelegate> delegate) { delegate_ = std::move(delegate); }

    // Tells the source when the wrapper has a superview again.
    void didMoveToSuperview() override;

    // The ad's view currently shown as a subview, or null.
    const std::shared_ptr<ui::View>& shownAdView() const { return shown_; }

private:
    // The source reported an ad: show it and tell the delegate when there was none before.
    void adBecameAvailable();

    std::shared_ptr<AdSource> source_;
    std::shared_ptr<ui::View> shown_;
    std::weak_ptr<ZLVAdWrapperViewDelegate> delegate_;
    int displayMode_ = 0;
    std::optional<int32_t> sourceChosenFor_;
};

} // namespace zelvan
