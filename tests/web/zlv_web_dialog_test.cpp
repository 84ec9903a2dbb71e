// The web dialog: its page opens once, on the first show, inside the content; later addresses load
// when asked; a registered controller factory supplies the controller of new dialogs.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/testing/web_view_driver.h"
#include "tests/support/scoped_app_delegate.h"
#include "web/zlv_web_dialog.h"

namespace zelvan {
namespace {

std::string writePage(const std::string& name, const std::string& title) {
    const std::string path = fnd::AppFolders::temporary() + "/" + name;
    std::ofstream(path) << "<html><head><title>" << title << "</title></head><body></body></html>";
    return "file://" + path;
}

class ZLVWebDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        ASSERT_TRUE(fnd::AppFolders::setUp());
    }
    void TearDown() override {
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
    }
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::View> host_ = ui::View::create(gfx::Rect(0, 0, 320, 480));
};

TEST_F(ZLVWebDialogTest, OpensItsInitPageOnceOnTheFirstShow) {
    const std::string invite = writePage("invite.html", "Invite");
    auto dialog = ZLVWebDialog::create();
    auto controller = std::dynamic_pointer_cast<PlainWebDialogController>(dialog->controller());
    ASSERT_TRUE(controller);
    controller->setInitUrl(invite);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(controller->webView(), nullptr); // nothing loads before the dialog shows

    dialog->showInView(host_, ui::Animated::No);
    EXPECT_TRUE(dialog->isVisible());
    const auto webView = controller->webView();
    ASSERT_TRUE(webView);
    EXPECT_EQ(webView->superview(), dialog->contentView());
    EXPECT_EQ(webView->frame(), dialog->contentView()->bounds());
    ui::testing::WebViewDriver driver(webView);
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(webView->document().title(), "Invite");

    dialog->hide(ui::Animated::No);
    EXPECT_FALSE(dialog->isVisible());
    dialog->showInView(host_, ui::Animated::No);
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(webView->historyUrls(), (std::vector<std::string>{invite}));

    const std::string rules = writePage("rules.html", "Rules");
    controller->openUrl(rules);
    controller->openUrl("::not a url::");
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(webView->historyUrls(), (std::vector<std::string>{invite, rules}));
    EXPECT_EQ(webView->document().title(), "Rules");
    dialog->hide(ui::Animated::No);
}

TEST_F(ZLVWebDialogTest, TheRegisteredFactoryMakesTheController) {
    auto made = std::make_shared<PlainWebDialogController>();
    AppRegistry registry;
    registry.webDialogController = [made](zelvanAppDelegate&) -> std::shared_ptr<WebDialogController> { return made; };
    std::optional<ScopedAppDelegate> delegate(std::in_place, std::move(registry));
    EXPECT_EQ(ZLVWebDialog::create()->controller(), made);
    AppRegistry empty;
    empty.webDialogController = [](zelvanAppDelegate&) { return std::shared_ptr<WebDialogController>(); };
    delegate.emplace(std::move(empty));
    EXPECT_TRUE(std::dynamic_pointer_cast<PlainWebDialogController>(ZLVWebDialog::create()->controller()));
}

} // namespace
} // namespace zelvan
