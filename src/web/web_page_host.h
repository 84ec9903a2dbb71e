// WebPageHost: what a page controller offers the native objects bound into its pages - its parent
// controller, the page's context and URL, a way to run script in the page, and the page's view.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/value.h"

namespace ui {
class View;
class ViewController;
} // namespace ui

namespace zelvan {

// Implemented by the page controller that shows a page; the bridge object holds it weakly.
// Every method is called on the main thread.
class WebPageHost {
public:
    virtual ~WebPageHost() = default;

    // The controller this page controller is shown in (a game screen, a tab, ...), or null.
    virtual std::shared_ptr<ui::ViewController> parentController() = 0;
    // The page's context dictionary (parameters the page was opened with); null when it has none.
    virtual fnd::Value pageContext() = 0;
    // The absolute URL of the current page ("" before a page is loaded).
    virtual std::string pageUrl() = 0;
    // Runs `script` in the current page; the result is dropped.
    virtual void callJS(const std::string& script) = 0;
    // The view the page is drawn in; native views the bridge creates for the page go into it.
    virtual std::shared_ptr<ui::View> webView() = 0;
};

} // namespace zelvan
