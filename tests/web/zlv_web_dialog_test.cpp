// The web dialog: its page opens once, on the first show, inside the content; later addresses load
// when asked; a registered controller factory supplies the controller of new dialogs.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/testing/web_view_driver.h"
#include "web/zlv_web_dialog.h"

namespace zelvan {
namespace {

std::string writePage(const std::string& name, const std::string& title) {
    const std::string path = fnd::AppFolders::temporary() + "/" + name;
    std::ofstream(path) << "<html><head><title>" << title << "</title></head><body></body></html>";
    return "file://" + path;
}

class RecordingController : public WebDialogController {
public:
    void setInitUrl(const std::string& url) override { calls.push_back("init " + url); }
    void setParentController(std::weak_ptr<ui::ViewController>) override { calls.push_back("parent"); }
    void openUrl(const std::string& url) override { calls.push_back("open " + url); }
    std::shared_ptr<ui::View> view() override {
        calls.push_back("view");
        return view_;
    }
    std::vector<std::string> calls;
    std::shared_ptr<ui::View> view_ = ui::View::create(gfx::Rect(0, 0, 10, 10));
};

class ZLVWebDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        ASSERT_TRUE(fnd::AppFolders::setUp());
    }
    void TearDown() override {
        ZLVWebDialog::setDefaultControllerFactory(nullptr);
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
    auto recording = std::make_shared<RecordingController>();
    ZLVWebDialog::setDefaultControllerFactory([recording] { return recording; });
    auto dialog = ZLVWebDialog::create();
    EXPECT_EQ(dialog->controller(), recording);
    dialog->controller()->setInitUrl("http://web.test/iphone/static_invite");
    dialog->showInView(host_, ui::Animated::No);
    dialog->hide(ui::Animated::No);
    dialog->showInView(host_, ui::Animated::No);
    EXPECT_EQ(recording->calls, (std::vector<std::string>{"init http://web.test/iphone/static_invite", "view"}));
    EXPECT_EQ(recording->view_->superview(), dialog->contentView());
    dialog->hide(ui::Animated::No);

    // A factory that makes nothing falls back to the plain controller.
    ZLVWebDialog::setDefaultControllerFactory([] { return std::shared_ptr<WebDialogController>(); });
    EXPECT_TRUE(std::dynamic_pointer_cast<PlainWebDialogController>(ZLVWebDialog::create()->controller()));
}

} // namespace
} // namespace zelvan
