// The offer wall's client: configuration request and reply, install report, e-mail offer and the
// shared helpers of the wall.
#include "offers/brightpoint/brightpoint.h"

#include <algorithm>
#include <cctype>

#include "core/data_helpers.h"
#include "core/main_thread.h"
#include "offers/brightpoint/bp_error_view_controller.h"
#include "offers/brightpoint/bp_json_deserializer.h"
#include "offers/brightpoint/bp_log.h"
#include "offers/brightpoint/bp_navigation_controller.h"
#include "offers/brightpoint/bp_reachability.h"
#include "platform/device/device.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/basic_animation.h"
#include "platform/ui/layer.h"
#include "platform/ui/window.h"

namespace zelvan::brightpoint {

namespace {

constexpr double kRequestTimeout = 5.0;
// Escaped on top of what is never legal in a URL.
constexpr std::string_view kEscapedToo = "% '\"?=&+<>;:-";

// The reply's dictionary, or null when the value is not one.
std::shared_ptr<fnd::Dictionary> asTable(const std::optional<fnd::Value>& value) {
    return value && value->isDictionary() ? value->asDictionary() : nullptr;
}

// The text at `key`; nullopt when it is missing or of another kind.
std::optional<std::string> textAt(const fnd::Dictionary& table, std::string_view key) {
    const fnd::Value* v = table.find(std::string(key));
    if (v == nullptr || !v->isString()) {
        return std::nullopt;
    }
    return *v->asString();
}

std::string textOr(const fnd::Dictionary& table, std::string_view key) {
    return textAt(table, key).value_or("");
}

// The text entries of the array at `key`; empty when it is missing or not an array.
std::vector<std::string> textsAt(const fnd::Dictionary& table, std::string_view key) {
    std::vector<std::string> out;
    const fnd::Value* v = table.find(std::string(key));
    if (v == nullptr || !v->isArray()) {
        return out;
    }
    for (const auto& item : *v->asArray()) {
        if (item.isString()) {
            out.push_back(*item.asString());
        }
    }
    return out;
}

std::string infoText(std::string_view key) {
    fnd::Value v = fnd::Bundle::main().objectForInfoDictionaryKey(key);
    return v.isString() ? *v.asString() : "";
}

// The value of a JSON reply with status 200; nullopt, with one log line, for anything else.
std::optional<fnd::Value> jsonReply(const fnd::Result<fnd::FetchReply>& result) {
    if (!result) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: request failed: %s", result.error().localizedDescription());
        return std::nullopt;
    }
    if (result->response.statusCode() != 200) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: request answered with status %lld",
                static_cast<long long>(result->response.statusCode()));
        return std::nullopt;
    }
    auto parsed = BPJSONDeserializer::deserializer()->deserialize(result->body);
    if (!parsed || !parsed->has_value()) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: the reply is not JSON");
        return std::nullopt;
    }
    return **parsed;
}

// Sends a JSON request (5 s) from the calling thread's loop.
void sendJSON(fnd::UrlRequest request, std::weak_ptr<const void> owner, Brightpoint::JSONCompletion completion,
              std::shared_ptr<fnd::UrlCancelToken> cancel = nullptr) {
    fnd::FetchOptions options;
    options.timeout = kRequestTimeout;
    options.cancel = std::move(cancel);
    fnd::fetch(
        std::move(request), std::move(options), std::move(owner),
        [completion = std::move(completion)](fnd::Result<fnd::FetchReply> reply) { completion(jsonReply(reply)); });
}

// The request address `url`; nullopt (one WARN line, and no value for `completion` on the calling loop's
// next turn) when it is not one.
std::optional<fnd::Url> requestURL(const std::string& url, const std::weak_ptr<const void>& owner,
                                   const Brightpoint::JSONCompletion& completion) {
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: not a URL: %s", url);
        laterOnThisLoop([owner, completion] {
            if (auto held = owner.lock()) {
                completion(std::nullopt);
            }
        });
    }
    return parsed;
}

} // namespace

Brightpoint::Brightpoint(std::string server, BPWallMaker makeWall)
    : server_(std::move(server)), makeWall_(std::move(makeWall)), uid_(device::Device::current().uniqueIdentifier()),
      countryCode_(fnd::Locale::current().countryCode()),
      reachability_(BPReachability::reachabilityForInternetConnection()) {
    if (reachability_) {
        reachability_->startNotifer();
    }
}

void Brightpoint::setKey(std::string key) {
    std::lock_guard lock(mutex_);
    key_ = std::move(key);
}

void Brightpoint::setUID(std::string uid) {
    std::lock_guard lock(mutex_);
    uid_ = std::move(uid);
}

void Brightpoint::setDelegate(std::weak_ptr<BrightpointDelegate> delegate) {
    delegate_ = std::move(delegate);
}
void Brightpoint::setAge(std::optional<std::string> age) {
    age_ = std::move(age);
}
void Brightpoint::setSex(std::optional<std::string> sex) {
    sex_ = std::move(sex);
}

std::string Brightpoint::key() const {
    std::lock_guard lock(mutex_);
    return key_;
}

std::string Brightpoint::uid() const {
    std::lock_guard lock(mutex_);
    return uid_;
}

std::optional<std::string> Brightpoint::configurationURL() const {
    if (server_.empty()) {
        return std::nullopt;
    }
    auto& dev = device::Device::current();
    std::vector<std::pair<std::string_view, std::optional<std::string>>> fields = {
        {"uid", uid()},
        {"key", key()},
        {"ver", currentVersion()},
        {"uuid", dev.uniqueIdentifier()},
        {"locale", countryCode_},
        {"app_ver", infoText("CFBundleVersion")},
        {"bundle", infoText("CFBundleIdentifier")},
        {"model", dev.model()},
        {"sys_name", dev.systemName()},
        {"sys_ver", dev.systemVersion()},
    };
    if (age_) {
        fields.emplace_back("age", age_);
    }
    if (sex_) {
        fields.emplace_back("sex", sex_);
    }
    std::string url = server_ + "/iphone/config";
    char sep = '?';
    for (const auto& [name, value] : fields) {
        auto encoded = urlEncode(*value);
        if (!encoded) {
            ZLOG_TO(kBrightpointLog, Warn,
                    "Brightpoint: the configuration request is not sent: its %s is not ASCII text", std::string(name));
            return std::nullopt;
        }
        url += sep;
        url += name;
        url += '=';
        url += *encoded;
        sep = '&';
    }
    return url;
}

BPConfigurationOutcome Brightpoint::applyConfigurationReply(const fnd::Bytes& reply) {
    std::optional<fnd::Value> value;
    if (auto parsed = BPJSONDeserializer::deserializer()->deserialize(reply); parsed && parsed->has_value()) {
        value = **parsed;
    }
    auto table = asTable(value);
    if (!table) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: the configuration reply is not a JSON object");
        return {false, std::string(kBPNoInternetMessage)};
    }
    auto succ = textAt(*table, "succ");
    if (succ == "1") {
        BPConfiguration c;
        c.currencyName = textAt(*table, "currency_name");
        c.currencyColor = colorForHex(textOr(*table, "currency_color"));
        c.appsTabEnabled = textAt(*table, "apps_enabled") == "1";
        c.offersTabEnabled = textAt(*table, "offers_enabled") == "1";
        c.directTabEnabled = textAt(*table, "direct_enabled") == "1";
        c.inAppTabEnabled = textAt(*table, "inapp_enabled") == "1";
        c.defaultTab = textAt(*table, "default_tab");
        c.statusURL = textAt(*table, "status_url");
        c.directURL = textAt(*table, "direct_url");
        c.offersURL = textAt(*table, "offers_url");
        c.appsURL = textAt(*table, "apps_url");
        c.inAppURL = textAt(*table, "inapp_url");
        c.inAppVerifyURL = textAt(*table, "inapp_verify_url");
        c.inAppFooter = textAt(*table, "inapp_footer");
        c.appTabUrls = textsAt(*table, "app_tab_urls");
        c.appTabTitles = textsAt(*table, "app_tab_titles");
        c.offerTabUrls = textsAt(*table, "offer_tab_urls");
        c.offerTabTitles = textsAt(*table, "offer_tab_titles");
        c.userAgent = textAt(*table, "user_agent");
        configuration_ = std::move(c);
        return {true, ""};
    }
    if (succ == "2") {
        return {false, textOr(*table, "message")};
    }
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: the configuration reply has no success value");
    return {false, std::string(kBPNoInternetMessage)};
}

void Brightpoint::displayPaymentWindow() {
    if (isLoading_) {
        return;
    }
    isLoading_ = true;
    if (!reachabilityObserver_) {
        reachabilityObserver_ =
            fnd::NotificationCenter::defaultCenter().observe(std::string(kBPNetworkReachabilityChangedNotification),
                                                             weak_from_this(), &Brightpoint::reachabilityChanged);
    }
    auto url = configurationURL();
    const bool reachable = reachability_ && reachability_->currentReachabilityStatus() != BPNotReachable;
    std::optional<fnd::Url> parsed = url ? fnd::Url::parse(*url) : std::nullopt;
    if (!reachable || !parsed) {
        showStatusBar();
        initializeRootWindow();
        displayErrorWindow(std::string(kBPNoInternetMessage));
        isLoading_ = false;
        return;
    }
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: GET request: %s", *url);
    ui::Application::shared().setNetworkActivityIndicatorVisible(true);
    fnd::fetch(fnd::UrlRequest(*parsed), {}, weak_from_this(),
               [this](fnd::Result<fnd::FetchReply> reply) { configurationFinished(reply); });
}

void Brightpoint::configurationFinished(const fnd::Result<fnd::FetchReply>& reply) {
    ui::Application::shared().setNetworkActivityIndicatorVisible(false);
    if (!reply) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: the configuration request failed: %s",
                reply.error().localizedDescription());
    }
    showStatusBar();
    initializeRootWindow();
    // A failed connection counts as no reply: the no-internet text, and the wall can be asked for again.
    BPConfigurationOutcome outcome =
        reply ? applyConfigurationReply(reply->body) : BPConfigurationOutcome{false, std::string(kBPNoInternetMessage)};
    if (outcome.showWall) {
        rootController_->dismissModalViewControllerAnimated(ui::Animated::No);
        if (makeWall_) {
            rootController_->presentModalViewController(makeWall_(shared_from_this()), ui::Animated::No);
        }
        isDisplayingErrorWindow_ = false;
    } else {
        displayErrorWindow(outcome.errorMessage);
    }
    isLoading_ = false;
}

void Brightpoint::showStatusBar() {
    auto& app = ui::Application::shared();
    previousStatusBarStyle_ = static_cast<int>(app.statusBarStyle());
    previousStatusBarHidden_ = app.statusBarHidden();
    app.setStatusBarStyle(ui::StatusBarStyle::BlackOpaque, ui::Animated::Yes);
    app.setStatusBarHidden(false, ui::Animated::Yes);
}

void Brightpoint::restoreStatusBar() {
    auto& app = ui::Application::shared();
    app.setStatusBarStyle(static_cast<ui::StatusBarStyle>(previousStatusBarStyle_), ui::Animated::Yes);
    app.setStatusBarHidden(previousStatusBarHidden_, ui::Animated::Yes);
}

namespace {

// The key window; when none is key (a window that was key has gone without handing key status back), the
// first visible window of the normal level, which is the application's own.
std::shared_ptr<ui::Window> hostWindow() {
    auto& app = ui::Application::shared();
    if (auto key = app.keyWindow()) {
        return key;
    }
    for (const auto& window : app.windows()) {
        if (!window->isHidden() && window->windowLevel() == ui::kWindowLevelNormal) {
            return window;
        }
    }
    return nullptr;
}

void windowTransition(ui::TransitionType type, ui::TransitionSubtype side) {
    auto window = hostWindow();
    if (!window) {
        return;
    }
    auto transition = ui::Transition::animation();
    transition->setType(type);
    transition->setSubtype(side);
    transition->setDuration(0.5);
    transition->setTimingFunction(ui::TimingFunction::EaseInEaseOut);
    window->layer()->addAnimation(transition, "BPWindowTransition");
}

} // namespace

void Brightpoint::initializeRootWindow() {
    rootController_ = std::make_shared<ui::ViewController>();
    auto window = hostWindow();
    if (!window) {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: there is no window to show the offer wall in");
        return;
    }
    window->addSubview(rootController_->view());
    windowTransition(ui::TransitionType::MoveIn, ui::TransitionSubtype::FromTop);
}

void Brightpoint::displayErrorWindow(std::string message) {
    isDisplayingErrorWindow_ = true;
    if (!rootController_) {
        return;
    }
    rootController_->dismissModalViewControllerAnimated(ui::Animated::No);
    std::weak_ptr<Brightpoint> weak = weak_from_this();
    auto closeWall = [weak] {
        if (auto self = weak.lock()) {
            self->dismissWindow();
        }
    };
    rootController_->presentModalViewController(
        BPNavigationController::navigationControllerWithInstantiatedController(
            BPErrorViewController::initWithMessage(std::move(message)), closeWall),
        ui::Animated::No);
}

void Brightpoint::dismissWindow() {
    restoreStatusBar();
    if (rootController_) {
        rootController_->dismissModalViewControllerAnimated(ui::Animated::No);
        if (rootController_->isViewLoaded()) {
            rootController_->view()->removeFromSuperview();
        }
    }
    windowTransition(ui::TransitionType::Reveal, ui::TransitionSubtype::FromBottom);
    isDisplayingErrorWindow_ = false;
}

void Brightpoint::reachabilityChanged() {
    if (reachability_ && reachability_->currentReachabilityStatus() != BPNotReachable && isDisplayingErrorWindow_) {
        dismissWindow();
        displayPaymentWindow();
    }
}

std::string Brightpoint::reportedKey(std::string_view adKey) {
    return "BP:ad_reported:" + std::string(adKey);
}
std::string Brightpoint::emailKey(std::string_view key) {
    return "BP:app_email:" + std::string(key);
}

void Brightpoint::reportInstall(const std::string& adKey, std::function<void()> done) {
    auto uuid = urlEncode(device::Device::current().uniqueIdentifier());
    auto key = urlEncode(adKey);
    if (fnd::UserDefaults::standard().boolForKey(reportedKey(adKey)) || !uuid || !key || server_.empty()) {
        if (!server_.empty() && (!uuid || !key)) {
            ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: the install report is not sent: its ad key is not ASCII text");
        }
        if (done) {
            done();
        }
        return;
    }
    auto reported = [adKey, done = std::move(done)](std::optional<fnd::Value> reply) {
        auto table = asTable(reply);
        if (table && textAt(*table, "succ") == "1") {
            fnd::UserDefaults::standard().setBool(true, reportedKey(adKey));
            onMainInline([title = textOr(*table, "message_title"), body = textOr(*table, "message_body")] {
                showAlert(title, body);
            });
        }
        if (done) {
            done();
        }
    };
    getRequest(server_ + "/iphone/report_install?uuid=" + *uuid + "&ad_key=" + *key, weak_from_this(),
               std::move(reported));
}

void Brightpoint::sendOffer(const fnd::Value& offer, const std::string& email) {
    std::shared_ptr<fnd::Dictionary> table = offer.isDictionary() ? offer.asDictionary() : nullptr;
    auto field = [&](std::string_view name) { return table ? textOr(*table, name) : std::string(); };
    std::vector<std::pair<std::string_view, std::string>> fields = {
        {"email", email},
        {"key", key()},
        {"url", field("url")},
        {"uid", uid()},
        {"uuid", device::Device::current().uniqueIdentifier()},
        {"title", field("title")},
        {"offer_id", field("offer_id")},
        {"offer_provider", field("offer_provider")},
    };
    std::string body;
    for (const auto& [name, value] : fields) {
        auto encoded = urlEncode(value);
        if (!encoded) {
            ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: the offer e-mail is not sent: its %s is not ASCII text",
                    std::string(name));
            showAlert("Error", std::string(kBPEmailFailedMessage));
            return;
        }
        if (!body.empty()) {
            body += '&';
        }
        body += name;
        body += '=';
        body += *encoded;
    }
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: %s", body);
    if (server_.empty()) {
        showAlert("Error", std::string(kBPEmailFailedMessage));
        return;
    }
    postRequest(server_ + "/iphone/email_offer", body, weak_from_this(),
                [this, email](std::optional<fnd::Value> value) {
                    auto reply = asTable(value);
                    if (!reply) {
                        showAlert("Error", std::string(kBPEmailFailedMessage));
                        return;
                    }
                    if (textAt(*reply, "succ") == "1") {
                        auto& defaults = fnd::UserDefaults::standard();
                        defaults.setObject(fnd::Value(email), emailKey(key()));
                        defaults.synchronize();
                    }
                    showAlert(textOr(*reply, "message_title"), textOr(*reply, "message_body"));
                });
}

void Brightpoint::didReceiveCurrency(int amount) {
    if (auto delegate = delegate_.lock()) {
        delegate->didReceiveCurrency(amount);
    }
}

void Brightpoint::getRequest(const std::string& url, std::weak_ptr<const void> owner, JSONCompletion completion,
                             std::shared_ptr<fnd::UrlCancelToken> cancel) {
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: GET request: %s", url);
    if (auto parsed = requestURL(url, owner, completion)) {
        fnd::UrlRequest request(*parsed);
        request.setHttpMethod("GET");
        sendJSON(std::move(request), std::move(owner), std::move(completion), std::move(cancel));
    }
}

void Brightpoint::postRequest(const std::string& url, const std::string& body, std::weak_ptr<const void> owner,
                              JSONCompletion completion) {
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: POST request: %s %s", url, body);
    if (auto parsed = requestURL(url, owner, completion)) {
        fnd::UrlRequest request(*parsed);
        request.setHttpMethod("POST");
        request.setHttpBody(fnd::Bytes(body.begin(), body.end()));
        request.setValue("application/x-www-form-urlencoded", "Content-Type");
        sendJSON(std::move(request), std::move(owner), std::move(completion));
    }
}

std::optional<std::string> Brightpoint::urlEncode(std::string_view text) {
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        return std::nullopt;
    }
    return fnd::escapeLegacyPlus(text, kEscapedToo);
}

gfx::Color Brightpoint::colorForHex(std::string_view text) {
    const gfx::Color black(0, 0, 0, 1);
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.size() <= 5) {
        return black;
    }
    if (text.front() == '#') {
        text.remove_prefix(1);
    }
    if (text.size() != 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); })) {
        return black;
    }
    auto channel = [&](size_t at) { return std::stoi(std::string(text.substr(at, 2)), nullptr, 16) / 255.0; };
    return gfx::Color(channel(0), channel(2), channel(4), 1.0);
}

std::string Brightpoint::base64Encode(const uint8_t* bytes, size_t length) {
    return zelvan::base64Encode(length == 0 ? fnd::Bytes() : fnd::Bytes(bytes, bytes + length));
}

void Brightpoint::showAlert(std::string title, std::string message) {
    ui::AlertView::initWithTitle(std::move(title), std::move(message), std::weak_ptr<ui::AlertViewDelegate>(), "OK")
        ->show();
}

} // namespace zelvan::brightpoint
