// The chips exchange panel and its opener: the units held clamped, the slider, buttons and labels in
// step at both ends, what the delegate hears, the page callback that gets the units chosen, and a
// picture of the panel for a person to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "games/room/exchange_chips_view.h"
#include "games/room/game_lobby_panels.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/font.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/slider.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"
#include "tests/toolkit/window_fixture.h"
#include "web/web_page_host.h"

namespace zelvan {
namespace {

using Calls = std::vector<std::string>;

struct RecordingChipsDelegate : ExchangeChipsViewDelegate {
    void exchangeZelvan(int32_t zelvans) override { calls.push_back("exchange " + std::to_string(zelvans)); }
    void cancelExchange() override { calls.push_back("cancel"); }
    Calls calls;
};

// The calling page: its view, and the scripts run in it.
struct LobbyPage : WebPageHost {
    std::shared_ptr<ui::View> view = ui::View::create(gfx::Rect(0, 0, 320, 480));
    Calls scripts;
    std::shared_ptr<ui::ViewController> parentController() override { return nullptr; }
    fnd::Value pageContext() override { return {}; }
    std::string pageUrl() override { return "http://lobby.test/iphone/lobby.html"; }
    void callJS(const std::string& script) override { scripts.push_back(script); }
    std::shared_ptr<ui::View> webView() override { return view; }
};

class ExchangeChipsViewTest : public WindowFixture {
protected:
    // A panel for `zelvans` units in the window, heard by delegate_.
    std::shared_ptr<ExchangeChipsView> panel(int32_t zelvans) {
        auto view = ExchangeChipsView::initWithZelvan(zelvans);
        view->setFrame(gfx::Rect(20, 100, ExchangeChipsView::kWidth, ExchangeChipsView::kHeight));
        view->setExchangeChipsViewDelegate(delegate_);
        window_->addSubview(view);
        return view;
    }
    void tap(const ui::View& view) { tapIn(view, view.bounds()); }
    static void slide(ExchangeChipsView& view, double value) {
        view.slider()->setValue(value);
        view.slider()->sendActionsForControlEvents(ui::ControlEvents::ValueChanged);
    }
    static std::string shown(const ExchangeChipsView& view) {
        return view.zelvanLabel()->text() + "/" + view.chipsLabel()->text();
    }

    std::shared_ptr<RecordingChipsDelegate> delegate_ = std::make_shared<RecordingChipsDelegate>();
};

TEST_F(ExchangeChipsViewTest, PanelLayout) {
    auto view = panel(300);
    EXPECT_EQ(view->bounds(), gfx::Rect(0, 0, 275, 165));
    EXPECT_EQ(view->zelvanLabel()->frame().origin, gfx::Point(55, 55));
    EXPECT_EQ(view->chipsLabel()->frame().origin, gfx::Point(175, 55));
    EXPECT_EQ(view->zelvanLabel()->font()->pointSize(), 16);
    EXPECT_EQ(view->chipsLabel()->textColor(), gfx::Color::white());
    // Each button takes its image's size at its place.
    EXPECT_EQ(view->decreaseButton()->frame(), gfx::Rect(17, 90, 28, 28));
    EXPECT_EQ(view->addButton()->frame(), gfx::Rect(240, 90, 28, 28));
    EXPECT_EQ(view->confirmButton()->frame(), gfx::Rect(50, 125, 60, 30));
    EXPECT_EQ(view->cancelButton()->frame(), gfx::Rect(170, 125, 60, 30));
    const auto& slider = *view->slider();
    EXPECT_EQ(slider.frame().origin, gfx::Point(45, 90));
    EXPECT_EQ(slider.frame().width(), 195);
    EXPECT_TRUE(slider.thumbImageForState(ui::ControlState::Normal));
    EXPECT_EQ(slider.minimumValue(), 0);
    EXPECT_EQ(slider.maximumValue(), 100);
    EXPECT_TRUE(slider.isContinuous());
    EXPECT_EQ(slider.value(), 0);
    EXPECT_EQ(shown(*view), "0/0");

    // The panel over a page as the opener places it, for a person to look at.
    slide(*view, 25);
    view->setFrame(gfx::Rect(22, 157, ExchangeChipsView::kWidth, ExchangeChipsView::kHeight));
    std::error_code ec;
    std::filesystem::create_directories(fnd::AppFolders::temporary(), ec);
    const std::string path = fnd::AppFolders::temporary() + "/chips-exchange.png";
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*window_, path));
    std::filesystem::create_directories("screenshots", ec);
    std::filesystem::copy_file(path, "screenshots/chips-exchange.png",
                               std::filesystem::copy_options::overwrite_existing, ec);
    const auto screen = ui::Snapshot::captureView(*window_);
    ASSERT_TRUE(screen);
    // The felt is green under the labels.
    const auto felt = screen->pixelAt(22 + 137, 157 + 45);
    EXPECT_GT(felt.g, felt.r);
    EXPECT_GT(felt.g, felt.b);
}

TEST_F(ExchangeChipsViewTest, UnitsSliderAndButtonsStayInStep) {
    EXPECT_EQ(panel(20000)->maxzelvan(), 9999);

    // Nothing held: the slider and both buttons change nothing (and divide by nothing).
    auto empty = panel(-5);
    EXPECT_EQ(empty->maxzelvan(), 0);
    slide(*empty, 60);
    tap(*empty->addButton());
    tap(*empty->decreaseButton());
    EXPECT_EQ(empty->exzelvan(), 0);
    EXPECT_EQ(shown(*empty), "0/0");
    EXPECT_EQ(empty->slider()->value(), 60);
    empty->removeFromSuperview();

    auto view = panel(7);
    slide(*view, 50); // ceiling of 3.5
    EXPECT_EQ(view->exzelvan(), 4);
    EXPECT_EQ(shown(*view), "4/400");
    slide(*view, 1); // any move off 0 chooses at least one
    EXPECT_EQ(view->exzelvan(), 1);

    // Minus at 1 reaches 0 with the slider, and stops there.
    tap(*view->decreaseButton());
    tap(*view->decreaseButton());
    EXPECT_EQ(view->exzelvan(), 0);
    EXPECT_EQ(view->slider()->value(), 0);
    EXPECT_EQ(shown(*view), "0/0");
    // Plus runs up to the units held with the slider following, and stops there.
    tap(*view->addButton());
    EXPECT_NEAR(view->slider()->value(), 100.0 / 7, 1e-9);
    for (int i = 0; i < 8; ++i) {
        tap(*view->addButton());
    }
    EXPECT_EQ(view->exzelvan(), 7);
    EXPECT_EQ(view->slider()->value(), 100);
    EXPECT_EQ(shown(*view), "7/700");
    tap(*view->decreaseButton());
    EXPECT_EQ(shown(*view), "6/600");
    EXPECT_NEAR(view->slider()->value(), 600.0 / 7, 1e-9);

    // Resetting the slider leaves the choice.
    view->resetSlider();
    EXPECT_EQ(view->slider()->value(), 0);
    EXPECT_EQ(view->exzelvan(), 6);
}

TEST_F(ExchangeChipsViewTest, DelegateHearsTheAnswerWhileItLives) {
    auto view = panel(50);
    slide(*view, 10);
    tap(*view->confirmButton());
    tap(*view->cancelButton());
    EXPECT_EQ(delegate_->calls, (Calls{"exchange 5", "cancel"}));

    // The panel holds its delegate weakly: once it has gone the buttons tell no one.
    std::weak_ptr<RecordingChipsDelegate> weak = delegate_;
    delegate_.reset();
    EXPECT_TRUE(weak.expired());
    tap(*view->confirmButton());
    tap(*view->cancelButton());
}

TEST_F(ExchangeChipsViewTest, OpenerShowsThePanelOverThePageAndTellsItsCallback) {
    fnd::testing::LogCapture log;
    auto panels = GameLobbyPanels::create({});
    auto page = std::make_shared<LobbyPage>();
    window_->addSubview(page->view);

    panels->openChipsExchange(7, "lobby.chipsChosen", page);
    auto view = panels->chipsPanel();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->superview(), page->view);
    EXPECT_EQ(view->frame(), gfx::Rect(23, 158, 275, 165)); // centred, whole points
    slide(*view, 50);
    tap(*view->confirmButton());
    EXPECT_EQ(page->scripts, (Calls{"lobby.chipsChosen(4)"}));
    EXPECT_EQ(view->superview(), nullptr);
    EXPECT_FALSE(panels->chipsPanel());

    // Without a callback the units are only logged; a cancel tells the page nothing; a second open
    // replaces a panel still showing.
    panels->openChipsExchange(3, "", page);
    tap(*panels->chipsPanel()->addButton());
    tap(*panels->chipsPanel()->confirmButton());
    EXPECT_TRUE(log.contains("1 units chosen for chips; no page callback"));
    panels->openChipsExchange(3, "lobby.chipsChosen", page);
    auto first = panels->chipsPanel();
    panels->openChipsExchange(3, "lobby.chipsChosen", page);
    EXPECT_EQ(first->superview(), nullptr);
    tap(*panels->chipsPanel()->cancelButton());
    EXPECT_TRUE(page->view->subviews().empty());
    EXPECT_EQ(page->scripts.size(), 1u);

    // No page, or a page without a view: nothing opens.
    panels->openChipsExchange(3, "", nullptr);
    panels->openGameInvite(9, nullptr);
    EXPECT_FALSE(panels->chipsPanel());
    EXPECT_EQ(log.count("no page view to show"), 2u);
}

} // namespace
} // namespace zelvan
