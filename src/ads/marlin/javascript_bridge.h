// JavascriptBridge: the one channel between the interstitial client script and native code. It builds the
// page around a script, polls the page's command queue ("commandList();") on a timer, parses each command
// text into a selector and arguments, and dispatches it through the ordered command tables of itself and
// its handlers. Native code answers by evaluating expressions in the page, queued while a page loads.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/value.h"
#include "platform/ui/web_view.h"

namespace fnd {
class Timer;
}

namespace zelvan::marlin {

class IMarlinContentHost;
class JavascriptBridge;
class JavascriptCommandHandler;

// The arguments of one command: texts (quoted) and numbers (bare), in order.
using BridgeArguments = std::vector<fnd::Value>;

// A handler's answer to one command: success, or a failure whose reason ends the poll it ran in.
struct CommandResult {
    std::optional<std::string> failure;
    static CommandResult ok() { return {}; }
    static CommandResult fail(std::string reason) { return {std::move(reason)}; }
    explicit operator bool() const { return !failure; }
};

// One row of a command table: the selector, the library function that sends it (a member of `object`
// in the page), its arguments ('q' quoted, 'b' bare, one per selector part) and what runs it.
struct BridgeCommand {
    using Perform = CommandResult (*)(JavascriptCommandHandler& handler, const BridgeArguments& arguments);
    std::string_view selector;
    std::string_view function;
    std::string_view arguments;
    std::string_view object;
    Perform perform;
};

// The page functions of `commands` that belong to `object`, each "object.function = function(a0, ...)"
// sending the command text: the selector parts each followed by their argument (quoted ones in double
// quotes), separated by one blank, ended by ";".
std::string libraryFunctions(std::span<const BridgeCommand> commands, std::string_view object);

// Anything that runs commands for the bridge.
class JavascriptCommandHandler {
public:
    virtual ~JavascriptCommandHandler() = default;
    // The handler's ordered command table.
    virtual std::span<const BridgeCommand> commands() const = 0;
    // Called when the handler is added to a bridge (null when it is removed).
    virtual void setBridge(JavascriptBridge* bridge) { (void)bridge; }
    // Script text that defines the handler's side of the library in the page.
    virtual std::string bridgeScript() { return {}; }

    // The row of `selector`, or null.
    const BridgeCommand* commandForSelector(std::string_view selector) const;
};

// Told when a flag it listens to is set or reset.
class JavascriptBridgeFlagListener {
public:
    virtual ~JavascriptBridgeFlagListener() = default;
    virtual void jsBridgeDidChangeStateForFlag(JavascriptBridge& bridge, const std::string& flag) = 0;
};

// A parsed command text.
struct BridgeInvocation {
    std::string selector;
    BridgeArguments arguments;
};

class JavascriptBridge : public JavascriptCommandHandler,
                         public ui::WebViewDelegate,
                         public std::enable_shared_from_this<JavascriptBridge> {
public:
    static constexpr double kMinimumPollingInterval = 1.0 / 30.0;

    // Polls every `interval` seconds (at least 1/30 s), takes over the web view's delegate (events go
    // on to the previous one) and adds `handler` when given.
    static std::shared_ptr<JavascriptBridge>
    javascriptBridgeWithPollingInterval(double interval, std::shared_ptr<ui::WebView> webView,
                                        std::shared_ptr<JavascriptCommandHandler> handler = nullptr);
    JavascriptBridge();
    ~JavascriptBridge() override;
    JavascriptBridge(const JavascriptBridge&) = delete;
    JavascriptBridge& operator=(const JavascriptBridge&) = delete;

    // The content controller, asked for its state before a page loads.
    void setContentHost(std::weak_ptr<IMarlinContentHost> host) { host_ = std::move(host); }

    // --- Handlers ---
    void addCommandHandler(std::shared_ptr<JavascriptCommandHandler> handler);
    void removeCommandHandler(const std::shared_ptr<JavascriptCommandHandler>& handler);
    // The bridge itself when it runs `selector`, else the first handler in order that does, else null.
    JavascriptCommandHandler* commandHandlerForSelector(std::string_view selector);
    bool respondsToSelector(std::string_view selector) { return commandHandlerForSelector(selector) != nullptr; }
    const std::vector<std::shared_ptr<JavascriptCommandHandler>>& commandHandlers() const { return handlers_; }

    // --- The page ---
    // The base script, then for each handler "\n" and its script.
    std::string bridgeScript() override;
    // Builds the page around `script` and loads it with `baseURL`; `execute` is its onload expression.
    void loadJavascriptString(const std::string& script, const std::string& execute, const std::string& scriptName,
                              const std::optional<fnd::Url>& baseURL);
    // The page's queued commands, run in order; the number of commands run.
    int poll();
    void halt();
    // Runs one command text; false when nobody knows it or its handler failed (`failure` says why).
    bool executeCocoaCommand(std::string_view text, std::string* failure = nullptr);
    // Parses a command text; none when it is empty or no handler knows the selector.
    std::optional<BridgeInvocation> invocationForString(std::string_view text);
    // The grammar alone, without the look-up.
    static std::optional<BridgeInvocation> parseCommand(std::string_view text);

    // --- Script calls ---
    // Runs `expression` in the page now, or after the page has loaded.
    void sendJavascriptCommand(const std::string& expression);
    void postJavascriptCommand(const std::string& expression);
    void executeJavascriptCommand(const std::string& expression);
    void executePendingJavascriptCommands();
    void flushJavascriptCommands() { pending_.clear(); }
    size_t pendingJavascriptCommandCount() const { return pending_.size(); }

    // --- Flags ---
    void setFlag(const std::string& flag);
    void resetFlag(const std::string& flag);
    bool hasFlag(const std::string& flag) const { return flags_.count(flag) != 0; }
    // A null listener removes the entry.
    void setFlagListener(const std::string& flag, std::weak_ptr<JavascriptBridgeFlagListener> listener);

    void setPollingInterval(double seconds);
    double pollingInterval() const { return interval_; }
    // "./" removed from `path`, appended to the folder of the page's URL path.
    std::string stringByPrefixingScriptPathToPath(std::string_view path) const;
    const std::shared_ptr<ui::WebView>& webView() const { return webView_; }
    bool isWebViewLoading() const { return webViewLoading_; }

    // --- Own commands ---
    std::span<const BridgeCommand> commands() const override;

    // --- Web-view events, forwarded to the previous delegate ---
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;

private:
    void start(double interval, std::shared_ptr<ui::WebView> webView);

    std::shared_ptr<fnd::Timer> pollingTimer_;
    double interval_ = kMinimumPollingInterval;
    std::shared_ptr<ui::WebView> webView_;
    std::weak_ptr<ui::WebViewDelegate> webViewDelegate_;
    std::weak_ptr<IMarlinContentHost> host_;
    std::vector<std::string> pending_;
    bool webViewLoading_ = false;
    std::set<std::string> flags_;
    std::map<std::string, std::weak_ptr<JavascriptBridgeFlagListener>> flagListeners_;
    std::vector<std::shared_ptr<JavascriptCommandHandler>> handlers_;
};

} // namespace zelvan::marlin
