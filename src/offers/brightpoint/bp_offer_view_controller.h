// BPOfferViewController: the offer details page ("Details"), pushed when an offer row is tapped. It
// completes the offer in an in-app web page presented over the wall.
#pragma once

#include <memory>
#include <string>

#include "offers/brightpoint/bp_offer_view.h"
#include "offers/brightpoint/bp_page_services.h"
#include "platform/ui/view_controller.h"

namespace zelvan::brightpoint {

class BPOfferViewController : public ui::ViewController, public BPOfferViewDelegate {
public:
    // The page and its completion page are handed `services`.
    explicit BPOfferViewController(BPPageServices services);

    std::string className() const override { return "BPOfferViewController"; }
    // The offer view (the view's bounds less 93 points of height) becomes the view.
    void viewDidLoad() override;
    // Hands the offer to the view (called right after the push).
    void setOffer(fnd::Value offer);
    // Presents the offer's "url" in a completion page inside a navigation controller of the current bar
    // style, at the page's own scale when "is_iphone_formatted" is "1" and scaled to fit otherwise.
    void completeOffer(const fnd::Value& offer) override;

    const std::shared_ptr<BPOfferView>& offerView() const { return offerView_; }

private:
    const BPPageServices services_;
    std::shared_ptr<BPOfferView> offerView_;
};

} // namespace zelvan::brightpoint
