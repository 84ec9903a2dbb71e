// Building the layout engine's document from the tree's markup (again when the tree changes or a
// style sheet arrives), laying it out, painting it on gfx and finding elements by point or id.
#include "platform/ui/web_page_renderer.h"

#include <litehtml/litehtml.h>

#include <algorithm>
#include <cstdlib>

#include "platform/foundation/log.h"
#include "platform/ui/web_page_container.h"
#include "platform/ui/web_page_resources.h"

namespace ui {

namespace {

// The browser's own style sheet: what unstyled markup looks like on a simple mobile page.
constexpr const char* kDefaultStyle = R"css(
html, address, blockquote, body, dd, div, dl, dt, fieldset, form, frame, frameset, h1, h2, h3, h4, h5, h6,
noframes, ol, p, ul, center, dir, hr, menu, pre, header, footer, nav, section, article, aside, main, figure,
figcaption, details, summary { display: block; }
head, script, style, title, meta, link, base, noscript, template, datalist, param { display: none; }
[hidden] { display: none; }
html { color: black; }
body { margin: 8px; font-family: sans-serif; font-size: 16px; line-height: normal; }
h1 { font-size: 2em; margin: .67em 0; font-weight: bold; }
h2 { font-size: 1.5em; margin: .75em 0; font-weight: bold; }
h3 { font-size: 1.17em; margin: .83em 0; font-weight: bold; }
h4 { margin: 1.12em 0; font-weight: bold; }
h5 { font-size: .83em; margin: 1.5em 0; font-weight: bold; }
h6 { font-size: .75em; margin: 1.67em 0; font-weight: bold; }
p, blockquote, ul, ol, dl, fieldset, figure, menu, dir { margin: 1em 0; }
blockquote, figure { margin-left: 40px; margin-right: 40px; }
dd { margin-left: 40px; }
b, strong, th { font-weight: bold; }
i, cite, em, var, address, dfn { font-style: italic; }
pre, tt, code, kbd, samp { font-family: monospace; }
pre { white-space: pre; margin: 1em 0; }
big { font-size: 1.17em; }
small, sub, sup { font-size: .83em; }
sub { vertical-align: sub; }
sup { vertical-align: super; }
s, strike, del { text-decoration: line-through; }
u, ins { text-decoration: underline; }
center { text-align: center; }
hr { border: 1px inset #888; margin: .5em auto; }
ol, ul, dir, menu { padding-left: 40px; }
ul, dir, menu { list-style-type: disc; }
ol { list-style-type: decimal; }
ul ul, ol ul { list-style-type: circle; }
ul ul ul, ol ol ul, ol ul ul, ul ol ul { list-style-type: square; }
li { display: list-item; }
ol ul, ul ol, ul ul, ol ol { margin-top: 0; margin-bottom: 0; }
a:link, a:visited, a[href] { color: #0645ad; text-decoration: underline; }
img { display: inline-block; }
table { display: table; border-collapse: separate; border-spacing: 2px; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { text-align: center; }
caption { display: table-caption; text-align: center; }
col { display: table-column; }
colgroup { display: table-column-group; }
z-input, button, textarea { display: inline-block; font-size: 13px; border: 1px solid #999999;
    background-color: white; padding: 2px 4px; min-width: 8em; min-height: 1em; white-space: pre; }
z-input[type="submit"], z-input[type="button"], z-input[type="reset"], button { background-color: #e4e4e4;
    border-radius: 4px; min-width: 0; text-align: center; }
z-input[type="checkbox"], z-input[type="radio"] { border: none; min-width: 0; padding: 0 2px; background: none; }
iframe { display: inline-block; width: 300px; height: 150px; border: 2px inset #888888; }
)css";

HtmlNodeId nodeIdOf(const litehtml::element::ptr& el) {
    const char* value = el ? el->get_attr(HtmlTree::kNodeAttribute) : nullptr;
    return value != nullptr ? std::strtoull(value, nullptr, 10) : 0;
}

} // namespace

struct WebPageRenderer::Engine {
    explicit Engine(std::function<void()> needsLayout)
        : resources([this, needsLayout = std::move(needsLayout)](WebPageResources::Kind kind) {
              if (kind == WebPageResources::Kind::StyleSheet) {
                  sheetArrived = true;
              }
              imageArrived = true;
              needsLayout();
          }),
          container(resources) {
        context.load_master_stylesheet(kDefaultStyle);
    }
    ~Engine() { document.reset(); }

    WebPageResources resources;
    WebPageContainer container;
    litehtml::context context;
    litehtml::document::ptr document;
    bool sheetArrived = false;
    bool imageArrived = false;
};

WebPageRenderer::WebPageRenderer(std::function<void()> needsLayout)
    : engine_(std::make_unique<Engine>(std::move(needsLayout))) {}

WebPageRenderer::~WebPageRenderer() = default;

void WebPageRenderer::setPage(std::shared_ptr<HtmlTree> tree, std::optional<fnd::Url> url, fnd::HttpHeaders headers) {
    engine_->document.reset();
    engine_->resources.reset(std::move(url), std::move(headers));
    tree_ = std::move(tree);
    needsRebuild_ = true;
    truncationLogged_ = false;
    size_ = gfx::Size();
}

void WebPageRenderer::rebuild() {
    engine_->document.reset();
    if (!tree_) {
        return;
    }
    bool truncated = false;
    const std::string markup = tree_->layoutMarkup(&truncated);
    if (truncated && !truncationLogged_) {
        ZLOG(Warn, "WebView: the page is laid out only up to %lld bytes of its markup",
             static_cast<long long>(HtmlTree::kMaxLayoutBytes));
        truncationLogged_ = true;
    }
    builtRevision_ = tree_->revision();
    engine_->container.beginBuild();
    engine_->document = litehtml::document::createFromUTF8(markup.c_str(), &engine_->container, &engine_->context);
}

gfx::Size WebPageRenderer::layout(double width, gfx::Size viewport) {
    if (tree_ && tree_->revision() != builtRevision_) {
        needsRebuild_ = true;
    }
    if (std::exchange(engine_->sheetArrived, false)) {
        needsRebuild_ = true;
    }
    if (std::exchange(engine_->imageArrived, false)) {
        needsRender_ = true;
    }
    if (width != width_ || viewport != viewport_) {
        needsRender_ = true;
    }
    width_ = width;
    viewport_ = viewport;
    engine_->container.setViewport(viewport);
    if (std::exchange(needsRebuild_, false)) {
        rebuild();
        needsRender_ = true;
    }
    if (!engine_->document || !std::exchange(needsRender_, false)) {
        return size_;
    }
    ++layouts_;
    engine_->document->media_changed();
    engine_->document->render(std::max(1, static_cast<int>(width)));
    size_ = gfx::Size(std::max(0, engine_->document->width()), std::max(0, engine_->document->height()));
    return size_;
}

void WebPageRenderer::draw(gfx::Context& ctx, gfx::Rect clip) {
    if (!engine_->document) {
        return;
    }
    const litehtml::position area(static_cast<int>(std::floor(clip.minX())), static_cast<int>(std::floor(clip.minY())),
                                  static_cast<int>(std::ceil(clip.width())) + 1,
                                  static_cast<int>(std::ceil(clip.height())) + 1);
    gfx::StateSaver saver(ctx);
    ctx.clipToRect(clip);
    // The canvas takes the root's background, else the body's, beyond the page's boxes too.
    litehtml::element::ptr root = engine_->document->root();
    litehtml::web_color canvas(255, 255, 255);
    if (const litehtml::background* bg = root ? root->get_background(true) : nullptr; bg && bg->m_color.alpha > 0) {
        canvas = bg->m_color;
    } else if (auto body = root ? root->select_one("body") : nullptr) {
        if (const litehtml::background* bodyBg = body->get_background(true); bodyBg && bodyBg->m_color.alpha > 0) {
            canvas = bodyBg->m_color;
        }
    }
    ctx.setFillColor(gfx::Color(canvas.red / 255.0, canvas.green / 255.0, canvas.blue / 255.0, canvas.alpha / 255.0));
    ctx.fillRect(clip);
    engine_->container.setContext(&ctx);
    engine_->container.setPaintArea(clip);
    engine_->document->draw(reinterpret_cast<litehtml::uint_ptr>(&ctx), 0, 0, &area);
    engine_->container.setContext(nullptr);
}

std::vector<HtmlNodeId> WebPageRenderer::nodesAt(gfx::Point point) const {
    std::vector<HtmlNodeId> path;
    if (!engine_->document || point.x < 0 || point.y < 0 || point.x > size_.width || point.y > size_.height) {
        return path;
    }
    const int x = static_cast<int>(point.x);
    const int y = static_cast<int>(point.y);
    litehtml::element::ptr root = engine_->document->root();
    for (auto el = root ? root->get_element_by_point(x, y, x, y) : nullptr; el; el = el->parent()) {
        if (const HtmlNodeId id = nodeIdOf(el)) {
            path.push_back(id);
        }
    }
    return path;
}

std::optional<gfx::Rect> WebPageRenderer::frameOfNode(HtmlNodeId node) const {
    if (!engine_->document || node == 0) {
        return std::nullopt;
    }
    const std::string selector = std::string("[") + HtmlTree::kNodeAttribute + "=\"" + std::to_string(node) + "\"]";
    litehtml::element::ptr el = engine_->document->root()->select_one(selector);
    if (!el) {
        return std::nullopt;
    }
    const litehtml::position p = el->get_placement();
    if (p.width > 0 && p.height > 0) {
        return gfx::Rect(p.x, p.y, p.width, p.height);
    }
    // An inline element has no box of its own: its first line is where its content on that line is.
    std::optional<gfx::Rect> line;
    std::vector<litehtml::element::ptr> pending{el};
    while (!pending.empty() && pending.size() < 10000) {
        litehtml::element::ptr next = pending.back();
        pending.pop_back();
        const litehtml::position q = next->get_placement();
        if (q.width > 0 && q.height > 0 && next != el) {
            const gfx::Rect r(q.x, q.y, q.width, q.height);
            if (!line) {
                line = r;
            } else if (r.minY() == line->minY()) {
                line = line->unionRect(r);
            }
            continue;
        }
        for (size_t i = next->get_children_count(); i > 0; --i) {
            pending.push_back(next->get_child(static_cast<int>(i - 1)));
        }
    }
    return line;
}

} // namespace ui
