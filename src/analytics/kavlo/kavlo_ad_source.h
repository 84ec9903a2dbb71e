// KavloAdSource: the Kavlo banner as a source of the application's ad wrapper view. It makes an
// MMABannerXLAdView, asks it for an ad at once, reports each finished ad page, and asks again when the
// wrapper comes back on screen more than 60 s after the last request.
#pragma once

#include <memory>

#include "ads/ad_source.h"
#include "analytics/kavlo/kavlo_ad_view.h"
#include "platform/foundation/date.h"

namespace zelvan::kavlo {

class KavloAdSource : public AdSource, public KavloAdViewDelegate, public std::enable_shared_from_this<KavloAdSource> {
public:
    static constexpr double kFreshAfterSeconds = 60;

    // A banner of the client over `context`; starts the first request at once.
    static std::shared_ptr<KavloAdSource> create(std::shared_ptr<KavloContext> context);

    bool isAdViewReady() const override { return loaded_ && view_; }
    std::shared_ptr<ui::View> adView() const override;
    gfx::Size adSize() const override;
    void wrapperMovedToSuperview() override;

    void adViewDidFinishLoad(KavloAdView& view) override;

    const std::shared_ptr<MMABannerXLAdView>& view() const { return view_; }
    // Requests made so far.
    int requestCount() const { return requests_; }

private:
    KavloAdSource() = default;
    void request();

    std::shared_ptr<MMABannerXLAdView> view_;
    fnd::Date lastRequest_;
    bool loaded_ = false;
    int requests_ = 0;
};

} // namespace zelvan::kavlo
