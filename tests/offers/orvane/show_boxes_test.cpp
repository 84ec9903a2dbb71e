// The picture and quote boxes against the dev server's fake offer service: each fills once from its
// reply, a failed reply leaves the spinner turning, the facade keeps one box of each kind; and a picture
// of the kit's widgets (header, tab bar, labels, buttons, both boxes) for a person to look at.
#include <gtest/gtest.h>

#include <filesystem>

#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/kit/orv_generic_buttons.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "offers/orvane/kit/orv_ui_tab_bar_view.h"
#include "offers/orvane/kit/panel_button.h"
#include "offers/orvane/kit/panel_label.h"
#include "offers/orvane/kit/show_box_button.h"
#include "offers/orvane/kit/show_box_label.h"
#include "offers/orvane/kit/show_picture.h"
#include "offers/orvane/kit/show_quote_info.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/foundation/notification_center.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/testing/screenshot.h"
#include "tests/offers/orvane/kit_widget_support.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::orvane {
namespace {

using devserver::OrvaneReplyMode;

// A 2 x 1 PNG (red, blue) as Base64, broken over lines as the service may send it.
constexpr const char* kTwoPixelsWrapped = "iVBORw0KGgoAAAANSUhEUgAAAAIAAAABCAIAAAB7QOjdAAAADUlEQVR4\r\n"
                                          "nGP4zwAE/wEHAAH/4iOeWQ\n  AAAABJRU5ErkJggg==";

struct Heard {
    explicit Heard(const char* name)
        : token(fnd::NotificationCenter::defaultCenter().addObserver(name, fnd::Value(),
                                                                     [this](const auto&) { ++count; })) {}
    int count = 0;
    fnd::ObserverToken token;
};

class ShowBoxesTest : public widget_test::KitWidgetTest {
protected:
    void SetUp() override {
        KitWidgetTest::SetUp();
        devserver::addOrvaneRoutes(ads_, service_);
        ASSERT_TRUE(ads_.start());
        delegate_.reset();
        context_ = makeOrvane(NetworkEndpoint(ads_.baseURL(), "/orvane"), fnd::Bundle::main().resourcePath());
        AppRegistry registry;
        registry.orvane.factory = ServiceSlot<OrvaneContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
        facade_ = context_->makeFacade();
        context_->setFacade(facade_);
    }
    void TearDown() override {
        service_->releaseStalls();
        fnd::RunLoop::main().runUntilIdle();
        ads_.stop();
        facade_.reset();
        KitWidgetTest::TearDown();
    }
    static bool pump(const std::function<bool()>& until) { return fnd::RunLoop::main().pumpUntil(until, 20.0); }

    devserver::DevAdsServer ads_;
    std::shared_ptr<devserver::DevOrvaneService> service_ = std::make_shared<devserver::DevOrvaneService>();
    std::shared_ptr<OrvaneConnect> facade_;
};

TEST_F(ShowBoxesTest, PictureBoxFillsOnceFromItsReply) {
    service_->setReplyContent("GetPicture", std::string("<PictureObject><Image>") + kTwoPixelsWrapped +
                                                "</Image><ImageName>two.png</ImageName></PictureObject>");
    Heard good(kORVPictureReceived);
    auto box = facade_->GetPicture(gfx::Rect(10, 20, 100, 60));
    EXPECT_EQ(box->image()->frame(), gfx::Rect(0, 0, 100, 60));
    EXPECT_EQ(box->activityIndicator()->frame(), gfx::Rect(35, 15, 30, 30));
    EXPECT_TRUE(box->activityIndicator()->isAnimating());
    ASSERT_TRUE(pump([&] { return good.count == 1; }));
    ASSERT_TRUE(box->image()->image());
    EXPECT_EQ(box->image()->image()->size(), gfx::Size(2, 1));
    EXPECT_FALSE(box->activityIndicator()->superview());

    // A later reply does not refill it; the facade's next box replaces (and releases) this one.
    const auto shown = box->image()->image();
    service_->setReplyContent("GetPicture", "");
    ORVShadow::sharedInstance()->getPicture();
    ASSERT_TRUE(pump([&] { return good.count == 2; }));
    EXPECT_EQ(box->image()->image(), shown);
    std::weak_ptr<ShowPicture> first = box;
    box.reset();
    EXPECT_FALSE(first.expired()); // the facade keeps it
    Heard bad(kORVPictureFailed);
    service_->setMode("GetPicture", OrvaneReplyMode::ErrorMessage);
    auto waiting = facade_->GetPicture(gfx::Rect(0, 0, 50, 50));
    EXPECT_TRUE(first.expired());
    ASSERT_TRUE(pump([&] { return bad.count == 1; }));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(waiting->activityIndicator()->isAnimating()); // "18" is not its reply
    EXPECT_EQ(waiting->activityIndicator()->superview(), waiting);
    EXPECT_FALSE(waiting->image()->image());
}

TEST_F(ShowBoxesTest, QuoteBoxShowsTextAndAuthorOnce) {
    Heard good(kORVQuoteReceived);
    auto font = gfx::Font::withName("Arial-ItalicMT", 13);
    auto box = facade_->GetQuote(gfx::Rect(0, 0, 200, 80), font);
    EXPECT_EQ(box->authorLabel()->frame(), gfx::Rect(0, 40, 200, 40));
    EXPECT_EQ(box->viewWithTag(ShowQuoteInfo::kTextLabelTag), box->textLabel());
    EXPECT_EQ(box->textLabel()->font(), font);
    EXPECT_EQ(box->authorLabel()->textAlignment(), ui::TextAlignment::Right);
    ASSERT_TRUE(pump([&] { return good.count == 1; }));
    EXPECT_EQ(box->textLabel()->text(), "Play fair.");
    EXPECT_EQ(box->authorLabel()->text(), "~ Demo");
    EXPECT_FALSE(box->activityIndicator()->superview());

    service_->setReplyContent("GetQuote", "<QuoteObject><Text>Keep going</Text><Author></Author></QuoteObject>");
    auto second = facade_->GetQuote(gfx::Rect(0, 0, 200, 80), nullptr);
    ASSERT_TRUE(pump([&] { return good.count == 2; }));
    EXPECT_EQ(second->authorLabel()->text(), "~ ");
    EXPECT_EQ(second->textLabel()->text(), "Keep going");
    EXPECT_EQ(box->textLabel()->text(), "Play fair."); // the first box filled once
}

TEST_F(ShowBoxesTest, KitPictureForAPersonToLookAt) {
    gfx::installTextMetrics(nullptr); // real glyph widths for the picture
    Heard picture(kORVPictureReceived), quote(kORVQuoteReceived);
    service_->setReplyContent("GetPicture",
                              std::string("<PictureObject><Image>") + kTwoPixelsWrapped + "</Image></PictureObject>");
    auto screen = ui::View::create(gfx::Rect(0, 0, 320, 480));
    screen->setBackgroundColor(gfx::Color::fromRgbHex(0x303840));
    auto header = ORVUINavigationBarView::initWithTitle("Offers", 0);
    header->setNavBarLeftBtnWithTitle(" Back ");
    header->setNavBarRightBtnWithTitle("Help");
    screen->addSubview(header);
    screen->addSubview(PanelLabel::initPanelHeaderLabel("Leaderboard", 48));
    screen->addSubview(PanelLabel::initHeaderLabel("Rank", 10, 92));
    screen->addSubview(PanelLabel::initNameLabel("Ann Example", 70, 92));
    screen->addSubview(PanelLabel::initScoreLabel("1,200", 210, 92));
    auto wrapped = PanelLabel::initAutoFitLabelWithWrappedText("Complete the offer to earn coins for your next game.",
                                                               300, gfx::Font::systemFontOfSize(14), 10, 114);
    wrapped->setBackgroundColor(gfx::Color::clear());
    wrapped->setTextColor(gfx::Color::white());
    screen->addSubview(wrapped);
    auto black = ORVGenericButtons::initBlackStandarBtnWithFrame(gfx::Rect(10, 160, 140, 36));
    black->setBtnTitle("Complete Offer");
    screen->addSubview(black);
    auto tinted = ORVGenericButtons::initBlackStandarBtnWithFrame(gfx::Rect(170, 160, 140, 36));
    screen->addSubview(tinted);
    tinted->setStandardTintColorWithTitle("Submit", screen);
    auto boxButton = ShowBoxButton::initWithLocation(10, 206);
    boxButton->setTitle("OK", ui::ControlState::Normal);
    screen->addSubview(boxButton);
    auto panelButton = PanelButton::initWithLocation(170, 206);
    panelButton->setTitle("Panel", ui::ControlState::Normal);
    screen->addSubview(panelButton);
    auto boxLabel = ShowBoxLabel::initAutoFitLabelWithText("Price: 40", 10, 250);
    screen->addSubview(boxLabel);
    auto pictureBox = facade_->GetPicture(gfx::Rect(10, 280, 120, 60));
    screen->addSubview(pictureBox);
    auto quoteBox = facade_->GetQuote(gfx::Rect(140, 280, 170, 80), gfx::Font::systemFontOfSize(14));
    quoteBox->textLabel()->setTextColor(gfx::Color::white());
    quoteBox->authorLabel()->setTextColor(gfx::Color::lightGray());
    screen->addSubview(quoteBox);
    auto tabs = ORVUITabBarView::initWithTotalButtons(4, 431);
    const char* captions[] = {"Offers", "Store", "Items", "Scores"};
    for (int i = 0; i < 4; ++i) {
        auto tab = tabs->getORVTabBarBtnAtIndex(i);
        tab->btnTitleLabel()->setText(captions[i]);
        tab->setIconImgWithName("info-icon.png");
        tab->setIconHighlightImgWithName("tick.png");
    }
    tabs->setSelected(tabs->getORVTabBarBtnAtIndex(0).get());
    screen->addSubview(tabs);
    ASSERT_TRUE(pump([&] { return picture.count == 1 && quote.count == 1; }));

    EXPECT_TRUE(ui::testing::saveScreenshot(*screen, "orvane-widget-kit.png"));
    EXPECT_TRUE(pictureBox->image()->image());
    EXPECT_EQ(quoteBox->authorLabel()->text(), "~ Demo");
}

} // namespace
} // namespace zelvan::orvane
