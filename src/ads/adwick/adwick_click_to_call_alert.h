// AdwickClickToCallAlert: asks before a click places a phone call, records the acquisition URL when
// given, then dials. It keeps itself alive until the answer and the acquisition fetch are done.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/adwick/adwick_url_download.h"
#include "platform/foundation/url.h"
#include "platform/ui/alert_view.h"

namespace zelvan::adwick {

class AdwickContext;

class AdwickClickToCallAlert : public ui::AlertView, public ui::AlertViewDelegate {
public:
    std::string className() const override { return "AdwickClickToCallAlert"; }

    // Null (and a log line) without a phone URL or with an empty number. `context` gives the texts and the
    // acquisition fetch's settings (null: the keys and the defaults).
    static std::shared_ptr<AdwickClickToCallAlert> initWithPhoneNumber(const std::optional<fnd::Url>& phoneNumberURL,
                                                                       std::optional<std::string> acquisitionURL,
                                                                       const std::shared_ptr<AdwickContext>& context);
    // Shows the alert, or calls at once where the system itself asks before dialling.
    void showOrCall();
    void startClickToCall();

    const std::optional<fnd::Url>& phoneNumberURL() const { return phoneNumberURL_; }
    const std::optional<std::string>& acquisitionEventURL() const { return acquisitionEventURL_; }
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

private:
    void acquisitionDidEnd(bool succeeded);

    std::optional<fnd::Url> phoneNumberURL_;
    std::optional<std::string> acquisitionEventURL_;
    AdwickDownloadSettings downloads_;
    std::shared_ptr<AdwickURLDownload> download_;
    std::shared_ptr<AdwickClickToCallAlert> selfHold_;
};

} // namespace zelvan::adwick
