// The offer details page's content, its layout and its three actions.
#include "offers/brightpoint/bp_offer_view.h"

#include "core/main_thread.h"
#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_log.h"
#include "offers/brightpoint/bp_offer_support.h"
#include "offers/brightpoint/bp_worker_fetch.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/user_defaults.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/application.h"

namespace zelvan::brightpoint {

namespace {

const gfx::Color kClear(0, 0, 0, 0);

std::shared_ptr<ui::Label> makeLabel(const char* font, double size, std::string placeholder) {
    auto label = ui::View::create<ui::Label>(gfx::Rect());
    label->setFont(gfx::Font::withName(font, size));
    label->setNumberOfLines(0);
    label->setBackgroundColor(kClear);
    label->setText(std::move(placeholder));
    return label;
}

double fittedHeight(const ui::Label& label) {
    return gfx::sizeWithFont(label.text(), label.font(), gfx::Size(BPOfferView::kTextWidth, 9999),
                             gfx::LineBreakMode::WordWrap)
        .height;
}

} // namespace

BPOfferView::BPOfferView(BPPageServices services) : services_(std::move(services)) {}

void BPOfferView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    background_ = ui::ImageView::initWithImage(gfx::Image::imageNamed("BPOfferBackground.png"));
    background_->setFrame(bounds());
    addSubview(background_);
    scrollView_ = ui::View::create<ui::ScrollView>(bounds());
    scrollView_->setBackgroundColor(kClear);
    addSubview(scrollView_);

    titleLabel_ = makeLabel("Helvetica-Bold", 16, "Title");
    subtitleLabel_ = makeLabel("Helvetica", 12, "Sub Title");
    payoutLabel_ = makeLabel("Helvetica-Bold", 24, "Payout");
    payoutLabel_->setTextColor(BPCurrencyColor(services_.client));
    requirementsLabel_ = makeLabel("Helvetica-Oblique", 12, "Requirements");
    offerImage_ = ui::ImageView::initWithImage(gfx::Image::imageNamed("BPOfferPlaceholder.png"));
    for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{titleLabel_, subtitleLabel_, offerImage_,
                                                                             payoutLabel_, requirementsLabel_}) {
        scrollView_->addSubview(view);
    }
    completeButton_ = makeButton("Complete Offer", &BPOfferView::completeOffer);
    emailButton_ = makeButton("Email Offer Link", &BPOfferView::emailOffer);
    safariButton_ = makeButton("Open In Safari", &BPOfferView::openInSafari);
}

std::shared_ptr<ui::Button> BPOfferView::makeButton(const std::string& title, void (BPOfferView::*action)()) {
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setFrame(gfx::Rect(26, 0, 268, 43));
    button->setTitle(title, ui::ControlState::Normal);
    button->titleLabel()->setFont(gfx::Font::withName("Helvetica-Bold", 20));
    button->setTitleColor(gfx::Color(44 / 255.0, 78 / 255.0, 137 / 255.0, 1), ui::ControlState::Normal);
    auto stretch = [](const char* name) {
        auto image = gfx::Image::imageNamed(name);
        return image ? image->stretchableImageWithLeftCapWidth(12, 12) : nullptr;
    };
    button->setBackgroundImage(stretch("BPButtonNormal.png"), ui::ControlState::Normal);
    button->setBackgroundImage(stretch("BPButtonPressed.png"), ui::ControlState::Highlighted);
    button->addTarget(std::weak_ptr<BPOfferView>(self<BPOfferView>()), action, ui::ControlEvents::TouchUpInside);
    scrollView_->addSubview(button);
    return button;
}

void BPOfferView::setOffer(fnd::Value offer) {
    offer_ = std::move(offer);
    titleLabel_->setText(BPOfferText(offer_, "title"));
    subtitleLabel_->setText(BPOfferText(offer_, "body"));
    payoutLabel_->setText(BPOfferText(offer_, "currency") + " " + BPCurrencyName(services_.client) + "!");
    requirementsLabel_->setText(BPOfferText(offer_, "fineprint"));
    if (BPOfferHasImage(offer_)) {
        loadIcon(BPOfferText(offer_, "image_url"));
    }
    setNeedsLayout();
}

void BPOfferView::loadIcon(const std::string& url) {
    const auto& cache = services_.imageCache;
    if (gfx::ImagePtr cached = cache ? cache->getImage(url) : nullptr) {
        offerImage_->setImage(cached);
        return;
    }
    // The download serves the cache too, so it goes on after the page has closed.
    const auto& workers = services_.workers;
    std::weak_ptr<BPOfferView> page = self<BPOfferView>();
    BPDownloadIcon(url, cache, workers, BPPoolOwner(workers), [page](gfx::ImagePtr icon) {
        onMain(page, [icon = std::move(icon)](BPOfferView& view) { view.offerImage_->setImage(icon); });
    });
}

void BPOfferView::layoutSubviews() {
    ui::View::layoutSubviews();
    background_->setFrame(bounds());
    scrollView_->setFrame(bounds());
    const double titleHeight = fittedHeight(*titleLabel_);
    titleLabel_->setFrame(gfx::Rect(20, 10, kTextWidth, titleHeight));
    const double bodyTop = 10 + titleHeight + 15;
    const double bodyHeight = fittedHeight(*subtitleLabel_);
    subtitleLabel_->setFrame(gfx::Rect(20, bodyTop, kTextWidth, bodyHeight));
    const double iconTop = bodyTop + bodyHeight + 30;
    double y = iconTop + 110;
    if (BPOfferHasImage(offer_)) {
        offerImage_->setFrame(gfx::Rect(110, iconTop, 100, 100));
        scrollView_->addSubview(offerImage_);
    } else {
        offerImage_->removeFromSuperview();
        y -= kIconRoom;
    }
    payoutLabel_->setFrame(gfx::Rect(20, y, kTextWidth, 30));
    y += 30;
    const double finePrintHeight = fittedHeight(*requirementsLabel_);
    requirementsLabel_->setFrame(gfx::Rect(20, y, kTextWidth, finePrintHeight));
    y += finePrintHeight + 15;
    for (const auto& button : {completeButton_, emailButton_, safariButton_}) {
        button->setFrame(gfx::Rect(26, y, 268, 43));
        y += 50;
    }
    scrollView_->setContentSize(gfx::Size(bounds().width(), y));
}

void BPOfferView::completeOffer() {
    if (auto delegate = delegate_.lock()) {
        delegate->completeOffer(offer_);
    }
}

void BPOfferView::openInSafari() {
    const std::string url = BPOfferText(offer_, "url");
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: Opening URL: %s", url);
    ui::Application::shared().openURL(url);
}

void BPOfferView::emailOffer() {
    emailAlert_.reset();
    emailTextField_.reset();
    std::string remembered;
    if (auto client = services_.client.lock()) {
        remembered = fnd::UserDefaults::standard().stringForKey(Brightpoint::emailKey(client->key())).value_or("");
    }
    std::weak_ptr<BPOfferView> weak = self<BPOfferView>();
    emailAlert_ = ui::AlertView::initWithTitle(
        "Email Required", "Please enter an email address so we can send the link.\n\n\n", weak, "Cancel", {"Send"});
    emailTextField_ = ui::View::create<ui::TextField>(gfx::Rect(12, 100, 260, 25));
    emailTextField_->setBackgroundColor(gfx::Color(1, 1, 1, 1));
    emailTextField_->setPlaceholder("Enter Your Email");
    emailTextField_->setFont(gfx::Font::systemFontOfSize(20));
    emailTextField_->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
    emailTextField_->setKeyboardType(ui::KeyboardType::EmailAddress);
    emailTextField_->setKeyboardAppearance(ui::KeyboardAppearance::Alert);
    emailTextField_->setAutocorrectionType(ui::AutocorrectionType::No);
    emailTextField_->setAutocapitalizationType(ui::AutocapitalizationType::None);
    emailTextField_->setDelegate(weak);
    emailTextField_->setText(remembered);
    emailAlert_->setFrame(gfx::Rect(0, 0, 300, 260));
    emailAlert_->addSubview(emailTextField_);
    emailAlert_->show();
    emailAlert_->setTransform(gfx::AffineTransform::makeTranslation(0, 110));
    emailTextField_->becomeFirstResponder();
}

void BPOfferView::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
    if (&alert != emailAlert_.get() || buttonIndex != 1) {
        return;
    }
    if (auto client = services_.client.lock()) {
        client->sendOffer(offer_, emailTextField_ ? emailTextField_->text() : std::string());
    }
}

std::optional<bool> BPOfferView::textFieldShouldBeginEditing(ui::TextField&) {
    return true;
}

} // namespace zelvan::brightpoint
