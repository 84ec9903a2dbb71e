// ui::WebPageRenderer: lays out and paints a web view's page from its HtmlTree (the layout engine
// stays behind this class), keeps the page's style sheets and images coming in through
// WebPageResources, and answers which elements lie under a point and where an element was drawn.
// Main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/http_headers.h"
#include "platform/foundation/url.h"
#include "platform/graphics/context.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/html_tree.h"

namespace ui {

class WebPageRenderer {
public:
    // `needsLayout` runs (on the main loop) when a resource arrived that changes the page.
    explicit WebPageRenderer(std::function<void()> needsLayout);
    ~WebPageRenderer();
    WebPageRenderer(const WebPageRenderer&) = delete;
    WebPageRenderer& operator=(const WebPageRenderer&) = delete;

    // A new page: its tree, its URL (for style sheets and images) and the header fields of the
    // page's request, which its resources are fetched with (see WebPageResources::reset).
    void setPage(std::shared_ptr<HtmlTree> tree, std::optional<fnd::Url> url, fnd::HttpHeaders headers);

    // Lays the page out at `width` for a screen of `viewport` (both in points), reading the tree
    // again first when it changed or a style sheet arrived. Returns the page's size, which is wider
    // than `width` when the page does not fit.
    gfx::Size layout(double width, gfx::Size viewport);
    gfx::Size pageSize() const { return size_; }
    // How many times the page was laid out.
    uint64_t layoutCount() const { return layouts_; }

    // Paints the part of the page within `clip` (page coordinates) into `ctx`, whose user space is
    // the page's.
    void draw(gfx::Context& ctx, gfx::Rect clip);

    // The ids of the elements at `point` (page coordinates), the innermost first; empty when the
    // point hits no element.
    std::vector<HtmlNodeId> nodesAt(gfx::Point point) const;
    // Where `node` was laid out (its first line box for inline elements); nullopt when it has no box.
    std::optional<gfx::Rect> frameOfNode(HtmlNodeId node) const;

private:
    struct Engine;
    void rebuild();

    std::unique_ptr<Engine> engine_;
    std::shared_ptr<HtmlTree> tree_;
    uint64_t builtRevision_ = 0;
    bool needsRebuild_ = true;
    bool needsRender_ = true;
    bool truncationLogged_ = false;
    double width_ = 0;
    gfx::Size viewport_;
    gfx::Size size_;
    uint64_t layouts_ = 0;
};

} // namespace ui
