// The "Load More..." row and its spinner.
#include "offers/brightpoint/bp_loading_table_view_cell.h"

#include <cmath>

#include "platform/graphics/font.h"

namespace zelvan::brightpoint {

BPLoadingTableViewCell::BPLoadingTableViewCell(ui::TableViewCellStyle style, std::string reuseIdentifier)
    : ui::TableViewCell(style, std::move(reuseIdentifier)) {}

void BPLoadingTableViewCell::initWithFrame(gfx::Rect frame) {
    ui::TableViewCell::initWithFrame(frame);
    loadingIndicatorView_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::Gray);
    contentView()->addSubview(loadingIndicatorView_);
    statusTitle_ = ui::View::create<ui::Label>(gfx::Rect());
    statusTitle_->setText("Load More...");
    statusTitle_->setFont(gfx::Font::withName("Helvetica-Bold", 16));
    const double grey = 64 / 255.0;
    statusTitle_->setTextColor(gfx::Color(grey, grey, grey, 1));
    statusTitle_->setHighlightedTextColor(gfx::Color(1, 1, 1, 1));
    statusTitle_->setTextAlignment(gfx::TextAlignment::Center);
    statusTitle_->setShadowColor(std::nullopt);
    statusTitle_->setBackgroundColor(gfx::Color(0, 0, 0, 0));
    contentView()->addSubview(statusTitle_);
}

void BPLoadingTableViewCell::setLoading(bool loading) {
    loading_ = loading;
    if (loading) {
        loadingIndicatorView_->startAnimating();
        statusTitle_->setHidden(true);
        setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    } else {
        loadingIndicatorView_->stopAnimating();
        statusTitle_->setHidden(false);
        setSelectionStyle(ui::TableViewCellSelectionStyle::Blue);
    }
    setNeedsLayout();
}

void BPLoadingTableViewCell::setTitle(std::string title) {
    statusTitle_->setText(std::move(title));
    statusTitle_->setHidden(false);
}

void BPLoadingTableViewCell::setActivityIndicatorStyle(ui::ActivityIndicatorViewStyle style) {
    loadingIndicatorView_->setActivityIndicatorViewStyle(style);
}

void BPLoadingTableViewCell::setSelected(bool selected, ui::Animated animated) {
    ui::TableViewCell::setSelected(selected, animated);
}

void BPLoadingTableViewCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    const gfx::Rect bounds = contentView()->bounds();
    const gfx::Rect spinner = loadingIndicatorView_->frame();
    loadingIndicatorView_->setFrame(gfx::Rect(std::round((bounds.width() - spinner.width()) / 2),
                                              std::round((bounds.height() - spinner.height()) / 2), spinner.width(),
                                              spinner.height()));
    const double height = statusTitle_->font()->lineHeight();
    statusTitle_->setFrame(gfx::Rect(0, std::round((bounds.height() - height) / 2), bounds.width(), height));
}

} // namespace zelvan::brightpoint
