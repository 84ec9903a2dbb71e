// The IM account form on a navigation stack, driven with the keyboard and taps: the Done button
// following each keystroke, the incomplete-input alert, switching networks, and the account handed to
// the delegate; with a screenshot.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/lists/im_config_controller.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/segmented_control.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/table_view_cell.h"
#include "platform/ui/testing/keyboard.h"
#include "platform/ui/testing/table_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"
#include "tools/devserver/login_protocol.h"

namespace zelvan {
namespace {

using ui::testing::Keyboard;
using ui::testing::TouchDriver;

class RecordingConfigDelegate : public IMConfigControllerDelegate {
public:
    void imAccountConfigured(const std::shared_ptr<imGroup>& im, IMConfigController&) override {
        accounts.push_back({im, im->prot(), im->user(), im->pass()});
    }
    struct Account {
        std::shared_ptr<imGroup> im;
        int prot;
        std::string user;
        std::string pass;
    };
    std::vector<Account> accounts;
};

class IMConfigControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        app_ = zelvanAppDelegate::create();
        app_->trylogin("5550100", "secret");
        app_->handleLoginResult(devserver::makeLoginSuccess("0123456789abcdef", {"Wavelet", "Chirp", "Relay"},
                                                            {"5550100", "secret", "Demo Player", 1001}));
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        form_ = std::make_shared<IMConfigController>(app_);
        form_->setImConfigDelegate(delegate_);
    }
    void TearDown() override {
        TouchDriver::reset();
        window_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
    }

    void show() {
        nav_ = ui::NavigationController::initWithRootViewController(form_);
        window_->setRootViewController(nav_);
        window_->makeKeyAndVisible();
        settle();
    }
    void settle() {
        fnd::RunLoop::main().advance(1);
        window_->layoutIfNeeded();
    }
    void tapView(const std::shared_ptr<ui::View>& view, gfx::Rect rect) {
        const gfx::Rect r = view->convertRectToView(rect, window_.get());
        TouchDriver::tap(window_, gfx::Point(r.midX(), r.midY()));
        settle();
    }
    std::shared_ptr<ui::TableViewCell> row(int index) {
        return form_->tableView()->cellForRowAtIndexPath(fnd::IndexPath::indexPathForRow(index, 0));
    }
    std::shared_ptr<ui::BarButtonItem> done() { return form_->navigationItem()->rightBarButtonItem(); }
    std::vector<std::shared_ptr<ZSimpleAlertView>> alerts() {
        std::vector<std::shared_ptr<ZSimpleAlertView>> found;
        for (const auto& subview : form_->view()->subviews()) {
            if (auto alert = std::dynamic_pointer_cast<ZSimpleAlertView>(subview)) {
                found.push_back(alert);
            }
        }
        return found;
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<zelvanAppDelegate> app_;
    std::shared_ptr<ui::Window> window_;
    std::shared_ptr<ui::NavigationController> nav_;
    std::shared_ptr<IMConfigController> form_;
    std::shared_ptr<RecordingConfigDelegate> delegate_ = std::make_shared<RecordingConfigDelegate>();
};

TEST_F(IMConfigControllerTest, DoneButtonFollowsEveryKeystroke) {
    show();
    // The name field has the keyboard at once; with both fields empty there is no Done.
    EXPECT_TRUE(form_->nameField()->isFirstResponder());
    EXPECT_EQ(Keyboard::returnKeyType(), ui::ReturnKeyType::Next);
    EXPECT_EQ(done(), nullptr);

    ASSERT_TRUE(Keyboard::type("bob"));
    EXPECT_EQ(done(), nullptr);
    ASSERT_TRUE(Keyboard::pressReturn());
    EXPECT_TRUE(form_->pwField()->isFirstResponder());
    EXPECT_EQ(Keyboard::returnKeyType(), ui::ReturnKeyType::Go);

    // Done appears with the password's first character and goes with its last.
    ASSERT_TRUE(Keyboard::type("k"));
    ASSERT_NE(done(), nullptr);
    EXPECT_EQ(done()->systemItem(), ui::BarButtonSystemItem::Done);
    EXPECT_TRUE(done()->isEnabled());
    ASSERT_TRUE(Keyboard::type("2"));
    ASSERT_TRUE(Keyboard::backspace());
    EXPECT_NE(done(), nullptr);
    ASSERT_TRUE(Keyboard::backspace());
    EXPECT_EQ(done(), nullptr);

    // One blank is a password; emptying the name takes Done away again.
    ASSERT_TRUE(Keyboard::type(" "));
    EXPECT_NE(done(), nullptr);
    ASSERT_TRUE(form_->nameField()->becomeFirstResponder());
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Keyboard::backspace());
    }
    EXPECT_EQ(done(), nullptr);
    EXPECT_TRUE(delegate_->accounts.empty());
}

TEST_F(IMConfigControllerTest, GoWithAnEmptyPasswordAlertsOnceAndSubmitsNothing) {
    show();
    ASSERT_TRUE(Keyboard::type("bob"));
    ASSERT_TRUE(Keyboard::pressReturn());
    ASSERT_TRUE(Keyboard::pressReturn());
    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0]->label()->text(), ZLS("accountNameAndPass"));
    EXPECT_NE(ZLS("accountNameAndPass"), "accountNameAndPass");
    EXPECT_TRUE(form_->hasAlert());
    ASSERT_TRUE(Keyboard::pressReturn());
    EXPECT_EQ(alerts().size(), 1u);
    EXPECT_TRUE(delegate_->accounts.empty());

    // A password typed while the alert is up brings Done, which waits for the alert's answer.
    ASSERT_TRUE(Keyboard::type("pw"));
    ASSERT_NE(done(), nullptr);
    EXPECT_FALSE(done()->isEnabled());
    TouchDriver::tap(window_, gfx::Point(160, 120));
    settle();
    EXPECT_TRUE(alerts().empty());
    EXPECT_FALSE(form_->hasAlert());
    EXPECT_TRUE(done()->isEnabled());

    // Go now submits the account.
    ASSERT_TRUE(Keyboard::pressReturn());
    ASSERT_EQ(delegate_->accounts.size(), 1u);
    EXPECT_EQ(delegate_->accounts[0].user, "bob");
    EXPECT_EQ(delegate_->accounts[0].pass, "pw");
    EXPECT_EQ(delegate_->accounts[0].prot, 0);
}

TEST_F(IMConfigControllerTest, SwitchingNetworksAndSubmittingWithDone) {
    show();
    ASSERT_EQ(form_->segmentedControl()->numberOfSegments(), 3);
    ASSERT_NE(row(0), nullptr);
    EXPECT_EQ(row(0)->textLabel()->text(), "Wavelet");
    ASSERT_TRUE(Keyboard::type("alice@example.org"));

    // A tap on the password row's label gives its field the keyboard.
    auto passwordRow = row(2);
    ASSERT_NE(passwordRow, nullptr);
    tapView(passwordRow->contentView(), gfx::Rect(10, 7, 85, 30));
    EXPECT_TRUE(form_->pwField()->isFirstResponder());
    ASSERT_TRUE(Keyboard::type("s3cret"));

    // Network 2: row 0 shows its name and icon; the typed texts stay.
    const auto segments = form_->segmentedControl()->segmentRects();
    tapView(form_->segmentedControl(), segments[2]);
    EXPECT_EQ(form_->segmentedControl()->selectedSegmentIndex(), 2);
    EXPECT_EQ(row(0)->textLabel()->text(), "Relay");
    EXPECT_EQ(row(0)->imageView()->image(), form_->segmentedControl()->imageForSegmentAtIndex(2));
    EXPECT_NE(row(0)->imageView()->image(), nullptr);
    EXPECT_EQ(form_->nameField()->text(), "alice@example.org");
    EXPECT_EQ(form_->pwField()->text(), "s3cret");
    EXPECT_EQ(row(2), passwordRow);

    // The Done button in the bar hands over a new account with the chosen network.
    ASSERT_NE(done(), nullptr);
    const auto bar = nav_->navigationBar();
    ASSERT_NE(bar->rightView(), nullptr);
    tapView(bar->rightView(), bar->rightView()->bounds());
    ASSERT_EQ(delegate_->accounts.size(), 1u);
    EXPECT_EQ(delegate_->accounts[0].prot, 2);
    EXPECT_EQ(delegate_->accounts[0].user, "alice@example.org");
    EXPECT_EQ(delegate_->accounts[0].pass, "s3cret");
    EXPECT_EQ(form_->im(), delegate_->accounts[0].im);
}

TEST_F(IMConfigControllerTest, EditingAnAccountKeepsItAndScreenshot) {
    auto existing = imGroup::create();
    existing->setUser("carol");
    existing->setPass("x");
    form_->setIm(existing);
    show();
    EXPECT_EQ(form_->title(), "Add IM");
    EXPECT_EQ(form_->nameField()->text(), "carol");
    // Focusing a filled field brings Done without a keystroke.
    ASSERT_NE(done(), nullptr);

    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*window_, "screenshots/messaging-im-config.png"));
    const auto image = ui::Snapshot::captureView(*window_);
    ASSERT_TRUE(image);
    // The account label is drawn in its row.
    const gfx::Rect label = row(1)->contentView()->convertRectToView(gfx::Rect(10, 7, 85, 30), window_.get());
    int dark = 0;
    for (int y = static_cast<int>(label.minY()); y < static_cast<int>(label.maxY()); ++y) {
        for (int x = static_cast<int>(label.minX()); x < static_cast<int>(label.maxX()); ++x) {
            dark += image->pixelAt(x, y).r < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 20);

    ASSERT_TRUE(Keyboard::type("y"));
    done()->performAction();
    ASSERT_EQ(delegate_->accounts.size(), 1u);
    EXPECT_EQ(delegate_->accounts[0].im, existing);
    EXPECT_EQ(existing->user(), "caroly");
    EXPECT_EQ(existing->pass(), "x");
}

TEST_F(IMConfigControllerTest, WithoutNetworksNothingIsSubmitted) {
    // No application delegate: no networks to choose from, so a filled form hands over nothing.
    form_ = std::make_shared<IMConfigController>(std::weak_ptr<zelvanAppDelegate>());
    form_->setImConfigDelegate(delegate_);
    show();
    EXPECT_EQ(form_->segmentedControl()->numberOfSegments(), 0);
    ASSERT_TRUE(Keyboard::type("bob"));
    ASSERT_TRUE(Keyboard::pressReturn());
    ASSERT_TRUE(Keyboard::type("pw"));
    ASSERT_TRUE(Keyboard::pressReturn());
    EXPECT_TRUE(delegate_->accounts.empty());
    EXPECT_EQ(form_->im(), nullptr);
}

} // namespace
} // namespace zelvan
