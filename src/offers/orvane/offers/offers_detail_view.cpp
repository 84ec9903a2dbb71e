// OffersDetailView: the page's layout, the embedded web page with its load watch and failure alert, the
// offer mail and the closing steps.
#include "offers/orvane/offers/offers_detail_view.h"

#include "core/main_thread.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_screens.h"
#include "offers/orvane/client/orv_settings.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/kit/orv_generic_buttons.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "offers/orvane/kit/panel_label.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/url_error.h"
#include "platform/ui/application.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/image_view.h"
#include "platform/ui/window.h"

namespace zelvan::orvane {

namespace {

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    size_t at = 0;
    while ((at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

std::string blanksEscaped(const std::string& text) {
    return replaceAll(text, " ", "%20");
}

int amountOf(const std::string& text) {
    const int64_t value = ORVUtil::getStrLongValue(text);
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The errors that mean the page cannot be reached now, which Retry may mend.
bool offersRetry(const fnd::Error& error) {
    if (error.domain() != fnd::kUrlErrorDomain) {
        return false;
    }
    switch (error.code()) {
    case fnd::UrlError::NotConnectedToInternet:
    case fnd::UrlError::TimedOut:
    case fnd::UrlError::CannotFindHost:
    case fnd::UrlError::CannotConnectToHost:
    case fnd::UrlError::NetworkConnectionLost:
        return true;
    default:
        return false;
    }
}

} // namespace

void OffersDetailView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    setBackgroundColor(gfx::Color::white());
    detailTextColor_ = 255;
    lastRequest_.reset();
}

OffersDetailView::~OffersDetailView() {
    stopLoadWatch();
    if (myWebView_) {
        myWebView_->setDelegate({});
    }
    removingSubviews();
}

gfx::Color OffersDetailView::detailColor() const {
    const uint32_t c = detailTextColor_;
    return gfx::Color(((c >> 24) & 0xff) / 255.0, ((c >> 16) & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0,
                      (c & 0xff) / 255.0);
}

std::shared_ptr<PanelLabel> OffersDetailView::addTextRow(const std::string& text,
                                                         const std::shared_ptr<gfx::Font>& font,
                                                         const gfx::Color& color, int& n, bool title) {
    const double y = title ? n + 3 - 39 : n - 39;
    auto label = PanelLabel::initAutoFitLabelWithWrappedText(text, 300, font, 10, y, 0);
    label->setBackgroundColor(gfx::Color::clear());
    label->setNumberOfLines(0);
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setTextColor(color);
    double r = 0;
    double h = 0;
    if (title) {
        label->updateLabelSize();
        h = label->getHeight();
        r = static_cast<int>(40 + h);
    } else {
        h = label->getHeight();
        r = static_cast<int>(n + label->getHeightWithoutMargin());
    }
    // Every text row takes at least 80 points.
    if (h < 80) {
        const gfx::Rect f = label->frame();
        label->setFrame(gfx::Rect(f.origin.x, f.origin.y, 300, 80));
        n = static_cast<int>(r + 80 - h);
    } else {
        n = static_cast<int>(r);
    }
    content_->addSubview(label);
    return label;
}

std::shared_ptr<ORVGenericButtons> OffersDetailView::addButton(const std::string& title, gfx::Rect frame,
                                                               double fontSize, void (OffersDetailView::*action)()) {
    auto button = ui::View::create<ORVGenericButtons>(frame);
    button->setBackgroundImage(ORVUtil::primaryThemeColorGradientButtonImage(gfx::Size(frame.size.width, 40)),
                               ui::ControlState::Normal);
    button->setTitle(title, ui::ControlState::Normal);
    button->titleLabel()->setFont(gfx::Font::boldSystemFontOfSize(fontSize));
    std::weak_ptr<OffersDetailView> weak = self<OffersDetailView>();
    button->addTarget(weak, action, ui::ControlEvents::TouchUpInside);
    content_->addSubview(button);
    return button;
}

std::string OffersDetailView::earnLine() const {
    if (!offersData_) {
        return "";
    }
    auto facade = OrvaneConnect::sharedOrvaneConnect();
    if (facade && facade->getOffersItemName()) {
        return "Earn your " + *facade->getOffersItemName() + " " + offersData_->timeDelay;
    }
    const std::string amount = offersViewMode_ == 1 ? std::string() : offersData_->amount;
    return "Earn your " + amount + " " + offersData_->currency + " " + offersData_->timeDelay;
}

void OffersDetailView::fillView(std::shared_ptr<const ORVOfferReturnClass> offer) {
    offersData_ = std::move(offer);
    if (!offersData_) {
        ORVLog::logWithLevel(3, "offers detail view: no offer to show");
        return;
    }
    const ORVOfferReturnClass& o = *offersData_;

    auto background = ui::View::create<ui::ImageView>(gfx::Rect(0, 44, 320, 434));
    background->setImage(ORVSettings::getOfferDetailBg());
    background->setUserInteractionEnabled(true);
    addSubview(background);

    headerView_ = ORVUINavigationBarView::initWithTitle("Detail", 0);
    headerView_->setNavBarLeftBtnWithTitle(" Back ");
    std::weak_ptr<OffersDetailView> weak = self<OffersDetailView>();
    headerView_->addLeftButtonTarget(weak, &OffersDetailView::backtoGameAction, ui::ControlEvents::TouchUpInside);
    addSubview(headerView_);

    contentScrollView_ = ui::View::create<ui::ScrollView>(gfx::Rect(0, 44, 320, 434));
    contentScrollView_->setBackgroundColor(gfx::Color::clear());
    contentScrollView_->setBounces(false);
    content_ = ui::View::create<ui::View>(gfx::Rect(0, 0, 320, 434));
    content_->setBackgroundColor(gfx::Color::clear());
    contentScrollView_->addSubview(content_);
    addSubview(contentScrollView_);

    webPageView_ = ui::View::create<ui::View>(gfx::Rect(0, 0, 320, 480));
    URLheaderView_ = ORVUINavigationBarView::initWithTitle("Detail", 0);
    webPageView_->addSubview(URLheaderView_);
    progressIndicatorForWeb_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::White);
    const gfx::Size spinner = progressIndicatorForWeb_->frame().size;
    progressIndicatorForWeb_->setFrame(gfx::Rect(300, (44 - spinner.height) / 2, spinner.width, spinner.height));
    blackBackGroundView_ = ui::View::create<ui::View>(gfx::Rect(0, 0, 320, 480));
    blackBackGroundView_->setBackgroundColor(gfx::Color::black());
    transparentView_ = ui::View::create<ui::View>(gfx::Rect(0, 0, 320, 480));
    transparentView_->setBackgroundColor(gfx::Color::clear());

    int n = 40;
    rows_.title = addTextRow(o.offerName, gfx::Font::boldSystemFontOfSize(16), gfx::Color::black(), n, true);
    rows_.description = addTextRow(ORVUtil::removeUnRequiredHTMLTags(o.description), gfx::Font::systemFontOfSize(13),
                                   gfx::Color::black(), n, false);

    // The reward: amount and currency side by side, the pair centred.
    const double rewardY = n - 39;
    auto rewardLabel = [&](const std::string& text, gfx::Rect frame) {
        auto label = ui::View::create<PanelLabel>(frame);
        label->setText(text);
        label->setFont(gfx::Font::boldSystemFontOfSize(18));
        label->setTextAlignment(ui::TextAlignment::Center);
        label->setBackgroundColor(gfx::Color::clear());
        label->setTextColor(detailColor());
        label->updateLabelWidth();
        return label;
    };
    rows_.amount = rewardLabel(ORVUtil::formatString(amountOf(o.amount)), gfx::Rect(40, rewardY, 80, 20));
    rows_.currency = rewardLabel(o.currency, gfx::Rect(rows_.amount->getWidth() + 40, rewardY, 150, 20));
    n += 20;
    const double amountWidth = rows_.amount->getWidth();
    const int start = static_cast<int>((320 - (amountWidth + rows_.currency->getWidth())) / 2);
    rows_.amount->setFrame(gfx::Rect(start, rewardY, amountWidth, rows_.amount->frame().size.height));
    rows_.currency->setFrame(gfx::Rect(static_cast<int>(start + amountWidth), rewardY, rows_.currency->getWidth(),
                                       rows_.currency->frame().size.height));
    auto facade = OrvaneConnect::sharedOrvaneConnect();
    const bool itemName = facade && facade->getOffersItemName();
    if (!itemName && offersViewMode_ != 1) {
        content_->addSubview(rows_.amount);
    }
    content_->addSubview(rows_.currency);

    rows_.instructions = addTextRow(ORVUtil::removeUnRequiredHTMLTags(o.instructions), gfx::Font::systemFontOfSize(11),
                                    detailColor(), n, false);
    rows_.earn = addTextRow(earnLine(), gfx::Font::systemFontOfSize(11), detailColor(), n, false);

    n -= 5;
    rows_.complete =
        addButton("Complete Offer", gfx::Rect(23, n - 39, 278, 40), 15, &OffersDetailView::forCompleteButtonAction);
    n += 45;
    rows_.safari =
        addButton("Open in Safari", gfx::Rect(23, n - 39, 135, 40), 13, &OffersDetailView::forSafariButtonAction);
    rows_.email = addButton("Email Link", gfx::Rect(166, n - 39, 135, 40), 13, &OffersDetailView::forEmailButtonAction);
    n += 5;
    contentScrollView_->setContentSize(gfx::Size(320, n));
}

bool OffersDetailView::isWatchingLoad() const {
    std::lock_guard lock(timerLock_);
    return checkWebViewProgress_ != nullptr;
}

void OffersDetailView::stopLoadWatch() {
    std::lock_guard lock(timerLock_);
    if (checkWebViewProgress_) {
        checkWebViewProgress_->invalidate();
        checkWebViewProgress_.reset();
    }
}

void OffersDetailView::endBeacon(const char* name) {
    if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
        facade->endSubBeaconWithName(name);
    }
}

void OffersDetailView::forCompleteButtonAction() {
    if (!offersData_ || !webPageView_) {
        return;
    }
    urlName_ = offersData_->offerName;
    if (myWebView_) {
        myWebView_->setDelegate({});
        myWebView_->removeFromSuperview();
    }
    myWebView_ = ui::View::create<ui::WebView>(gfx::Rect(0, 44, 320, 440));
    myWebView_->setDelegate(std::static_pointer_cast<ui::WebViewDelegate>(self<OffersDetailView>()));
    myWebView_->setScalesPageToFit(true);
    myWebView_->setBackgroundColor(gfx::Color::clear());
    webPageView_->setFrame(gfx::Rect(0, 0, 320, 480));

    std::weak_ptr<OffersDetailView> weak = self<OffersDetailView>();
    {
        std::lock_guard lock(timerLock_);
        stopLoadWatch();
        checkWebViewProgress_ = fnd::Timer::scheduled(kLoadWatchInterval, fnd::Repeats::Yes, [weak](fnd::Timer& timer) {
            if (auto page = weak.lock()) {
                page->checkActivityIndicator();
            } else {
                timer.invalidate();
            }
        });
    }

    addSubview(transparentView_);
    addingMyWebView();

    if (!lastRequest_) {
        if (auto url = fnd::Url::parse(offersData_->actionURL)) {
            myWebView_->loadRequest(fnd::UrlRequest(*url));
        } else {
            ORVLog::logWithLevel(3, "offers detail view: the offer's action URL is not valid");
        }
        gfx::Rect f = blackBackGroundView_->frame();
        f.origin.x = 320;
        blackBackGroundView_->setFrame(f);
        ui::View::beginAnimations("");
        ui::View::setAnimationDuration(kSlideInSeconds);
        f.origin.x = 0;
        blackBackGroundView_->setFrame(f);
        ui::View::commitAnimations();
    } else {
        myWebView_->loadRequest(fnd::UrlRequest(*lastRequest_));
        lastRequest_.reset();
        gfx::Rect f = blackBackGroundView_->frame();
        f.origin.x = 0;
        blackBackGroundView_->setFrame(f);
    }
    blackBackGroundView_->addSubview(webPageView_);
    addSubview(blackBackGroundView_);
    webPageView_->setTag(kWebPageTag);
    onMain(weak, &OffersDetailView::addingProgressIndicator);
}

void OffersDetailView::addingMyWebView() {
    URLheaderView_->navBarTitle()->setTitle(urlName_);
    URLheaderView_->setNavBarLeftBtnWithTitle(" Back ");
    std::weak_ptr<OffersDetailView> weak = self<OffersDetailView>();
    URLheaderView_->addLeftButtonTarget(weak, &OffersDetailView::backAction, ui::ControlEvents::TouchUpInside);
    URLheaderView_->setNavBarRightBtn(ui::BarButtonItem::initWithCustomView(progressIndicatorForWeb_));
    animateRightToMid();
}

void OffersDetailView::animateRightToMid() {
    if (myWebView_) {
        webPageView_->addSubview(myWebView_);
    }
}

void OffersDetailView::addingProgressIndicator() {
    if (progressIndicatorForWeb_) {
        progressIndicatorForWeb_->startAnimating();
    }
}

void OffersDetailView::checkActivityIndicator() {
    if (progressIndicatorForWeb_ && progressIndicatorForWeb_->isAnimating()) {
        return;
    }
    {
        std::lock_guard lock(timerLock_);
        if (!checkWebViewProgress_) {
            return;
        }
        stopLoadWatch();
    }
    if (!offersData_) {
        return;
    }
    if (auto shadow = ORVShadow::sharedInstance()) {
        shadow->SubmitOfferClick(offersData_->cacheOfferId, offersData_->PublisherUserRecordID);
    }
}

void OffersDetailView::closeWebPage() {
    if (myWebView_) {
        myWebView_->setDelegate({});
        myWebView_->stopLoading();
        myWebView_->removeFromSuperview();
        myWebView_.reset();
    }
    if (webPageView_) {
        webPageView_->removeFromSuperview();
    }
    if (blackBackGroundView_) {
        blackBackGroundView_->removeFromSuperview();
    }
    if (progressIndicatorForWeb_) {
        progressIndicatorForWeb_->stopAnimating();
    }
    if (transparentView_) {
        transparentView_->removeFromSuperview();
    }
}

void OffersDetailView::backAction() {
    auto keep = self<OffersDetailView>();
    closeWebPage();
    animateMidToLeft();
}

void OffersDetailView::animateMidToLeft() {
    if (webPageView_) {
        webPageView_->setTag(0);
    }
    if (offersViewMode_ == 1) {
        auto facade = OrvaneConnect::sharedOrvaneConnect();
        fnd::NotificationCenter::defaultCenter().postNotificationName(kORVRemoveVirtualGoodsView);
        if (facade) {
            auto store = facade->GetVirtualGoodsWithTab(1);
            auto windows = ui::Application::shared().windows();
            if (store && !windows.empty()) {
                windows.front()->addSubview(store);
            }
        }
        std::weak_ptr<OffersDetailView> weak = self<OffersDetailView>();
        fnd::RunLoop::main().performAfter(kStoreReturnDelay, [weak] {
            if (auto page = weak.lock()) {
                page->removeOffersView();
            }
        });
    } else if (webPageView_) {
        ORVUtil::animateORVView(webPageView_, ORVUtil::OutToLeft, 0.5);
        webPageView_->removeFromSuperview();
    }
}

void OffersDetailView::removeOffersView() {
    fnd::NotificationCenter::defaultCenter().postNotificationName(kORVRemoveOffersView);
}

void OffersDetailView::forSafariButtonAction() {
    endBeacon(kORVShowOffersDetailBeacon);
    endBeacon(kORVShowOffersTabBeacon);
    if (offersData_) {
        ui::Application::shared().openURL(offersData_->actionURL);
    }
}

std::string OffersDetailView::mailURL() const {
    if (!offersData_) {
        return "";
    }
    const ORVOfferReturnClass& o = *offersData_;
    const std::string earn = blanksEscaped(earnLine());
    const std::string name = ORVUtil::escapeUnrequiredChracterForEmailBody(blanksEscaped(o.offerName));
    const std::string instructions = blanksEscaped(ORVUtil::removeUnRequiredHTMLTags(o.instructions));
    const std::string link = blanksEscaped(o.emailURL);
    const std::string anchor =
        replaceAll(replaceAll("<a href='URLString'>myURL</a>", "URLString", link), "myURL", link);
    std::string body = earn + "__" + name + "__" + anchor + "__" + instructions + "__" + earn;
    body = ORVUtil::escapeUnrequiredChracterForEmailBody(replaceAll(body, "__", "%0A"));
    return "mailto:?subject=" + name + "&body=" + body;
}

void OffersDetailView::forEmailButtonAction() {
    endBeacon(kORVShowOffersDetailBeacon);
    endBeacon(kORVShowOffersTabBeacon);
    ui::Application::shared().openURL(mailURL());
}

void OffersDetailView::backtoGameAction() {
    if (myWebView_) {
        myWebView_->setDelegate({});
        myWebView_->stopLoading();
        myWebView_->removeFromSuperview();
        myWebView_.reset();
    }
    stopLoadWatch();
    endBeacon(kORVShowOffersDetailBeacon);
    ORVUtil::animateORVView(self<OffersDetailView>(), ORVUtil::OutToLeft, kCloseSeconds);
    std::weak_ptr<OffersDetailView> weak = self<OffersDetailView>();
    fnd::RunLoop::main().performAfter(kCloseSeconds, [weak] {
        if (auto page = weak.lock()) {
            page->removeView();
        }
    });
}

void OffersDetailView::removeView() {
    removeFromSuperview();
}

void OffersDetailView::removingSubviews() {
    headerView_.reset();
    URLheaderView_.reset();
    blackBackGroundView_.reset();
    transparentView_.reset();
    progressIndicatorForWeb_.reset();
}

void OffersDetailView::webViewDidStartLoad(ui::WebView& /*webView*/) {
    if (myWebView_ && progressIndicatorForWeb_) {
        progressIndicatorForWeb_->startAnimating();
    }
}

void OffersDetailView::webViewDidFinishLoad(ui::WebView& /*webView*/) {
    if (myWebView_ && progressIndicatorForWeb_) {
        progressIndicatorForWeb_->stopAnimating();
    }
}

void OffersDetailView::webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) {
    if (!myWebView_ || !offersRetry(error)) {
        return;
    }
    ORVLog::logWithLevel(4, "offers detail view:Failed with Error");
    if (webView.request()) {
        lastRequest_ = webView.request()->url();
    }
    auto alert = ui::AlertView::initWithTitle("", kFailureMessage,
                                              std::static_pointer_cast<ui::AlertViewDelegate>(self<OffersDetailView>()),
                                              std::string("Cancel"), {"Retry"});
    alert->show();
    if (progressIndicatorForWeb_) {
        progressIndicatorForWeb_->stopAnimating();
    }
    if (transparentView_) {
        transparentView_->removeFromSuperview();
    }
}

void OffersDetailView::alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int buttonIndex) {
    auto keep = self<OffersDetailView>();
    if (buttonIndex == 1) {
        // Retry opens the page again here; the step back to the store belongs to leaving it.
        if (offersData_) {
            lastRequest_ = fnd::Url::parse(offersData_->actionURL);
        }
        closeWebPage();
        forCompleteButtonAction();
    } else if (buttonIndex == 0) {
        if (progressIndicatorForWeb_) {
            progressIndicatorForWeb_->stopAnimating();
        }
        backAction();
    }
}

} // namespace zelvan::orvane
