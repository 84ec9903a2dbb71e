// The click-to-call alert: the number shown, the confirmation, the acquisition fetch and the dial.
#include "ads/adwick/adwick_click_to_call_alert.h"

#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_localizer.h"
#include "ads/adwick/adwick_log.h"
#include "ads/adwick/adwick_url_download.h"
#include "platform/foundation/string_ops.h"
#include "platform/ui/application.h"

namespace zelvan::adwick {

namespace {

std::string localized(const std::shared_ptr<AdwickContext>& context, const char* key) {
    return context ? context->localizer()->localizedStringForKey(key) : std::string(key);
}

} // namespace

std::shared_ptr<AdwickClickToCallAlert>
AdwickClickToCallAlert::initWithPhoneNumber(const std::optional<fnd::Url>& phoneNumberURL,
                                            std::optional<std::string> acquisitionURL,
                                            const std::shared_ptr<AdwickContext>& context) {
    if (!phoneNumberURL) {
        ZLOG_TO(kAdwickLog, Info, "No phone number in click response.");
        return nullptr;
    }
    std::string number = fnd::replaceOccurrences(phoneNumberURL->absoluteString(), "tel:", "");
    number = fnd::replaceOccurrences(number, "//", "");
    if (number.empty()) {
        ZLOG_TO(kAdwickLog, Info, "Empty phone number in click response.");
        return nullptr;
    }
    auto alert = ui::AlertView::initWithTitle<AdwickClickToCallAlert>(
        AdwickLocalizer::fillPlaceholder(localized(context, "Call %@?"), number), "", {}, localized(context, "Cancel"),
        {localized(context, "Call")});
    alert->setDelegate(std::dynamic_pointer_cast<ui::AlertViewDelegate>(alert->self<ui::View>()));
    alert->phoneNumberURL_ = phoneNumberURL;
    alert->acquisitionEventURL_ = std::move(acquisitionURL);
    alert->downloads_ = context ? context->downloadSettings() : AdwickDownloadSettings{};
    return alert;
}

void AdwickClickToCallAlert::showOrCall() {
    selfHold_ = self<AdwickClickToCallAlert>();
    if (ui::Application::shared().telConfirmsCalls()) {
        startClickToCall();
    } else {
        show();
    }
}

void AdwickClickToCallAlert::alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int buttonIndex) {
    if (buttonIndex != cancelButtonIndex()) {
        startClickToCall();
    } else {
        selfHold_.reset();
    }
}

void AdwickClickToCallAlert::startClickToCall() {
    if (!acquisitionEventURL_) {
        acquisitionDidEnd(true);
        return;
    }
    download_ = AdwickURLDownload::create(downloads_);
    download_->setSuccessSelector([this](AdwickURLDownload&) { acquisitionDidEnd(true); });
    download_->setFailureSelector([this](AdwickURLDownload&) { acquisitionDidEnd(false); });
    download_->setDelegate(self<ui::View>());
    download_->loadContentsOfURLAtString(*acquisitionEventURL_);
}

void AdwickClickToCallAlert::acquisitionDidEnd(bool succeeded) {
    auto keep = self<AdwickClickToCallAlert>();
    if (!succeeded) {
        ZLOG_TO(kAdwickLog, Warn, "Failed to record click-to-call acquisition.");
    }
    if (download_) {
        download_->cancel();
        download_.reset();
    }
    if (phoneNumberURL_) {
        ui::Application::shared().openURL(phoneNumberURL_->absoluteString());
    }
    selfHold_.reset();
}

} // namespace zelvan::adwick
