// Shared fixture of the leaderboard tests: the dev server's fake offer service, a context whose connect
// reply describes the game's scores and filters, a manual clock, a visible window, a recording score
// card, and the panel opened against them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/app_registry.h"
#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/orvane_wiring.h"
#include "offers/orvane/scores/high_score_card.h"
#include "offers/orvane/scores/high_score_filter_panel.h"
#include "offers/orvane/scores/high_score_view.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/screenshot.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"
#include "tests/support/scoped_app_delegate.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::orvane::leaderboard_test {

using devserver::OrvaneReplyMode;
using ui::testing::AlertDriver;

// Level (two values), Mode (three values) and Region (no values); scores Points, time, Bonus.
inline constexpr const char* kFullInfo =
    "<ScoresAndFilterInfo><FilterName1>Level</FilterName1><FilterName2>Region</FilterName2>"
    "<FilterName3>Mode</FilterName3><ScoreName1>Points</ScoreName1><ScoreName2>time</ScoreName2>"
    "<ScoreName3>Bonus</ScoreName3>"
    "<FilterValues1><FilterValue><Value>1</Value><Caption>Easy</Caption></FilterValue>"
    "<FilterValue><Value>2</Value><Caption>Hard</Caption></FilterValue></FilterValues1>"
    "<FilterValues3><FilterValue><Value>a</Value><Caption>Arcade</Caption></FilterValue>"
    "<FilterValue><Value>s</Value><Caption>Story</Caption></FilterValue>"
    "<FilterValue><Value>t</Value><Caption>Timed</Caption></FilterValue></FilterValues3>"
    "</ScoresAndFilterInfo>";

// Remembers what the screen gave it.
struct RecordingCard : HighScoreCard {
    std::optional<std::string> challId;
    HighScoreCardParams params;
    int indicatorStarts = 0;
    std::shared_ptr<ui::View> cardView = ui::View::create<ui::View>(gfx::Rect(0, 0, 320, 480));
    void setChallId(const std::optional<std::string>& id) override { challId = id; }
    void setParams(const HighScoreCardParams& p) override { params = p; }
    std::shared_ptr<ui::View> view() override { return cardView; }
    void startActivityIndicator() override { ++indicatorStarts; }
};

// Counts the notifications of one name.
struct Heard {
    explicit Heard(const char* name)
        : token(fnd::NotificationCenter::defaultCenter().addObserver(name, fnd::Value(),
                                                                     [this](const auto&) { ++count; })) {}
    int count = 0;
    fnd::ObserverToken token;
};

class LeaderboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        devserver::addOrvaneRoutes(ads_, service_);
        ASSERT_TRUE(ads_.start());
        context_ = makeOrvane(NetworkEndpoint(ads_.baseURL(), "/orvane"), fnd::Bundle::main().resourcePath());
        context_->setDeviceId("device-1");
        AppRegistry registry;
        registry.orvane.factory = ServiceSlot<OrvaneContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
        clock_ = fnd::ManualClock::install();
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        describe(kFullInfo);
    }
    void TearDown() override {
        ui::testing::TouchDriver::reset();
        while (auto panel = AlertDriver::visible()) {
            panel->dismissWithClickedButtonIndex(0, ui::Animated::No);
        }
        service_->releaseStalls();
        auto shadow = context_->shadow();
        EXPECT_TRUE(pump([&] { return !shadow->highScoresByFilterPending() && !shadow->submitHighScorePending(); }));
        panel_.reset();
        window_->setHidden(true);
        fnd::RunLoop::main().advance(2);
        ads_.stop();
        fnd::Clock::install(nullptr);
    }
    // The game's leaderboard description, as its connect reply gives it.
    void describe(const std::string& xml) {
        const fnd::Value root = ORVParser::sharedParserInstance()->parse(fnd::Bytes(xml.begin(), xml.end())).value();
        ORVConnectReturn reply;
        reply.scoresAndFilterInfo = ORVParser::dictionaryValue(root, "ScoresAndFilterInfo");
        model().cacheConnectReturn(reply);
    }
    // Opens the panel in the window and waits for its first answer.
    void open(const ORVFilters& filters = {"1", "", "a", "", "", ""}) {
        Heard rows(kORVHighScoresReceived), eight(kORVHighScoresError), nine(kORVHighScoresNetError);
        panel_ = HighScoreFilterPanel::initWithFrame(gfx::Rect(0, 0, 320, 480), filters, [this] {
            auto card = std::make_shared<RecordingCard>();
            cards_.push_back(card);
            return card;
        });
        window_->addSubview(panel_);
        ASSERT_TRUE(pump([&] { return rows.count + eight.count + nine.count > 0; }));
    }
    // Runs `action` and waits for the rows it asked for.
    void andWait(const std::function<void()>& action) {
        Heard rows(kORVHighScoresReceived);
        action();
        ASSERT_TRUE(pump([&] { return rows.count == 1; }));
    }
    bool pump(const std::function<bool()>& until) { return fnd::RunLoop::main().pumpUntil(until, 20.0); }
    std::vector<devserver::DevAdsRequest> scoreRequests() {
        std::vector<devserver::DevAdsRequest> out;
        for (auto& r : ads_.requests()) {
            if (r.path == "/orvane/Service1.asmx/GetHighScoresByFilter") {
                out.push_back(r);
            }
        }
        return out;
    }
    HighScoreView& screen() { return *panel_->myView(); }
    ui::TableView& table() { return *screen().table(); }
    // The text of the label with `tag` in `view`, or "<none>".
    static std::string textOf(ui::View& view, int tag) {
        auto label = std::dynamic_pointer_cast<ui::Label>(view.viewWithTag(tag));
        return label ? label->text() : "<none>";
    }
    void saveScreenshot(const std::string& name) { EXPECT_TRUE(ui::testing::saveScreenshot(*window_, name)); }
    ORVModelController& model() { return *context_->modelController(); }
    ORVWebServiceInterface& web() { return *context_->webServiceInterface(); }

    devserver::DevAdsServer ads_;
    std::shared_ptr<devserver::DevOrvaneService> service_ = std::make_shared<devserver::DevOrvaneService>();
    std::shared_ptr<OrvaneContext> context_;
    std::unique_ptr<ScopedAppDelegate> delegate_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::Window> window_;
    std::shared_ptr<HighScoreFilterPanel> panel_;
    std::vector<std::shared_ptr<RecordingCard>> cards_;
};

} // namespace zelvan::orvane::leaderboard_test
