// AdwickAdSource: the banner client as a source of the application's ad wrapper view. It asks for a
// banner when made (with the publisher id and keywords of the context), reports the first ad, and asks
// for a fresh one when the wrapper comes back on screen more than 60 s after its last request.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/ad_source.h"
#include "ads/adwick/adwick_delegate.h"
#include "platform/foundation/date.h"

namespace zelvan::adwick {

class AdwickView;

class AdwickAdSource : public AdSource, public AdwickDelegate, public std::enable_shared_from_this<AdwickAdSource> {
public:
    static constexpr double kFreshAfterSeconds = 60;

    // Starts the first request at once.
    static std::shared_ptr<AdwickAdSource> create(std::string publisherId, std::optional<std::string> keywords);

    bool isAdViewReady() const override { return received_ && view_; }
    std::shared_ptr<ui::View> adView() const override;
    gfx::Size adSize() const override;
    void wrapperMovedToSuperview() override;

    std::optional<std::string> publisherId() override { return publisherId_; }
    std::optional<std::string> keywords() override { return keywords_; }
    void didReceiveAd(AdwickView& view) override;

    const std::shared_ptr<AdwickView>& view() const { return view_; }
    const fnd::Date& lastRequest() const { return lastRequest_; }

private:
    AdwickAdSource(std::string publisherId, std::optional<std::string> keywords)
        : publisherId_(std::move(publisherId)), keywords_(std::move(keywords)) {}

    std::string publisherId_;
    std::optional<std::string> keywords_;
    std::shared_ptr<AdwickView> view_;
    fnd::Date lastRequest_;
    bool received_ = false;
};

} // namespace zelvan::adwick
