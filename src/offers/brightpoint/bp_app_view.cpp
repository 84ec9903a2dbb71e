// The app page: its layout, its picture loads and the referral link to the store.
#include "offers/brightpoint/bp_app_view.h"

#include <algorithm>

#include "core/main_thread.h"
#include "offers/brightpoint/bp_app_images.h"
#include "offers/brightpoint/bp_app_record.h"
#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_log.h"
#include "offers/brightpoint/bp_offer_support.h"
#include "offers/brightpoint/bp_worker_fetch.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/url_request.h"
#include "platform/graphics/font.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"

namespace zelvan::brightpoint {

namespace {

const gfx::Color kClear(0, 0, 0, 0);
constexpr int kReflectionHeight = 15;
constexpr double kGap = 10;

std::shared_ptr<ui::Label> makeLabel(gfx::Rect frame, const char* font, double size, const std::string& text) {
    auto label = ui::View::create<ui::Label>(frame);
    label->setFont(gfx::Font::withName(font, size));
    label->setBackgroundColor(kClear);
    label->setText(text);
    return label;
}

std::shared_ptr<ui::ImageView> makeImageView(gfx::Rect frame, const char* image) {
    auto view = ui::View::create<ui::ImageView>(frame);
    view->setImage(gfx::Image::imageNamed(image));
    return view;
}

} // namespace

std::weak_ptr<BPAppView> BPAppView::weakSelf() {
    return std::static_pointer_cast<BPAppView>(shared_from_this());
}

BPAppView::BPAppView(BPPageServices services) : services_(std::move(services)) {}

void BPAppView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    scrollView_ = ui::View::create<ui::ScrollView>(gfx::Rect(0, 0, 320, 480));
    scrollView_->setContentSize(gfx::Size(320, 480));
    addSubview(scrollView_);
    scrollView_->addSubview(makeImageView(gfx::Rect(0, 0, 320, 480), "BPAppBackground.png"));

    appImage_ = makeImageView(gfx::Rect(10, 10, 57, 57), "BPAppPlaceholder.png");
    scrollView_->addSubview(appImage_);
    appImageReflection_ = ui::View::create<ui::ImageView>(gfx::Rect(10, 67, 57, kReflectionHeight));
    appImageReflection_->setImage(reflectedImage(appImage_.get(), kReflectionHeight));
    scrollView_->addSubview(appImageReflection_);
    titleLabel_ = makeLabel(gfx::Rect(75, 8, 215, 37), "Helvetica-Bold", 18, "Title");
    scrollView_->addSubview(titleLabel_);
    subtitleLabel_ = makeLabel(gfx::Rect(75, 38, 150, 21), "Helvetica-Bold", 12, "Sub Title");
    scrollView_->addSubview(subtitleLabel_);

    auto price = gfx::Image::imageNamed("BPPriceButton.png");
    priceButton_ = ui::View::create<ui::Button>(
        gfx::Rect(239, 49, price ? price->size().width : 71, price ? price->size().height : 26));
    priceButton_->setBackgroundImage(price, ui::ControlState::Normal);
    priceButton_->titleLabel()->setFont(gfx::Font::withName("Helvetica", 15));
    priceButton_->addTarget(weakSelf(), &BPAppView::openApp, ui::ControlEvents::TouchUpInside);
    scrollView_->addSubview(priceButton_);

    payoutLabel_ = makeLabel(gfx::Rect(10, 90, 300, 24), "Helvetica-Bold", 20, "Payout");
    payoutLabel_->setTextAlignment(ui::TextAlignment::Center);
    scrollView_->addSubview(payoutLabel_);
    bodyLabel_ = makeLabel(gfx::Rect(10, 124, 300, 15), "Helvetica", 12, "");
    bodyLabel_->setNumberOfLines(0);
    scrollView_->addSubview(bodyLabel_);
    requirementsLabel_ = makeLabel(gfx::Rect(10, 149, 300, 15), "Helvetica-Oblique", 12, "Requirements");
    requirementsLabel_->setNumberOfLines(0);
    scrollView_->addSubview(requirementsLabel_);

    completeButton_ = ui::View::create<ui::Button>(gfx::Rect(20, 174, 280, 44));
    completeButton_->setTitle("Open in iTunes", ui::ControlState::Normal);
    completeButton_->titleLabel()->setFont(gfx::Font::boldSystemFontOfSize(20));
    if (auto normal = gfx::Image::imageNamed("BPButtonNormal.png")) {
        completeButton_->setBackgroundImage(normal->stretchableImageWithLeftCapWidth(12, 12), ui::ControlState::Normal);
    }
    if (auto pressed = gfx::Image::imageNamed("BPButtonPressed.png")) {
        completeButton_->setBackgroundImage(pressed->stretchableImageWithLeftCapWidth(12, 12),
                                            ui::ControlState::Highlighted);
    }
    completeButton_->addTarget(weakSelf(), &BPAppView::openApp, ui::ControlEvents::TouchUpInside);
    scrollView_->addSubview(completeButton_);

    screenshotImage_ = makeImageView(gfx::Rect(20, 228, 280, 460), "BPScreenshotPlaceholder.png");
    scrollView_->addSubview(screenshotImage_);

    loadingView_ = ui::View::create<ui::View>(bounds());
    loadingView_->setBackgroundColor(gfx::Color(0, 0, 0, 0.5));
    loadingIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    loadingIndicator_->setHidesWhenStopped(true);
    loadingIndicator_->setCenter(gfx::Point(bounds().width() / 2, bounds().height() / 2));
    loadingView_->addSubview(loadingIndicator_);
}

void BPAppView::setApp(const fnd::Value& app) {
    app_ = app;
    const std::string currencyName = BPCurrencyName(services_.client);
    titleLabel_->setText(BPOfferText(app, "title"));
    subtitleLabel_->setText(BPPayoutSubtitle(app, currencyName));
    bodyLabel_->setText(BPOfferText(app, "body"));
    payoutLabel_->setText(BPPayoutLine(app, currencyName));
    payoutLabel_->setTextColor(BPCurrencyColor(services_.client));
    requirementsLabel_->setText(BPOfferText(app, "fineprint"));
    priceButton_->setTitle(BPOfferText(app, "price"), ui::ControlState::Normal);

    loadPicture(BPOfferText(app, "screenshot_url"), false, [](BPAppView& page, gfx::ImagePtr screenshot) {
        page.screenshotImage_->setImage(std::move(screenshot));
    });
    loadPicture(BPOfferText(app, "image_url"), true,
                [](BPAppView& page, gfx::ImagePtr icon) { page.showIcon(std::move(icon)); });
    layoutLabels();
}

void BPAppView::layoutLabels() {
    double y = 90;
    for (const auto& label : {payoutLabel_, bodyLabel_, requirementsLabel_}) {
        const double height = label->sizeThatFits(gfx::Size(300, 9999)).height;
        label->setFrame(gfx::Rect(10, y, 300, height));
        y += height + kGap;
    }
    completeButton_->setFrame(gfx::Rect(20, y, 280, 44));
    y += 44 + kGap;
    screenshotImage_->setFrame(gfx::Rect(20, y, 280, 460));
    scrollView_->setContentSize(gfx::Size(320, y + 460 + 20));
}

void BPAppView::loadPicture(const std::string& url, bool round, void (*show)(BPAppView&, gfx::ImagePtr)) {
    if (url.empty()) {
        return;
    }
    const auto& cache = services_.imageCache;
    if (gfx::ImagePtr cached = cache ? cache->getImage(url) : nullptr) {
        show(*this, std::move(cached));
        return;
    }
    // The load serves the cache too, so it goes on after the page has closed.
    const auto& workers = services_.workers;
    BPLoadAppPicture(url, round, cache, workers, BPPoolOwner(workers),
                     [page = weakSelf(), show](gfx::ImagePtr picture) {
                         onMain(page, [picture = std::move(picture), show](BPAppView& self) { show(self, picture); });
                     });
}

void BPAppView::showIcon(gfx::ImagePtr icon) {
    appImage_->setImage(std::move(icon));
    appImageReflection_->setImage(reflectedImage(appImage_.get(), kReflectionHeight));
}

gfx::ImagePtr BPAppView::reflectedImage(ui::View* fromImage, int height) {
    return BPReflectedImage(fromImage, height);
}

void BPAppView::openApp() {
    loadingView_->setFrame(bounds());
    loadingIndicator_->setCenter(gfx::Point(bounds().width() / 2, bounds().height() / 2));
    addSubview(loadingView_);
    loadingIndicator_->startAnimating();
    openReferralURL(BPOfferText(app_, "url"));
}

void BPAppView::openReferralURL(const std::string& url) {
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: Opening referral URL %s", url);
    if (referral_) {
        referral_->cancel();
    }
    storeURL_.clear();
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        referral_.reset();
        referralFailed(fnd::UrlError::make(fnd::UrlError::BadUrl, url));
        return;
    }
    referral_ = std::make_shared<fnd::UrlCancelToken>();
    fnd::FetchOptions options;
    options.cancel = referral_;
    options.redirects = fnd::RedirectPolicy::ask([](const fnd::UrlRequest& next, const fnd::UrlResponse&) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: Redirecting to %s", next.url().absoluteString());
        return std::optional<fnd::UrlRequest>(next);
    });
    fnd::resolveFinalAddress(fnd::UrlRequest(*parsed), std::move(options), weakSelf(),
                             [this, token = referral_](fnd::Result<fnd::Url> address) {
                                 if (token != referral_) {
                                     return; // a later open took over
                                 }
                                 referral_.reset();
                                 if (!address) {
                                     referralFailed(address.error());
                                     return;
                                 }
                                 storeURL_ = address->absoluteString();
                                 referralFinished();
                             });
}

void BPAppView::referralFinished() {
    // The cover goes too, so the page is usable when the user comes back from the store.
    loadingIndicator_->stopAnimating();
    loadingView_->removeFromSuperview();
    ui::Application::shared().openURL(storeURL_);
}

void BPAppView::referralFailed(const fnd::Error& error) {
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: Error loading url: %s", error.localizedDescription());
    loadingIndicator_->stopAnimating();
    loadingView_->removeFromSuperview();
    ui::AlertView::initWithTitle("Error", std::string(kBPOpenAppFailedMessage), std::weak_ptr<ui::AlertViewDelegate>(),
                                 "OK")
        ->show();
}

} // namespace zelvan::brightpoint
