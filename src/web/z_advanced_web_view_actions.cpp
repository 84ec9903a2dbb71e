// The page controller's dispatcher of zelvan:// actions and the handling of its own alerts.
#include <cctype>

#include "core/localization.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/log_preview.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_controller.h"
#include "protocol/tracer.h"
#include "toolkit/z_simple_loading_view.h"
#include "web/js_escape.h"
#include "web/web_urls.h"
#include "web/z_advanced_web_view_controller.h"
#include "web/zelvan_action.h"

namespace zelvan {
namespace {

// The page key or URL of jsonVar with `query` appended.
std::string withQuery(const std::string& target, const std::string& query) {
    if (query.empty()) {
        return target;
    }
    return target + (target.find('?') == std::string::npos ? "?" : "&") + query;
}

// A string field of a dictionary value, or "" (also for other kinds).
std::string stringField(const fnd::Value& value, const char* key) {
    auto dictionary = value.asDictionary();
    const std::string* text = dictionary ? dictionary->objectForKey(key).asString() : nullptr;
    return text ? *text : std::string();
}

} // namespace

bool ZAdvancedWebViewController::isScriptFunctionName(const std::string& name) {
    if (name.empty() || name.size() > 256) {
        return false;
    }
    bool segmentStart = true;
    for (char c : name) {
        const bool letter = std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$';
        const bool digit = std::isdigit(static_cast<unsigned char>(c));
        if (c == '.') {
            if (segmentStart) {
                return false;
            }
            segmentStart = true;
        } else if (letter || (digit && !segmentStart)) {
            segmentStart = false;
        } else {
            return false;
        }
    }
    return !segmentStart;
}

bool ZAdvancedWebViewController::handleZelvanUrl(const std::string& url, const std::string& action,
                                                 const fnd::Value& jsonVar, const std::string& relativeUrlString,
                                                 const std::string& baseURL) {
    const std::string* target = jsonVar.asString();
    if (action == "slidenewpage") {
        auto navigation = navigationController();
        if (!target || target->empty() || isZelvanUrl(*target) || !navigation) {
            ZTRACE_WARN("ZAdvancedWebViewController: cannot slide to a new page for %@", fnd::logPreview(url));
            return false;
        }
        auto next = newPageController();
        if (webCache_) {
            next->setWebCache(webCache_);
        }
        next->setInitUrl(withQuery(*target, relativeUrlString));
        navigation->pushViewController(next, ui::Animated::Yes);
        return true;
    }
    if (action == "openurl" || action == "loadurl") {
        std::optional<std::string> page;
        if (target && !target->empty()) {
            page = withQuery(*target, relativeUrlString);
        } else if (!relativeUrlString.empty()) {
            page = resolveWebUrl(relativeUrlString, baseURL);
        }
        if (!page || isZelvanUrl(*page)) {
            ZTRACE_WARN("ZAdvancedWebViewController: nothing to open for %@", fnd::logPreview(url));
            return false;
        }
        openUrl(*page);
        return true;
    }
    if (action == "back" || action == "close") {
        return leavePage();
    }
    if (action == "alert") {
        return showAlert(jsonVar);
    }
    if (action == "loading") {
        if (loadingView_) {
            loadingView_->setText(target ? *target : std::string());
        }
        showLoading();
        return true;
    }
    if (action == "hideloading") {
        hideLoading();
        return true;
    }
    if (action == "callback") {
        return callPageFunction(jsonVar);
    }
    ZTRACE_WARN("ZAdvancedWebViewController: unknown action \"%@\" in %@", fnd::logPreview(action),
                fnd::logPreview(url));
    return false;
}

bool ZAdvancedWebViewController::leavePage() {
    auto self = sharedSelf();
    auto navigation = navigationController();
    if (navigation && navigation->viewControllers().size() > 1 && navigation->topViewController() == self) {
        navigation->popViewControllerAnimated(ui::Animated::Yes);
        return true;
    }
    auto parent = parentViewController();
    if (parent && parent->modalViewController() == self) {
        dismissModalViewControllerAnimated(ui::Animated::Yes);
        return true;
    }
    ZTRACE_WARN("ZAdvancedWebViewController: the page has nothing to go back to");
    return false;
}

bool ZAdvancedWebViewController::showAlert(const fnd::Value& jsonVar) {
    std::string text = jsonVar.isString() ? *jsonVar.asString() : stringField(jsonVar, "text");
    if (text.empty() || !isViewLoaded()) {
        ZTRACE_WARN("ZAdvancedWebViewController: an alert needs a text and a page");
        return false;
    }
    const std::string callback = stringField(jsonVar, "callback");
    if (!callback.empty() && !isScriptFunctionName(callback)) {
        ZTRACE_WARN("ZAdvancedWebViewController: alert callback \"%@\" is not a function name",
                    fnd::logPreview(callback));
        return false;
    }
    auto alert = ZSimpleAlertView::create();
    alert->label()->setText(std::move(text));
    auto dictionary = jsonVar.asDictionary();
    auto buttons = dictionary ? dictionary->objectForKey("buttons").asArray() : nullptr;
    if (buttons) {
        for (size_t i = 0; i < buttons->count(); ++i) {
            if (const std::string* title = buttons->objectAtIndex(i).asString()) {
                alert->addButtonWithTitle(*title);
            }
        }
    }
    if (alert->numberOfButtons() == 0) {
        alert->addButtonWithTitle(ZLS("OK"));
    }
    alert->setAlertId(callback);
    alert->setDelegate(sharedSelf());
    alert->showInView(viewIfLoaded());
    return true;
}

void ZAdvancedWebViewController::buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& /*buttonTitle*/,
                                                        int buttonIndex) {
    const std::string* callback = alert.alertId().asString();
    if (callback && isScriptFunctionName(*callback)) {
        callJS(*callback + "(" + std::to_string(buttonIndex) + ")");
    }
}

bool ZAdvancedWebViewController::callPageFunction(const fnd::Value& jsonVar) {
    const std::string name = jsonVar.isString() ? *jsonVar.asString() : stringField(jsonVar, "callback");
    if (!isScriptFunctionName(name)) {
        ZTRACE_WARN("ZAdvancedWebViewController: \"%@\" is not a function name", fnd::logPreview(name));
        return false;
    }
    std::string script = name + "(";
    auto dictionary = jsonVar.asDictionary();
    if (auto args = dictionary ? dictionary->objectForKey("args").asArray() : nullptr) {
        for (size_t i = 0; i < args->count(); ++i) {
            auto literal = jsValueLiteral(args->objectAtIndex(i));
            if (!literal) {
                ZTRACE_WARN("ZAdvancedWebViewController: argument %d of %@ cannot be passed", static_cast<int>(i),
                            fnd::logPreview(name));
                return false;
            }
            script += (i ? "," : "") + *literal;
        }
    }
    script += ")";
    callJS(script);
    return true;
}

} // namespace zelvan
