// MediationAdSource: the banner mediation as a source of the application's ad wrapper view. It asks the
// offer network for the banner host view of its slot (event 1, 320 x 50), is ready once an ad is on
// screen in it, and reports the first ad only (later ads rotate inside the same host view). When the host
// view comes back into the slot after it was taken off, it asks again: a new show request.
#pragma once

#include <functional>
#include <memory>

#include "ads/ad_source.h"

namespace zelvan::mediation {

class ORVAdView;

class MediationAdSource : public AdSource, public std::enable_shared_from_this<MediationAdSource> {
public:
    static constexpr int kEventId = 1;
    static gfx::Rect slotRect() { return gfx::Rect(0, 0, 320, 50); }

    // `showAdBox` returns the host view of the slot (the offer network's showAdBox for event 1 and
    // slotRect()), or null while it has none; it is asked now and again whenever the wrapper comes back on
    // screen without a host view.
    using ShowAdBox = std::function<std::shared_ptr<ui::View>()>;
    static std::shared_ptr<MediationAdSource> create(ShowAdBox showAdBox);

    bool isAdViewReady() const override;
    std::shared_ptr<ui::View> adView() const override;
    gfx::Size adSize() const override;
    void wrapperMovedToSuperview() override;

    const std::shared_ptr<ORVAdView>& hostView() const { return host_; }

private:
    explicit MediationAdSource(ShowAdBox showAdBox) : showAdBox_(std::move(showAdBox)) {}
    void askForHost();

    ShowAdBox showAdBox_;
    std::shared_ptr<ORVAdView> host_;
    bool announced_ = false;
};

} // namespace zelvan::mediation
