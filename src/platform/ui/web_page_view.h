// ui::WebPageView: the scrolling surface of a web view. Its content size is the rendered page's
// (scaled when the page is fitted to the view); it paints the visible part of the page and hands
// taps (touches that did not become a scroll) to the web view in page coordinates.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/scroll_view.h"

namespace ui {

class WebPageRenderer;

class WebPageView : public ScrollView {
public:
    using TapHandler = std::function<void(gfx::Point pagePoint)>;

    std::string className() const override { return "WebPageView"; }
    void initWithFrame(gfx::Rect frame) override;

    // What to paint, at what scale (page points to view points). The owner clears the renderer
    // before it goes.
    void setPage(WebPageRenderer* renderer, double scale);
    double pageScale() const { return scale_; }
    void setTapHandler(TapHandler handler) { onTap_ = std::move(handler); }

    bool drawsOwnContent() const override { return true; }
    void drawRect(gfx::Rect rect) override;

protected:
    // Scrolling paints the newly visible part of the page.
    void contentOffsetDidChange() override { setNeedsDisplay(); }
    void contentTouchesEnded(const TouchSet& touches, const Event* event) override;

private:
    WebPageRenderer* renderer_ = nullptr;
    double scale_ = 1;
    TapHandler onTap_;
};

} // namespace ui
