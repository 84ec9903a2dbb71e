// ZAdvancedWebViewController: the page controller. It shows pages in a ZelvanWebView under a loading
// overlay, opens page keys and URLs as the next page, runs scripts in the current page from any
// thread, and dispatches the zelvan:// actions its pages navigate to. It is pushed onto a navigation
// controller, used as a tab's root, or shown by a web dialog; subclasses add actions by overriding
// handleZelvanUrl and falling back to this class for the rest.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/app_services.h"
#include "platform/foundation/value.h"
#include "platform/ui/view_controller.h"
#include "toolkit/z_simple_alert_view.h"
#include "web/web_dialog_controller.h"
#include "web/zelvan_web_view.h"

namespace zelvan {

class ZSimpleLoadingView;
class ZelvanWebCache;

class ZAdvancedWebViewController : public ui::ViewController,
                                   public WebDialogController,
                                   public PageService,
                                   public ZelvanWebViewDelegate,
                                   public ZSimpleAlertViewDelegate {
public:
    // `new`: a controller with no init page.
    static std::shared_ptr<ZAdvancedWebViewController> create();
    // A controller that opens `url` (a page key or a URL) when its view first loads.
    static std::shared_ptr<ZAdvancedWebViewController> initWithUrl(const std::string& url);

    ZAdvancedWebViewController();
    ~ZAdvancedWebViewController() override;

    std::string className() const override { return "ZAdvancedWebViewController"; }

    // --- WebDialogController ---
    // The page key or URL opened when the view first loads.
    void setInitUrl(const std::string& url) override { initUrl_ = url; }
    const std::string& initUrl() const { return initUrl_; }
    // The controller this one works for when it is not in a container (a web dialog's owner).
    void setParentController(std::weak_ptr<ui::ViewController> parent) override { parent_ = std::move(parent); }
    // The controller set with setParentController, else the container holding this one.
    std::shared_ptr<ui::ViewController> parentController() const;
    // Opens `url` as the next page: a page key ("static_home", "static_contactinfo?cid=7") becomes
    // the web host's page URL with the query kept; a URL with a scheme loads as it is; a zelvan://
    // URL is dispatched through handleZelvanUrl. Before the view is loaded, a page becomes the init
    // page instead. Empty or unusable text is refused with a log line.
    void openUrl(const std::string& url) override;
    // --- PageService: the controller as a tab's root ---
    std::shared_ptr<ui::ViewController> pageViewController() override { return sharedSelf(); }

    // The root view (loaded on first use: loadView, then the init page opens).
    std::shared_ptr<ui::View> view() override { return ui::ViewController::view(); }

    // --- The view ---
    // A root view of the application frame holding the web view (following its size) and the
    // loading overlay.
    void loadView() override;
    void viewDidLoad() override;
    // A page that failed to load (a page asked for before log-in is refused) loads again each time
    // the view comes back on screen, until it loads.
    void viewWillAppear(ui::Animated animated) override;
    // The web view, or null before the view is loaded.
    const std::shared_ptr<ZelvanWebView>& webView() const { return webView_; }
    // Gives the root view `frame` and the web view the whole of it; `bounces` says whether the page
    // bounces when scrolled past its ends.
    void resizeWithFrame(gfx::Rect frame, bool bounces);
    bool bounces() const { return bounces_; }

    // The cache given to the web view (unless set, the application delegate's).
    void setWebCache(std::shared_ptr<ZelvanWebCache> cache);
    // The bridge object bound as "Zelvan" into every page of this controller (unless set before the
    // view loads, a ZelvanWebScript working for this controller).
    void setScriptObject(std::shared_ptr<ui::ScriptObject> object);

    // --- Scripts ---
    // Evaluates `script` in the current page: now on the main thread, else posted to it. Dropped
    // (logged) while there is no web view.
    void callJS(const std::string& script);

    // --- Loading overlay ---
    void showLoading();
    void hideLoading();
    bool isShowingLoading() const;

    // --- zelvan:// actions ---
    // The base actions; true when the action was carried out. Subclasses handle their own actions
    // and call this for the rest.
    //   slidenewpage  push a new controller for the page key or URL in jsonVar, with relativeUrlString
    //                 as its query ("zelvan://slidenewpage?static_home?uid=42")
    //   openurl, loadurl  load jsonVar (page key or URL) or else relativeUrlString (resolved against
    //                 baseURL) here as the next page
    //   back, close   leave the page: pop it from the navigation controller, or dismiss it when
    //                 presented modally
    //   alert         show jsonVar's text (a string, or {"text", "buttons": [titles], "callback"});
    //                 a tapped button calls the callback with its index
    //   loading, hideloading  show or hide the loading overlay
    //   callback      call a page function: jsonVar is its name, or {"callback": name, "args": [..]}
    // Anything else is logged and answered false.
    virtual bool handleZelvanUrl(const std::string& url, const std::string& action, const fnd::Value& jsonVar,
                                 const std::string& relativeUrlString, const std::string& baseURL);

    // --- Callbacks ---
    void webViewZelvanUrl(ZelvanWebView& webView, const std::string& url) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;
    // This controller's own alerts: calls the page's callback for the alert with the button index.
    void buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& buttonTitle, int buttonIndex) override;

    // The page URL of `url` (a page key, perhaps with a query, or a URL with a scheme) against the
    // application's web host; nullopt for empty text.
    static std::optional<std::string> pageUrlFor(const std::string& url);
    // Whether `name` may be called as a page function: dotted JavaScript identifiers only.
    static bool isScriptFunctionName(const std::string& name);

protected:
    // The controller slidenewpage pushes; subclasses may make their own kind.
    virtual std::shared_ptr<ZAdvancedWebViewController> newPageController();

private:
    class PageHost;

    bool showAlert(const fnd::Value& jsonVar);
    bool callPageFunction(const fnd::Value& jsonVar);
    bool leavePage();
    std::shared_ptr<ZAdvancedWebViewController> sharedSelf();

    std::string initUrl_;
    std::weak_ptr<ui::ViewController> parent_;
    std::shared_ptr<ZelvanWebView> webView_;
    std::shared_ptr<ZSimpleLoadingView> loadingView_;
    std::shared_ptr<ZelvanWebCache> webCache_;
    std::shared_ptr<ui::ScriptObject> scriptObject_;
    std::shared_ptr<PageHost> pageHost_; // what the default bridge object sees of this controller
    bool bounces_ = true;
    // The page URL last opened, and whether its load failed (it is loaded again on appearing).
    std::string lastPage_;
    bool lastPageFailed_ = false;
};

} // namespace zelvan
