// The search ad's search field: the tile beside the inner search bar and the calls forwarded to it.
#include "ads/adwick/adwick_search_bar.h"

#include "ads/adwick/adwick_old_school_single_ad_view.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/image_view.h"
#include "platform/ui/search_bar.h"
#include "platform/ui/text_input_traits.h"

namespace zelvan::adwick {

std::shared_ptr<AdwickSearchBar> AdwickSearchBar::initWithFrame(gfx::Rect frame, const gfx::ImagePtr& tileImage,
                                                                const std::optional<gfx::Color>& tintColor) {
    auto bar = ui::View::create<AdwickSearchBar>(frame);
    const gfx::Rect area = bar->bounds();
    gfx::Rect field = area;
    std::optional<gfx::Rect> tile;
    if (tileImage) {
        tile = AdwickOldSchoolSingleAdView::rectForTileImage(*tileImage, area);
        const double left = tile->origin.x + tile->size.width;
        field = gfx::Rect(left, 0, std::max(0.0, area.size.width - left), area.size.height);
    }
    bar->searchBar_ = ui::View::create<ui::SearchBar>(field);
    bar->searchBar_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth);
    bar->searchBar_->setTintColor(tintColor);
    bar->searchBar_->setAutocorrectionType(ui::AutocorrectionType::No);
    bar->searchBar_->setAutocapitalizationType(ui::AutocapitalizationType::None);
    bar->searchBar_->setShowsCancelButton(true);
    if (tile) {
        bar->tileImageView_ =
            tileImageViewWithFrame(gfx::Rect(0, 0, field.origin.x, area.size.height), *tileImage, *bar->searchBar_);
        bar->addSubview(bar->tileImageView_);
    }
    bar->addSubview(bar->searchBar_);
    return bar;
}

gfx::ImagePtr AdwickSearchBar::renderView(ui::View& view) {
    const gfx::Size size = view.bounds().size;
    gfx::beginImageContext(size);
    auto context = gfx::getCurrentContext();
    if (!context) {
        return nullptr;
    }
    view.layoutIfNeeded();
    view.displayIfNeeded();
    view.renderInContext(*context);
    auto image = gfx::imageFromCurrentImageContext();
    gfx::endImageContext();
    return image;
}

std::shared_ptr<ui::ImageView> AdwickSearchBar::tileImageViewWithFrame(gfx::Rect frame, const gfx::Image& image,
                                                                       ui::SearchBar& searchBar) {
    auto rendered = renderView(searchBar);
    gfx::ImagePtr picture;
    gfx::beginImageContext(frame.size);
    if (auto context = gfx::getCurrentContext()) {
        if (rendered && rendered->size().width >= 1) {
            const gfx::Size barSize = rendered->size();
            for (double x = 0; x < frame.size.width; x += 1) {
                // The bar's first column of points, repeated.
                context->saveGState();
                context->clipToRect(gfx::Rect(x, 0, 1, frame.size.height));
                rendered->drawInRect(gfx::Rect(x, 0, barSize.width, frame.size.height));
                context->restoreGState();
            }
        }
        AdwickOldSchoolSingleAdView::drawTileImage(image, AdwickOldSchoolSingleAdView::rectForTileImage(image, frame));
        picture = gfx::imageFromCurrentImageContext();
        gfx::endImageContext();
    }
    auto view = ui::ImageView::initWithImage(picture);
    view->setFrame(frame);
    return view;
}

std::shared_ptr<ui::SearchBarDelegate> AdwickSearchBar::delegate() const {
    return searchBar_->delegate();
}

void AdwickSearchBar::setDelegate(std::weak_ptr<ui::SearchBarDelegate> delegate) {
    searchBar_->setDelegate(std::move(delegate));
}

const std::string& AdwickSearchBar::text() const {
    return searchBar_->text();
}

void AdwickSearchBar::setText(std::string text) {
    searchBar_->setText(std::move(text));
}

const std::string& AdwickSearchBar::placeholder() const {
    return searchBar_->placeholder();
}

void AdwickSearchBar::setPlaceholder(std::string placeholder) {
    searchBar_->setPlaceholder(std::move(placeholder));
}

void AdwickSearchBar::setShowsCancelButton(bool shows) {
    searchBar_->setShowsCancelButton(shows);
}

bool AdwickSearchBar::becomeFirstResponder() {
    return searchBar_->becomeFirstResponder();
}

bool AdwickSearchBar::resignFirstResponder() {
    return searchBar_->resignFirstResponder();
}

} // namespace zelvan::adwick
