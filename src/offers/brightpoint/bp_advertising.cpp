// The advertiser's install report and install instructions.
#include "offers/brightpoint/bp_advertising.h"

#include <algorithm>
#include <vector>

#include "core/main_thread.h"
#include "offers/brightpoint/bp_log.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/device/device.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/url.h"
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

void BPAdvertising::reportInstall(const std::string& adKey, std::function<void()> done) {
    request("/iphone/report_install_basic", adKey,
            [this, adKey, done = std::move(done)](const std::optional<std::string>& body) {
                if (body) {
                    fnd::UserDefaults::standard().setBool(true, Brightpoint::reportedKey(adKey));
                }
                if (body && !body->empty()) {
                    onMainInline(weak_from_this(),
                                 [text = *body](BPAdvertising& ads) { ads.reportInstallAlert(text); });
                }
                if (done) {
                    done();
                }
            });
}

void BPAdvertising::displayInstructions(const std::string& adKey, std::function<void()> done) {
    request("/iphone/get_install_instructions", adKey,
            [this, done = std::move(done)](const std::optional<std::string>& body) {
                if (body && !body->empty()) {
                    onMainInline(weak_from_this(),
                                 [text = *body](BPAdvertising& ads) { ads.displayInstructionsAlert(text); });
                }
                if (done) {
                    done();
                }
            });
}

void BPAdvertising::request(std::string_view path, const std::string& adKey, Answer answered) {
    if (fnd::UserDefaults::standard().boolForKey(Brightpoint::reportedKey(adKey)) || server_.empty()) {
        answered(std::nullopt);
        return;
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
            ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: the advertiser request is not sent: its %s is not ASCII text",
                    std::string(name));
            answered(std::nullopt);
            return;
        }
        url += sep;
        url += name;
        url += '=';
        url += *encoded;
        sep = '&';
    }
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        answered(std::nullopt);
        return;
    }
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: GET request: %s", url);
    fnd::fetch(fnd::UrlRequest(*parsed), {}, weak_from_this(),
               [answered = std::move(answered)](fnd::Result<fnd::FetchReply> reply) {
                   std::optional<std::string> text;
                   if (reply && reply->response.statusCode() == 200) {
                       text = std::string(reply->body.begin(), reply->body.end());
                   }
                   answered(text);
               });
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
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: the server's text is not ASCII; it is not shown");
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
