#include "ads/adwick/adwick_canvas_controller.h"

#include "ads/adwick/adwick_canvas_web_view.h"
#include "ads/adwick/adwick_context.h"
#include "platform/ui/screen.h"
#include "platform/ui/view.h"

namespace zelvan::adwick {

void AdwickCanvasController::presentCanvasFromView(ui::View& view, const fnd::Url& url, const std::string& title) {
    const gfx::Rect app = ui::Screen::main().applicationFrame();
    canvas_ = ui::View::create<AdwickCanvasWebView>(gfx::Rect(
        (app.size.width - kCanvasWidth) / 2, (app.size.height - kCanvasHeight) / 2, kCanvasWidth, kCanvasHeight));
    std::weak_ptr<AdwickModalViewController> weak =
        std::static_pointer_cast<AdwickModalViewController>(shared_from_this());
    canvas_->setController(std::weak_ptr<void>(std::static_pointer_cast<void>(shared_from_this())));
    canvas_->setDismissSelector([weak] {
        if (auto self = weak.lock()) {
            self->relinquishScreen();
        }
    });
    canvas_->setMediaBase(adwickContext() ? adwickContext()->mediaBase() : std::string());
    canvas_->setCanvasUrl(url);
    canvas_->setCanvasTitle(title);
    canvas_->startLoadingCanvas();
    commandeerScreenFromAdView(view, kTransitionBackgroundExpand);
}

void AdwickCanvasController::loadViewWithBounds(gfx::Rect /*bounds*/) {
    if (canvas_) {
        view()->addSubview(canvas_);
    }
}

void AdwickCanvasController::landingPageDidAppear() {
    auto background = this->background();
    if (!background) {
        return;
    }
    ui::View::beginAnimations("DarkenBackground");
    ui::View::setAnimationDuration(kDarkenSeconds);
    background->setBackgroundColor(background->backgroundColor().withAlphaComponent(1));
    ui::View::commitAnimations();
}

bool AdwickCanvasController::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::Portrait;
}

} // namespace zelvan::adwick
