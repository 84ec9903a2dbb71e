// The interstitial client's script bridge: the page template and base script, the polled command queue,
// the command grammar, dispatch through the ordered command tables, and the queue of script calls that
// waits for a page to load.
#include "ads/marlin/javascript_bridge.h"

#include <cmath>

#include "ads/marlin/marlin_content_host.h"
#include "ads/marlin/mn_log.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/scalar.h"
#include "platform/foundation/timer.h"

namespace zelvan::marlin {
namespace {

// Longer intervals are the script's to ask for, but a day keeps the timer's arithmetic finite.
constexpr double kMaximumPollingInterval = 86400;

JavascriptBridge& asBridge(JavascriptCommandHandler& handler) {
    return static_cast<JavascriptBridge&>(handler);
}

const BridgeCommand kBridgeCommands[] = {
    {"setFlag:", "setFlag", "q", "Bridge",
     [](JavascriptCommandHandler& h, const BridgeArguments& a) {
         asBridge(h).setFlag(a[0].stringValue());
         return CommandResult::ok();
     }},
    {"resetFlag:", "resetFlag", "q", "Bridge",
     [](JavascriptCommandHandler& h, const BridgeArguments& a) {
         asBridge(h).resetFlag(a[0].stringValue());
         return CommandResult::ok();
     }},
    {"setPollingInterval:", "setPollingInterval", "b", "Bridge",
     [](JavascriptCommandHandler& h, const BridgeArguments& a) {
         asBridge(h).setPollingInterval(a[0].isString() ? fnd::doubleValue(a[0].stringValue()) : a[0].doubleValue());
         return CommandResult::ok();
     }},
};

const char* const kBaseScript = "var g_commandString = \"\";\n"
                                "var g_resultString = null;\n"
                                "function commandList() {\n"
                                "    var list = g_commandString;\n"
                                "    g_commandString = \"\";\n"
                                "    return list;\n"
                                "}\n"
                                "function commandResult(result) {\n"
                                "    g_resultString = result;\n"
                                "}\n"
                                "function sendCommand(command) {\n"
                                "    g_commandString += command + \"\\n\";\n"
                                "}\n"
                                "var Bridge = {};\n";

std::string scriptBlock(const std::string& text) {
    return "\t\t<script type = \"text/javascript\">\n" + text + "\n\t\t</script>\n";
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

fnd::Value argumentValue(std::string_view raw) {
    if (!raw.empty() && raw.front() == '"') {
        // The text between the first and last characters; a lone quote has none.
        return fnd::Value(raw.size() < 2 ? std::string_view() : raw.substr(1, raw.size() - 2));
    }
    std::string lower(raw);
    for (char& c : lower) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (lower == "true" || raw == "YES") {
        return fnd::Value(1.0);
    }
    if (lower == "false" || raw == "NO") {
        return fnd::Value(0.0);
    }
    return fnd::Value(fnd::doubleValue(raw));
}

} // namespace

std::string libraryFunctions(std::span<const BridgeCommand> commands, std::string_view object) {
    std::string script;
    for (const BridgeCommand& command : commands) {
        if (command.object != object) {
            continue;
        }
        std::string parameters;
        std::string body;
        std::string_view selector = command.selector;
        size_t index = 0;
        while (!selector.empty()) {
            size_t colon = selector.find(':');
            std::string_view part = selector.substr(0, colon == std::string_view::npos ? selector.size() : colon + 1);
            selector.remove_prefix(part.size());
            if (!body.empty()) {
                body += " + \" \" + ";
            }
            body += "\"" + std::string(part) + "\"";
            if (colon == std::string_view::npos) {
                break;
            }
            std::string name = "a" + std::to_string(index);
            parameters += (index == 0 ? "" : ", ") + name;
            bool quoted = index < command.arguments.size() && command.arguments[index] == 'q';
            body += quoted ? " + \"\\\"\" + " + name + " + \"\\\"\"" : " + String(" + name + ")";
            ++index;
        }
        script += std::string(object) + "." + std::string(command.function) + " = function(" + parameters +
                  ") { sendCommand(" + body + " + \";\"); };\n";
    }
    return script;
}

const BridgeCommand* JavascriptCommandHandler::commandForSelector(std::string_view selector) const {
    for (const BridgeCommand& command : commands()) {
        if (command.selector == selector) {
            return &command;
        }
    }
    return nullptr;
}

std::shared_ptr<JavascriptBridge>
JavascriptBridge::javascriptBridgeWithPollingInterval(double interval, std::shared_ptr<ui::WebView> webView,
                                                      std::shared_ptr<JavascriptCommandHandler> handler) {
    auto bridge = std::make_shared<JavascriptBridge>();
    bridge->start(interval, std::move(webView));
    if (handler) {
        bridge->addCommandHandler(std::move(handler));
    }
    return bridge;
}

JavascriptBridge::JavascriptBridge() {
    handlers_.reserve(2);
}

JavascriptBridge::~JavascriptBridge() {
    halt();
    if (webView_ && !webView_->delegate()) {
        webView_->setDelegate(webViewDelegate_); // the web view's events go back where they went before
    }
    for (const auto& handler : handlers_) {
        handler->setBridge(nullptr);
    }
}

void JavascriptBridge::start(double interval, std::shared_ptr<ui::WebView> webView) {
    webView_ = std::move(webView);
    if (webView_) {
        webViewDelegate_ = webView_->delegate();
        webView_->setDelegate(weak_from_this());
    }
    setPollingInterval(interval);
}

std::span<const BridgeCommand> JavascriptBridge::commands() const {
    return kBridgeCommands;
}

void JavascriptBridge::addCommandHandler(std::shared_ptr<JavascriptCommandHandler> handler) {
    if (!handler) {
        return;
    }
    handler->setBridge(this);
    handlers_.push_back(std::move(handler));
}

void JavascriptBridge::removeCommandHandler(const std::shared_ptr<JavascriptCommandHandler>& handler) {
    for (auto it = handlers_.begin(); it != handlers_.end(); ++it) {
        if (*it == handler) {
            handler->setBridge(nullptr);
            handlers_.erase(it);
            return;
        }
    }
}

JavascriptCommandHandler* JavascriptBridge::commandHandlerForSelector(std::string_view selector) {
    if (commandForSelector(selector)) {
        return this;
    }
    for (const auto& handler : handlers_) {
        if (handler->commandForSelector(selector)) {
            return handler.get();
        }
    }
    return nullptr;
}

std::string JavascriptBridge::bridgeScript() {
    std::string script = kBaseScript + libraryFunctions(kBridgeCommands, "Bridge");
    auto handlers = handlers_; // a handler's script may not change the list under us
    for (const auto& handler : handlers) {
        script += "\n" + handler->bridgeScript();
    }
    return script;
}

void JavascriptBridge::loadJavascriptString(const std::string& script, const std::string& execute,
                                            const std::string& scriptName, const std::optional<fnd::Url>& baseURL) {
    if (!webView_) {
        return;
    }
    if (auto host = host_.lock(); host && host->clientState() == 4) {
        if (startsWith(execute, "clientInit(")) {
            MNLog("Preventing calling into clientInit() during pre-roll display.");
            return;
        }
        if (startsWith(execute, "boot(")) {
            MNLog("Preventing call into boot() during pre-roll display.");
            return;
        }
    }
    if (startsWith(execute, "displayAd(")) {
        webView_->stopLoading();
    }
    // The start expression stands in an attribute, so it is written with HTML escapes, which the page
    // reads back as the same text; the script name stands in a script string literal.
    std::string html =
        "<html>\n\t<head>\n\t\t<title>Advertisement</title>\n" + scriptBlock(bridgeScript()) + scriptBlock(script) +
        scriptBlock("function MNScriptName(){return \"" + fnd::jsEscape(scriptName) + "\";}") +
        "\t</head>\n\t<body style=\"margin:0px;\" onload=\"" + fnd::htmlEscape(execute) + "\">\n\t</body>\n</html>";
    pending_.clear();
    webView_->loadHTMLString(html, baseURL);
    webViewLoading_ = true;
}

std::optional<BridgeInvocation> JavascriptBridge::parseCommand(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (text.back() == ';') {
        text.remove_suffix(1);
    }
    BridgeInvocation invocation;
    std::vector<std::string_view> raw;
    size_t start = 0;
    size_t length = 0;
    bool valueMode = false;
    bool inQuotes = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inQuotes) {
            length = i + 1 - start;
            inQuotes = c != '"';
        } else if (c == '"') {
            length = i + 1 - start;
            inQuotes = true;
        } else if (!valueMode) {
            if (c == ':' && length > 0) {
                invocation.selector.append(text.substr(start, length));
                invocation.selector += ':';
                start = i + 1;
                length = 0;
                valueMode = true;
            } else if (c == ' ') {
                if (length == 0) {
                    start = i + 1; // blanks before a name are skipped; inside one they stay
                }
            } else {
                length = i + 1 - start;
            }
        } else if (c == ' ') {
            if (length > 0) {
                raw.push_back(text.substr(start, length));
                valueMode = false;
                length = 0;
            }
            start = i + 1;
        } else {
            length = i + 1 - start;
        }
    }
    std::string_view rest = start < text.size() ? text.substr(start) : std::string_view();
    if (valueMode) {
        raw.push_back(rest);
    } else {
        invocation.selector.append(rest);
    }
    if (invocation.selector.empty()) {
        return std::nullopt;
    }
    for (std::string_view argument : raw) {
        invocation.arguments.push_back(argumentValue(argument));
    }
    return invocation;
}

std::optional<BridgeInvocation> JavascriptBridge::invocationForString(std::string_view text) {
    auto invocation = parseCommand(text);
    if (!invocation || !commandHandlerForSelector(invocation->selector)) {
        return std::nullopt;
    }
    return invocation;
}

bool JavascriptBridge::executeCocoaCommand(std::string_view text, std::string* failure) {
    auto invocation = invocationForString(text);
    if (!invocation) {
        if (!text.empty()) {
            ZLOG_TO(kMarlinLog, Warn, "Neither bridge nor command handlers know how to handle:\n  %@",
                    fnd::logPreview(text));
        }
        return false;
    }
    auto self = shared_from_this(); // a command may drop the bridge's last owner
    JavascriptCommandHandler* handler = commandHandlerForSelector(invocation->selector);
    const BridgeCommand* command = handler->commandForSelector(invocation->selector);
    CommandResult result = invocation->arguments.size() == command->arguments.size()
                               ? command->perform(*handler, invocation->arguments)
                               : CommandResult::fail("wrong number of arguments for " + std::string(command->selector));
    if (!result) {
        if (failure) {
            *failure = *result.failure;
        }
        return false;
    }
    return true;
}

int JavascriptBridge::poll() {
    if (!webView_) {
        return 0;
    }
    auto self = shared_from_this();
    std::string list = webView_->stringByEvaluatingJavaScriptFromString("commandList();");
    if (list.empty()) {
        return 0;
    }
    int run = 0;
    std::string_view rest = list;
    for (;;) {
        size_t end = rest.find(";\n");
        std::string_view piece = rest.substr(0, end);
        std::string failure;
        if (executeCocoaCommand(piece, &failure)) {
            ++run;
        } else if (!failure.empty()) {
            ZLOG_TO(kMarlinLog, Warn, "An exception occured: %@", fnd::logPreview(failure));
            break;
        }
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 2);
    }
    return run;
}

void JavascriptBridge::halt() {
    if (pollingTimer_) {
        pollingTimer_->invalidate();
        pollingTimer_.reset();
    }
}

void JavascriptBridge::setPollingInterval(double seconds) {
    halt();
    if (!(seconds >= kMinimumPollingInterval)) {
        MNLog("Polling interval of %fms exceeds minimum interval of %fms, capping interval.", seconds * 1000,
              kMinimumPollingInterval * 1000);
        seconds = kMinimumPollingInterval;
    }
    interval_ = std::min(seconds, kMaximumPollingInterval);
    std::weak_ptr<JavascriptBridge> weak = weak_from_this();
    pollingTimer_ = fnd::Timer::scheduled(interval_, fnd::Repeats::Yes, [weak](fnd::Timer&) {
        if (auto bridge = weak.lock()) {
            bridge->poll();
        }
    });
}

void JavascriptBridge::sendJavascriptCommand(const std::string& expression) {
    if (webViewLoading_) {
        postJavascriptCommand(expression);
    } else {
        executeJavascriptCommand(expression);
    }
}

void JavascriptBridge::postJavascriptCommand(const std::string& expression) {
    pending_.push_back(expression);
}

void JavascriptBridge::executeJavascriptCommand(const std::string& expression) {
    if (webView_) {
        webView_->stringByEvaluatingJavaScriptFromString("try { " + expression + "; } catch(e) {}");
    }
}

void JavascriptBridge::executePendingJavascriptCommands() {
    std::vector<std::string> commands;
    commands.swap(pending_);
    for (const std::string& expression : commands) {
        executeJavascriptCommand(expression);
    }
}

void JavascriptBridge::setFlag(const std::string& flag) {
    flags_.insert(flag);
    auto it = flagListeners_.find(flag);
    if (it != flagListeners_.end()) {
        if (auto listener = it->second.lock()) {
            listener->jsBridgeDidChangeStateForFlag(*this, flag);
        }
    }
}

void JavascriptBridge::resetFlag(const std::string& flag) {
    flags_.erase(flag);
    auto it = flagListeners_.find(flag);
    if (it != flagListeners_.end()) {
        if (auto listener = it->second.lock()) {
            listener->jsBridgeDidChangeStateForFlag(*this, flag);
        }
    }
}

void JavascriptBridge::setFlagListener(const std::string& flag, std::weak_ptr<JavascriptBridgeFlagListener> listener) {
    if (listener.expired()) {
        flagListeners_.erase(flag);
    } else {
        flagListeners_[flag] = std::move(listener);
    }
}

std::string JavascriptBridge::stringByPrefixingScriptPathToPath(std::string_view path) const {
    std::string cleaned(path);
    for (size_t at = cleaned.find("./"); at != std::string::npos; at = cleaned.find("./")) {
        cleaned.erase(at, 2);
    }
    std::string folder;
    if (webView_ && webView_->request()) {
        folder = fnd::deletingLastPathComponent(webView_->request()->url().path());
    }
    return fnd::appendingPathComponent(folder, cleaned);
}

bool JavascriptBridge::webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                                         ui::NavigationType type) {
    if (auto delegate = webViewDelegate_.lock()) {
        return delegate->webViewShouldStartLoadWithRequest(webView, request, type);
    }
    return true;
}

void JavascriptBridge::webViewDidStartLoad(ui::WebView& webView) {
    webViewLoading_ = true;
    if (auto delegate = webViewDelegate_.lock()) {
        delegate->webViewDidStartLoad(webView);
    }
}

void JavascriptBridge::webViewDidFinishLoad(ui::WebView& webView) {
    auto self = shared_from_this();
    webViewLoading_ = false;
    executePendingJavascriptCommands();
    if (auto delegate = webViewDelegate_.lock()) {
        delegate->webViewDidFinishLoad(webView);
    }
}

void JavascriptBridge::webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) {
    auto self = shared_from_this();
    MNLog("WebView failed load.");
    if (error.code() == -999) {
        MNLog("Ignoring load failure as it resulted from code -999.");
        return;
    }
    executePendingJavascriptCommands();
    webViewLoading_ = false;
    if (auto delegate = webViewDelegate_.lock()) {
        delegate->webViewDidFailLoadWithError(webView, error);
    }
}

} // namespace zelvan::marlin
