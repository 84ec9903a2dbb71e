// The in-app currency store: inventory, prices, buttons, purchases and the server's receipt check.
#include "offers/brightpoint/bp_in_app_view_controller.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "offers/brightpoint/bp_in_app_replies.h"
#include "offers/brightpoint/bp_log.h"
#include "offers/brightpoint/brightpoint.h"
#include "offers/brightpoint/brightpoint_context.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/format.h"
#include "platform/foundation/number_formatter.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/url_request.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/ui/application.h"
#include "platform/ui/basic_animation.h"
#include "platform/ui/layer.h"

namespace zelvan::brightpoint {

namespace {

constexpr double kReceiptTimeout = 5.0;
constexpr int kErrorPaymentCancelled = 2;

const gfx::Color kClear(0, 0, 0, 0);

} // namespace

BPInAppViewController::BPInAppViewController(BPPageServices services) : services_(std::move(services)) {}

BPInAppViewController::~BPInAppViewController() {
    // The page's requests stop with it (they hold it weakly).
    if (productsRequest_) {
        productsRequest_->cancel();
    }
    // The queue holds its observers weakly and drops this one now that it has gone. The checks this page
    // held go back, so the next page to observe the queue checks those transactions.
    if (latestTransaction_) {
        releaseCheck(*latestTransaction_);
    }
    for (const auto& waiting : waitingChecks_) {
        releaseCheck(*waiting);
    }
}

std::shared_ptr<BPInAppViewController> BPInAppViewController::self() {
    return selfAs<BPInAppViewController>();
}

void BPInAppViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    gfx::Rect frame = view()->bounds();
    frame.size.height -= 93;
    scrollView_ = ui::View::create<ui::ScrollView>(frame);
    scrollView_->setContentSize(gfx::Size(320, 480));
    if (auto pattern = gfx::Image::imageNamed("BPInAppBackground.png")) {
        scrollView_->setBackgroundColor(gfx::Color::pattern(pattern));
    }
    backgroundImage_ = ui::View::create<ui::ImageView>(gfx::Rect());
    scrollView_->addSubview(backgroundImage_);
    view()->addSubview(scrollView_);

    loadingView_ = ui::View::create<ui::View>(frame);
    loadingView_->setBackgroundColor(gfx::Color(0, 0, 0, 1));
    loadingView_->setAlpha(0.5);
    loadingIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    loadingIndicator_->setHidesWhenStopped(true);
    loadingIndicator_->setCenter(gfx::Point(frame.midX(), frame.midY()));
    loadingIndicator_->setAutoresizingMask(
        ui::AutoresizingMask::FlexibleLeftMargin | ui::AutoresizingMask::FlexibleRightMargin |
        ui::AutoresizingMask::FlexibleTopMargin | ui::AutoresizingMask::FlexibleBottomMargin);
    loadingLabel_ = ui::View::create<ui::Label>(gfx::Rect(0, frame.height() / 2, frame.width(), 50));
    loadingLabel_->setBackgroundColor(kClear);
    loadingLabel_->setTextColor(gfx::Color(1, 1, 1, 1));
    loadingLabel_->setText("Loading...");
    loadingLabel_->setFont(gfx::Font::withName("Verdana-Bold", 14));
    loadingLabel_->setTextAlignment(ui::TextAlignment::Center);
    loadInventory();
}

void BPInAppViewController::viewWillAppear(ui::Animated animated) {
    ui::ViewController::viewWillAppear(animated);
    if (!buttons_.empty()) {
        startObserving();
    }
}

void BPInAppViewController::viewDidDisappear(ui::Animated animated) {
    ui::ViewController::viewDidDisappear(animated);
    stopObserving();
}

void BPInAppViewController::startObserving() {
    if (!observing_) {
        observing_ = true;
        device::PaymentQueue::defaultQueue().addTransactionObserver(self());
    }
}

void BPInAppViewController::stopObserving() {
    if (observing_) {
        observing_ = false;
        device::PaymentQueue::defaultQueue().removeTransactionObserver(self());
    }
}

bool BPInAppViewController::claimCheck(const device::PaymentTransaction& transaction) const {
    auto shared = services_.context.lock();
    return !shared || shared->claimTransactionCheck(transaction.transactionIdentifier());
}

void BPInAppViewController::releaseCheck(const device::PaymentTransaction& transaction) const {
    if (auto shared = services_.context.lock()) {
        shared->releaseTransactionCheck(transaction.transactionIdentifier());
    }
}

void BPInAppViewController::showLoading(const std::string& text) {
    loadingLabel_->setText(text);
    auto fade = ui::Transition::animation();
    fade->setType(ui::TransitionType::Fade);
    fade->setDuration(0.5);
    view()->layer()->addAnimation(fade, "BPLoadingFade");
    view()->addSubview(loadingView_);
    view()->addSubview(loadingIndicator_);
    view()->addSubview(loadingLabel_);
    loadingIndicator_->startAnimating();
}

void BPInAppViewController::hideLoading() {
    auto fade = ui::Transition::animation();
    fade->setType(ui::TransitionType::Fade);
    fade->setDuration(0.5);
    view()->layer()->addAnimation(fade, "BPLoadingFade");
    loadingIndicator_->stopAnimating();
    loadingIndicator_->removeFromSuperview();
    loadingView_->removeFromSuperview();
    loadingLabel_->removeFromSuperview();
}

bool BPInAppViewController::isLoadingShown() const {
    return loadingView_ && loadingView_->superview() != nullptr;
}

void BPInAppViewController::loadInventory() {
    showLoading("Loading inventory...");
    auto client = services_.client.lock();
    const std::string url = client ? client->configuration().inAppURL.value_or("") : "";
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: GET request: %s", url);
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: the inventory address is not usable: \"%s\"", url);
        inventoryFinished(fnd::UrlError::make(fnd::UrlError::BadUrl, url));
        return;
    }
    send(fnd::UrlRequest(*parsed), {}, "inventory", &BPInAppViewController::inventoryFinished);
}

void BPInAppViewController::send(fnd::UrlRequest request, fnd::FetchOptions options, const char* what,
                                 void (BPInAppViewController::*finished)(const fnd::Result<fnd::Bytes>&)) {
    ui::Application::shared().setNetworkActivityIndicatorVisible(true);
    fnd::fetch(std::move(request), std::move(options), self(),
               [this, what, finished](fnd::Result<fnd::FetchReply> reply) {
                   ui::Application::shared().setNetworkActivityIndicatorVisible(false);
                   if (!reply) {
                       ZLOG_TO(kBrightpointLog, Info, "Brightpoint: the %s request failed: %s", what,
                               reply.error().localizedDescription());
                       (this->*finished)(std::move(reply).error());
                       return;
                   }
                   (this->*finished)(std::move(reply->body));
               });
}

void BPInAppViewController::inventoryFinished(const fnd::Result<fnd::Bytes>& reply) {
    if (!reply) {
        hideLoading();
        displayNoInventoryError();
        return;
    }
    products_ = BPInventoryProductIds(*reply);
    std::set<std::string> ids(products_.begin(), products_.end());
    if (!device::PaymentQueue::canMakePayments()) {
        hideLoading();
        showCannotPayAlert();
        return;
    }
    showLoading("Loading prices from iTunes...");
    productsRequest_ = device::ProductsRequest::create(std::move(ids));
    productsRequest_->setDelegate(self());
    productsRequest_->start();
}

void BPInAppViewController::productsRequestDidReceiveResponse(device::ProductsRequest&,
                                                              const device::ProductsResponse& response) {
    productsRequest_.reset();
    hideLoading();
    for (const auto& id : response.invalidProductIdentifiers) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: Invalid iTunes product ID: %s", id);
    }
    if (response.products.empty()) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: No Valid Products!");
        displayNoInventoryError();
        return;
    }
    for (const auto& product : response.products) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: Valid iTunes product ID: %s", product.productIdentifier);
        idenitfiersToProducts_[product.productIdentifier] = product;
    }
    storeKitProducts_.clear();
    for (const auto& id : products_) {
        if (auto it = idenitfiersToProducts_.find(id); it != idenitfiersToProducts_.end()) {
            storeKitProducts_.push_back(it->second);
        }
    }
    if (storeKitProducts_.empty()) {
        displayNoInventoryError();
        return;
    }
    createButtons();
    // Only now: unfinished transactions of an earlier run come to the page once it can show them.
    startObserving();
}

void BPInAppViewController::requestDidFailWithError(device::ProductsRequest&, const fnd::Error& error) {
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: the store could not give the prices: %s",
            error.localizedDescription());
    productsRequest_.reset();
    hideLoading();
    displayNoInventoryError();
}

void BPInAppViewController::createButtons() {
    double y = 20;
    std::weak_ptr<BPInAppViewController> weak = self();
    for (size_t i = 0; i < storeKitProducts_.size(); ++i) {
        const device::Product& product = storeKitProducts_[i];
        const std::string price =
            fnd::NumberFormatter::currency(product.price, product.priceLocale).value_or(product.price.stringValue());
        auto button = ui::View::create<ui::Button>(gfx::Rect(20, y, 280, 50));
        button->setTitle(fnd::format("Get %s for %s", product.localizedTitle, price), ui::ControlState::Normal);
        button->titleLabel()->setFont(gfx::Font::withName("Helvetica-Bold", 16));
        button->setTitleColor(gfx::Color(44 / 255.0, 78 / 255.0, 137 / 255.0, 1), ui::ControlState::Normal);
        button->setTitleColor(gfx::Color(1, 1, 1, 1), ui::ControlState::Highlighted);
        if (auto normal = gfx::Image::imageNamed("BPInAppButtonNormal.png")) {
            button->setBackgroundImage(normal->stretchableImageWithLeftCapWidth(12, 12), ui::ControlState::Normal);
        }
        if (auto pressed = gfx::Image::imageNamed("BPInAppButtonPressed.png")) {
            button->setBackgroundImage(pressed->stretchableImageWithLeftCapWidth(12, 12),
                                       ui::ControlState::Highlighted);
        }
        button->setTag(static_cast<int64_t>(i));
        button->addTarget(weak, &BPInAppViewController::purchaseProduct, ui::ControlEvents::TouchUpInside);
        scrollView_->addSubview(button);
        buttons_.push_back(button);
        y += 70;
    }
    auto client = services_.client.lock();
    bottomLabel_ = ui::View::create<ui::Label>(gfx::Rect(20, y, 280, 0));
    bottomLabel_->setText(client ? client->configuration().inAppFooter.value_or("") : "");
    bottomLabel_->setFont(gfx::Font::withName("Helvetica-Oblique", 12));
    bottomLabel_->setTextAlignment(ui::TextAlignment::Center);
    bottomLabel_->setNumberOfLines(0);
    bottomLabel_->setBackgroundColor(kClear);
    const double labelHeight = bottomLabel_->sizeThatFits(gfx::Size(280, 9999)).height;
    bottomLabel_->setFrame(gfx::Rect(20, y, 280, labelHeight));
    scrollView_->addSubview(bottomLabel_);
    double height = std::floor(y + labelHeight + 20);
    if (height < scrollView_->frame().height()) {
        height = scrollView_->frame().height() + 2;
    }
    scrollView_->setContentSize(gfx::Size(320, height));
}

void BPInAppViewController::displayNoInventoryError() {
    bottomLabel_ = ui::View::create<ui::Label>(gfx::Rect(20, 20, 280, 20));
    bottomLabel_->setText(std::string(kBPNoInventoryMessage));
    bottomLabel_->setFont(gfx::Font::withName("Helvetica-Oblique", 12));
    bottomLabel_->setTextAlignment(ui::TextAlignment::Center);
    bottomLabel_->setNumberOfLines(0);
    bottomLabel_->setBackgroundColor(kClear);
    scrollView_->addSubview(bottomLabel_);
}

void BPInAppViewController::purchaseProduct(ui::Control& sender) {
    const auto tag = sender.tag();
    if (tag < 0 || static_cast<size_t>(tag) >= storeKitProducts_.size()) {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: no pack behind button %lld", static_cast<long long>(tag));
        return;
    }
    showLoading("Connecting to iTunes...");
    const device::Product& product = storeKitProducts_[static_cast<size_t>(tag)];
    selectedTitle_ = product.localizedTitle;
    if (device::PaymentQueue::canMakePayments()) {
        device::PaymentQueue::defaultQueue().addPayment(device::Payment{product.productIdentifier});
    } else {
        hideLoading();
        showCannotPayAlert();
    }
}

void BPInAppViewController::paymentQueueUpdatedTransactions(
    device::PaymentQueue&, const std::vector<std::shared_ptr<device::PaymentTransaction>>& list) {
    for (const auto& transaction : list) {
        switch (transaction->transactionState()) {
        case device::TransactionState::Purchased:
            completeTransaction(transaction);
            break;
        case device::TransactionState::Failed:
            failedTransaction(transaction);
            break;
        case device::TransactionState::Restored:
            restoreTransaction(transaction);
            break;
        case device::TransactionState::Purchasing:
            break;
        }
    }
}

void BPInAppViewController::paymentQueueRemovedTransactions(
    device::PaymentQueue&, const std::vector<std::shared_ptr<device::PaymentTransaction>>&) {
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: paymentQueue:removedTransaction");
}

void BPInAppViewController::completeTransaction(const std::shared_ptr<device::PaymentTransaction>& transaction) {
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: In App Purchase Successful, now verifying...");
    checkTransaction(transaction);
}

void BPInAppViewController::restoreTransaction(const std::shared_ptr<device::PaymentTransaction>& transaction) {
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: Restoring In App Purchase...");
    checkTransaction(transaction);
}

void BPInAppViewController::checkTransaction(const std::shared_ptr<device::PaymentTransaction>& transaction) {
    const bool known = transaction == latestTransaction_ ||
                       std::find(waitingChecks_.begin(), waitingChecks_.end(), transaction) != waitingChecks_.end();
    if (known) {
        return;
    }
    if (!claimCheck(*transaction)) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: transaction %s is being checked by another store page",
                transaction->transactionIdentifier());
        return;
    }
    if (latestTransaction_) {
        // One check at a time: this one waits with its own transaction until the one under way ends.
        waitingChecks_.push_back(transaction);
        return;
    }
    hideLoading();
    verifyReceipt(transaction);
}

void BPInAppViewController::checkNext() {
    if (latestTransaction_) {
        releaseCheck(*latestTransaction_);
    }
    latestTransaction_.reset();
    retryAlert_.reset();
    if (!waitingChecks_.empty()) {
        auto next = waitingChecks_.front();
        waitingChecks_.pop_front();
        verifyReceipt(next);
    }
}

void BPInAppViewController::failedTransaction(const std::shared_ptr<device::PaymentTransaction>& transaction) {
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: In App Purchase failed");
    hideLoading();
    const auto error = transaction->error();
    const int code = error ? static_cast<int>(error->code()) : 0;
    if (code != kErrorPaymentCancelled) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: In App Purchase Transaction Failed (%d), Product ID: %s", code,
                transaction->payment().productIdentifier);
        ui::AlertView::initWithTitle("In App Purchase Error",
                                     "There was an error purchasing this item please try again.", self(), "OK")
            ->show();
    }
    device::PaymentQueue::defaultQueue().finishTransaction(transaction);
}

void BPInAppViewController::verifyReceipt(const std::shared_ptr<device::PaymentTransaction>& transaction) {
    showLoading("Verifying purchase...");
    latestTransaction_ = transaction;
    const std::string& productId = transaction->payment().productIdentifier;
    if (auto it = idenitfiersToProducts_.find(productId); it != idenitfiersToProducts_.end()) {
        selectedTitle_ = it->second.localizedTitle;
    } else {
        selectedTitle_ = productId;
    }
    const fnd::Bytes receiptBytes = transaction->transactionReceipt();
    const std::string receipt(receiptBytes.begin(), receiptBytes.end());
    auto client = services_.client.lock();
    const std::string url = client ? client->configuration().inAppVerifyURL.value_or("") : "";
    auto encodedId = Brightpoint::urlEncode(productId);
    auto encodedReceipt = Brightpoint::urlEncode(receipt);
    auto parsed = fnd::Url::parse(url);
    if (!parsed || !encodedId || !encodedReceipt) {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: the receipt of %s cannot be sent to \"%s\"", productId, url);
        verifyFinished(fnd::UrlError::make(fnd::UrlError::BadUrl, url));
        return;
    }
    const std::string body = "product_id=" + *encodedId + "&receipt=" + *encodedReceipt;
    fnd::UrlRequest request(*parsed, fnd::UrlRequestCachePolicy::UseProtocolCachePolicy, kReceiptTimeout);
    request.setHttpMethod("POST");
    request.setHttpBody(fnd::Bytes(body.begin(), body.end()));
    request.setValue("application/x-www-form-urlencoded", "Content-Type");
    fnd::FetchOptions options;
    options.timeout = kReceiptTimeout;
    send(std::move(request), std::move(options), "receipt", &BPInAppViewController::verifyFinished);
}

void BPInAppViewController::verifyFinished(const fnd::Result<fnd::Bytes>& reply) {
    hideLoading();
    auto transaction = latestTransaction_;
    if (!transaction) {
        return;
    }
    // A check without a reply is undecided, like an unreadable one: the transaction stays.
    const BPReceiptDecision decision = reply ? BPDecideReceipt(*reply) : BPReceiptDecision{};
    switch (decision.kind) {
    case BPReceiptDecision::Kind::Valid:
        validReceipt(transaction);
        if (auto client = services_.client.lock()) {
            client->didReceiveCurrency(decision.amount);
        }
        checkNext();
        break;
    case BPReceiptDecision::Kind::Invalid:
        invalidReceipt(transaction);
        checkNext();
        break;
    case BPReceiptDecision::Kind::Undecided:
        retryValidation(transaction);
        break;
    }
}

void BPInAppViewController::validReceipt(const std::shared_ptr<device::PaymentTransaction>& transaction) {
    showAlert("Payment Successful", fnd::format("You have bought %s", selectedTitle_));
    device::PaymentQueue::defaultQueue().finishTransaction(transaction);
}

void BPInAppViewController::invalidReceipt(const std::shared_ptr<device::PaymentTransaction>& transaction) {
    showAlert("Verification Failed",
              "We couldn't verify with iTunes that your purchase was valid. Please contact support.");
    device::PaymentQueue::defaultQueue().finishTransaction(transaction);
}

void BPInAppViewController::retryValidation(const std::shared_ptr<device::PaymentTransaction>&) {
    retryAlert_ = ui::AlertView::initWithTitle("Purchase Failed", "We couldn't verify the purchase. Please try again.",
                                               self(), "Cancel", {"Try Again"});
    retryAlert_->show();
}

void BPInAppViewController::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
    if (!retryAlert_ || &alert != retryAlert_.get() || !latestTransaction_) {
        return;
    }
    if (buttonIndex == 1) {
        retryAlert_.reset();
        verifyReceipt(latestTransaction_);
        return;
    }
    // Cancelled: the transaction stays unfinished in the queue and is checked again when a store page
    // next registers; the checks waiting behind it go on.
    checkNext();
}

void BPInAppViewController::showCannotPayAlert() {
    showAlert("Error", std::string(kBPCannotPayMessage));
}

void BPInAppViewController::showAlert(const std::string& title, const std::string& message) {
    ui::AlertView::initWithTitle(title, message, std::weak_ptr<ui::AlertViewDelegate>(), "OK")->show();
}

} // namespace zelvan::brightpoint
