// A composed screen of the kit's views - a badge, a loading box and a two-button alert over them -
// saved as a PNG for a person to look at, with a few pixels checked.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/zelvan_style.h"
#include "platform/foundation/app_folders.h"
#include "platform/ui/label.h"
#include "platform/ui/snapshot.h"
#include "toolkit/z_simple_alert_view.h"
#include "toolkit/z_simple_badge_view.h"
#include "toolkit/z_simple_loading_view.h"
#include "window_fixture.h"

namespace zelvan {
namespace {

using ToolkitScreensTest = WindowFixture;

TEST_F(ToolkitScreensTest, AlertLoadingAndBadge) {
    window_->setBackgroundColor(ZelvanStyle::shared()->viewBackgroundColor());
    auto badge = ZSimpleBadgeView::create({280, 30});
    badge->updateBadgeValue("12");
    window_->addSubview(badge);
    auto loading = ZSimpleLoadingView::create();
    loading->setText("Loading rooms");
    loading->showInView(window_);
    // The loading box would sit under the alert's panel; move it to the lower part of the screen.
    loading->setCenter({160, 400});
    auto alert = ZSimpleAlertView::create();
    alert->setIcon(ZSimpleAlertView::kIconQuestion);
    alert->label()->setText("Mia invites you to a game of chess. Join her table now?");
    alert->addButtonWithTitle("Join");
    alert->addButtonWithTitle("Later");
    alert->showInView(window_);

    const std::string path = fnd::AppFolders::temporary() + "/toolkit-screens.png";
    std::error_code ec;
    std::filesystem::create_directories(fnd::AppFolders::temporary(), ec);
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*window_, path));
    // A copy that outlives the test's temporary home, under the build tree.
    std::filesystem::create_directories("screenshots", ec);
    std::filesystem::copy_file(path, "screenshots/widget-kit-screens.png",
                               std::filesystem::copy_options::overwrite_existing, ec);

    const auto screen = ui::Snapshot::captureView(*window_);
    ASSERT_TRUE(screen);
    // The ground (0xedf1f5) under the 40% black cover.
    const auto ground = screen->pixelAt(5, 200);
    EXPECT_NEAR(ground.r, 0xed * 0.6, 2);
    EXPECT_NEAR(ground.b, 0xf5 * 0.6, 2);
    // The badge's red, dimmed too, beside its white text.
    const auto red = screen->pixelAt(283, 39);
    EXPECT_NEAR(red.r, 0xe0 * 0.6, 3);
    EXPECT_LT(red.g, 30);
    const gfx::Rect panel = alert->panel()->frame();
    // The question icon's green disc above the message (left of its glyph).
    const auto icon = screen->pixelAt(static_cast<int>(panel.midX()) - 12,
                                      static_cast<int>(panel.minY() + ZSimpleAlertView::kPadding + 18));
    EXPECT_NEAR(icon.g, 0xa0, 3);
    EXPECT_LT(icon.r, 0x50);
    // A white button on the panel.
    const gfx::Rect join = alert->buttonViews()[0]->convertRectToView(alert->buttonViews()[0]->bounds(), nullptr);
    EXPECT_GT(screen->pixelAt(static_cast<int>(join.minX()) + 6, static_cast<int>(join.midY())).r, 240);
    alert->hide();
    loading->hide();
}

} // namespace
} // namespace zelvan
