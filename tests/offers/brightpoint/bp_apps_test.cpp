// The apps tab against the dev server's app lists on 127.0.0.1: rows, heights and the loading row, the
// grey bands, payout texts, sub-tabs that keep their pages, the app page with its late icon and its
// reflection, and the referral link through its redirects or to its 404.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "offers/brightpoint/bp_app_data_source.h"
#include "offers/brightpoint/bp_app_images.h"
#include "offers/brightpoint/bp_app_table_view_cell.h"
#include "offers/brightpoint/bp_app_table_view_controller.h"
#include "offers/brightpoint/bp_app_view_controller.h"
#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_loading_table_view_cell.h"
#include "offers/brightpoint/bp_navigation_controller.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/table_driver.h"
#include "tests/offers/brightpoint/bp_wall_fixture.h"

namespace zelvan::brightpoint {
namespace {

using fnd::IndexPath;
using ui::testing::AlertDriver;

IndexPath row(int r) {
    return IndexPath::indexPathForRow(r, 0);
}

class BPAppsTest : public BPWallFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(BPWallFixture::SetUp());
        const std::string bp = ads_.baseURL() + "/brightpoint";
        const std::string json = R"({"succ":"1","currency_name":"Gems","currency_color":"#FF8000","app_tab_urls":[")" +
                                 bp + R"(/apps?list=top",")" + bp +
                                 R"(/apps?list=empty"],)"
                                 R"("app_tab_titles":["Top Apps","New"]})";
        ASSERT_TRUE(Brightpoint::shared()->applyConfigurationReply(fnd::Bytes(json.begin(), json.end())).showWall);
        ui::Application::shared().clearOpenedUrls();
    }

    // The rows go now, and with them their icon downloads.
    void releasePages() override {
        nav_.reset();
        apps_.reset();
    }

    // The Apps tab in its navigation, on screen, with its first page loaded.
    void openTab() {
        apps_ = std::make_shared<BPAppTableViewController>(pageServices());
        nav_ = BPNavigationController::navigationControllerWithInstantiatedController(apps_);
        window_->setRootViewController(nav_);
        window_->layoutIfNeeded();
        waitForPage();
    }

    void waitForPage() {
        EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !apps_->dataSource()->isLoading(); }, 20));
        apps_->tableView()->layoutIfNeeded();
    }

    size_t requestsFor(const std::string& list, const std::string& page) {
        size_t n = 0;
        for (const auto& r : ads_.requests()) {
            n += r.path == "/brightpoint/apps" && r.param("list") == list && r.param("page") == page ? 1 : 0;
        }
        return n;
    }

    double height(int r) { return *apps_->tableViewHeightForRowAtIndexPath(*apps_->tableView(), row(r)); }

    // The app page pushed by a tap on row `r`.
    std::shared_ptr<BPAppViewController> openApp(int r) {
        EXPECT_TRUE(ui::testing::TableDriver::select(*apps_->tableView(), row(r)));
        fnd::RunLoop::main().advance(1);
        return std::dynamic_pointer_cast<BPAppViewController>(nav_->topViewController());
    }

    std::shared_ptr<BPAppTableViewController> apps_;
    std::shared_ptr<BPNavigationController> nav_;
};

// The pixel of `cell`'s own drawing at (x, y), y down from its top.
gfx::Rgba8 bandPixel(BPAppTableViewCell& cell, int x, int y) {
    gfx::beginImageContext(cell.bounds().size);
    cell.drawRect(cell.bounds());
    gfx::Rgba8 pixel = gfx::getCurrentContext()->pixelAt(x, y);
    gfx::endImageContext();
    return pixel;
}

TEST_F(BPAppsTest, RowsHeightsBandsAndTheLoadingRow) {
    apps_ = std::make_shared<BPAppTableViewController>(pageServices());
    nav_ = BPNavigationController::navigationControllerWithInstantiatedController(apps_);
    window_->setRootViewController(nav_);
    window_->layoutIfNeeded();
    auto& table = *apps_->tableView();
    // Before the first page: one tall loading row, spinning.
    EXPECT_EQ(table.numberOfRowsInSection(0), 1);
    EXPECT_EQ(height(0), table.frame().height() - 40);
    auto lone = std::dynamic_pointer_cast<BPLoadingTableViewCell>(table.cellForRowAtIndexPath(row(0)));
    ASSERT_TRUE(lone);
    EXPECT_TRUE(lone->loading());
    EXPECT_EQ(table.separatorStyle(), ui::TableViewCellSeparatorStyle::None);
    EXPECT_EQ(table.rowHeight(), 71);

    waitForPage();
    ASSERT_EQ(table.numberOfRowsInSection(0), 4);
    EXPECT_EQ(height(0), 71);
    EXPECT_EQ(height(3), 60);
    auto first = std::dynamic_pointer_cast<BPAppTableViewCell>(table.cellForRowAtIndexPath(row(0)));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->titleLabel()->text(), "Gem Miner");
    EXPECT_EQ(first->payoutLabel()->text(), "Get 25 Gems!");
    EXPECT_EQ(first->priceLabel()->text(), "Free");

    const gfx::Rgba8 light{173, 173, 176, 255};
    const gfx::Rgba8 dark{152, 152, 156, 255};
    for (int r : {0, 1, 2}) {
        auto cell = std::dynamic_pointer_cast<BPAppTableViewCell>(table.cellForRowAtIndexPath(row(r)));
        ASSERT_TRUE(cell);
        EXPECT_EQ(bandPixel(*cell, 160, 35), r == 1 ? dark : light) << r;
        EXPECT_EQ(bandPixel(*cell, 160, 0), (gfx::Rgba8{187, 187, 189, 255}));
        EXPECT_EQ(bandPixel(*cell, 160, static_cast<int>(cell->bounds().height()) - 1),
                  (gfx::Rgba8{137, 138, 141, 255}));
    }
    shoot("bp_apps_list.png");

    // The loading row asks for the next page; an empty page leaves the rows as they are.
    EXPECT_TRUE(ui::testing::TableDriver::select(table, row(3)));
    waitForPage();
    EXPECT_EQ(requestsFor("top", "1"), 1u);
    EXPECT_EQ(table.numberOfRowsInSection(0), 4);

    // Another sub-tab whose first page is empty: the lone row stops spinning; coming back reloads nothing.
    apps_->switchTab(apps_->tabButtons()[1]);
    waitForPage();
    EXPECT_EQ(table.numberOfRowsInSection(0), 1);
    lone = std::dynamic_pointer_cast<BPLoadingTableViewCell>(table.cellForRowAtIndexPath(row(0)));
    ASSERT_TRUE(lone);
    EXPECT_FALSE(lone->loading());
    apps_->switchTab(apps_->tabButtons()[0]);
    waitForPage();
    EXPECT_EQ(table.numberOfRowsInSection(0), 4);
    EXPECT_EQ(requestsFor("top", "0"), 1u);
    EXPECT_EQ(requestsFor("empty", "0"), 1u);
}

TEST_F(BPAppsTest, TheRowIconComesLateRoundedAndCached) {
    openTab();
    auto cell = std::dynamic_pointer_cast<BPAppTableViewCell>(apps_->tableView()->cellForRowAtIndexPath(row(0)));
    ASSERT_TRUE(cell);
    const std::string url = ads_.baseURL() + "/brightpoint/app_icon.png?app=1";
    EXPECT_EQ(cell->appImageView()->image(), cell->placeholderImage());
    EXPECT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] {
            clock_->advance(BPAppTableViewCell::kIconDelay);
            return cell->appImageView()->image() != cell->placeholderImage();
        },
        20));
    auto icon = cell->appImageView()->image();
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon, BPImageCache::sharedCache()->getImage(url));
    EXPECT_EQ(icon->pixelAt(0, 0).a, 0); // a rounded corner
    EXPECT_EQ(icon->pixelAt(28, 28).a, 255);
}

TEST_F(BPAppsTest, TheAppPageShowsItsTextsIconAndReflection) {
    openTab();
    auto page = openApp(0);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->title(), "Details");
    auto view = page->appView();
    EXPECT_EQ(view->titleLabel()->text(), "Gem Miner");
    EXPECT_EQ(view->subtitleLabel()->text(), "Get 25 Gems");
    EXPECT_EQ(view->payoutLabel()->text(), "Get 25 Gems!");
    EXPECT_EQ(view->payoutLabel()->textColor(), Brightpoint::colorForHex("#FF8000"));
    EXPECT_EQ(view->priceButton()->titleForState(ui::ControlState::Normal), "Free");
    EXPECT_EQ(view->requirementsLabel()->text(), "Install the app and open it once to earn your reward.");
    EXPECT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] {
            return view->appImageReflection()->image() && view->screenshotImage()->image()->width() == 280 &&
                   view->screenshotImage()->image()->pixelAt(140, 230).b == 0xD5;
        },
        20));
    auto reflection = view->appImageReflection()->image();
    EXPECT_EQ(reflection->width(), 57);
    EXPECT_EQ(reflection->height(), 15);
    shoot("bp_app_page.png");
}

TEST(BPAppImagesTest, TheReflectionMirrorsTheBottomRowsUnderAFade) {
    // Red on top, blue in the bottom 15 rows.
    fnd::Bytes pixels(57 * 57 * 4);
    for (int y = 0; y < 57; ++y) {
        for (int x = 0; x < 57; ++x) {
            uint8_t* p = &pixels[static_cast<size_t>(y * 57 + x) * 4];
            const bool blue = y >= 42;
            p[0] = blue ? 255 : 0; // B
            p[1] = 0;
            p[2] = blue ? 0 : 255; // R
            p[3] = 255;
        }
    }
    auto view = ui::ImageView::initWithImage(gfx::Image::fromPixels(57, 57, std::move(pixels)));
    auto reflection = BPReflectedImage(view.get(), 15);
    ASSERT_TRUE(reflection);
    EXPECT_EQ(reflection->width(), 57);
    EXPECT_EQ(reflection->height(), 15);
    const gfx::Rgba8 top = reflection->pixelAt(28, 0);
    const gfx::Rgba8 bottom = reflection->pixelAt(28, 14);
    EXPECT_GT(top.b, 200);
    EXPECT_EQ(top.r, 0);
    EXPECT_GT(top.a, 220);
    EXPECT_LT(bottom.a, 30);
    for (int y = 1; y < 15; ++y) {
        EXPECT_LT(reflection->pixelAt(28, y).a, reflection->pixelAt(28, y - 1).a) << y;
    }
    EXPECT_FALSE(BPReflectedImage(view.get(), 0));
    EXPECT_FALSE(BPReflectedImage(nullptr, 15));
}

TEST_F(BPAppsTest, TheReferralLinkOpensTheLastAddressOrShowsTheError) {
    openTab();
    auto view = openApp(0)->appView();
    view->openApp();
    EXPECT_TRUE(view->loadingView()->superview());
    EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !ui::Application::shared().openedUrls().empty(); }, 20));
    EXPECT_EQ(ui::Application::shared().openedUrls(),
              std::vector<std::string>{ads_.baseURL() + "/brightpoint/store/app/1"});
    EXPECT_FALSE(view->loadingView()->superview());

    nav_->popViewControllerAnimated(ui::Animated::No);
    auto gone = openApp(2)->appView();
    gone->priceButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return AlertDriver::visible() != nullptr; }, 20));
    auto alert = AlertDriver::visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Error");
    EXPECT_EQ(alert->message(), kBPOpenAppFailedMessage);
    EXPECT_FALSE(gone->loadingView()->superview());
    EXPECT_EQ(ui::Application::shared().openedUrls().size(), 1u);
}

} // namespace
} // namespace zelvan::brightpoint
