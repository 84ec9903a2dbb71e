// The Offers tab against the dev server's offer lists on 127.0.0.1: paging and its failures, the sub-tab
// strip, the rows' two kinds with their highlight colours, and the delayed, cancellable icon downloads.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_loading_table_view_cell.h"
#include "offers/brightpoint/bp_navigation_controller.h"
#include "offers/brightpoint/bp_offer_data_source.h"
#include "offers/brightpoint/bp_offer_support.h"
#include "offers/brightpoint/bp_offer_table_view_cell.h"
#include "offers/brightpoint/bp_offer_table_view_controller.h"
#include "offers/brightpoint/bp_offer_view_controller.h"
#include "offers/brightpoint/bp_payment_controller.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/thread.h"
#include "platform/graphics/font.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/application.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/testing/table_driver.h"
#include "tests/offers/brightpoint/bp_wall_fixture.h"

namespace zelvan::brightpoint {
namespace {

const gfx::Color kOrange(1.0, 128 / 255.0, 0, 1);
const gfx::Color kWhite(1, 1, 1, 1);
const gfx::Color kBlack(0, 0, 0, 1);

fnd::Value offer(const std::string& title, const std::string& currency, const std::string& imageURL = "") {
    auto table = std::make_shared<fnd::Dictionary>();
    table->setObject(fnd::Value(title), "title");
    table->setObject(fnd::Value("Reach level 5."), "body");
    table->setObject(fnd::Value(currency), "currency");
    if (!imageURL.empty()) {
        table->setObject(fnd::Value(imageURL), "image_url");
    }
    return fnd::Value(table);
}

class BPOfferListTest : public BPWallFixture {
protected:
    // The Offers tab inside the wall's navigation, shown in the window.
    std::shared_ptr<BPOfferTableViewController> open() {
        auto vc = std::make_shared<BPOfferTableViewController>(pageServices());
        nav_ = BPNavigationController::navigationControllerWithInstantiatedController(vc);
        window_->setRootViewController(nav_);
        window_->layoutIfNeeded();
        return vc;
    }

    static void settle(const std::shared_ptr<BPOfferTableViewController>& vc) {
        ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !vc->dataSource()->isLoading(); }, 20));
        vc->tableView()->layoutIfNeeded();
    }

    // Scrolls row `row` into view and taps it.
    static bool tapRow(const std::shared_ptr<BPOfferTableViewController>& vc, int row) {
        auto path = fnd::IndexPath::indexPathForRow(row, 0);
        vc->tableView()->scrollToRowAtIndexPath(path, ui::TableViewScrollPosition::Bottom, ui::Animated::No);
        vc->tableView()->layoutIfNeeded();
        return ui::testing::TableDriver::select(*vc->tableView(), path);
    }

    static std::shared_ptr<BPLoadingTableViewCell> loadingRow(const std::shared_ptr<BPOfferTableViewController>& vc) {
        const int rows = vc->tableView()->numberOfRowsInSection(0);
        return std::dynamic_pointer_cast<BPLoadingTableViewCell>(
            vc->tableView()->cellForRowAtIndexPath(fnd::IndexPath::indexPathForRow(rows - 1, 0)));
    }

    std::shared_ptr<BPNavigationController> nav_;
};

TEST_F(BPOfferListTest, PagesAppendInOrderAndAnEmptyPageKeepsTheRows) {
    configure({"Featured"}, {tabURL("0")});
    auto vc = open();
    settle(vc);
    EXPECT_EQ(vc->tableView()->numberOfRowsInSection(0), 11);
    ASSERT_TRUE(tapRow(vc, 10));
    settle(vc);
    ASSERT_EQ(vc->tableView()->numberOfRowsInSection(0), 21);
    EXPECT_EQ(vc->tableView()->rectForRowAtIndexPath(fnd::IndexPath::indexPathForRow(19, 0)).height(), 100);
    EXPECT_EQ(vc->tableView()->rectForRowAtIndexPath(fnd::IndexPath::indexPathForRow(20, 0)).height(), 60);
    EXPECT_EQ(BPOfferText(vc->dataSource()->results()[10], "title"), "Offer 10: play and win");

    ASSERT_TRUE(tapRow(vc, 20)); // page 2 is empty
    settle(vc);
    EXPECT_EQ(vc->tableView()->numberOfRowsInSection(0), 21);
    EXPECT_EQ(vc->dataSource()->currentPage(), 3u);
    auto row = loadingRow(vc);
    ASSERT_TRUE(row);
    EXPECT_FALSE(row->loading());
    EXPECT_EQ(row->statusTitle()->text(), "Load More...");
    // The tap runs the main loop until idle: the page is held on the server until the spinning row is seen.
    record_->holdOfferPages();
    ASSERT_TRUE(tapRow(vc, 20));
    EXPECT_TRUE(loadingRow(vc)->loading());
    record_->releaseOfferPages();
    settle(vc);
    EXPECT_EQ(pagesAsked("0"), (std::vector<std::string>{"0", "1", "2", "3"}));
}

TEST_F(BPOfferListTest, AFailedFirstPageSpinsUntilTheUserSwitchesAwayAndBack) {
    configure({"Featured", "Broken"}, {tabURL("0"), tabURL("fail")});
    auto vc = open();
    settle(vc);
    vc->tabButtons()[1]->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(vc->selectedIndex(), 1);
    settle(vc);
    EXPECT_TRUE(vc->dataSource()->errorLoading());
    EXPECT_EQ(vc->dataSource()->currentPage(), 0u);
    ASSERT_EQ(vc->tableView()->numberOfRowsInSection(0), 1);
    EXPECT_TRUE(loadingRow(vc)->loading());
    EXPECT_EQ(vc->tableView()->rectForRowAtIndexPath(fnd::IndexPath::indexPathForRow(0, 0)).height(),
              vc->tableView()->frame().height() - 40);
    tapRow(vc, 0);
    EXPECT_FALSE(vc->dataSource()->isLoading());

    vc->tabButtons()[0]->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(vc->tableView()->numberOfRowsInSection(0), 11); // kept, not asked again
    vc->tabButtons()[1]->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    settle(vc);
    EXPECT_EQ(pagesAsked("0"), std::vector<std::string>{"0"});
    EXPECT_EQ(pagesAsked("fail"), (std::vector<std::string>{"0", "0"}));
}

// Records what a data source delivers and on which thread.
class RecordingDelegate : public BPDataSourceDelegate {
public:
    void didFinishLoadingFromDataSource(BPDataSource&) override { calls.push_back(fnd::isMainThread() ? "ok" : "!"); }
    void offersFailedLoadingFromDataSource(BPDataSource&) override {
        calls.push_back(fnd::isMainThread() ? "failed" : "!");
    }
    std::vector<std::string> calls;
};

TEST_F(BPOfferListTest, PagesReachTheDelegateOnMainOnlyWhileBothStillExist) {
    auto delegate = std::make_shared<RecordingDelegate>();
    auto load = [&](const std::string& tab) {
        auto source = std::make_shared<BPOfferDataSource>(tabURL(tab), pageServices());
        source->setDelegate(delegate);
        source->loadNextPage();
        source->loadNextPage(); // one load at a time
        EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !source->isLoading(); }, 20));
        return source;
    };
    EXPECT_TRUE(load("object")->results().empty());
    auto mixed = load("mixed");
    ASSERT_EQ(mixed->results().size(), 1u);
    EXPECT_TRUE(mixed->results()[0].isDictionary());
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"failed", "ok"}));
    EXPECT_EQ(pagesAsked("object").size() + pagesAsked("mixed").size(), 2u);

    // A page that comes back after its delegate, or its data source, has gone is dropped.
    auto orphan = std::make_shared<BPOfferDataSource>(tabURL("0"), pageServices());
    orphan->setDelegate(delegate);
    orphan->loadNextPage();
    auto gone = std::make_shared<BPOfferDataSource>(tabURL("1"), pageServices());
    gone->setDelegate(delegate);
    gone->loadNextPage();
    gone.reset();
    delegate->calls.clear();
    std::weak_ptr<RecordingDelegate> watch = delegate;
    delegate.reset();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !orphan->isLoading() && !pagesAsked("1").empty(); }, 20));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(watch.lock());
    EXPECT_EQ(orphan->results().size(), 10u);
    EXPECT_EQ(pagesAsked("1"), std::vector<std::string>{"0"});
}

TEST_F(BPOfferListTest, SubTabsKeepTheirPagesTellTitlesApartAndShowTheirOverlays) {
    configure({"Same", "Same"}, {tabURL("0"), tabURL("1")});
    auto vc = open();
    settle(vc);
    vc->tabButtons()[1]->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(vc->selectedIndex(), 0);
    EXPECT_EQ(vc->dataSource(), vc->dataSources()[0]);
    EXPECT_TRUE(pagesAsked("1").empty());

    window_->setRootViewController(nullptr);
    configure({"Featured offers", "Games to play", "Apps for you", "Quick surveys"},
              {tabURL("1"), tabURL("1"), tabURL("1"), tabURL("1")});
    vc = open();
    settle(vc);
    const auto& buttons = vc->tabButtons();
    ASSERT_EQ(buttons.size(), 4u);
    auto font = gfx::Font::boldSystemFontOfSize(12);
    double x = 10;
    for (const auto& button : buttons) {
        const double width = gfx::sizeWithFont(*button->titleForState(ui::ControlState::Normal), font).width + 20;
        EXPECT_EQ(button->frame(), gfx::Rect(x, 5, width, 30));
        x += width + 5;
    }
    EXPECT_FALSE(buttons[0]->isEnabled());
    auto strip = vc->tabsContainer();
    EXPECT_EQ(strip->contentSize().width, x + 10);
    EXPECT_TRUE(vc->leftScrollOverlay()->isHidden());
    EXPECT_FALSE(vc->rightScrollOverlay()->isHidden());
    strip->setContentOffset(gfx::Point(x + 10 - 320, 0));
    EXPECT_FALSE(vc->leftScrollOverlay()->isHidden());
    EXPECT_TRUE(vc->rightScrollOverlay()->isHidden());
    strip->setContentOffset(gfx::Point(0, 0));
    EXPECT_TRUE(vc->leftScrollOverlay()->isHidden());
    EXPECT_FALSE(vc->rightScrollOverlay()->isHidden());
    buttons[2]->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_TRUE(buttons[0]->isEnabled());
    EXPECT_FALSE(buttons[2]->isEnabled());
}

TEST_F(BPOfferListTest, UnevenOrMissingSubTabsPairUpToTheShorterList) {
    configure({"Featured", "Orphan"}, {tabURL("0")});
    auto vc = open();
    settle(vc);
    EXPECT_EQ(vc->tabButtons().size(), 1u);
    EXPECT_EQ(vc->tableView()->numberOfRowsInSection(0), 11);

    window_->setRootViewController(nullptr);
    configure({}, {});
    vc = open();
    ASSERT_EQ(vc->tableView()->numberOfRowsInSection(0), 1);
    EXPECT_FALSE(loadingRow(vc)->loading());
    EXPECT_TRUE(tapRow(vc, 0));
    EXPECT_FALSE(vc->dataSource()->isLoading());
}

TEST_F(BPOfferListTest, OfferRowsShowTheirKindLayoutAndHighlightColours) {
    configure({"Featured"}, {tabURL("0")});
    auto cell = ui::TableViewCell::initWithStyle<BPOfferTableViewCell>(ui::TableViewCellStyle::Default, "ResultCell",
                                                                       pageServices());
    cell->setFrame(gfx::Rect(0, 0, 320, 100));
    cell->setOffer(offer("With icon", "50", ads_.baseURL() + "/brightpoint/img/0.png"));
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->accessoryType(), ui::TableViewCellAccessoryType::DisclosureIndicator);
    EXPECT_EQ(cell->payoutLabel()->text(), "Get 50 Gems!");
    EXPECT_EQ(cell->offerImageView()->superview(), cell->contentView());
    EXPECT_FALSE(cell->subtitleLabel()->superview());
    EXPECT_EQ(cell->offerImageView()->frame(), gfx::Rect(10, 10, 80, 80));
    EXPECT_EQ(cell->titleLabel()->frame().origin, gfx::Point(100, 8));
    EXPECT_EQ(cell->payoutLabel()->frame(), gfx::Rect(100, 74, 210, 20));

    cell->setOffer(offer("Without icon", "70"));
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->accessoryType(), ui::TableViewCellAccessoryType::None);
    EXPECT_FALSE(cell->offerImageView()->superview());
    EXPECT_FALSE(cell->titleLabel()->superview());
    EXPECT_EQ(cell->currencyAmountLabel()->text(), "70");
    EXPECT_EQ(cell->currencyNameLabel()->text(), "Gems");
    EXPECT_EQ(cell->titleNoImageLabel()->frame(), gfx::Rect(10, 10, 300, 16));
    EXPECT_EQ(cell->subtitleLabel()->frame(), gfx::Rect(10, 24, 240, 75));
    EXPECT_EQ(cell->currencyAmountLabel()->frame(), gfx::Rect(250, 35, 60, 20));
    EXPECT_EQ(cell->currencyNameLabel()->frame(), gfx::Rect(250, 55, 60, 30));

    cell->setHighlighted(true, ui::Animated::No);
    for (const auto& label : {cell->titleNoImageLabel(), cell->subtitleLabel(), cell->currencyAmountLabel(),
                              cell->currencyNameLabel(), cell->titleLabel(), cell->payoutLabel()}) {
        EXPECT_EQ(label->textColor(), kWhite);
    }
    cell->setHighlighted(false, ui::Animated::No);
    EXPECT_EQ(cell->subtitleLabel()->textColor(), kBlack);
    EXPECT_EQ(cell->currencyNameLabel()->textColor(), kOrange);
    EXPECT_EQ(cell->payoutLabel()->textColor(), kOrange);
}

TEST_F(BPOfferListTest, IconsWaitAndARowReusedOrGoneFetchesNothing) {
    configure({"Featured"}, {tabURL("0")});
    auto icon = [&](int n) { return ads_.baseURL() + "/brightpoint/img/" + std::to_string(n) + ".png"; };
    auto cell = ui::TableViewCell::initWithStyle<BPOfferTableViewCell>(ui::TableViewCellStyle::Default, "ResultCell",
                                                                       pageServices());
    cell->setOffer(offer("First", "10", icon(0)));
    cell->showImage();
    cell->setOffer(offer("Second", "20", icon(2)));
    cell->showImage(); // reused before the wait is over
    clock_->advance(BPOfferTableViewCell::kIconDelay);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] { return cell->offerImageView()->image() != cell->placeholderImage(); }, 20));
    EXPECT_EQ(requestsTo("/brightpoint/img/0.png"), 0u);
    EXPECT_EQ(requestsTo("/brightpoint/img/2.png"), 1u);
    auto cached = context_->imageCache()->getImage(icon(2));
    EXPECT_EQ(cell->offerImageView()->image(), cached);

    // A cached icon shows at once.
    auto again = ui::TableViewCell::initWithStyle<BPOfferTableViewCell>(ui::TableViewCellStyle::Default, "ResultCell",
                                                                        pageServices());
    again->setOffer(offer("Again", "20", icon(2)));
    again->showImage();
    EXPECT_EQ(again->offerImageView()->image(), cached);
    EXPECT_FALSE(again->isDownloadingIcon());

    // A row that goes while it waits fetches nothing.
    again->setOffer(offer("Gone", "30", icon(4)));
    again->showImage();
    again.reset();
    clock_->advance(1);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(requestsTo("/brightpoint/img/4.png"), 0u);
}

TEST_F(BPOfferListTest, TheWallsOffersTabListsOffersAlsoWhenNoWindowIsKey) {
    ui::Application::shared().setKeyWindow(nullptr); // a window that was key has gone
    auto client = Brightpoint::shared();
    client->displayPaymentWindow();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !client->isLoading(); }, 20));
    ASSERT_EQ(client->rootController()->view()->window(), window_);
    auto wall = std::dynamic_pointer_cast<BPPaymentController>(client->rootController()->modalViewController());
    ASSERT_TRUE(wall);
    std::shared_ptr<BPOfferTableViewController> offers;
    for (const auto& tab : wall->viewControllers()) {
        auto nav = std::dynamic_pointer_cast<ui::NavigationController>(tab);
        offers = offers ? offers : std::dynamic_pointer_cast<BPOfferTableViewController>(nav->viewControllers()[0]);
    }
    ASSERT_TRUE(offers);
    EXPECT_EQ(offers->titles(), (std::vector<std::string>{"Featured", "Games"}));
    client->dismissWindow();
}

TEST_F(BPOfferListTest, ScreenshotsOfAListWithBothRowKindsAndTheLoadingRow) {
    configure({"Featured", "Games"}, {tabURL("0"), tabURL("1")});
    auto vc = open();
    settle(vc);
    // Rows wait on the manual clock before they fetch: advance it while the icons come in.
    auto iconsShown = [&] {
        clock_->advance(BPOfferTableViewCell::kIconDelay);
        for (const auto& cell : vc->tableView()->visibleCells()) {
            auto row = std::dynamic_pointer_cast<BPOfferTableViewCell>(cell);
            if (row && BPOfferHasImage(row->offer()) && row->offerImageView()->image() == row->placeholderImage()) {
                return false;
            }
        }
        return true;
    };
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(iconsShown, 20));
    shoot("bp-offer-list-top.png");
    tapRow(vc, 10);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(iconsShown, 20));
    shoot("bp-offer-list-loading.png");
    settle(vc);
}

} // namespace
} // namespace zelvan::brightpoint
