// The web view's rendered page: layout at the view's width (at most once per main-loop pass, and
// again when the width changes), fitting wide pages, and taps on the page - onclick handlers first,
// then the link's navigation or the form's submission.
#include <algorithm>

#include "platform/foundation/escape.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/string_ops.h"
#include "platform/ui/web_page_renderer.h"
#include "platform/ui/web_page_view.h"
#include "platform/ui/web_view.h"

namespace ui {

namespace {

// Pages are laid out at least this wide (a phone's width) when the view has no width yet.
constexpr double kDefaultPageWidth = 320;

} // namespace

void WebView::setScalesPageToFit(bool scales) {
    if (scalesPageToFit_ != scales) {
        scalesPageToFit_ = scales;
        scheduleLayout();
    }
}

std::shared_ptr<ScrollView> WebView::scrollView() const {
    return pageView_;
}

uint64_t WebView::pageLayoutCount() const {
    return renderer_->layoutCount();
}

void WebView::scheduleLayout() {
    layoutPending_ = true;
    if (layoutQueued_) {
        return;
    }
    layoutQueued_ = true;
    std::weak_ptr<WebView> weak = self<WebView>();
    fnd::RunLoop::main().post([weak] {
        if (auto view = weak.lock()) {
            view->layoutQueued_ = false;
            if (view->layoutPending_) {
                view->layoutPage();
            }
        }
    });
}

void WebView::layoutSubviews() {
    View::layoutSubviews();
    // A new width lays out again at once; other changes wait for their pass.
    layoutPage();
}

void WebView::layoutPage() {
    if (!pageView_) {
        return;
    }
    layoutPending_ = false;
    const gfx::Size viewSize = bounds().size;
    const double width = viewSize.width > 0 ? viewSize.width : kDefaultPageWidth;
    const gfx::Size page = renderer_->layout(width, gfx::Size(width, viewSize.height));
    const double scale = scalesPageToFit_ && page.width > width ? width / page.width : 1;
    const gfx::Size content(page.width * scale, page.height * scale);
    if (pageView_->contentSize() != content || pageView_->pageScale() != scale) {
        pageView_->setContentSize(content);
    }
    pageView_->setPage(renderer_.get(), scale);
}

std::optional<gfx::Rect> WebView::frameOfElement(HtmlNodeId node) const {
    auto frame = renderer_->frameOfNode(node);
    if (!frame || !pageView_) {
        return std::nullopt;
    }
    const double scale = pageView_->pageScale();
    const gfx::Rect scaled(frame->minX() * scale, frame->minY() * scale, frame->width() * scale,
                           frame->height() * scale);
    return pageView_->convertRectToView(scaled, this);
}

void WebView::pageTapped(gfx::Point pagePoint) {
    auto keep = self<WebView>();
    const std::vector<HtmlNodeId> path = renderer_->nodesAt(pagePoint);
    if (path.empty()) {
        return;
    }
    const std::shared_ptr<HtmlTree> tree = document_.tree();
    // Handlers run as a script entry of their own (not from inside another one).
    if (!evaluating_) {
        auto host = scriptHost();
        evaluating_ = true;
        const bool proceed = host->dispatchClick(path);
        evaluating_ = false;
        if (!proceed || document_.tree() != tree) {
            return;
        }
    }
    for (HtmlNodeId node : path) {
        if (!tree->isLive(node)) {
            return; // a handler removed what was tapped
        }
        const std::string tag = tree->tagName(node);
        if (tag == "A") {
            if (auto href = tree->attribute(node, "href")) {
                simulateNavigation(*href, NavigationType::LinkClicked);
                return;
            }
        } else if (tag == "INPUT" || tag == "BUTTON") {
            const std::string type =
                fnd::lowerAscii(tree->attribute(node, "type").value_or(tag == "BUTTON" ? "submit" : ""));
            if (type == "submit" || type == "image") {
                if (const HtmlNodeId form = tree->closest(node, "form")) {
                    submitForm(form, node);
                }
                return;
            }
        }
    }
}

void WebView::submitForm(HtmlNodeId form, HtmlNodeId submitter) {
    const std::shared_ptr<HtmlTree> tree = document_.tree();
    const std::string action = tree->attribute(form, "action").value_or("");
    std::optional<fnd::Url> target = action.empty() && documentUrl_ ? documentUrl_ : resolveUrl(action);
    if (!target) {
        ZLOG(Warn, "WebView: a form's action \"%s\" is not a URL", fnd::logPreview(action));
        return;
    }
    std::vector<fnd::QueryItem> items;
    for (auto& [name, value] : tree->formValues(form, submitter)) {
        items.push_back(fnd::QueryItem{std::move(name), std::move(value)});
    }
    std::string url = target->absoluteString();
    url = url.substr(0, std::min(url.find('#'), url.size()));
    url = url.substr(0, std::min(url.find('?'), url.size()));
    url += "?" + fnd::Url::queryString(items);
    if (auto resolved = fnd::Url::parse(url)) {
        queueNavigation(Navigation{fnd::UrlRequest(*resolved), NavigationType::FormSubmitted, std::nullopt});
    }
}

void WebView::runJavaScriptUrl(const std::string& url) {
    // The script runs through the page's host under its budget; it never becomes a navigation.
    const std::string source = fnd::unescapeLenient(std::string_view(url).substr(11));
    if (evaluating_) {
        ZLOG(Warn, "WebView: refused a javascript: link from inside a script: %s", fnd::logPreview(source, 80));
        return;
    }
    runPageScript(source, documentUrl_ ? documentUrl_->absoluteString() : "about:blank");
}

} // namespace ui
