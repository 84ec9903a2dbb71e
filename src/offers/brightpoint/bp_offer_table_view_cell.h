// BPOfferTableViewCell: one offer row of the offer wall's lists. With an icon it shows the icon, the
// title and "Get <amount> <currency>!"; without one, the title, the description and the amount with the
// currency name at the right. The icon comes from the process-wide cache, or is downloaded on the worker
// pool 0.2 s after the row is about to show, so rows scrolled past quickly fetch nothing.
#pragma once

#include <memory>
#include <string>

#include "offers/brightpoint/bp_page_services.h"
#include "offers/brightpoint/bp_row_icon_download.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/table_view_cell.h"

namespace zelvan::brightpoint {

class BPOfferTableViewCell : public ui::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "ResultCell";
    // How long a row waits before its icon download touches the network.
    static constexpr double kIconDelay = 0.2;

    // `services`: the client's currency and the icon cache.
    BPOfferTableViewCell(ui::TableViewCellStyle style, std::string reuseIdentifier, BPPageServices services);
    ~BPOfferTableViewCell() override;

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "BPOfferTableViewCell"; }

    // Keeps the offer, fills the labels and shows the labels of its kind (with or without an icon).
    void setOffer(fnd::Value offer);
    const fnd::Value& offer() const { return offer_; }
    // Main thread, for an offer with an icon: cancels a running download, then shows the cached icon,
    // or the placeholder while a new download starts.
    void showImage();
    void setHighlighted(bool highlighted, ui::Animated animated) override;
    void prepareForReuse() override;
    void layoutSubviews() override;

    const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<ui::Label>& payoutLabel() const { return payoutLabel_; }
    const std::shared_ptr<ui::ImageView>& offerImageView() const { return offerImageView_; }
    const std::shared_ptr<ui::Label>& currencyAmountLabel() const { return currencyAmountLabel_; }
    const std::shared_ptr<ui::Label>& currencyNameLabel() const { return currencyNameLabel_; }
    const std::shared_ptr<ui::Label>& titleNoImageLabel() const { return titleNoImageLabel_; }
    const std::shared_ptr<ui::Label>& subtitleLabel() const { return subtitleLabel_; }
    const gfx::ImagePtr& placeholderImage() const { return placeholderImage_; }
    // Whether an icon download was started for the offer shown.
    bool isDownloadingIcon() const { return iconDownload_.isStarted(); }

private:
    const BPPageServices services_;
    fnd::Value offer_;
    std::shared_ptr<ui::Label> titleLabel_;
    std::shared_ptr<ui::Label> payoutLabel_;
    std::shared_ptr<ui::ImageView> offerImageView_;
    std::shared_ptr<ui::Label> currencyAmountLabel_;
    std::shared_ptr<ui::Label> currencyNameLabel_;
    std::shared_ptr<ui::Label> titleNoImageLabel_;
    std::shared_ptr<ui::Label> subtitleLabel_;
    gfx::Color titleColor_{0, 0, 0, 1};
    gfx::Color payoutColor_{0, 0, 0, 1};
    gfx::ImagePtr placeholderImage_;
    BPRowIconDownload iconDownload_;
};

} // namespace zelvan::brightpoint
