// The classic banner's drawing (shine background, bevelled icon tile, text and attribution, or the
// image banner with its accounting pixel), its action icon and its touch records and click.
#include "ads/adwick/adwick_old_school_single_ad_view.h"

#include <cmath>
#include <numbers>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_localizer.h"
#include "platform/graphics/gradient.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"
#include "platform/ui/image_view.h"
#include "platform/ui/touch.h"

namespace zelvan::adwick {

void AdwickOldSchoolSingleAdView::setAd(std::shared_ptr<AdwickAd> ad) {
    AdwickSingleAdView::setAd(std::move(ad));
    setActionIcon(ad_ ? ad_->actionImage() : nullptr);
    setNeedsDisplay();
}

void AdwickOldSchoolSingleAdView::setActionIcon(const gfx::ImagePtr& image) {
    if (auto previous = clickAnimationView()) {
        previous->removeFromSuperview();
    }
    clickAnimationView_.reset();
    if (!image) {
        return;
    }
    const gfx::Size size = image->size();
    const gfx::Rect area = bounds();
    auto icon = ui::ImageView::initWithImage(image);
    icon->setFrame(
        gfx::Rect(area.size.width - 4 - size.width, (area.size.height - size.height) / 2, size.width, size.height));
    addSubview(icon);
    clickAnimationView_ = icon;
}

double AdwickOldSchoolSingleAdView::timeIntervalSinceFirstRender() const {
    return dateOfFirstRender_ ? -dateOfFirstRender_->timeIntervalSinceNow() : 0;
}

bool AdwickOldSchoolSingleAdView::touchIsInSelf(gfx::Point location) const {
    const gfx::Rect area = bounds();
    return location.x >= area.origin.x && location.y >= area.origin.y && location.x < area.origin.x + area.size.width &&
           location.y < area.origin.y + area.size.height;
}

gfx::Size AdwickOldSchoolSingleAdView::sizeWithBevelsAndRoundedCornersForImage(const gfx::Image& image) {
    const gfx::Size size = image.size();
    return gfx::Size(size.width + 1, size.height + 1);
}

gfx::Rect AdwickOldSchoolSingleAdView::rectForTileImage(const gfx::Image& image, gfx::Rect parentContainer) {
    const gfx::Size tile = sizeWithBevelsAndRoundedCornersForImage(image);
    return gfx::Rect(6, (parentContainer.size.height - tile.height) / 2, tile.width, tile.height);
}

void AdwickOldSchoolSingleAdView::drawTileImage(const gfx::Image& image, gfx::Rect rect) {
    drawImage(image, rect.origin, kTileCornerRadius);
}

void AdwickOldSchoolSingleAdView::drawImage(const gfx::Image& image, gfx::Point point, double radius) {
    auto context = gfx::getCurrentContext();
    if (!context) {
        return;
    }
    const gfx::Size tile = sizeWithBevelsAndRoundedCornersForImage(image);
    const gfx::Rect outline(point.x + 0.25, point.y + 0.25, tile.width - 0.5, tile.height - 0.5);
    context->saveGState();
    context->beginPath();
    context->addRoundedRect(outline, radius);
    context->clip();
    image.drawInRect(gfx::Rect(point.x, point.y, image.size().width, image.size().height));
    context->restoreGState();

    // Dark along the left and top edges, light along the right and bottom; they meet at the 45-degree
    // points of the top-right and bottom-left corner arcs.
    const double left = outline.origin.x;
    const double top = outline.origin.y;
    const double right = left + outline.size.width;
    const double bottom = top + outline.size.height;
    const double r = std::min(radius, std::min(outline.size.width, outline.size.height) / 2);
    const double pi = std::numbers::pi;
    context->saveGState();
    context->setLineWidth(0.5);
    context->setGrayStrokeColor(0.4, 1);
    context->beginPath();
    context->addArc(gfx::Point(left + r, bottom - r), r, 3 * pi / 4, pi, gfx::Clockwise::No);
    context->addArc(gfx::Point(left + r, top + r), r, pi, 3 * pi / 2, gfx::Clockwise::No);
    context->addArc(gfx::Point(right - r, top + r), r, 3 * pi / 2, 7 * pi / 4, gfx::Clockwise::No);
    context->strokePath();
    context->setGrayStrokeColor(0.937, 1);
    context->beginPath();
    context->addArc(gfx::Point(right - r, top + r), r, 7 * pi / 4, 2 * pi, gfx::Clockwise::No);
    context->addArc(gfx::Point(right - r, bottom - r), r, 0, pi / 2, gfx::Clockwise::No);
    context->addArc(gfx::Point(left + r, bottom - r), r, pi / 2, 3 * pi / 4, gfx::Clockwise::No);
    context->strokePath();
    context->restoreGState();
}

void AdwickOldSchoolSingleAdView::drawShineBackgroundWithBaseColor(const gfx::Color& color) {
    auto context = gfx::getCurrentContext();
    if (!context) {
        return;
    }
    const gfx::Rect area = bounds();
    context->setFillColor(gfx::Color::white());
    context->fillRect(area);
    const double components[] = {color.r, color.g, color.b, color.a * 0.5, color.r, color.g, color.b, color.a};
    const double locations[] = {0, 1};
    auto gradient = gfx::Gradient::withColorComponents(components, locations);
    context->drawLinearGradient(*gradient, gfx::Point(area.size.width / 2, 0),
                                gfx::Point(area.size.width / 2, 0.4375 * area.size.height),
                                gfx::GradientDrawingOptions::DrawsAfterEnd);
}

void AdwickOldSchoolSingleAdView::drawRect(gfx::Rect /*rect*/) {
    if (!ad_ || !ad_->readyForDisplay()) {
        return;
    }
    if (!dateOfFirstRender_) {
        dateOfFirstRender_ = fnd::Date::now();
    }
    const gfx::Rect area = bounds();
    if (ad_->medium() == AdwickAd::kImageBanner) {
        if (auto image = ad_->userImage()) {
            image->drawAtPoint(gfx::Point(0, 0));
        }
        ad_->loadAccountingPixel();
        return;
    }
    drawShineBackgroundWithBaseColor(ad_->backgroundColor());
    if (ad_->medium() != AdwickAd::kTextAd || !ad_->userImage()) {
        return;
    }
    const gfx::Image& image = *ad_->userImage();
    const gfx::Size tile = sizeWithBevelsAndRoundedCornersForImage(image);
    drawImage(image, gfx::Point(4, (area.size.height - tile.height) / 2), kTileCornerRadius);

    const double actionWidth = ad_->actionImage() ? ad_->actionImage()->size().width : 0;
    const double textLeft = tile.width + 4 + 8;
    const double rightLimit = area.size.width - 4 - actionWidth - 8;
    const double textWidth = rightLimit - textLeft;
    const std::string text = ad_->text().value_or("");
    auto textFont = gfx::Font::withName("Helvetica-Bold", 13);
    const gfx::Size textSize =
        gfx::sizeWithFont(text, textFont, gfx::Size(textWidth, area.size.height), gfx::LineBreakMode::WordWrap);
    double blockHeight = textSize.height;
    std::string attribution;
    std::shared_ptr<gfx::Font> attributionFont;
    gfx::Size attributionSize;
    drewAttribution_ = textSize.height <= kAttributionMaxTextHeight;
    if (drewAttribution_) {
        attribution = localizer_ ? localizer_->localizedStringForKey("Ads by Adwick") : std::string("Ads by Adwick");
        attributionFont = gfx::Font::withName("Helvetica", 9.5);
        attributionSize = gfx::sizeWithFont(attribution, attributionFont);
        blockHeight = textSize.height + 4 + attributionSize.height;
    }
    const double blockY = (area.size.height - blockHeight) / 2;
    if (auto context = gfx::getCurrentContext()) {
        context->setFillColor(ad_->textColor());
    }
    gfx::drawInRect(text, gfx::Rect(textLeft, blockY, textSize.width, textSize.height), textFont);
    if (drewAttribution_) {
        gfx::drawInRect(attribution,
                        gfx::Rect(rightLimit - attributionSize.width, blockY + textSize.height + 4,
                                  attributionSize.width, attributionSize.height),
                        attributionFont, gfx::LineBreakMode::WordWrap, gfx::TextAlignment::Right);
    }
}

void AdwickOldSchoolSingleAdView::touchesBegan(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    setTouched(true);
    if (!touches.empty()) {
        storedTouches_ =
            recordTouch(touches.front()->locationInView(this), false, timeIntervalSinceFirstRender(), storedTouches_);
    }
}

void AdwickOldSchoolSingleAdView::touchesMoved(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    if (!touches.empty()) {
        setTouched(touchIsInSelf(touches.front()->locationInView(this)));
    }
}

void AdwickOldSchoolSingleAdView::touchesEnded(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    setTouched(false);
    if (touches.empty()) {
        return;
    }
    const gfx::Point location = touches.front()->locationInView(this);
    storedTouches_ = recordTouch(location, true, timeIntervalSinceFirstRender(), storedTouches_);
    if (touchIsInSelf(location)) {
        clickDidHappen();
    }
}

void AdwickOldSchoolSingleAdView::touchesCancelled(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {
    setTouched(false);
}

void AdwickOldSchoolSingleAdView::clickDidHappen() {
    auto keep = self<AdwickOldSchoolSingleAdView>();
    fnd::Value data = fnd::Value::dictionary();
    data.asDictionary()->setObject(storedTouches_ ? fnd::Value(storedTouches_) : fnd::Value::array(), "interactions");
    storedTouches_.reset();
    if (auto owner = controller()) {
        owner->clickWithData(*this, data);
    }
}

} // namespace zelvan::adwick
