// An offer row: its two layouts, highlight colours and the delayed icon download.
#include "offers/brightpoint/bp_offer_table_view_cell.h"

#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_offer_support.h"
#include "platform/graphics/font.h"
#include "platform/graphics/text_layout.h"

namespace zelvan::brightpoint {

namespace {

const gfx::Color kClear(0, 0, 0, 0);
const gfx::Color kWhite(1, 1, 1, 1);

std::shared_ptr<ui::Label> makeLabel(std::shared_ptr<gfx::Font> font, int lines, const gfx::Color& color) {
    auto label = ui::View::create<ui::Label>(gfx::Rect());
    label->setFont(std::move(font));
    label->setNumberOfLines(lines);
    label->setTextColor(color);
    label->setBackgroundColor(kClear);
    return label;
}

} // namespace

BPOfferTableViewCell::BPOfferTableViewCell(ui::TableViewCellStyle style, std::string reuseIdentifier,
                                           BPPageServices services)
    : ui::TableViewCell(style, std::move(reuseIdentifier)), services_(std::move(services)) {}

BPOfferTableViewCell::~BPOfferTableViewCell() = default;

void BPOfferTableViewCell::initWithFrame(gfx::Rect frame) {
    ui::TableViewCell::initWithFrame(frame);
    setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    payoutColor_ = BPCurrencyColor(services_.client);
    titleLabel_ = makeLabel(gfx::Font::boldSystemFontOfSize(14), 3, titleColor_);
    payoutLabel_ = makeLabel(gfx::Font::boldSystemFontOfSize(16), 1, payoutColor_);
    titleNoImageLabel_ = makeLabel(gfx::Font::boldSystemFontOfSize(13), 1, titleColor_);
    subtitleLabel_ = makeLabel(gfx::Font::systemFontOfSize(12), 4, titleColor_);
    currencyAmountLabel_ = makeLabel(gfx::Font::boldSystemFontOfSize(20), 1, payoutColor_);
    currencyAmountLabel_->setTextAlignment(gfx::TextAlignment::Center);
    currencyNameLabel_ = makeLabel(gfx::Font::boldSystemFontOfSize(12), 2, payoutColor_);
    currencyNameLabel_->setTextAlignment(gfx::TextAlignment::Center);
    currencyNameLabel_->setText(BPCurrencyName(services_.client));
    placeholderImage_ = gfx::Image::imageNamed("BPOfferPlaceholder.png");
    offerImageView_ = ui::ImageView::initWithImage(placeholderImage_);
}

void BPOfferTableViewCell::setOffer(fnd::Value offer) {
    offer_ = std::move(offer);
    const std::string title = BPOfferText(offer_, "title");
    const std::string currency = BPOfferText(offer_, "currency");
    titleLabel_->setText(title);
    titleNoImageLabel_->setText(title);
    payoutLabel_->setText("Get " + currency + " " + BPCurrencyName(services_.client) + "!");
    subtitleLabel_->setText(BPOfferText(offer_, "body"));
    currencyAmountLabel_->setText(currency);

    const bool withImage = BPOfferHasImage(offer_);
    const auto& content = contentView();
    for (const auto& view :
         std::initializer_list<std::shared_ptr<ui::View>>{offerImageView_, titleLabel_, payoutLabel_}) {
        if (withImage) {
            content->addSubview(view);
        } else {
            view->removeFromSuperview();
        }
    }
    for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{
             titleNoImageLabel_, subtitleLabel_, currencyAmountLabel_, currencyNameLabel_}) {
        if (withImage) {
            view->removeFromSuperview();
        } else {
            content->addSubview(view);
        }
    }
    setAccessoryType(withImage ? ui::TableViewCellAccessoryType::DisclosureIndicator
                               : ui::TableViewCellAccessoryType::None);
    setNeedsLayout();
    setNeedsDisplay();
}

void BPOfferTableViewCell::prepareForReuse() {
    ui::TableViewCell::prepareForReuse();
    iconDownload_.cancel();
}

void BPOfferTableViewCell::showImage() {
    if (!BPOfferHasImage(offer_)) {
        return;
    }
    iconDownload_.cancel();
    const std::string url = BPOfferText(offer_, "image_url");
    const auto& cache = services_.imageCache;
    if (gfx::ImagePtr cached = cache ? cache->getImage(url) : nullptr) {
        offerImageView_->setImage(cached);
        return;
    }
    offerImageView_->setImage(placeholderImage_);
    std::weak_ptr<BPOfferTableViewCell> weak = std::static_pointer_cast<BPOfferTableViewCell>(shared_from_this());
    iconDownload_.start(
        url, kIconDelay,
        [cache, workers = services_.workers](const std::string& iconUrl, auto owner, auto done) {
            BPDownloadIcon(iconUrl, cache, workers, std::move(owner), std::move(done));
        },
        [weak](gfx::ImagePtr image) {
            if (auto self = weak.lock()) {
                self->offerImageView_->setImage(std::move(image));
            }
        });
}

void BPOfferTableViewCell::setHighlighted(bool highlighted, ui::Animated animated) {
    ui::TableViewCell::setHighlighted(highlighted, animated);
    for (const auto& label : {titleLabel_, titleNoImageLabel_, subtitleLabel_}) {
        label->setTextColor(highlighted ? kWhite : titleColor_);
    }
    for (const auto& label : {payoutLabel_, currencyAmountLabel_, currencyNameLabel_}) {
        label->setTextColor(highlighted ? kWhite : payoutColor_);
    }
}

void BPOfferTableViewCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    setBackgroundColor(kClear);
    if (BPOfferHasImage(offer_)) {
        offerImageView_->setFrame(gfx::Rect(10, 10, 80, 80));
        // At most the label's three lines.
        const gfx::Size fitted =
            gfx::sizeWithFont(titleLabel_->text(), titleLabel_->font(),
                              gfx::Size(190, 3 * titleLabel_->font()->lineHeight()), gfx::LineBreakMode::WordWrap);
        titleLabel_->setFrame(gfx::Rect(100, 8, 190, fitted.height));
        payoutLabel_->setFrame(gfx::Rect(100, 74, 210, 20));
    } else {
        titleNoImageLabel_->setFrame(gfx::Rect(10, 10, 300, 16));
        subtitleLabel_->setFrame(gfx::Rect(10, 24, 240, 75));
        currencyAmountLabel_->setFrame(gfx::Rect(250, 35, 60, 20));
        currencyNameLabel_->setFrame(gfx::Rect(250, 55, 60, 30));
    }
}

} // namespace zelvan::brightpoint
