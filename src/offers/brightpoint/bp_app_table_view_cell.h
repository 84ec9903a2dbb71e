// BPAppTableViewCell: one app row of the apps tab - rounded icon, title, "Get <amount> <currency>!" and
// the price - on a grey band, lighter on even rows and darker on odd ones, with an edge line above and
// below. The icon comes from the process-wide cache, or from a download on the worker pool that starts
// 0.2 s after the row is about to show.
#pragma once

#include <memory>
#include <string>

#include "offers/brightpoint/bp_page_services.h"
#include "offers/brightpoint/bp_row_icon_download.h"
#include "platform/foundation/value.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/table_view_cell.h"

namespace zelvan::brightpoint {

class BPAppTableViewCell : public ui::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "ResultCell";
    static constexpr double kIconDelay = 0.2;

    // `services`: the client's currency and the icon cache.
    BPAppTableViewCell(ui::TableViewCellStyle style, std::string reuseIdentifier, BPPageServices services);
    ~BPAppTableViewCell() override;

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "BPAppTableViewCell"; }

    // Keeps the record and fills title, payout and price.
    void setApp(fnd::Value app);
    const fnd::Value& app() const { return app_; }
    bool isOdd() const { return isOdd_; }
    void setIsOdd(bool odd);
    // Main thread: cancels a running download, then shows the cached icon, or the placeholder while a
    // new download starts.
    void showImage();
    // White labels without shadow while highlighted; their own colours and shadows otherwise.
    void setHighlighted(bool highlighted, ui::Animated animated) override;
    void prepareForReuse() override;
    void layoutSubviews() override;
    // The grey band with its two edge lines.
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

    const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<ui::Label>& payoutLabel() const { return payoutLabel_; }
    const std::shared_ptr<ui::Label>& priceLabel() const { return priceLabel_; }
    const std::shared_ptr<ui::ImageView>& appImageView() const { return appImageView_; }
    const gfx::ImagePtr& placeholderImage() const { return placeholderImage_; }
    // Whether an icon download was started for the app shown.
    bool isDownloadingIcon() const { return iconDownload_.isStarted(); }

private:
    void applyLabelColors(bool highlighted);

    const BPPageServices services_;
    bool isOdd_ = false;
    fnd::Value app_;
    std::shared_ptr<ui::Label> titleLabel_;
    std::shared_ptr<ui::Label> payoutLabel_;
    std::shared_ptr<ui::Label> priceLabel_;
    gfx::Color titleColor_{0, 0, 0, 1};
    gfx::Color payoutColor_{76 / 255.0, 76 / 255.0, 78 / 255.0, 1};
    gfx::Color priceColor_{76 / 255.0, 76 / 255.0, 78 / 255.0, 1};
    gfx::Color shadowColor_{0.8, 0.8, 0.8, 1};
    std::shared_ptr<ui::ImageView> appImageView_;
    gfx::ImagePtr placeholderImage_;
    BPRowIconDownload iconDownload_;
};

} // namespace zelvan::brightpoint
