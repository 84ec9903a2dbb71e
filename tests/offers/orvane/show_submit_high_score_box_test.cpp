// The submit-score dialog against the dev server's fake offer service: where the facade puts it, the name
// it starts with, the name rules, the request and every answer, retry, cancel, the closing notifications,
// the shared "8", and pictures of its panels for a person to look at.
#include <gtest/gtest.h>

#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/kit/show_box_label.h"
#include "offers/orvane/orv_default_screens.h"
#include "offers/orvane/scores/high_score_filter_panel.h"
#include "offers/orvane/scores/show_submit_high_score_box.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/testing/keyboard.h"
#include "tests/offers/orvane/score_dialog_test_support.h"

namespace zelvan::orvane {
namespace {

using devserver::OrvaneReplyMode;
using ui::testing::Keyboard;
using ui::testing::TouchDriver;

class ShowSubmitHighScoreBoxTest : public widget_test::ScoreDialogTest {
protected:
    void SetUp() override {
        ScoreDialogTest::SetUp();
        context_->setScreens(std::make_shared<ORVDefaultScreens>());
        values_.filters = {"Easy", "Level 2", "", "f4", "f5", "f6"};
        values_.scores = {10, 20, 30, 40, 50, 60, 70};
        values_.screenShot = "shot";
        values_.scoreVerification = "verify";
    }
    std::shared_ptr<ShowSubmitHighScoreBox> open() {
        return std::dynamic_pointer_cast<ShowSubmitHighScoreBox>(facade_->showSubmitHighScoresBox(values_));
    }
    // Types `name` into the dialog's field and taps "Submit Online".
    void submit(ShowSubmitHighScoreBox& box, const std::string& name) {
        box.playerTxt()->setText(name);
        ASSERT_TRUE(tap(box.currentView(), "Submit Online"));
    }

    ORVScoreSubmission values_;
};

TEST_F(ShowSubmitHighScoreBoxTest, TheFacadePlacesTheDialogAndItsNameFieldPrefersTheFriendlyName) {
    fnd::UserDefaults::standard().setObject(fnd::Value("Last-1"), "lastPlayerName");
    facade_->setBeaconSwitch(1);
    auto box = open();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->superview(), window_); // the application's super view: its first window
    EXPECT_EQ(facade_->currentSDKView(), box);
    EXPECT_EQ(box->frame(), gfx::Rect(0, 0, 320, 480));
    EXPECT_EQ(box->backGroundImage()->frame(), gfx::Rect(20, 90, 280, 260));
    EXPECT_EQ(box->currentView(), box->firstView());
    EXPECT_EQ(box->playerTxt()->text(), "Last-1");
    EXPECT_EQ(context_->filtersValueInfo()->filters(), values_.filters);
    EXPECT_TRUE(facade_->beaconRecorder().sections().at(0).timed);
    shoot("orvane-submit-first-panel.png");
    ASSERT_TRUE(tap(box->currentView(), "Cancel"));
    EXPECT_FALSE(box->superview());
    EXPECT_TRUE(facade_->beaconRecorder().sections()[0].ended);

    ORVConnectReturn connect;
    connect.userAccount = ORVUserAccount{"Demo Player", "Coins", 5, "p-1"};
    context_->modelController()->cacheConnectReturn(connect);
    box = open();
    EXPECT_EQ(box->playerTxt()->text(), "Demo Player");
}

TEST_F(ShowSubmitHighScoreBoxTest, NameRulesRefuseWithTheirOwnTextsAndTheKeyboardLiftsThePanel) {
    auto box = open();
    ui::AnimationLog::clear();
    TouchDriver::tap(window_, widget_test::centerInWindow(*box->playerTxt()));
    ASSERT_TRUE(Keyboard::isVisible());
    EXPECT_EQ(Keyboard::returnKeyType(), ui::ReturnKeyType::Done);
    EXPECT_EQ(box->backGroundImage()->frame(), gfx::Rect(20, 5, 280, 260));
    ASSERT_FALSE(ui::AnimationLog::entries().empty());
    EXPECT_EQ(ui::AnimationLog::entries().back().duration, 0.3);

    struct Case {
        std::string name, alert; // the alert's title, message and button; "" when accepted
    };
    const std::string title = "Invalid Player Name|";
    const std::vector<Case> cases = {
        {"a", title + "Enter at least 2 characters| Ok "},
        {"abcdefghijk", title + "Enter 10 characters at max| OK "},
        {"a_b", title + "Only Alpabets, digits and hyphen character is allowed| OK "},
        {"   ", title + "Only alpabets, digits and hyphen character is allowed | OK "},
        {"\t", title + "Only alpabets, digits and hyphen character is allowed | OK "},
        {"Jo-3 Ann", ""},
        {"ab", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!Keyboard::isVisible()) {
            TouchDriver::tap(window_, widget_test::centerInWindow(*box->playerTxt()));
        }
        box->playerTxt()->setText(c.name);
        ASSERT_TRUE(Keyboard::pressReturn());
        if (c.alert.empty()) {
            EXPECT_FALSE(ui::testing::AlertDriver::visible());
            EXPECT_FALSE(Keyboard::isVisible());
            EXPECT_EQ(box->backGroundImage()->frame(), box->boxFrame());
        } else {
            EXPECT_EQ(answerAlert(), c.alert);
            EXPECT_TRUE(Keyboard::isVisible());
        }
    }
    EXPECT_TRUE(requestsOf("SubmitHighScore").empty()); // Return only checks
}

TEST_F(ShowSubmitHighScoreBoxTest, SubmitSendsTheTrimmedNameWithTheScoreAndShowsEachAnswer) {
    widget_test::HeardInOrder heard({kORVSuccessNotification});
    auto box = open();
    box->playerTxt()->setText("  Al \n");
    box->submitOnlineAction(); // as "Submit Online" does, without a tap running the loop to the answer
    EXPECT_EQ(box->playerTxt()->text(), "Al");
    EXPECT_EQ(box->currentView(), box->progressView());
    EXPECT_TRUE(box->progressIndicator()->isAnimating());
    shoot("orvane-submit-progress-panel.png");
    ASSERT_TRUE(pump([&] { return box->currentView() == box->successMsgView(); }));
    const auto sent = requestsOf("SubmitHighScore").at(0);
    const std::vector<std::pair<std::string, std::string>> expected = {{"filter1", "Easy"},
                                                                       {"filter2", "Level 2"},
                                                                       {"filter3", ""},
                                                                       {"filter4", "f4"},
                                                                       {"filter5", "f5"},
                                                                       {"filter6", "f6"},
                                                                       {"score1", "10"},
                                                                       {"score4", "40"},
                                                                       {"score7", "70"},
                                                                       {"screenshot", "shot"},
                                                                       {"scoreverification", "verify"},
                                                                       {"playername", "Al"},
                                                                       {"challengeid", ""}};
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(sent.param(key), value) << key;
    }
    EXPECT_EQ(heard.heard, std::vector<std::string>{kORVSuccessNotification});
    EXPECT_EQ(fnd::UserDefaults::standard().stringForKey("lastPlayerName"), "Al");
    EXPECT_FALSE(box->isObserving());
    shoot("orvane-submit-success-panel.png");

    // A time-out in any letter case is a network failure that can be retried with the same values.
    service_->setReplyContent("SubmitHighScore", "<ErrorMessage>Request timeout expired</ErrorMessage>");
    box = open();
    submit(*box, "Bea");
    ASSERT_TRUE(pump([&] { return box->currentView() == box->serverNetErrorView(); }));
    EXPECT_EQ(box->errorLabelTxt()->text(), "Connection Timeout");
    service_->setReplyContent("SubmitHighScore", "");
    box->playerTxt()->setText("Bea");
    ASSERT_TRUE(tap(box->currentView(), "Retry"));
    ASSERT_TRUE(pump([&] { return box->currentView() == box->successMsgView(); }));
    const auto both = requestsOf("SubmitHighScore");
    ASSERT_EQ(both.size(), 3u);
    for (const char* key : {"playername", "score1", "score7", "filter1", "screenshot"}) {
        EXPECT_EQ(both[2].param(key), both[1].param(key)) << key;
    }

    // Any other server error refuses the name; no data is a network failure.
    service_->setMode("SubmitHighScore", OrvaneReplyMode::ErrorMessage);
    box = open();
    submit(*box, "Cy");
    ASSERT_TRUE(pump([&] { return box->currentView() == box->failureMsgView(); }));
    EXPECT_EQ(box->failureLabel()->text(), "The player name you choose was not accepted");
    shoot("orvane-submit-failure-panel.png");
    service_->setMode("SubmitHighScore", OrvaneReplyMode::Empty);
    box = open();
    submit(*box, "Di");
    ASSERT_TRUE(pump([&] { return box->currentView() == box->serverNetErrorView(); }));
    EXPECT_EQ(box->errorLabelTxt()->text(), "Network is unreachable. Please check your internet connection.");
    shoot("orvane-submit-network-panel.png");
    EXPECT_EQ(heard.count(kORVSuccessNotification), 2);
}

TEST_F(ShowSubmitHighScoreBoxTest, CancelWhileSubmittingReturnsToTheNameAndALateAnswerChangesNothing) {
    widget_test::HeardInOrder heard({kORVSubmitScoreNoData, kORVSuccessNotification});
    service_->setMode("SubmitHighScore", OrvaneReplyMode::Stall);
    auto box = open();
    submit(*box, "Eve");
    ASSERT_TRUE(tap(box->currentView(), "Cancel"));
    EXPECT_EQ(box->currentView(), box->firstView());
    EXPECT_FALSE(box->progressView()->superview());
    EXPECT_FALSE(box->progressIndicator()->isAnimating());
    service_->releaseStalls();
    ASSERT_TRUE(pump([&] { return heard.count(kORVSubmitScoreNoData) == 1; }));
    EXPECT_EQ(box->currentView(), box->firstView());
    EXPECT_EQ(box->firstView()->superview(), box->backGroundImage());
    EXPECT_FALSE(box->serverNetErrorView()->superview());
}

TEST_F(ShowSubmitHighScoreBoxTest, ClosingActionsPostTheirNotificationsInTheirOrder) {
    const std::vector<std::string> names = {kORVShowBoxNotification, kORVMainMenuEventNotification,
                                            kORVPlayGameAgainEventNotification};
    struct Case {
        OrvaneReplyMode mode; // how the service answers before the button is tapped
        std::string button;
        std::string expected; // the name heard, and whether the dialog was still shown then
    };
    const std::vector<Case> cases = {
        {OrvaneReplyMode::Good, "Play Again", "ORV_PLAY_GAME_AGAIN_EVENT_NOTIFICATION shown"},
        {OrvaneReplyMode::Good, "Main Menu", "ORV_MAIN_MENU_EVENT_NOTIFICATION gone"},
        {OrvaneReplyMode::Empty, "Give Up", "ORV_SHOW_BOX_NOTIFICATION shown"},
        {OrvaneReplyMode::ErrorMessage, "OK", "ORV_SHOW_BOX_NOTIFICATION shown"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        service_->setMode("SubmitHighScore", c.mode);
        auto box = open();
        std::vector<std::string> heard;
        std::vector<fnd::ObserverToken> tokens;
        for (const auto& name : names) {
            tokens.push_back(fnd::NotificationCenter::defaultCenter().addObserver(
                name, fnd::Value(), [&heard, &box, name](const fnd::Notification&) {
                    heard.push_back(name + (box->superview() ? " shown" : " gone"));
                }));
        }
        submit(*box, "Fay");
        ASSERT_TRUE(pump([&] { return box->currentView() != box->progressView(); }));
        ASSERT_TRUE(tap(box->currentView(), c.button));
        EXPECT_EQ(heard, std::vector<std::string>{c.expected});
        EXPECT_FALSE(box->superview());
    }
    // Give Up and OK also drop the cached result.
    EXPECT_FALSE(context_->modelController()->getSubmitHighScoreReturnObj());
}

TEST_F(ShowSubmitHighScoreBoxTest, AnEightAnsweringTheLeaderboardIsNotTheDialogsNorTheOtherWayRound) {
    widget_test::HeardInOrder eights({kORVHighScoresError});
    // The dialog's "no data" while the leaderboard waits is not the leaderboard's.
    service_->setMode("GetHighScoresByFilter", OrvaneReplyMode::Stall);
    service_->setMode("SubmitHighScore", OrvaneReplyMode::Empty);
    auto panel = HighScoreFilterPanel::initWithFrame(gfx::Rect(0, 0, 320, 480), values_.filters);
    window_->addSubview(panel);
    auto box = open();
    submit(*box, "Gus");
    ASSERT_TRUE(pump([&] { return eights.heard.size() == 1; }));
    EXPECT_EQ(box->currentView(), box->serverNetErrorView());
    EXPECT_TRUE(panel->listeningForRows());
    EXPECT_FALSE(ui::testing::AlertDriver::visible());
    panel->removeFromSuperview();
    panel.reset();

    // The leaderboard's "8" while the dialog waits is not the dialog's; its own "8" then is.
    service_->setMode("SubmitHighScore", OrvaneReplyMode::Stall);
    service_->setMode("GetHighScoresByFilter", OrvaneReplyMode::ErrorMessage);
    box = open();
    submit(*box, "Hal");
    context_->shadow()->getHighScores(values_.filters, 1);
    ASSERT_TRUE(pump([&] { return eights.heard.size() == 2; }));
    EXPECT_EQ(box->currentView(), box->progressView());
    EXPECT_TRUE(box->isObserving());
    service_->releaseStalls();
    ASSERT_TRUE(pump([&] { return eights.heard.size() == 3; }));
    EXPECT_EQ(box->currentView(), box->serverNetErrorView());
    EXPECT_FALSE(box->isObserving());
}

TEST_F(ShowSubmitHighScoreBoxTest, ViewHighScoresSlidesTheLeaderboardUpOverTheDialogAndItsCloseTellsNoOne) {
    widget_test::HeardInOrder closed({kORVShowBoxNotification});
    auto box = open();
    submit(*box, "Ida");
    ASSERT_TRUE(pump([&] { return box->currentView() == box->successMsgView(); }));
    ui::AnimationLog::clear();
    ASSERT_TRUE(tap(box->currentView(), "View High Scores"));
    auto panel = std::dynamic_pointer_cast<HighScoreFilterPanel>(box->highScoresPanel());
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->openedFromORVView());
    EXPECT_EQ(box->subviews().back(), panel);
    EXPECT_EQ(panel->frame(), gfx::Rect(0, 0, 320, 480));
    bool slid = false;
    for (const auto& entry : ui::AnimationLog::entries()) {
        for (const auto& property : entry.properties) {
            slid |= entry.duration == 0.8 && property.target.lock() == panel && property.property == "frame";
        }
    }
    EXPECT_TRUE(slid);
    ASSERT_TRUE(pump([&] { return !panel->dataArray().empty(); }));
    EXPECT_EQ(requestsOf("GetHighScoresByFilter").back().param("filter2"), "Level 2");
    panel->backButtonAction();
    advance(1);
    EXPECT_FALSE(panel->superview());
    EXPECT_EQ(box->superview(), window_); // the dialog stays underneath
    EXPECT_TRUE(closed.heard.empty());
}

} // namespace
} // namespace zelvan::orvane
