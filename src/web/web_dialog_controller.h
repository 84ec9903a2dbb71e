// WebDialogController: what a web dialog needs of the page controller it shows - an address to open
// when its view first loads, the controller it works for, loading an address now, and its view.
// PlainWebDialogController is the small implementation over a bare web view that dialogs use until
// the application registry names a full page controller.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/view.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/web_view.h"

namespace zelvan {

class WebDialogController {
public:
    virtual ~WebDialogController() = default;
    // The address opened when the view first loads.
    virtual void setInitUrl(const std::string& url) = 0;
    virtual void setParentController(std::weak_ptr<ui::ViewController> parent) = 0;
    // Loads `url` now.
    virtual void openUrl(const std::string& url) = 0;
    // The controller's view, loaded (and the init address opened) on first use.
    virtual std::shared_ptr<ui::View> view() = 0;
};

class PlainWebDialogController final : public WebDialogController {
public:
    void setInitUrl(const std::string& url) override { initUrl_ = url; }
    const std::string& initUrl() const { return initUrl_; }
    void setParentController(std::weak_ptr<ui::ViewController> parent) override { parent_ = std::move(parent); }
    std::shared_ptr<ui::ViewController> parentController() const { return parent_.lock(); }
    // Before the view exists, the address replaces the init address (it is the first page shown);
    // an address that does not parse is refused (logged).
    void openUrl(const std::string& url) override;
    std::shared_ptr<ui::View> view() override;
    // The web view, or null before view() was first asked for.
    const std::shared_ptr<ui::WebView>& webView() const { return webView_; }

private:
    void load(const std::string& url);

    std::string initUrl_;
    std::weak_ptr<ui::ViewController> parent_;
    std::shared_ptr<ui::WebView> webView_;
};

} // namespace zelvan
