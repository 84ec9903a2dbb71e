// The advertiser's install report and install instructions.
#include "offers/brightpoint/bp_advertising.h"

#include <algorithm>
#include <vector>

#include "offers/brightpoint/brightpoint.h"
#include "platform/device/device.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/alert_view.h"

namespace zelvan::brightpoint {

namespace {

std::string infoText(std::string_view key) {
    fnd::Value v = fnd::Bundle::main().objectForInfoDictionaryKey(key);
    return v.isString() ? *v.asString() : "";
}

} // namespace

BPAdvertising::BPAdvertising(std::string server) : server_(std::move(server)) {}

void BPAdvertising::setDefaultAdKey(std::optional<std::string> adKey) {
    std::lock_guard lock(mutex_);
    defaultAdKey_ = std::move(adKey);
}

void BPAdvertising::setDelegate(std::weak_ptr<BPAdvertisingDelegate> delegate) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
}

std::optional<std::string> BPAdvertising::defaultKey() const {
    std::lock_guard lock(mutex_);
    return defaultAdKey_;
}

void BPAdvertising::reportInstall() {
    if (auto key = defaultKey()) {
        reportInstall(*key);
    }
}

void BPAdvertising::displayInstructions() {
    if (auto key = defaultKey()) {
        displayInstructions(*key);
    }
}

void BPAdvertising::reportInstall(const std::string& adKey) {
    fnd::Thread::detach([self = shared_from_this(), adKey] { self->reportInstallThread(adKey); });
}

void BPAdvertising::displayInstructions(const std::string& adKey) {
    fnd::Thread::detach([self = shared_from_this(), adKey] { self->displayInstructionsThread(adKey); });
}

std::optional<std::string> BPAdvertising::request(std::string_view path, const std::string& adKey) {
    if (fnd::UserDefaults::standard().boolForKey(Brightpoint::reportedKey(adKey)) || server_.empty()) {
        return std::nullopt;
    }
    auto& dev = device::Device::current();
    const std::vector<std::pair<std::string_view, std::string>> fields = {
        {"uuid", dev.uniqueIdentifier()},
        {"ad_key", adKey},
        {"locale", fnd::Locale::current().countryCode()},
        {"app_ver", infoText("CFBundleVersion")},
        {"bundle", infoText("CFBundleIdentifier")},
        {"model", dev.model()},
        {"sys_name", dev.systemName()},
        {"sys_ver", dev.systemVersion()},
    };
    std::string url = server_ + std::string(path);
    char sep = '?';
    for (const auto& [name, value] : fields) {
        auto encoded = urlEncode(value);
        if (!encoded) {
            ZLOG(Warn, "Brightpoint: the advertiser request is not sent: its %s is not ASCII text", std::string(name));
            return std::nullopt;
        }
        url += sep;
        url += name;
        url += '=';
        url += *encoded;
        sep = '&';
    }
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        return std::nullopt;
    }
    ZLOG(Info, "Brightpoint: GET request: %s", url);
    auto result = fnd::UrlConnection::sendSynchronousRequest(fnd::UrlRequest(*parsed));
    if (!result || result->response.statusCode() != 200) {
        return std::nullopt;
    }
    return std::string(result->data.begin(), result->data.end());
}

void BPAdvertising::reportInstallThread(const std::string& adKey) {
    auto body = request("/iphone/report_install_basic", adKey);
    if (!body) {
        return;
    }
    fnd::UserDefaults::standard().setBool(true, Brightpoint::reportedKey(adKey));
    if (!body->empty()) {
        fnd::RunLoop::main().post([self = shared_from_this(), text = *body] { self->reportInstallAlert(text); });
    }
}

void BPAdvertising::displayInstructionsThread(const std::string& adKey) {
    auto body = request("/iphone/get_install_instructions", adKey);
    if (body && !body->empty()) {
        fnd::RunLoop::main().post([self = shared_from_this(), text = *body] { self->displayInstructionsAlert(text); });
    }
}

void BPAdvertising::reportInstallAlert(const std::string& text) {
    showText("Success!", text);
}
void BPAdvertising::displayInstructionsAlert(const std::string& text) {
    showText("Instructions", text);
}

void BPAdvertising::showText(const std::string& title, const std::string& text) {
    // The server's text is read as ASCII; anything else is not shown.
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        ZLOG(Warn, "Brightpoint: the server's text is not ASCII; it is not shown");
        return;
    }
    std::shared_ptr<BPAdvertisingDelegate> delegate;
    {
        std::lock_guard lock(mutex_);
        delegate = delegate_.lock();
    }
    if (delegate) {
        delegate->displayInstructionsAlert(text);
        return;
    }
    ui::AlertView::initWithTitle(title, text, std::weak_ptr<ui::AlertViewDelegate>(), "OK")->show();
}

std::optional<std::string> BPAdvertising::urlEncode(std::string_view text) {
    return Brightpoint::urlEncode(text);
}

} // namespace zelvan::brightpoint
