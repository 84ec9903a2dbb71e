// AdwickCanvasController: the landing screen of a canvas click, the canvas web page centred over a
// darkened backdrop that grows from the banner. Portrait only.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "ads/adwick/adwick_modal_view_controller.h"
#include "platform/foundation/url.h"

namespace ui {
class View;
}

namespace zelvan::adwick {

class AdwickCanvasWebView;

class AdwickCanvasController : public AdwickModalViewController {
public:
    static constexpr double kCanvasWidth = 320;
    static constexpr double kCanvasHeight = 295;
    static constexpr double kDarkenSeconds = 0.5;

    // `context` names the media server the canvas page comes from.
    explicit AdwickCanvasController(std::shared_ptr<AdwickContext> context)
        : AdwickModalViewController(std::move(context)) {}

    std::string className() const override { return "AdwickCanvasController"; }

    virtual void presentCanvasFromView(ui::View& view, const fnd::Url& url, const std::string& title);
    const std::shared_ptr<AdwickCanvasWebView>& canvas() const { return canvas_; }

    void loadViewWithBounds(gfx::Rect bounds) override;
    void landingPageDidAppear() override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

private:
    std::shared_ptr<AdwickCanvasWebView> canvas_;
};

} // namespace zelvan::adwick
