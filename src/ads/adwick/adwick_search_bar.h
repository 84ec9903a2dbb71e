// AdwickSearchBar: the search field of a search ad's screen: an optional bevelled tile on the left drawn
// over the field's own background, and the search field in the rest, to which the text calls forward.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/color.h"
#include "platform/graphics/image.h"
#include "platform/ui/view.h"

namespace ui {
class ImageView;
class SearchBar;
class SearchBarDelegate;
} // namespace ui

namespace zelvan::adwick {

class AdwickSearchBar : public ui::View {
public:
    std::string className() const override { return "AdwickSearchBar"; }

    using ui::View::initWithFrame;
    static std::shared_ptr<AdwickSearchBar> initWithFrame(gfx::Rect frame, const gfx::ImagePtr& tileImage,
                                                          const std::optional<gfx::Color>& tintColor);
    // A picture of `searchBar`'s background, one point of it repeated across `frame`, with `image`
    // bevelled in the tile rect.
    static std::shared_ptr<ui::ImageView> tileImageViewWithFrame(gfx::Rect frame, const gfx::Image& image,
                                                                 ui::SearchBar& searchBar);
    // The search bar drawn into a picture of its size (null for an empty size).
    static gfx::ImagePtr renderView(ui::View& view);

    std::shared_ptr<ui::SearchBarDelegate> delegate() const;
    void setDelegate(std::weak_ptr<ui::SearchBarDelegate> delegate);
    const std::string& text() const;
    void setText(std::string text);
    const std::string& placeholder() const;
    void setPlaceholder(std::string placeholder);
    void setShowsCancelButton(bool shows);
    bool canBecomeFirstResponder() const override { return true; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;

    const std::shared_ptr<ui::ImageView>& tileImageView() const { return tileImageView_; }
    const std::shared_ptr<ui::SearchBar>& searchBar() const { return searchBar_; }

private:
    std::shared_ptr<ui::ImageView> tileImageView_;
    std::shared_ptr<ui::SearchBar> searchBar_;
};

} // namespace zelvan::adwick
