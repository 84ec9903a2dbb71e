// AdwickClickToContactsAlert: asks before a click adds an organisation to the address book, adds it and
// records the acquisition URL when given. It keeps itself alive until the answer and the fetch are done.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/adwick/adwick_url_download.h"
#include "platform/foundation/value.h"
#include "platform/ui/alert_view.h"

namespace zelvan::adwick {

class AdwickContact;
class AdwickContext;

class AdwickClickToContactsAlert : public ui::AlertView, public ui::AlertViewDelegate {
public:
    std::string className() const override { return "AdwickClickToContactsAlert"; }

    // Null (and a log line) without a contact table or without an organisation name. `context` gives the
    // texts and the downloads' settings (null: the keys and the defaults).
    static std::shared_ptr<AdwickClickToContactsAlert> initWithContact(const fnd::Value& contact,
                                                                       std::optional<std::string> acquisitionURL,
                                                                       const std::shared_ptr<AdwickContext>& context);
    // Shows the alert; the alert holds itself until it is answered.
    void showAndHold();

    const std::shared_ptr<AdwickContact>& contact() const { return contact_; }
    const std::optional<std::string>& acquisitionEventURL() const { return acquisitionEventURL_; }
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

private:
    void acquisitionDidEnd(bool succeeded);

    std::shared_ptr<AdwickContact> contact_;
    std::optional<std::string> acquisitionEventURL_;
    AdwickDownloadSettings downloads_;
    std::shared_ptr<AdwickURLDownload> download_;
    std::shared_ptr<AdwickClickToContactsAlert> selfHold_;
};

} // namespace zelvan::adwick
