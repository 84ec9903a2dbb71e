// An app row: its labels, grey band and the delayed, rounded icon download.
#include "offers/brightpoint/bp_app_table_view_cell.h"

#include "offers/brightpoint/bp_app_images.h"
#include "offers/brightpoint/bp_app_record.h"
#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_offer_support.h"
#include "platform/graphics/font.h"
#include "platform/graphics/graphics_stack.h"

namespace zelvan::brightpoint {

namespace {

const gfx::Color kClear(0, 0, 0, 0);
const gfx::Color kWhite(1, 1, 1, 1);

gfx::Color grey(int r, int g, int b) {
    return gfx::Color(r / 255.0, g / 255.0, b / 255.0, 1);
}

std::shared_ptr<ui::Label> makeLabel(gfx::Rect frame, std::shared_ptr<gfx::Font> font) {
    auto label = ui::View::create<ui::Label>(frame);
    label->setFont(std::move(font));
    label->setBackgroundColor(kClear);
    label->setShadowOffset(gfx::Size(0, 1));
    return label;
}

} // namespace

BPAppTableViewCell::BPAppTableViewCell(ui::TableViewCellStyle style, std::string reuseIdentifier,
                                       BPPageServices services)
    : ui::TableViewCell(style, std::move(reuseIdentifier)), services_(std::move(services)) {}

BPAppTableViewCell::~BPAppTableViewCell() = default;

void BPAppTableViewCell::initWithFrame(gfx::Rect frame) {
    ui::TableViewCell::initWithFrame(frame);
    setBackgroundColor(kClear);
    setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    titleLabel_ = makeLabel(gfx::Rect(76, 6, 176, 24), gfx::Font::withName("Helvetica-Bold", 18));
    titleLabel_->setNumberOfLines(0);
    payoutLabel_ = makeLabel(gfx::Rect(76, 29, 175, 34), gfx::Font::withName("Helvetica-Bold", 14));
    priceLabel_ = makeLabel(gfx::Rect(254, 23, 40, 24), gfx::Font::boldSystemFontOfSize(12));
    priceLabel_->setTextAlignment(ui::TextAlignment::Right);
    placeholderImage_ = gfx::Image::imageNamed("BPAppPlaceholder.png");
    appImageView_ = ui::View::create<ui::ImageView>(gfx::Rect(10, 7, 57, 57));
    appImageView_->setImage(placeholderImage_);
    for (const auto& view :
         std::initializer_list<std::shared_ptr<ui::View>>{appImageView_, titleLabel_, payoutLabel_, priceLabel_}) {
        contentView()->addSubview(view);
    }
    applyLabelColors(false);
}

void BPAppTableViewCell::setApp(fnd::Value app) {
    app_ = std::move(app);
    titleLabel_->setText(BPOfferText(app_, "title"));
    payoutLabel_->setText(BPPayoutLine(app_, BPCurrencyName(services_.client)));
    priceLabel_->setText(BPOfferText(app_, "price"));
    setNeedsDisplay();
}

void BPAppTableViewCell::setIsOdd(bool odd) {
    if (odd != isOdd_) {
        isOdd_ = odd;
        setNeedsDisplay();
    }
}

void BPAppTableViewCell::prepareForReuse() {
    ui::TableViewCell::prepareForReuse();
    iconDownload_.cancel();
}

void BPAppTableViewCell::showImage() {
    iconDownload_.cancel();
    const std::string url = BPOfferText(app_, "image_url");
    const auto& cache = services_.imageCache;
    if (gfx::ImagePtr cached = cache && !url.empty() ? cache->getImage(url) : nullptr) {
        appImageView_->setImage(cached);
        return;
    }
    appImageView_->setImage(placeholderImage_);
    if (url.empty()) {
        return;
    }
    std::weak_ptr<BPAppTableViewCell> weak = std::static_pointer_cast<BPAppTableViewCell>(shared_from_this());
    iconDownload_.start(
        url, kIconDelay,
        [cache, workers = services_.workers](const std::string& iconUrl, auto owner, auto done) {
            BPLoadAppPicture(iconUrl, true, cache, workers, std::move(owner), std::move(done));
        },
        [weak](gfx::ImagePtr image) {
            if (auto self = weak.lock()) {
                self->appImageView_->setImage(std::move(image));
            }
        });
}

void BPAppTableViewCell::applyLabelColors(bool highlighted) {
    titleLabel_->setTextColor(highlighted ? kWhite : titleColor_);
    payoutLabel_->setTextColor(highlighted ? kWhite : payoutColor_);
    priceLabel_->setTextColor(highlighted ? kWhite : priceColor_);
    for (const auto& label : {titleLabel_, payoutLabel_, priceLabel_}) {
        label->setShadowColor(highlighted ? std::nullopt : std::optional<gfx::Color>(shadowColor_));
    }
}

void BPAppTableViewCell::setHighlighted(bool highlighted, ui::Animated animated) {
    ui::TableViewCell::setHighlighted(highlighted, animated);
    applyLabelColors(highlighted);
}

void BPAppTableViewCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    appImageView_->setFrame(gfx::Rect(10, 7, 57, 57));
    titleLabel_->setFrame(gfx::Rect(76, 6, 176, 24));
    payoutLabel_->setFrame(gfx::Rect(76, 29, 175, 34));
    priceLabel_->setFrame(gfx::Rect(254, 23, 40, 24));
}

void BPAppTableViewCell::drawRect(gfx::Rect) {
    auto context = gfx::getCurrentContext();
    if (!context) {
        return;
    }
    const gfx::Rect all = bounds();
    context->setFillColor(isOdd_ ? grey(152, 152, 156) : grey(173, 173, 176));
    context->fillRect(all);
    // The view context runs y down: the top edge is at minY.
    context->setFillColor(grey(187, 187, 189));
    context->fillRect(gfx::Rect(all.minX(), all.minY(), all.width(), 1));
    context->setFillColor(grey(137, 138, 141));
    context->fillRect(gfx::Rect(all.minX(), all.maxY() - 1, all.width(), 1));
}

} // namespace zelvan::brightpoint
