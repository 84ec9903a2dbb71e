// The search ad's picture (tile area, rendered search bar, attribution), its drawing and its click.
#include "ads/adwick/adwick_search_ad_view.h"

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_localizer.h"
#include "ads/adwick/adwick_search_bar.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"
#include "platform/ui/image_view.h"
#include "platform/ui/search_bar.h"

namespace zelvan::adwick {

void AdwickSearchAdView::setAd(std::shared_ptr<AdwickAd> ad) {
    AdwickOldSchoolSingleAdView::setAd(std::move(ad));
    searchAdImage_.reset();
    if (!ad_) {
        return;
    }
    const gfx::Rect area = bounds();
    const std::string attribution =
        localizer_ ? localizer_->localizedStringForKey("Ads by Adwick") : std::string("Ads by Adwick");
    auto font = gfx::Font::withName("Helvetica", 9.5);
    const gfx::Size measured =
        gfx::sizeWithFont(attribution, font, gfx::Size(40, area.size.height), gfx::LineBreakMode::WordWrap);
    const double boxHeight = 2.2 * measured.height;
    const gfx::Rect box(area.size.width - 4 - measured.width, (area.size.height - boxHeight) / 2, measured.width,
                        boxHeight);

    const gfx::ImagePtr& tileImage = ad_->userImage();
    double barLeft = 0;
    if (tileImage) {
        const gfx::Rect tile = rectForTileImage(*tileImage, area);
        barLeft = tile.origin.x + tile.size.width;
    }
    auto bar = ui::View::create<ui::SearchBar>(
        gfx::Rect(barLeft, 0, std::max(0.0, box.origin.x - 4 - barLeft), area.size.height));
    bar->setTintColor(ad_->backgroundColor());
    bar->setPlaceholder(ad_->text().value_or(""));
    auto renderedBar = AdwickSearchBar::renderView(*bar);

    std::shared_ptr<ui::ImageView> tileArea;
    if (tileImage) {
        tileArea =
            AdwickSearchBar::tileImageViewWithFrame(gfx::Rect(0, 0, barLeft, area.size.height), *tileImage, *bar);
    }
    gfx::beginImageContext(area.size);
    auto context = gfx::getCurrentContext();
    if (!context) {
        return;
    }
    // The bar's own tint under everything, so the attribution stands on the bar's colour.
    context->setFillColor(ad_->backgroundColor());
    context->fillRect(area);
    // Each picture in a saved state, so the text after it draws in a clean one.
    context->saveGState();
    if (tileArea && tileArea->image()) {
        tileArea->image()->drawInRect(tileArea->frame());
    }
    context->restoreGState();
    context->saveGState();
    if (renderedBar) {
        renderedBar->drawInRect(bar->frame());
    }
    context->restoreGState();
    context->setFillColor(ad_->textColor());
    gfx::drawInRect(
        attribution,
        gfx::Rect(box.origin.x, box.origin.y + (boxHeight - measured.height) / 2, measured.width, measured.height),
        font, gfx::LineBreakMode::WordWrap, gfx::TextAlignment::Right);
    auto picture = gfx::imageFromCurrentImageContext();
    gfx::endImageContext();
    searchAdImage_ = ui::ImageView::initWithImage(picture);
    setNeedsDisplay();
}

void AdwickSearchAdView::drawRect(gfx::Rect /*rect*/) {
    if (!ad_ || !ad_->readyForDisplay()) {
        return;
    }
    if (!dateOfFirstRender_) {
        dateOfFirstRender_ = fnd::Date::now();
    }
    if (searchAdImage_ && searchAdImage_->image()) {
        searchAdImage_->image()->drawAtPoint(gfx::Point(0, 0));
    }
    ad_->loadAccountingPixel();
}

void AdwickSearchAdView::clickDidHappen() {
    storedTouches_.reset();
    if (!ad_) {
        return;
    }
    auto owner = ad_->adDelegate();
    if (!owner) {
        return;
    }
    auto ad = ad_;
    owner->displaySearchWithAd(*ad, ad->searchPlaceholder() ? *ad->searchPlaceholder() : ad->text().value_or(""),
                               ad->searchHelpURL().value_or(""));
}

} // namespace zelvan::adwick
