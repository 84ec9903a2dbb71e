// The landing screens a click can open (embedded browser, canvas page, search screen) as the ad
// controller sees them, and the factories that make them. The context holds the factories; a click whose
// screen has no factory logs one line and opens nothing.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/url.h"
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"

namespace ui {
class View;
}

namespace zelvan::adwick {

class AdwickAd;

class AdwickBrowserController {
public:
    virtual ~AdwickBrowserController() = default;
    virtual void presentBrowserFromView(ui::View& view, const fnd::Url& url) = 0;
};

class AdwickCanvasController {
public:
    virtual ~AdwickCanvasController() = default;
    virtual void presentCanvasFromView(ui::View& view, const fnd::Url& url, const std::string& title) = 0;
};

class AdwickSearchViewController {
public:
    virtual ~AdwickSearchViewController() = default;
    virtual void setSearchBarHeight(double height) = 0;
    virtual void setTileImage(gfx::ImagePtr image) = 0;
    virtual void setTintColor(const gfx::Color& color) = 0;
    virtual void setPlaceholderText(const std::string& text) = 0;
    virtual void setWebpageURL(const std::string& url) = 0;
    virtual void presentFromView(ui::View& view, const std::shared_ptr<AdwickAd>& ad) = 0;
    // Gives the screen back (a click failed).
    virtual void relinquishScreen() = 0;
};

struct AdwickLandingScreens {
    std::function<std::shared_ptr<AdwickBrowserController>()> browser;
    std::function<std::shared_ptr<AdwickCanvasController>()> canvas;
    std::function<std::shared_ptr<AdwickSearchViewController>()> search;
};

} // namespace zelvan::adwick
