// BPOfferView: the offer details page's content - title, description, icon, payout and fine print in a
// scroll view, with buttons to complete the offer in an in-app page, have its link e-mailed (after a
// prompt for the address) or open it in the system browser.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "offers/brightpoint/bp_page_services.h"
#include "platform/foundation/value.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/text_field.h"
#include "platform/ui/view.h"

namespace zelvan::brightpoint {

// Completes an offer (the details page's controller).
class BPOfferViewDelegate {
public:
    virtual ~BPOfferViewDelegate() = default;
    virtual void completeOffer(const fnd::Value& offer) = 0;
};

class BPOfferView : public ui::View, public ui::AlertViewDelegate, public ui::TextFieldDelegate {
public:
    static constexpr double kTextWidth = 280;
    // How far everything below the icon moves up when the offer has none.
    static constexpr double kIconRoom = 120;

    // `services`: the client's currency, key and e-mail request, and the icon cache.
    explicit BPOfferView(BPPageServices services);

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "BPOfferView"; }

    // Held weakly.
    void setDelegate(std::weak_ptr<BPOfferViewDelegate> delegate) { delegate_ = std::move(delegate); }
    // Fills the texts and, for an offer with an icon, shows it from the cache or fetches it on the worker
    // pool.
    void setOffer(fnd::Value offer);
    const fnd::Value& offer() const { return offer_; }
    void layoutSubviews() override;

    void completeOffer();
    // Asks for the address to send the offer's link to, filled with the last one that worked.
    void emailOffer();
    void openInSafari();

    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
    std::optional<bool> textFieldShouldBeginEditing(ui::TextField& field) override;

    const std::shared_ptr<ui::ScrollView>& scrollView() const { return scrollView_; }
    const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<ui::Label>& subtitleLabel() const { return subtitleLabel_; }
    const std::shared_ptr<ui::Label>& payoutLabel() const { return payoutLabel_; }
    const std::shared_ptr<ui::Label>& requirementsLabel() const { return requirementsLabel_; }
    const std::shared_ptr<ui::ImageView>& offerImage() const { return offerImage_; }
    const std::shared_ptr<ui::Button>& completeButton() const { return completeButton_; }
    const std::shared_ptr<ui::Button>& emailButton() const { return emailButton_; }
    const std::shared_ptr<ui::Button>& safariButton() const { return safariButton_; }
    const std::shared_ptr<ui::AlertView>& emailAlert() const { return emailAlert_; }
    const std::shared_ptr<ui::TextField>& emailTextField() const { return emailTextField_; }

private:
    std::shared_ptr<ui::Button> makeButton(const std::string& title, void (BPOfferView::*action)());
    // Shows the icon from the cache, or downloads it on the worker pool (into the cache) and shows it on
    // the main thread while this page still exists.
    void loadIcon(const std::string& url);

    const BPPageServices services_;
    std::weak_ptr<BPOfferViewDelegate> delegate_;
    fnd::Value offer_;
    std::shared_ptr<ui::ImageView> background_;
    std::shared_ptr<ui::ScrollView> scrollView_;
    std::shared_ptr<ui::Label> titleLabel_;
    std::shared_ptr<ui::Label> subtitleLabel_;
    std::shared_ptr<ui::Label> payoutLabel_;
    std::shared_ptr<ui::Label> requirementsLabel_;
    std::shared_ptr<ui::ImageView> offerImage_;
    std::shared_ptr<ui::Button> completeButton_;
    std::shared_ptr<ui::Button> emailButton_;
    std::shared_ptr<ui::Button> safariButton_;
    std::shared_ptr<ui::AlertView> emailAlert_;
    std::shared_ptr<ui::TextField> emailTextField_;
};

} // namespace zelvan::brightpoint
