// The session object's store and leaderboard calls: the two goods lists with their paging, the start-up
// request of bought goods, the three score requests and the score submission, and their replies, each
// announced by one notification (orv_goods_names.h).
#include <algorithm>

#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orv_screens.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_web_service_interface.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/client/sqlite_controller.h"
#include "platform/foundation/log.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/application.h"
#include "platform/ui/window.h"

namespace zelvan::orvane {

namespace {

constexpr int kPurchasedListMax = 100000;

void post(const char* name) {
    fnd::NotificationCenter::defaultCenter().postNotificationName(name);
}

void add(fnd::Value& parameters, const std::string& key, fnd::Value value) {
    parameters.asDictionary()->setObject(std::move(value), key);
}

// Rows of the "HighScoresArray" element.
template <class Row>
std::vector<Row> rowsOf(const fnd::Value& envelope) {
    std::vector<Row> rows;
    fnd::Value list = ORVParser::listValue(ORVParser::dictionaryValue(envelope, "HighScoresArray"), "HighScoreClass");
    if (auto items = list.asArray()) {
        for (size_t i = 0; i < items->count(); ++i) {
            if (items->objectAtIndex(i).isDictionary()) {
                rows.push_back(Row::initWithInfo(items->objectAtIndex(i)));
            }
        }
    }
    return rows;
}

} // namespace

std::shared_ptr<ORVFileDownloadHandler> ORVShadow::vgController() {
    if (!vgController_) {
        if (auto screens = context_.screens()) {
            vgController_ = screens->makeFileDownloadHandler();
        }
    }
    return vgController_;
}

void ORVShadow::getAllVGStoreItems() {
    fnd::Value parameters = genericParameters();
    add(parameters, "start", webService_->startForAllVGStoreItems());
    add(parameters, "max", ORVWebServiceInterface::kPageSize);
    call("GetAllVGStoreItems", parameters);
}

void ORVShadow::getPurcahsedVGStoreItems() {
    fnd::Value parameters = genericParameters();
    add(parameters, "start", webService_->startForPurchasedVGStoreItems());
    add(parameters, "max", kPurchasedListMax);
    call("GetPurchasedVGStoreItems", parameters);
}

void ORVShadow::requestPurchasedGoodsAtStartUp() {
    if (!context_.screens()) {
        // Its reply only ever opens a store: without screens there is nothing to ask for.
        return;
    }
    fnd::Value parameters = genericParameters();
    add(parameters, "start", 0);
    add(parameters, "max", kPurchasedListMax);
    send(serviceURL("GetPurchasedVGStoreItems"), "StartUpPurchasedVGStoreItems", parameters);
}

void ORVShadow::alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int buttonIndex) {
    // The prepared store lives on only in the facade's (weak) hold and in a window it is added to.
    auto prepared = std::move(preparedStore_);
    if (buttonIndex != 1) {
        return;
    }
    auto facade = context_.facade();
    auto store = facade ? facade->GetVirtualGoodsView() : nullptr;
    auto windows = ui::Application::shared().windows();
    if (!store || windows.empty()) {
        ORVLog::logWithLevel(3, "ORVShadow: no store view to show for the bought item");
        return;
    }
    windows.front()->addSubview(store);
}

void ORVShadow::getHighScores(const ORVFilters& filters, int days) {
    const auto& service = webService_;
    fnd::Value parameters = genericParameters();
    for (size_t i = 0; i < filters.size(); ++i) {
        add(parameters, "filter" + std::to_string(i + 1), filters[i]);
    }
    add(parameters, "daysold", days);
    add(parameters, "start", service->start1());
    add(parameters, "max", service->max1());
    service->advanceStart1();
    ++highScoresPending_;
    call("GetHighScoresByFilter", parameters);
}

void ORVShadow::ShowHighScoresPanelByChallenge(int days, const std::string& challengeId) {
    fnd::Value parameters = genericParameters();
    add(parameters, "challengeid", challengeId);
    add(parameters, "daysold", days);
    add(parameters, "start", 0);
    add(parameters, "max", 0);
    call("GetHighScoresByChallenge", parameters);
}

void ORVShadow::getHighScoresImage(const std::string& highScoreId) {
    fnd::Value parameters = genericParameters();
    add(parameters, "HighScoreID", highScoreId);
    call("GetHighScoreImage", parameters);
}

void ORVShadow::showSubmitHighScores(const ORVScoreSubmission& s) {
    fnd::Value parameters = genericParameters();
    for (size_t i = 0; i < s.filters.size(); ++i) {
        add(parameters, "filter" + std::to_string(i + 1), s.filters[i]);
    }
    for (size_t i = 0; i < s.scores.size(); ++i) {
        add(parameters, "score" + std::to_string(i + 1), s.scores[i]);
    }
    add(parameters, "screenshot", s.screenShot);
    add(parameters, "scoreverification", s.scoreVerification);
    add(parameters, "playername", s.playerName);
    add(parameters, "challengeid", s.challengeId);
    ++submitPending_;
    call("SubmitHighScore", parameters);
}

bool ORVShadow::receiveGoodsReply(std::string_view method, const Reply& reply) {
    if (method == "GetAllVGStoreItems" || method == "GetPurchasedVGStoreItems") {
        handleStoreListReply(method == "GetAllVGStoreItems", reply);
    } else if (method == "StartUpPurchasedVGStoreItems") {
        webService_->GetAllPurchasedVGStoreItemsRequestDidRecieveData(reply);
    } else if (method == "PurchaseVGWithCurrency") {
        webService_->handlePurchaseReply(reply);
    } else if (method == "GetHighScoresByFilter") {
        handleHighScoresReply(reply);
    } else if (method == "GetHighScoresByChallenge") {
        handleChallengeScoresReply(reply);
    } else if (method == "GetHighScoreImage") {
        handleHighScoreImageReply(reply);
    } else if (method == "SubmitHighScore") {
        handleSubmitScoreReply(reply);
    } else {
        return false;
    }
    return true;
}

void ORVShadow::handleStoreListReply(bool all, const Reply& reply) {
    const char* method = all ? "GetAllVGStoreItems" : "GetPurchasedVGStoreItems";
    if (!reply.ok()) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: %s failed (%s)", method, reply.reason);
        if (all) {
            post(reply.errorMessage ? kORVAllVGStoreItemsError : kORVAllVGStoreItemsNetError);
        } else {
            post(reply.errorMessage ? kORVPurchasedVGStoreItemsError : kORVPurchasedVGStoreItemsNetError);
        }
        return;
    }
    ORVVGStoreItemsReturn list = ORVVGStoreItemsReturn::initWithInfo(reply.envelope);
    const auto& service = webService_;
    if (all) {
        service->updateStartForAllVGStoreItems();
        service->setMoreDataValueForAllItems(list.moreDataAvailable);
        model()->setAllVGStoreItemsArray(std::move(list));
        post(kORVAllVGStoreItemsReceived);
    } else {
        service->updateStartForPurchasedVGStoreItems();
        service->setMoreDataValueForPurchasedItems(list.moreDataAvailable);
        model()->setPurchasedVGStoreItemsArray(std::move(list));
        post(kORVPurchasedVGStoreItemsReceived);
    }
}

void ORVShadow::handleHighScoresReply(const Reply& reply) {
    highScoresPending_ = std::max(0, highScoresPending_ - 1);
    if (!reply.ok()) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: GetHighScoresByFilter failed (%s)", reply.reason);
        if (reply.errorMessage) {
            lastEightSource_ = EightSource::HighScoresByFilter;
            post(kORVHighScoresError);
        } else {
            post(kORVHighScoresNetError);
        }
        return;
    }
    fnd::Value best = ORVParser::dictionaryValue(reply.envelope, "UsersBestScore");
    std::optional<ORVHighScoreReturn> bestRow;
    if (best.isDictionary()) {
        bestRow = ORVHighScoreReturn::initWithInfo(best);
    }
    model()->cacheHighScores(rowsOf<ORVHighScoreReturn>(reply.envelope), std::move(bestRow));
    webService_->setMoreDataValue(orvIntValue(reply.envelope, "MoreDataAvailable"));
    post(kORVHighScoresReceived);
}

void ORVShadow::handleChallengeScoresReply(const Reply& reply) {
    if (!reply.ok()) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: GetHighScoresByChallenge failed (%s)", reply.reason);
        post(reply.errorMessage ? kORVChallengeScoresError : kORVChallengeScoresNetError);
        return;
    }
    model()->cacheHighScoresByChallenge(rowsOf<ORVHighScoreByChallengeReturn>(reply.envelope));
    post(kORVChallengeScoresReceived);
}

void ORVShadow::handleHighScoreImageReply(const Reply& reply) {
    std::optional<std::string> image =
        reply.ok() ? ORVParser::stringValue(reply.envelope, "HighScoreImage") : std::nullopt;
    if (!image) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: GetHighScoreImage failed (%s)",
                reply.ok() ? "no HighScoreImage" : reply.reason);
        post(reply.errorMessage ? kORVHighScoreImageError : kORVHighScoreImageNetError);
        return;
    }
    model()->setHighScoreImageReturnObj({std::move(*image)});
    post(kORVHighScoreImageReceived);
}

void ORVShadow::handleSubmitScoreReply(const Reply& reply) {
    submitPending_ = std::max(0, submitPending_ - 1);
    if (!reply.envelope.isDictionary()) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: SubmitHighScore failed (%s)", reply.reason);
        lastEightSource_ = EightSource::SubmitHighScore;
        post(kORVSubmitScoreNoData);
        return;
    }
    ORVSubmitHighScoreReturn result = ORVSubmitHighScoreReturn::initWithInfo(
        ORVParser::dictionaryValue(reply.envelope, "SubmitHighScoreReturnObject"));
    if (reply.errorMessage) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: SubmitHighScore failed (%s)", reply.reason);
        result.submitHighScoreFailMessage = orvStringValue(reply.envelope, "ErrorMessage");
        model()->setSubmitHighScoreReturnObj(std::move(result));
        post(kORVSubmitScoreFailed);
        return;
    }
    model()->setSubmitHighScoreReturnObj(std::move(result));
    post(kORVSubmitScoreReturned);
}

} // namespace zelvan::orvane
