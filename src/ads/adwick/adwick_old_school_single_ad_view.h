// AdwickOldSchoolSingleAdView: the classic banner. It draws a text ad (bevelled icon tile, text and the
// attribution line on a shine background) or an image banner, records touches, and sends a click with
// the touch records when a touch ends inside it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/adwick/adwick_single_ad_view.h"
#include "platform/foundation/date.h"
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"

namespace zelvan::adwick {

class AdwickOldSchoolSingleAdView : public AdwickSingleAdView {
public:
    static constexpr double kTileCornerRadius = 6.5;
    static constexpr double kAttributionMaxTextHeight = 24;

    std::string className() const override { return "AdwickOldSchoolSingleAdView"; }

    void setAd(std::shared_ptr<AdwickAd> ad) override;
    virtual void setActionIcon(const gfx::ImagePtr& image);
    virtual void clickDidHappen();
    double timeIntervalSinceFirstRender() const;
    bool touchIsInSelf(gfx::Point location) const;
    void drawShineBackgroundWithBaseColor(const gfx::Color& color);
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }
    // The touch records since the last click (null when none).
    const std::shared_ptr<fnd::Array>& storedTouches() const { return storedTouches_; }
    // Whether the last draw put the attribution line under the text.
    bool drewAttribution() const { return drewAttribution_; }

    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) override;

    static void drawImage(const gfx::Image& image, gfx::Point point, double radius);
    static gfx::Size sizeWithBevelsAndRoundedCornersForImage(const gfx::Image& image);
    static gfx::Rect rectForTileImage(const gfx::Image& image, gfx::Rect parentContainer);
    static void drawTileImage(const gfx::Image& image, gfx::Rect rect);

protected:
    std::optional<fnd::Date> dateOfFirstRender_;
    std::shared_ptr<fnd::Array> storedTouches_;
    bool drewAttribution_ = false;
};

} // namespace zelvan::adwick
