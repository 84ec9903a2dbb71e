// The store, purchase and leaderboard calls against the dev server's fake offer service (paging, every reply
// path, the shared "8"), the bought-item prompts and the screen openers through a recording screen set,
// and the local store of bought goods.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_screens.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/client/sqlite_controller.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/window.h"
#include "tests/support/scoped_app_delegate.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::orvane {
namespace {

using devserver::OrvaneReplyMode;
using ui::testing::AlertDriver;

struct FakeStore : ORVStoreView {
    int loads = 0;
    void myLoadView() override { ++loads; }
};

// Records what the core asks of the screens; keeps no screen alive.
struct FakeScreens : ORVScreens {
    std::vector<std::string> calls;
    std::vector<std::weak_ptr<FakeStore>> stores;
    ORVScoreSubmission submitted;

    std::shared_ptr<ORVStoreView> makeVirtualGoods(gfx::Rect f) override {
        calls.push_back(rect("store", f));
        auto store = ui::View::create<FakeStore>(f);
        stores.push_back(store);
        return store;
    }
    std::shared_ptr<ui::View> makeHighScoreFilterPanel(gfx::Rect f, const ORVFilters& filters) override {
        calls.push_back(rect("panel", f) + " " + filters[0] + "," + filters[5]);
        return ui::View::create<ui::View>(f);
    }
    std::shared_ptr<ui::View> makeSubmitHighScoreBox(gfx::Rect f, const ORVScoreSubmission& values) override {
        calls.push_back(rect("submit", f));
        submitted = values;
        return ui::View::create<ui::View>(f);
    }
    std::shared_ptr<ORVFileDownloadHandler> makeFileDownloadHandler() override { return nullptr; }
    static std::string rect(const char* what, gfx::Rect f) {
        return std::string(what) + " " + std::to_string(int(f.origin.x)) + "," + std::to_string(int(f.origin.y)) + "," +
               std::to_string(int(f.size.width)) + "," + std::to_string(int(f.size.height));
    }
};

// Counts the notifications of one name, noting any that came with an object.
struct Heard {
    explicit Heard(const char* name)
        : token(fnd::NotificationCenter::defaultCenter().addObserver(name, fnd::Value(), [this](const auto& n) {
              ++count;
              withObject |= !n.object.isNull();
          })) {}
    int count = 0;
    bool withObject = false;
    fnd::ObserverToken token;
};

class OrvaneGoodsTest : public ::testing::Test {
protected:
    void SetUp() override {
        devserver::addOrvaneRoutes(ads_, service_);
        ASSERT_TRUE(ads_.start());
        context_ = makeOrvane(NetworkEndpoint(ads_.baseURL(), "/orvane"), "/skin");
        context_->setDeviceId("device-1");
        AppRegistry registry;
        registry.orvane.factory = ServiceSlot<OrvaneContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
    }
    void TearDown() override {
        while (auto panel = AlertDriver::visible()) {
            panel->dismissWithClickedButtonIndex(0, ui::Animated::No);
        }
        service_->releaseStalls();
        if (window_) {
            window_->setHidden(true);
        }
        fnd::RunLoop::main().runUntilIdle();
        ads_.stop();
        fnd::Clock::install(nullptr);
    }
    // A visible window (the application's first) and the recording screens.
    void withScreens() {
        clock_ = fnd::ManualClock::install();
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        context_->setScreens(screens_);
    }
    std::vector<devserver::DevAdsRequest> requestsOf(const std::string& path) {
        std::vector<devserver::DevAdsRequest> out;
        for (auto& r : ads_.requests()) {
            if (r.path == path || r.path == "/orvane/Service1.asmx/" + path) {
                out.push_back(r);
            }
        }
        return out;
    }
    bool pump(const std::function<bool()>& until) { return fnd::RunLoop::main().pumpUntil(until, 20.0); }
    ORVShadow& shadow() { return *context_->shadow(); }
    ORVWebServiceInterface& web() { return *context_->webServiceInterface(); }
    ORVModelController& model() { return *context_->modelController(); }

    devserver::DevAdsServer ads_;
    std::shared_ptr<devserver::DevOrvaneService> service_ = std::make_shared<devserver::DevOrvaneService>();
    std::shared_ptr<OrvaneContext> context_;
    std::unique_ptr<ScopedAppDelegate> delegate_;
    std::shared_ptr<FakeScreens> screens_ = std::make_shared<FakeScreens>();
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::Window> window_;
};

const std::vector<OrvaneReplyMode> kBadModes = {OrvaneReplyMode::ErrorMessage, OrvaneReplyMode::Garbage,
                                                OrvaneReplyMode::Empty, OrvaneReplyMode::ServerError};

TEST_F(OrvaneGoodsTest, StoreListsPageByStartAndKeepTheirCacheOnBadReplies) {
    Heard good(kORVAllVGStoreItemsReceived), error(kORVAllVGStoreItemsError), net(kORVAllVGStoreItemsNetError);
    const std::vector<std::pair<int, int>> pages = {{25, 35}, {25, 10}, {10, 0}}; // items, MoreDataAvailable
    for (size_t i = 0; i < pages.size(); ++i) {
        shadow().getAllVGStoreItems();
        ASSERT_TRUE(pump([&] { return good.count == int(i) + 1; }));
        const auto sent = requestsOf("GetAllVGStoreItems").back();
        EXPECT_EQ(sent.param("start"), std::to_string(i * 25));
        EXPECT_EQ(sent.param("max"), "25");
        EXPECT_EQ(model().getAllVGStoreItemsArray()->ORVAllVGStoreItemClassObject.size(), size_t(pages[i].first));
        EXPECT_EQ(web().getMoreDataValueForAllItems(), pages[i].second);
    }
    const auto& last = model().getAllVGStoreItemsArray()->ORVAllVGStoreItemClassObject;
    EXPECT_EQ(last.front().VGStoreItemID, "goods-51");
    EXPECT_EQ(last.front().Price, 510);
    EXPECT_EQ(last.front().AttributeValues,
              (std::vector<ORVAllVGStoreItemClassAttributeValues>{{"Colour", "Blue"}, {"Level", "51"}}));
    EXPECT_EQ(last.front().currencyName, "Coins");
    EXPECT_EQ(web().startForAllVGStoreItems(), 75);

    for (auto mode : kBadModes) {
        service_->setMode("GetAllVGStoreItems", mode);
        shadow().getAllVGStoreItems();
        const int before = error.count + net.count;
        ASSERT_TRUE(pump([&] { return error.count + net.count == before + 1; }));
    }
    EXPECT_EQ(error.count, 1);
    EXPECT_EQ(net.count, 3);
    EXPECT_EQ(good.count, 3);
    EXPECT_EQ(model().getAllVGStoreItemsArray()->ORVAllVGStoreItemClassObject.size(), 10u); // kept
    EXPECT_EQ(web().startForAllVGStoreItems(), 75);
    web().reloadStartForAllVGStoreItems();
    EXPECT_EQ(web().startForAllVGStoreItems(), 0);
    EXPECT_FALSE(good.withObject || error.withObject || net.withObject);

    Heard bought(kORVPurchasedVGStoreItemsReceived), boughtError(kORVPurchasedVGStoreItemsError);
    shadow().getPurcahsedVGStoreItems();
    ASSERT_TRUE(pump([&] { return bought.count == 1; }));
    EXPECT_EQ(requestsOf("GetPurchasedVGStoreItems").back().param("max"), "100000");
    EXPECT_EQ(model().getPurchasedVGStoreItemsArray()->ORVAllVGStoreItemClassObject.size(), 3u);
    EXPECT_EQ(web().getMoreDataValueForPurchasedItems(), 0);
    service_->setMode("GetPurchasedVGStoreItems", OrvaneReplyMode::ErrorMessage);
    shadow().getPurcahsedVGStoreItems();
    ASSERT_TRUE(pump([&] { return boughtError.count == 1; }));
    model().releaseCachePurchasedVGStoreArray();
    EXPECT_FALSE(model().getPurchasedVGStoreItemsArray());

    // A negative count never lets a caller page backwards.
    const std::string body = "<OrvaneConnectReturnObject><VGStoreItemsArray/><MoreDataAvailable>-40"
                             "</MoreDataAvailable></OrvaneConnectReturnObject>";
    shadow().receiveReply("GetAllVGStoreItems",
                          ORVShadow::readReply(200, {reinterpret_cast<const uint8_t*>(body.data()), body.size()}));
    EXPECT_EQ(web().getMoreDataValueForAllItems(), 0);
}

TEST_F(OrvaneGoodsTest, LeaderboardRepliesPageAppendAndTellTheirEightApart) {
    Heard rows(kORVHighScoresReceived), eight(kORVHighScoresError), unreadable(kORVHighScoresNetError);
    const ORVFilters filters = {"Easy", "", "f3", "f4", "f5", "f&6"};
    auto list = model().getOrvaneHighScoreobj();
    shadow().getHighScores(filters, 7);
    ASSERT_TRUE(pump([&] { return rows.count == 1; }));
    auto sent = requestsOf("GetHighScoresByFilter").back();
    EXPECT_EQ(sent.param("filter1"), "Easy");
    EXPECT_EQ(sent.param("filter6"), "f&6");
    EXPECT_EQ(sent.param("daysold"), "7");
    EXPECT_EQ(sent.param("start"), "0");
    EXPECT_EQ(sent.param("max"), "25");
    EXPECT_EQ(model().getOrvaneHighScoreobj(), list); // the same list object
    ASSERT_EQ(list->size(), 25u);
    EXPECT_EQ((*list)[0].playarName(), "Player");
    EXPECT_EQ((*list)[0].score(1), 99900);
    EXPECT_EQ((*list)[0].filter(2), "");
    EXPECT_EQ(model().getUserBestScoreObj()->playarName(), "Demo Player");
    EXPECT_EQ(model().getUserBestScoreObj()->rank, 7);
    EXPECT_EQ(web().getmoredatavalue(), 15);

    model().setMoreHighScore(true);
    shadow().getHighScores(filters, 7);
    ASSERT_TRUE(pump([&] { return rows.count == 2; }));
    EXPECT_EQ(requestsOf("GetHighScoresByFilter").back().param("start"), "25");
    EXPECT_EQ(list->size(), 40u); // appended
    EXPECT_EQ(list->back().rank, 40);
    EXPECT_EQ(web().getmoredatavalue(), 0);
    web().RelaodStartMax1();
    model().setMoreHighScore(false);
    shadow().getHighScores(filters, 1);
    ASSERT_TRUE(pump([&] { return rows.count == 3; }));
    EXPECT_EQ(list->size(), 25u); // replaced

    service_->setMode("GetHighScoresByFilter", OrvaneReplyMode::ErrorMessage);
    shadow().getHighScores(filters, 1);
    ASSERT_TRUE(pump([&] { return eight.count == 1; }));
    EXPECT_EQ(shadow().lastEightSource(), ORVShadow::EightSource::HighScoresByFilter);
    service_->setMode("GetHighScoresByFilter", OrvaneReplyMode::Garbage);
    shadow().getHighScores(filters, 1);
    ASSERT_TRUE(pump([&] { return unreadable.count == 1; }));
    EXPECT_EQ(list->size(), 25u); // kept
    model().releaseHighScoresObject();
    EXPECT_TRUE(list->empty());
    EXPECT_FALSE(model().moreHighScore());

    // Challenge rows and the score picture, each with its three names.
    Heard challenge(kORVChallengeScoresReceived), challengeError(kORVChallengeScoresError),
        challengeNet(kORVChallengeScoresNetError), image(kORVHighScoreImageReceived),
        imageError(kORVHighScoreImageError), imageNet(kORVHighScoreImageNetError);
    shadow().ShowHighScoresPanelByChallenge(3, "ch-9");
    shadow().getHighScoresImage("hs-1");
    ASSERT_TRUE(pump([&] { return challenge.count == 1 && image.count == 1; }));
    EXPECT_EQ(requestsOf("GetHighScoresByChallenge").back().param("challengeid"), "ch-9");
    EXPECT_EQ(requestsOf("GetHighScoresByChallenge").back().param("max"), "0");
    EXPECT_EQ(requestsOf("GetHighScoreImage").back().param("HighScoreID"), "hs-1");
    EXPECT_EQ(model().getOrvaneHighScoreByChallengeobj()->at(0).playarName(), "Challenger");
    EXPECT_TRUE(model().getHighScoreImageReturnObj()->image.starts_with("iVBOR"));
    service_->setMode("GetHighScoresByChallenge", OrvaneReplyMode::ErrorMessage);
    service_->setMode("GetHighScoreImage", OrvaneReplyMode::Empty);
    shadow().ShowHighScoresPanelByChallenge(3, "");
    shadow().getHighScoresImage("hs-1");
    ASSERT_TRUE(pump([&] { return challengeError.count == 1 && imageNet.count == 1; }));
    EXPECT_EQ(challengeNet.count + imageError.count, 0);
    EXPECT_EQ(model().getOrvaneHighScoreByChallengeobj()->size(), 2u);

    // A submitted score: its result, its failure text, and an "8" of its own while the leaderboard waits.
    Heard submitted(kORVSubmitScoreReturned), refused(kORVSubmitScoreFailed);
    ORVScoreSubmission score;
    score.filters = filters;
    score.scores = {1, 2, 3, 4, 5, 6, 7};
    score.playerName = "Demo";
    shadow().showSubmitHighScores(score);
    ASSERT_TRUE(pump([&] { return submitted.count == 1; }));
    sent = requestsOf("SubmitHighScore").back();
    EXPECT_EQ(sent.param("score7"), "7");
    EXPECT_EQ(sent.param("playername"), "Demo");
    EXPECT_EQ(model().getSubmitHighScoreReturnObj()->TicketsAwarded, 3);
    EXPECT_FALSE(model().getSubmitHighScoreReturnObj()->submitHighScoreFailMessage);
    service_->setMode("SubmitHighScore", OrvaneReplyMode::ErrorMessage);
    shadow().showSubmitHighScores(score);
    ASSERT_TRUE(pump([&] { return refused.count == 1; }));
    EXPECT_EQ(model().getSubmitHighScoreReturnObj()->submitHighScoreFailMessage, "The service is unavailable");
    model().releaseSubmitHighScoreReturnObj();
    EXPECT_FALSE(model().getSubmitHighScoreReturnObj());

    service_->setMode("SubmitHighScore", OrvaneReplyMode::Stall);
    service_->setMode("GetHighScoresByFilter", OrvaneReplyMode::ErrorMessage);
    shadow().showSubmitHighScores(score);
    shadow().getHighScores(filters, 1);
    ASSERT_TRUE(pump([&] { return eight.count == 2; }));
    EXPECT_EQ(shadow().lastEightSource(), ORVShadow::EightSource::HighScoresByFilter);
    EXPECT_TRUE(shadow().submitHighScorePending()); // the dialog's request still waits
    service_->releaseStalls();
    ASSERT_TRUE(pump([&] { return eight.count == 3; }));
    EXPECT_EQ(shadow().lastEightSource(), ORVShadow::EightSource::SubmitHighScore);
    EXPECT_FALSE(shadow().submitHighScorePending() || shadow().highScoresByFilterPending());
    EXPECT_FALSE(rows.withObject || eight.withObject || submitted.withObject);
}

TEST_F(OrvaneGoodsTest, PurchaseUsesTheLowerCasePathAndKeepsTheAccount) {
    Heard bought(kORVPurchaseReturn), serviceError(kORVPurchaseServiceError), netError(kORVPurchaseNetError);
    web().sendVGPurchaseItemRequest(shadow().genericParameters(), "goods-4");
    ASSERT_TRUE(pump([&] { return bought.count == 1; }));
    const auto sent = requestsOf("/orvane/service1.asmx/PurchaseVGWithCurrency");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].param("VirtualGoodID"), "goods-4");
    EXPECT_EQ(sent[0].param("DeviceID"), "device-1");
    EXPECT_TRUE(model().getVGPurchaseReturnObj()->success);
    EXPECT_EQ(model().orvaneUserAccountObj()->tapPoints, 90);

    web().sendVGPurchaseItemRequest(shadow().genericParameters(), "refused");
    ASSERT_TRUE(pump([&] { return bought.count == 2; }));
    EXPECT_FALSE(model().getVGPurchaseReturnObj()->success);
    EXPECT_EQ(model().getVGPurchaseReturnObj()->message, "Not enough Coins");
    EXPECT_EQ(model().orvaneUserAccountObj()->tapPoints, 90); // an answer without an account keeps it

    service_->setMode("PurchaseVGWithCurrency", OrvaneReplyMode::ErrorMessage);
    web().sendVGPurchaseItemRequest(shadow().genericParameters(), "goods-4");
    ASSERT_TRUE(pump([&] { return serviceError.count == 1; }));
    service_->setMode("PurchaseVGWithCurrency", OrvaneReplyMode::Garbage);
    web().sendVGPurchaseItemRequest(shadow().genericParameters(), "goods-4");
    ASSERT_TRUE(pump([&] { return netError.count == 1; }));
    EXPECT_FALSE(model().getVGPurchaseReturnObj()->success); // kept
    EXPECT_FALSE(bought.withObject || serviceError.withObject || netError.withObject);
}

TEST_F(OrvaneGoodsTest, BoughtItemPromptsAndScreenOpeners) {
    withScreens();
    auto store = context_->sqliteController();
    ORVLocalVGStoreItem first;
    first.VGStoreItemID = "goods-1";
    ASSERT_TRUE(store->saveVirtualGoodData(first));

    // The start-up request after the connect: goods-2 (index 1) is not stored.
    Heard order(kORVAdOrderReceived);
    auto facade = OrvaneConnect::requestOrvaneConnectWithDelegate(nullptr);
    ASSERT_TRUE(pump([&] { return AlertDriver::visibleAlert() != nullptr && order.count == 1; }));
    auto alert = AlertDriver::visibleAlert();
    EXPECT_EQ(alert->message(), "You have successfully acquired item Item 2. Would you like to download it now?");
    EXPECT_EQ(alert->numberOfButtons(), 2);
    auto prepared = facade->GetVirtualGoodsView();
    ASSERT_TRUE(prepared);
    EXPECT_EQ(prepared->tabIndex(), 1);
    EXPECT_EQ(prepared->scrollToRow(), 1);
    EXPECT_FALSE(prepared->superview());                    // unshown
    EXPECT_EQ(screens_->calls.at(0), "store 0,20,320,460"); // under the status bar, which shows
    ASSERT_TRUE(AlertDriver::tap("OK"));
    EXPECT_EQ(prepared->superview(), window_);
    const auto info = model().getORVscoresAndFilterInfoReturn(); // from the connect reply
    ASSERT_TRUE(info);
    EXPECT_EQ(info->filterName(1), "Level");
    EXPECT_FALSE(info->ScoreName(2));
    EXPECT_EQ(info->filterValuesOf(1), (std::vector<ORVListMember>{{"1", "Easy"}, {"2", "Hard"}}));

    // None while a store view exists.
    model().releaseCachePurchasedVGStoreArray();
    shadow().requestPurchasedGoodsAtStartUp();
    ASSERT_TRUE(pump([&] { return model().getPurchasedVGStoreItemsArray().has_value(); })); // handled
    EXPECT_FALSE(AlertDriver::visible());

    // Closed, the store is let go; an alert answered after its store was replaced and closed adds nothing.
    prepared->removeFromSuperview();
    EXPECT_FALSE(facade->GetVirtualGoodsView());
    prepared.reset();
    shadow().requestPurchasedGoodsAtStartUp();
    ASSERT_TRUE(pump([&] { return AlertDriver::visibleAlert() != nullptr; }));
    auto other = facade->GetVirtualGoodsWithTab(0);
    window_->addSubview(other);
    other->removeFromSuperview();
    const size_t shown = window_->subviews().size();
    ASSERT_TRUE(AlertDriver::tap("OK"));
    EXPECT_EQ(window_->subviews().size(), shown);
    EXPECT_FALSE(other->superview());
    other.reset();
    for (const auto& weak : screens_->stores) {
        EXPECT_TRUE(weak.expired()); // no store outlives its close
    }

    // More on the server than stored: "YES" opens tab 2 in the first window, "NO" opens nothing.
    auto local = web().localPurchasedItems();
    EXPECT_FALSE(local->localDataUpdateReceievedSelector(1));
    ASSERT_TRUE(local->localDataUpdateReceievedSelector(3));
    EXPECT_EQ(AlertDriver::visibleAlert()->message(), LocalPurchasedItems::kMessage);
    ASSERT_TRUE(AlertDriver::tap("YES"));
    auto update = facade->GetVirtualGoodsView();
    ASSERT_TRUE(update);
    EXPECT_EQ(update->tabIndex(), 2);
    EXPECT_EQ(update->superview(), window_);
    EXPECT_EQ(static_cast<FakeStore&>(*update).loads, 1);
    EXPECT_FALSE(model().getPurchasedVGStoreItemsArray());
    update->removeFromSuperview();
    const size_t calls = screens_->calls.size();
    ASSERT_TRUE(local->localDataUpdateReceievedSelector(3));
    ASSERT_TRUE(AlertDriver::tap("NO"));
    EXPECT_EQ(screens_->calls.size(), calls);

    // Openers: 480 high without the status bar; the leaderboard and the submit dialog with their values.
    ui::Application::shared().setStatusBarHidden(true);
    facade->getVirtualGoods();
    ui::Application::shared().setStatusBarHidden(false);
    facade->getHighScoresByFilter({"a", "b", "c", "d", "e", "f"});
    ORVScoreSubmission score;
    score.filters = {"1", "2", "3", "4", "5", "6"};
    score.scores = {10, 20, 30, 40, 50, 60, 70};
    score.screenShot = "shot";
    score.scoreVerification = "check";
    score.challengeId = "ch-1";
    auto box = facade->showSubmitHighScoresBox(score);
    EXPECT_EQ(std::vector<std::string>(screens_->calls.begin() + long(calls), screens_->calls.end()),
              (std::vector<std::string>{"store 0,0,320,480", "panel 0,0,320,480 a,f", "submit 20,90,280,300"}));
    EXPECT_EQ(screens_->submitted.filters[5], "6");
    EXPECT_EQ(screens_->submitted.scores[6], 70);
    EXPECT_EQ(screens_->submitted.screenShot + "|" + screens_->submitted.scoreVerification + "|" +
                  screens_->submitted.challengeId,
              "shot|check|ch-1");
    EXPECT_EQ(box->superview(), window_);
    EXPECT_EQ(facade->currentSDKView(), box);
    OrvaneConnect::getFiltersValueInfo()->setFilter3("Hard");
    EXPECT_EQ(OrvaneConnect::getFiltersValueInfo()->filter3(), "Hard");
    box->removeFromSuperview();
}

TEST_F(OrvaneGoodsTest, TheGoodsStoreKeepsItemsAcrossARestartAndSetsAForeignFileAside) {
    const std::string path = SqliteController::defaultPath();
    auto item = ORVLocalVGStoreItem::initWithObject(ORVAllVGStoreItemClass{"it's \"5\"",
                                                                           "com.zelvan.x",
                                                                           "Hat",
                                                                           "A 'red' hat",
                                                                           "Wear",
                                                                           40,
                                                                           2,
                                                                           {{"Size", "L"}, {"Colour", "Red"}},
                                                                           "",
                                                                           "",
                                                                           "",
                                                                           "Coins"});
    item.setThumbImageFilePath("/docs/it/thumb.png");
    item.setDataFileDirPath("/docs/it/data");
    {
        SqliteController store(path);
        EXPECT_FALSE(store.storeItemIDExists("it's \"5\""));
        ASSERT_TRUE(store.saveVirtualGoodData(item));
        ORVLocalVGStoreItem plain;
        plain.VGStoreItemID = "plain";
        ASSERT_TRUE(store.saveVirtualGoodData(plain));
        ASSERT_TRUE(store.saveVirtualGoodData(item)); // stored again: replaced, attributes not doubled
    }
    SqliteController reopened(path); // as after a restart
    EXPECT_TRUE(reopened.storeItemIDExists("it's \"5\""));
    EXPECT_FALSE(reopened.storeItemIDExists("it's"));
    EXPECT_EQ(reopened.getPurchasedItemsIDArray(), (std::vector<std::string>{"plain", "it's \"5\""}));
    const auto items = reopened.getAllPurchasedItems();
    ASSERT_EQ(items.size(), 2u);
    const auto& back = items[1];
    EXPECT_EQ(back.Description, "A 'red' hat");
    EXPECT_EQ(back.Price, 40);
    EXPECT_EQ(back.NumberOwned, 2);
    EXPECT_EQ(back.AttributeValues, item.AttributeValues);
    EXPECT_EQ(back.thumbImageFilePath(), "/docs/it/thumb.png");
    EXPECT_EQ(back.dataFileDirPath(), "/docs/it/data");
    EXPECT_EQ(back.currencyName, "Coins");
    reopened.close();

    std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(4096, 'x');
    fnd::testing::LogCapture capture;
    SqliteController damaged(path);
    EXPECT_FALSE(damaged.storeItemIDExists("plain"));
    EXPECT_EQ(capture.count("is not this store"), 1u);
    EXPECT_TRUE(std::filesystem::exists(path + SqliteController::kSetAsideSuffix));
    ASSERT_TRUE(damaged.saveVirtualGoodData(item));
    EXPECT_EQ(damaged.getPurchasedItemsIDArray(), (std::vector<std::string>{"it's \"5\""}));
}

} // namespace
} // namespace zelvan::orvane
