// The click-to-contacts alert: the confirmation, adding the contact, and the acquisition fetch.
#include "ads/adwick/adwick_click_to_contacts_alert.h"

#include "ads/adwick/adwick_contact.h"
#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_localizer.h"
#include "ads/adwick/adwick_log.h"
#include "ads/adwick/adwick_url_download.h"

namespace zelvan::adwick {

namespace {

std::string localized(const std::shared_ptr<AdwickContext>& context, const char* key) {
    return context ? context->localizer()->localizedStringForKey(key) : std::string(key);
}

} // namespace

std::shared_ptr<AdwickClickToContactsAlert>
AdwickClickToContactsAlert::initWithContact(const fnd::Value& contact, std::optional<std::string> acquisitionURL,
                                            const std::shared_ptr<AdwickContext>& context) {
    if (!contact.asDictionary()) {
        ZLOG_TO(kAdwickLog, Info, "No contact information in click response.");
        return nullptr;
    }
    const AdwickDownloadSettings downloads = context ? context->downloadSettings() : AdwickDownloadSettings{};
    auto entry = AdwickContact::initWithDictionary(contact, downloads);
    if (!entry || entry->organization().empty()) {
        ZLOG_TO(kAdwickLog, Info, "No organization name in the contact information in click response.");
        return nullptr;
    }
    auto alert = ui::AlertView::initWithTitle<AdwickClickToContactsAlert>(
        AdwickLocalizer::fillPlaceholder(localized(context, "Add %@ to your Address Book?"), entry->organization()), "",
        {}, localized(context, "Cancel"), {localized(context, "Add")});
    alert->setDelegate(std::dynamic_pointer_cast<ui::AlertViewDelegate>(alert->self<ui::View>()));
    alert->contact_ = std::move(entry);
    alert->acquisitionEventURL_ = std::move(acquisitionURL);
    alert->downloads_ = downloads;
    return alert;
}

void AdwickClickToContactsAlert::showAndHold() {
    selfHold_ = self<AdwickClickToContactsAlert>();
    show();
}

void AdwickClickToContactsAlert::alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int buttonIndex) {
    if (buttonIndex == cancelButtonIndex()) {
        selfHold_.reset();
        return;
    }
    contact_->addToAddressBook();
    if (!acquisitionEventURL_) {
        selfHold_.reset();
        return;
    }
    download_ = AdwickURLDownload::create(downloads_);
    download_->setSuccessSelector([this](AdwickURLDownload&) { acquisitionDidEnd(true); });
    download_->setFailureSelector([this](AdwickURLDownload&) { acquisitionDidEnd(false); });
    download_->setDelegate(self<ui::View>());
    download_->loadContentsOfURLAtString(*acquisitionEventURL_);
}

void AdwickClickToContactsAlert::acquisitionDidEnd(bool succeeded) {
    auto keep = self<AdwickClickToContactsAlert>();
    if (!succeeded) {
        ZLOG_TO(kAdwickLog, Warn, "Failed to record click-to-contacts acquisition.");
    }
    download_->cancel();
    download_.reset();
    selfHold_.reset();
}

} // namespace zelvan::adwick
