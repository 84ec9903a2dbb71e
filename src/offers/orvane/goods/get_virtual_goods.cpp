// GetVirtualGoods: creation, the screen, the replies of the two lists, the retry alert, the tabs, "Get More"
// and closing.
#include "offers/orvane/goods/get_virtual_goods.h"

#include "core/main_thread.h"
#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orv_vg_store_names.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/sqlite_controller.h"
#include "offers/orvane/goods/all_virtual_goods_detail_view.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "offers/orvane/offers/get_offers_view.h"
#include "platform/foundation/format.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/application.h"
#include "platform/ui/image_view.h"
#include "platform/ui/screen.h"
#include "platform/ui/window.h"

namespace zelvan::orvane {

namespace {

constexpr double kBarHeight = ORVUINavigationBarView::kHeight;
constexpr double kHeadingHeight = 25;
constexpr double kSpinnerSide = 45;

std::optional<ORVUserAccount> account() {
    auto cache = ORVModelController::sharedInstance();
    return cache ? cache->orvaneUserAccountObj() : std::nullopt;
}

std::shared_ptr<ui::Label> plainLabel(gfx::Rect frame, const std::string& text, std::shared_ptr<gfx::Font> font) {
    auto label = ui::View::create<ui::Label>(frame);
    label->setText(text);
    label->setFont(std::move(font));
    label->setBackgroundColor(gfx::Color::clear());
    return label;
}

} // namespace

void GetVirtualGoods::initWithFrame(gfx::Rect frame) {
    ORVStoreView::initWithFrame(frame);
    const double width = frame.size.width;
    const double height = frame.size.height;
    genericIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::White);
    genericIndicator_->setFrame(
        gfx::Rect(width / 2 - kSpinnerSide / 2, height / 2 - kSpinnerSide / 2, kSpinnerSide, kSpinnerSide));
    addSubview(genericIndicator_);
    genericIndicator_->startAnimating();

    addObserversForAllVGStoreItems();
    addObserversForPurchasedVGStoreItems();
    addObserverForSuccessfullPurchasedItem();
    auto& center = fnd::NotificationCenter::defaultCenter();
    updateDownloadToken_ =
        center.observe(kORVUpdateDownload, self<GetVirtualGoods>(), &GetVirtualGoods::updateDownloadStatusArray);
    removeToken_ =
        center.observe(kORVRemoveVirtualGoodsView, self<GetVirtualGoods>(), &GetVirtualGoods::removeSelfView);

    shadow_ = ORVShadow::sharedInstance();
    if (auto service = ORVWebServiceInterface::sharedInstance()) {
        service->reloadStartForAllVGStoreItems();
        service->reloadStartForPurchasedVGStoreItems();
    }
    if (shadow_) {
        shadow_->getAllVGStoreItems();
        shadow_->getPurcahsedVGStoreItems();
    } else {
        ORVLog::logWithLevel(3, "GetVirtualGoods: no offer network client, so no list is asked for");
    }
    setBackgroundColor(gfx::Color(0.85, 0.85, 0.85, 1));
    cellBackgrounds_ = {
        ORVUtil::gradientCellBackgroundImage(1, 80, -5, 0), ORVUtil::gradientCellBackgroundImage(1, 103, -12, 0),
        ORVUtil::gradientCellBackgroundImage(1, 80, -65, -60), ORVUtil::gradientCellBackgroundImage(1, 103, -72, -60)};
}

GetVirtualGoods::~GetVirtualGoods() {
    for (const auto& table : {allTable_, purchasedTable_}) {
        if (table) {
            table->setDataSource({});
            table->setDelegate({});
        }
    }
}

void GetVirtualGoods::addObserversForAllVGStoreItems() {
    auto store = self<GetVirtualGoods>();
    auto& center = fnd::NotificationCenter::defaultCenter();
    allTokens_ = {
        center.observe(kORVAllVGStoreItemsReceived, store, &GetVirtualGoods::getAllVGStoreItemSelector),
        center.observe(kORVAllVGStoreItemsNetError, store, &GetVirtualGoods::getAllVGStoreItemSelectorInternetError),
        center.observe(kORVAllVGStoreItemsError, store, &GetVirtualGoods::getAllVGStoreItemSelectorInternetError)};
}

void GetVirtualGoods::addObserversForPurchasedVGStoreItems() {
    auto store = self<GetVirtualGoods>();
    auto& center = fnd::NotificationCenter::defaultCenter();
    purchasedTokens_ = {
        center.observe(kORVPurchasedVGStoreItemsReceived, store, &GetVirtualGoods::getPurchasedVGStoreItemSelector),
        center.observe(kORVPurchasedVGStoreItemsNetError, store,
                       &GetVirtualGoods::getPurchasedVGStoreItemSelectorInternetError),
        center.observe(kORVPurchasedVGStoreItemsError, store,
                       &GetVirtualGoods::getPurchasedVGStoreItemSelectorInternetError)};
}

void GetVirtualGoods::addObserverForSuccessfullPurchasedItem() {
    purchaseToken_ = fnd::NotificationCenter::defaultCenter().observe(
        kORVPurchaseSuccessBack, self<GetVirtualGoods>(), &GetVirtualGoods::purchasedItemSuccessfullyAction);
}

void GetVirtualGoods::myLoadView() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    const double width = frame().size.width;
    const double height = frame().size.height;
    const bool purchasedTab = tabIndex() == 1;
    const bool purchasedShown = tabIndex() == 1 || tabIndex() == 2;
    std::weak_ptr<GetVirtualGoods> weak = self<GetVirtualGoods>();

    headerView_ = ORVUINavigationBarView::initWithTitle(purchasedTab ? kPurchasedTitle : kAvailableTitle, 0);
    headerView_->setNavBarLeftBtnWithTitle(" Back ");
    headerView_->addLeftButtonTarget(weak, &GetVirtualGoods::backtoGameAction, ui::ControlEvents::TouchUpInside);
    addSubview(headerView_);

    auto strip = ui::View::create<ui::ImageView>(gfx::Rect(0, kBarHeight, width, kBarHeight));
    strip->setImage(ORVUtil::gradientButtonImage(1, 44, -45, 50));
    addSubview(strip);
    segmentControl_ = ui::SegmentedControl::initWithItems({std::string("Available Items"), std::string("My Items")});
    segmentControl_->setFrame(gfx::Rect(56, 52, 207, 30));
    segmentControl_->setSegmentedControlStyle(ui::SegmentedControlStyle::Bar);
    segmentControl_->setTintColor(ORVUtil::getUserDefinedColor());
    segmentControl_->addTarget(weak, &GetVirtualGoods::segmentControlBtnsAction, ui::ControlEvents::ValueChanged);
    addSubview(segmentControl_);

    const double headingTop = 2 * kBarHeight;
    auto heading = ui::View::create<ui::ImageView>(gfx::Rect(0, headingTop, width, kHeadingHeight));
    heading->setImage(ORVUtil::gradientCellBackgroundImage(1, static_cast<int>(kHeadingHeight), -30, -10));
    heading->addSubview(plainLabel(gfx::Rect(8, 0, 145, kHeadingHeight), "Item", gfx::Font::boldSystemFontOfSize(13)));
    costLabel_ = plainLabel(gfx::Rect(170, 0, 142, kHeadingHeight), "", gfx::Font::boldSystemFontOfSize(13));
    costLabel_->setTextAlignment(ui::TextAlignment::Right);
    heading->addSubview(costLabel_);
    for (const auto& label : {std::static_pointer_cast<ui::Label>(heading->subviews().front()), costLabel_}) {
        label->setTextColor(gfx::Color::white());
    }
    addSubview(heading);

    const double tableTop = headingTop + kHeadingHeight;
    const gfx::Rect tableFrame(0, tableTop, width, std::max(0.0, height - kBarHeight - tableTop));
    auto me = self<GetVirtualGoods>();
    allTable_ = ui::View::create<ui::TableView>(tableFrame, ui::TableViewStyle::Plain);
    allTable_->setRowHeight(kAvailableRowHeight);
    purchasedTable_ = ui::View::create<ui::TableView>(tableFrame, ui::TableViewStyle::Plain);
    purchasedTable_->setRowHeight(kPurchasedRowHeight);
    for (const auto& table : {allTable_, purchasedTable_}) {
        table->setDataSource(std::static_pointer_cast<ui::TableViewDataSource>(me));
        table->setDelegate(std::static_pointer_cast<ui::TableViewDelegate>(me));
        addSubview(table);
    }
    allTable_->setHidden(purchasedShown);
    purchasedTable_->setHidden(!purchasedShown);

    loadingImagePage_ = ui::View::create<ui::View>(gfx::Rect((width - 150) / 2, (height - 45) / 2, 150, 45));
    loadingImagePage_->setBackgroundColor(gfx::Color(0, 0, 0, 0.7));
    addSubview(loadingImagePage_);
    loadingImageLabel_ = plainLabel(gfx::Rect((width - 150) / 2 + 50, (height - 45) / 2, 100, 45), "Loading...",
                                    gfx::Font::boldSystemFontOfSize(14));
    loadingImageLabel_->setTextColor(gfx::Color::white());
    addSubview(loadingImageLabel_);
    genericIndicator_->setFrame(gfx::Rect((width - 150) / 2, (height - 45) / 2, kSpinnerSide, kSpinnerSide));
    bringSubviewToFront(genericIndicator_.get());
    dataAvailability_ = plainLabel(gfx::Rect(105, 240, 200, 20), kNoData, gfx::Font::boldSystemFontOfSize(14));
    dataAvailability_->setHidden(true);
    addSubview(dataAvailability_);

    lowerBar_ = ORVUINavigationBarView::initWithTitle("", static_cast<int>(height - kBarHeight));
    const auto user = account();
    lowerBar_->setNavBarRightBtnWithTitle(fnd::format("Get More %s", user ? user->currencyName : std::string()));
    lowerBar_->addRightButtonTarget(
        weak,
        [weak] {
            if (auto store = weak.lock()) {
                store->panelButtonAction();
            }
        },
        ui::ControlEvents::TouchUpInside);
    lowerBarCurrencyLabel_ = plainLabel(gfx::Rect(3, 0, 153, kBarHeight), "", gfx::Font::boldSystemFontOfSize(13));
    lowerBarCurrencyLabel_->setTextColor(gfx::Color::white());
    lowerBarCurrencyLabel_->setAdjustsFontSizeToFitWidth(true);
    lowerBar_->addSubview(lowerBarCurrencyLabel_);
    addSubview(lowerBar_);
    updateBalance();

    // The control sends no event for a set made in code: send the one the first tab's set stands for, which
    // isFirstTime swallows.
    isFirstTime_ = true;
    segmentControl_->setSelectedSegmentIndex(purchasedTab ? 1 : 0);
    segmentControl_->sendActionsForControlEvents(ui::ControlEvents::ValueChanged);
    showLoading(genericIndicator_->isAnimating());
}

void GetVirtualGoods::updateBalance() {
    const auto user = account();
    const std::string currency = user ? user->currencyName : std::string();
    const std::string balance = ORVUtil::formatString(user ? user->tapPoints : 0);
    if (lowerBar_) {
        lowerBar_->setNavBarRightBtnWithTitle(fnd::format("Get More %s", currency));
    }
    if (costLabel_) {
        costLabel_->setText(currency);
    }
    if (lowerBarCurrencyLabel_) {
        lowerBarCurrencyLabel_->setText(fnd::format("Your %s: %s", currency, balance));
    }
}

bool GetVirtualGoods::purchasedSelected() const {
    return segmentControl_ && segmentControl_->selectedSegmentIndex() == 1;
}

void GetVirtualGoods::showLoading(bool on) {
    if (loadingImagePage_) {
        loadingImagePage_->setHidden(!on);
        loadingImageLabel_->setHidden(!on);
    }
    if (on) {
        genericIndicator_->startAnimating();
        return;
    }
    genericIndicator_->stopAnimating();
    // The spinner may sit in the "Show more" row: it comes home for the next wait.
    if (genericIndicator_->superview().get() != this) {
        const double width = frame().size.width;
        const double height = frame().size.height;
        genericIndicator_->setFrame(gfx::Rect((width - 150) / 2, (height - 45) / 2, kSpinnerSide, kSpinnerSide));
        addSubview(genericIndicator_);
    }
}

void GetVirtualGoods::setNoDataShown(bool shown) {
    if (dataAvailability_) {
        dataAvailability_->setHidden(!shown);
        if (shown) {
            bringSubviewToFront(dataAvailability_.get());
        }
    }
}

void GetVirtualGoods::updateNoDataFor(bool purchased) {
    setNoDataShown(purchased ? (showLbl3_ && purchasedItems_.empty()) : (showLbl1_ && allItems_.empty()));
}

void GetVirtualGoods::getAllVGStoreItemSelector() {
    updateBalance();
    allVGStoreDataRecieved_ = 1;
    if (genericIndicator_->isAnimating() && !purchasedSelected()) {
        showLoading(false);
    }
    removeObserversForAllVGStoreItems();
    auto cache = ORVModelController::sharedInstance();
    if (cache && cache->getAllVGStoreItemsArray()) {
        for (const auto& item : cache->getAllVGStoreItemsArray()->ORVAllVGStoreItemClassObject) {
            allItems_.push_back(ORVLocalVGStoreItem::initWithObject(item));
        }
    }
    auto service = ORVWebServiceInterface::sharedInstance();
    isShowMore25ForAll_ = service && service->getMoreDataValueForAllItems() >= 1;
    showLbl1_ = allItems_.empty();
    if (allTable_) {
        allTable_->reloadData();
    }
}

void GetVirtualGoods::getPurchasedVGStoreItemSelector() {
    updateBalance();
    purchasedVGDataRecieved_ = 1;
    if (genericIndicator_->isAnimating() && purchasedSelected()) {
        showLoading(false);
    }
    removeObserversForPurchasedVGStoreItems();
    auto cache = ORVModelController::sharedInstance();
    if (cache && cache->getPurchasedVGStoreItemsArray()) {
        for (const auto& item : cache->getPurchasedVGStoreItemsArray()->ORVAllVGStoreItemClassObject) {
            purchasedItems_.push_back(ORVLocalVGStoreItem::initWithObject(item));
        }
    }
    auto service = ORVWebServiceInterface::sharedInstance();
    isShowMore25ForPurchased_ = service && service->getMoreDataValueForPurchasedItems() >= 1;
    std::vector<std::string> stored;
    if (auto local = SqliteController::sharedInstance()) {
        stored = local->getPurchasedItemsIDArray();
    }
    downloadStatus_.clear();
    for (const auto& item : purchasedItems_) {
        downloadStatus_.push_back(std::find(stored.begin(), stored.end(), item.VGStoreItemID) != stored.end() ? 1 : 0);
    }
    showLbl3_ = purchasedItems_.empty();
    if (purchasedTable_) {
        purchasedTable_->reloadData();
    }
}

void GetVirtualGoods::getAllVGStoreItemSelectorInternetError() {
    showLbl1_ = allItems_.empty();
    removeObserversForAllVGStoreItems();
    if (purchasedSelected()) {
        internetErrorForAllVGSTORE_ = true;
        return;
    }
    showRetryAlert();
}

void GetVirtualGoods::showRetryAlert() {
    if (closing_) {
        return;
    }
    if (!retryAlert_.expired()) {
        return; // one alert at a time
    }
    auto alert = ui::AlertView::initWithTitle("", kRetryMessage,
                                              std::static_pointer_cast<ui::AlertViewDelegate>(self<GetVirtualGoods>()),
                                              std::string("Cancel"), {"Retry"});
    alert->setTag(kRetryAlertTag);
    retryAlert_ = alert;
    alert->show();
    setNoDataShown(showLbl1_);
}

void GetVirtualGoods::getPurchasedVGStoreItemSelectorInternetError() {
    showLbl3_ = purchasedItems_.empty();
    purchasedVGDataRecieved_ = 1;
    removeObserversForPurchasedVGStoreItems();
    // The items stored on the device stand in for the list, with their downloaded thumbnails.
    std::vector<ORVLocalVGStoreItem> stored;
    if (auto local = SqliteController::sharedInstance()) {
        stored = local->getAllPurchasedItems();
    }
    ORVLog::logWithLevel(4, "GetVirtualGoods: bought list failed, showing the %d stored items",
                         static_cast<int>(stored.size()));
    for (auto& item : stored) {
        purchasedItems_.push_back(std::move(item));
        downloadStatus_.push_back(1); // stored means downloaded
    }
    isShowMore25ForPurchased_ = false;
    fetchImageLocally_ = true;
    if (genericIndicator_->isAnimating() && purchasedSelected()) {
        showLoading(false);
        updateNoDataFor(true);
    }
    if (purchasedTable_) {
        purchasedTable_->reloadData();
    }
}

void GetVirtualGoods::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
    if (alert.tag() != kRetryAlertTag) {
        return;
    }
    retryAlert_.reset();
    if (closing_) {
        return;
    }
    internetErrorForAllVGSTORE_ = false;
    if (buttonIndex == 1) {
        addObserversForAllVGStoreItems();
        if (shadow_) {
            shadow_->getAllVGStoreItems();
        }
        setNoDataShown(false);
        showLbl1_ = false;
        return;
    }
    showLoading(false);
    setNoDataShown(true);
    showLbl1_ = true;
    cancelButtonForAllVGStore_ = true;
}

void GetVirtualGoods::segmentControlBtnsAction() {
    if (isFirstTime_) {
        isFirstTime_ = false;
        return;
    }
    if (purchasedSelected()) {
        purchasedVGStoreItemsButtonAction();
    } else {
        allVGStoreItemsButtonAction();
    }
}

void GetVirtualGoods::allVGStoreItemsButtonAction() {
    if (!loaded_) {
        return;
    }
    updateNoDataFor(false);
    headerView_->navBarTitle()->setTitle(kAvailableTitle);
    purchasedTable_->setHidden(true);
    ORVUtil::animateORVView(allTable_, ORVUtil::FadeIn, 0.5);
    allTable_->setHidden(false);
    if (internetErrorForAllVGSTORE_ && !cancelButtonForAllVGStore_) {
        showRetryAlert();
        updateNoDataFor(false);
    }
    if (cancelButtonForAllVGStore_) {
        if (genericIndicator_->isAnimating()) {
            showLoading(false);
        }
        updateNoDataFor(false);
    } else if (allVGStoreDataRecieved_ == 0 && !genericIndicator_->isAnimating()) {
        showLoading(true);
        setNoDataShown(false);
    } else if (allVGStoreDataRecieved_ == 1) {
        showLoading(false);
        updateNoDataFor(false);
    }
}

void GetVirtualGoods::purchasedVGStoreItemsButtonAction() {
    if (!loaded_) {
        return;
    }
    updateNoDataFor(true);
    headerView_->navBarTitle()->setTitle(kPurchasedTitle);
    allTable_->setHidden(true);
    ORVUtil::animateORVView(purchasedTable_, ORVUtil::FadeIn, 0.5);
    purchasedTable_->setHidden(false);
    if (purchasedVGDataRecieved_ == 0 && !genericIndicator_->isAnimating()) {
        showLoading(true);
        setNoDataShown(false);
    } else if (purchasedVGDataRecieved_ == 1) {
        showLoading(false);
        updateNoDataFor(true);
    }
}

std::shared_ptr<GetOffersView> GetVirtualGoods::panelButtonAction() {
    const auto user = account();
    if (!user) {
        ORVLog::logWithLevel(3, "GetVirtualGoods: no account yet, so the offer wall opens without a currency id");
    }
    auto wall = GetOffersView::initWithPublisherUserId(user ? user->pointsID : std::string(), pageFrameInside(*this));
    wall->setAnimationMode(ORVUtil::OutToLeft);
    wall->setIsInternallyOpened(true);
    wall->myLoadView();
    ORVUtil::animateORVView(wall, ORVUtil::InFromRight, 0.5);
    addSubview(wall);
    return wall;
}

gfx::Rect GetVirtualGoods::pageFrameInside(const ui::View& holder) {
    // The item page and the purchase box sit at the store's origin, so the store's bounds fit them too.
    if (dynamic_cast<const GetVirtualGoods*>(&holder)) {
        return holder.bounds();
    }
    for (auto view = holder.superview(); view; view = view->superview()) {
        if (dynamic_cast<const GetVirtualGoods*>(view.get())) {
            return view->bounds();
        }
    }
    return ui::Screen::main().bounds();
}

void GetVirtualGoods::purchasedItemSuccessfullyAction() {
    // Only the store on screen reopens: one prepared but not shown, or closing, stays as it is.
    if (closing_ || !window()) {
        return;
    }
    // Through the facade when there is one, so that it hands out the fresh store from now on.
    std::shared_ptr<ORVStoreView> fresh;
    if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
        fresh = facade->GetVirtualGoodsWithTab(1);
    }
    if (!fresh) {
        fresh = ui::View::create<GetVirtualGoods>(ui::Screen::main().applicationFrame());
        fresh->setTabIndex(1);
        fresh->myLoadView();
    }
    auto windows = ui::Application::shared().windows();
    if (!windows.empty()) {
        windows.front()->addSubview(fresh);
    } else {
        ORVLog::logWithLevel(3, "GetVirtualGoods: no window for the store of bought items");
    }
    removeView();
}

void GetVirtualGoods::updateDownloadStatusArray() {
    if (lastIndexPressed_ >= 0 && lastIndexPressed_ < static_cast<int>(downloadStatus_.size())) {
        downloadStatus_[lastIndexPressed_] = 1;
    }
}

void GetVirtualGoods::backtoGameAction() {
    if (closing_) {
        return;
    }
    closing_ = true;
    auto facade = OrvaneConnect::sharedOrvaneConnect();
    const double delay = OrvaneConnect::getTransitionDelay();
    ORVUtil::animateORVView(self<GetVirtualGoods>(), facade ? facade->getreverseTransitionEffect() : ORVUtil::FadeOut,
                            delay);
    auto keep = self<GetVirtualGoods>();
    giveBackPerform_ = fnd::RunLoop::main().performAfter(delay, [keep] { keep->giveBackNotification(); });
}

void GetVirtualGoods::removeView() {
    closing_ = true;
    onMain(self<GetVirtualGoods>(), &GetVirtualGoods::giveBackNotification);
}

void GetVirtualGoods::removeSelfView() {
    if (closing_) {
        return;
    }
    closing_ = true;
    auto keep = self<GetVirtualGoods>();
    giveBackPerform_ = fnd::RunLoop::main().performAfter(1, [keep] { keep->giveBackNotification(); });
}

void GetVirtualGoods::giveBackNotification() {
    if (givenBack_) {
        return;
    }
    givenBack_ = true;
    closing_ = true;
    auto keep = self<GetVirtualGoods>();
    removeFromSuperview();
    fnd::NotificationCenter::defaultCenter().postNotificationName(kORVShowBoxNotification);
    removeObserversForAllVGStoreItems();
    removeObserversForPurchasedVGStoreItems();
    removeObserverForSuccessfullPurchasedItem();
    if (auto cache = ORVModelController::sharedInstance()) {
        cache->releaseCacheAllVGStoreArray();
        cache->releaseCachePurchasedVGStoreArray();
        cache->releaseCacheAllVideoArray();
    }
    if (auto downloads = shadow_ ? shadow_->vgController() : nullptr) {
        downloads->removeDownloadErrorObjects();
    }
    // An unanswered retry alert would answer a store that is gone.
    if (auto alert = retryAlert_.lock()) {
        alert->dismissWithClickedButtonIndex(0, ui::Animated::No);
    }
    onMain([keep] { keep->releaseMe(); });
}

void GetVirtualGoods::releaseMe() {
    if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
        facade->upDateCurrent_PreviousVGController();
    }
}

} // namespace zelvan::orvane
