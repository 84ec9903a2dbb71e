// GetOffersView: building the wall, its list and rows, the detail page and videos, and closing.
#include "offers/orvane/offers/get_offers_view.h"

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/kit/orv_generic_buttons.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "offers/orvane/kit/orv_video_player.h"
#include "offers/orvane/offers/offers_detail_view.h"
#include "offers/orvane/offers/orv_generic_cell_image_fetcher.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/url.h"

namespace zelvan::orvane {

namespace {

constexpr int kRowButtonTag = 31;

std::vector<std::shared_ptr<const ORVOfferReturnClass>> shared(const std::vector<ORVOfferReturnClass>& list) {
    std::vector<std::shared_ptr<const ORVOfferReturnClass>> out;
    out.reserve(list.size());
    for (const auto& offer : list) {
        out.push_back(std::make_shared<const ORVOfferReturnClass>(offer));
    }
    return out;
}

} // namespace

std::shared_ptr<GetOffersView> GetOffersView::initWithPublisherUserId(const std::string& publisherUserId,
                                                                      gfx::Rect frame) {
    auto view = ui::View::create<GetOffersView>(frame);
    view->publisherUserId_ = publisherUserId;
    view->offersViewMode_ = 0;
    return view;
}

std::shared_ptr<GetOffersView> GetOffersView::initWithFrame(gfx::Rect frame, const ORVAllVGStoreItemClass& item,
                                                            int tab) {
    auto view = ui::View::create<GetOffersView>(frame);
    view->offersViewMode_ = 1;
    view->item_ = item;
    view->startingTab_ = tab == VideosTab ? VideosTab : OffersTab;
    if (auto model = ORVModelController::sharedInstance()) {
        if (auto account = model->orvaneUserAccountObj()) {
            view->publisherUserId_ = account->pointsID;
        }
    }
    if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
        facade->setOffersItemName(item.Name);
    }
    view->removeObserver_ =
        fnd::NotificationCenter::defaultCenter().observe(kORVRemoveOffersView, view, &GetOffersView::removeSelfView);
    return view;
}

GetOffersView::~GetOffersView() {
    if (tableView_) {
        tableView_->setDataSource({});
        tableView_->setDelegate({});
    }
}

void GetOffersView::myLoadView() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    setBackgroundColor(gfx::Color::white());
    const double width = frame().size.width;
    const double height = frame().size.height;

    std::weak_ptr<GetOffersView> weak = self<GetOffersView>();
    headerView_ = ORVUINavigationBarView::initBasicWithTitle("Offers", 0);
    headerView_->setNavBarLeftBtnWithTitle("Close");
    headerView_->addLeftButtonTarget(weak, &GetOffersView::removeSelfView, ui::ControlEvents::TouchUpInside);
    addSubview(headerView_);

    tabStrip_ = ui::SegmentedControl::initWithItems({std::string("Offers"), std::string("Videos")});
    tabStrip_->setFrame(gfx::Rect(10, 44 + 4, width - 20, kTabStripHeight - 8));
    tabStrip_->setSegmentedControlStyle(ui::SegmentedControlStyle::Bar);
    tabStrip_->setTintColor(ORVUtil::getUserDefinedColor());
    addSubview(tabStrip_);

    const double top = 44 + kTabStripHeight;
    tableView_ = ui::View::create<ui::TableView>(gfx::Rect(0, top, width, height - top), ui::TableViewStyle::Plain);
    tableView_->setRowHeight(kRowHeight);
    auto me = self<GetOffersView>();
    tableView_->setDataSource(std::static_pointer_cast<ui::TableViewDataSource>(me));
    tableView_->setDelegate(std::static_pointer_cast<ui::TableViewDelegate>(me));
    addSubview(tableView_);

    tabStrip_->addTarget(
        weak,
        [weak](ui::Control& control, const ui::Event*) {
            if (auto wall = weak.lock()) {
                wall->selectTab(static_cast<ui::SegmentedControl&>(control).selectedSegmentIndex());
            }
        },
        ui::ControlEvents::ValueChanged);
    selectTab(startingTab_);

    auto facade = OrvaneConnect::sharedOrvaneConnect();
    ORVUtil::animateORVView(self<GetOffersView>(),
                            animationMode_.value_or(facade ? facade->transitionEffect() : ORVUtil::FadeIn),
                            OrvaneConnect::getTransitionDelay());

    auto model = ORVModelController::sharedInstance();
    if (model && model->getAllOffersArray() && model->getAllVideoArray()) {
        offers_ = shared(*model->getAllOffersArray());
        videos_ = shared(*model->getAllVideoArray());
        tableView_->reloadData();
    } else {
        requestOffers();
    }
}

void GetOffersView::selectTab(int tab) {
    selectedTab_ = tab == VideosTab ? VideosTab : OffersTab;
    if (tabStrip_ && tabStrip_->selectedSegmentIndex() != selectedTab_) {
        tabStrip_->setSelectedSegmentIndex(selectedTab_);
    }
    if (headerView_) {
        if (selectedTab_ == VideosTab) {
            headerView_->setNavBarRightBtnWithTitle("Play All");
            std::weak_ptr<GetOffersView> weak = self<GetOffersView>();
            headerView_->addRightButtonTarget(weak, &GetOffersView::playAllVideos, ui::ControlEvents::TouchUpInside);
            headerView_->setNavBarRightBtn(headerView_->navBarRightBtn());
        } else {
            headerView_->setNavBarRightBtn(nullptr);
        }
    }
    if (selectedTab_ == OffersTab) {
        if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
            facade->startSubBeaconWithName(kORVShowOffersTabBeacon, true);
        }
    }
    if (tableView_) {
        tableView_->reloadData();
    }
}

void GetOffersView::requestOffers() {
    if (requestInFlight_) {
        return;
    }
    requestInFlight_ = true;
    std::weak_ptr<GetOffersView> weak = self<GetOffersView>();
    requestOfferList(publisherUserId_, 0, kPageSize, [weak](std::optional<ORVOfferList> list) {
        auto wall = weak.lock();
        if (!wall) {
            return;
        }
        wall->requestInFlight_ = false;
        if (wall->closing_) {
            return;
        }
        if (!list) {
            // The rows shown stay; the user may ask again.
            auto alert =
                ui::AlertView::initWithTitle("", kFailureMessage, std::static_pointer_cast<ui::AlertViewDelegate>(wall),
                                             std::string("Cancel"), {"Retry"});
            alert->show();
            return;
        }
        wall->showList(*list);
    });
}

void GetOffersView::showList(const ORVOfferList& list) {
    if (auto model = ORVModelController::sharedInstance()) {
        model->setAllOffersArray(list.offers);
        model->setAllVideoArray(list.videos);
    }
    offers_ = shared(list.offers);
    videos_ = shared(list.videos);
    ORVLog::logWithLevel(4, "Offer wall: %d offers, %d videos", static_cast<int>(offers_.size()),
                         static_cast<int>(videos_.size()));
    if (tableView_) {
        tableView_->reloadData();
    }
}

void GetOffersView::alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int buttonIndex) {
    if (buttonIndex == 1) {
        requestOffers();
    }
}

int GetOffersView::tableViewNumberOfRowsInSection(ui::TableView& /*tableView*/, int /*section*/) {
    return static_cast<int>(rowsOfTab(selectedTab_).size());
}

std::shared_ptr<ui::TableViewCell> GetOffersView::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                                 const ui::IndexPath& indexPath) {
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) {
        cell = ui::TableViewCell::initWithStyle<ui::TableViewCell>(ui::TableViewCellStyle::Subtitle, kCellIdentifier);
    }
    cell->setFrame(gfx::Rect(0, 0, tableView.frame().size.width, kRowHeight));
    const auto& rows = rowsOfTab(selectedTab_);
    const int row = indexPath.row;
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        return cell;
    }
    const ORVOfferReturnClass& offer = *rows[row];
    cell->setIndentationLevel(0);
    cell->textLabel()->setText(offer.offerName);
    cell->textLabel()->setFont(gfx::Font::boldSystemFontOfSize(14));
    if (cell->detailTextLabel()) {
        cell->detailTextLabel()->setText(selectedTab_ == VideosTab ? "Watch the video"
                                                                   : "Earn " + offer.amount + " " + offer.currency);
    }
    // The row's payload: what the offer is, where it sits and whose app it installs.
    auto button = std::dynamic_pointer_cast<ORVGenericButtons>(cell->contentView()->viewWithTag(kRowButtonTag));
    if (!button) {
        button = ui::View::create<ORVGenericButtons>(gfx::Rect(256, 18, 56, 30));
        button->setTag(kRowButtonTag);
        button->setBackgroundImage(ORVUtil::primaryThemeColorGradientButtonImage(gfx::Size(56, 30)),
                                   ui::ControlState::Normal);
        button->titleLabel()->setFont(gfx::Font::boldSystemFontOfSize(12));
        cell->contentView()->addSubview(button);
    }
    button->setBtnTitle(selectedTab_ == VideosTab ? "Play" : "Get");
    button->removeTarget({}, ui::ControlEvents::TouchUpInside);
    std::weak_ptr<GetOffersView> weak = self<GetOffersView>();
    const int tab = selectedTab_;
    button->addTarget(
        weak,
        [weak, tab, row](ui::Control&, const ui::Event*) {
            if (auto wall = weak.lock()) {
                wall->rowTapped(tab, row);
            }
        },
        ui::ControlEvents::TouchUpInside);
    button->setCustomParams(fnd::Value::dictionary({
        {"OfferStatus", fnd::Value(tab == VideosTab ? "video" : "offer")},
        {"IndexPath", fnd::Value::array({fnd::Value(static_cast<int64_t>(indexPath.section)),
                                         fnd::Value(static_cast<int64_t>(row))})},
        {"AdvertiserAppID", fnd::Value(offer.advertiserAppId)},
    }));

    if (!offer.advertiserAppId.empty()) {
        const std::string url = appIconURL(offer.advertiserAppId);
        if (!url.empty()) {
            auto fetcher = ORVGenericCellImageFetcher::init();
            fetcher->loadStringURL(url, cell, 1);
        }
    } else if (auto old = cell->viewWithTag(ORVGenericCellImageFetcher::kIconTag); old && old != cell) {
        old->removeFromSuperview();
    }
    cell->setIndentationWidth(60);
    cell->setIndentationLevel(1);
    return cell;
}

void GetOffersView::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) {
    tableView.deselectRowAtIndexPath(indexPath, ui::Animated::No);
    rowTapped(selectedTab_, indexPath.row);
}

void GetOffersView::rowTapped(int tab, int row) {
    const auto& rows = rowsOfTab(tab);
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        return;
    }
    auto offer = rows[row];
    if (tab == VideosTab) {
        if (auto url = fnd::Url::parse(offer->videoURL)) {
            auto player = ORVVideoPlayer::init();
            player_ = player;
            player->playVideo(*url);
        } else {
            ORVLog::logWithLevel(3, "Offer wall: the video offer's URL is not valid");
        }
        return;
    }
    showDetail(offer);
}

std::shared_ptr<OffersDetailView> GetOffersView::showDetail(const std::shared_ptr<const ORVOfferReturnClass>& offer) {
    if (auto facade = OrvaneConnect::sharedOrvaneConnect()) {
        facade->startSubBeaconWithName(kORVShowOffersDetailBeacon, true);
    }
    auto page = ui::View::create<OffersDetailView>(gfx::Rect(0, 0, 320, 480));
    page->setOffersViewMode(offersViewMode_);
    page->fillView(offer);
    ORVUtil::animateORVView(page, ORVUtil::InFromRight, 0.5);
    addSubview(page);
    return page;
}

void GetOffersView::playAllVideos() {
    std::vector<std::string> urls;
    for (const auto& video : videos_) {
        urls.push_back(video->videoURL);
    }
    if (urls.empty()) {
        return;
    }
    auto player = ORVVideoPlayer::init();
    player_ = player;
    player->playMultipleVideos(std::move(urls));
}

void GetOffersView::removeSelfView() {
    if (closing_) {
        return;
    }
    closing_ = true;
    auto keep = self<GetOffersView>();
    removeObserver_ = fnd::ObserverToken();
    auto facade = OrvaneConnect::sharedOrvaneConnect();
    if (facade) {
        facade->endSubBeaconWithName(kORVShowOffersTabBeacon);
        if (offersViewMode_ == 1) {
            facade->setOffersItemName(std::nullopt);
        }
    }
    const int opening = animationMode_.value_or(facade ? facade->transitionEffect() : ORVUtil::FadeIn);
    const int closing = opening >= 0 && opening <= 4 ? opening + 5 : (opening == -1 ? -1 : ORVUtil::OutToTop);
    const double seconds = OrvaneConnect::getTransitionDelay();
    ORVUtil::animateORVView(keep, closing, seconds);
    removeFromSuperview();
    if (!isInternallyOpened_) {
        fnd::NotificationCenter::defaultCenter().postNotificationName(kORVShowBoxNotification);
    }
}

} // namespace zelvan::orvane
