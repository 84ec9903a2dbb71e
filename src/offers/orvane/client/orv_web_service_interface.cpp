// The offer network's paging counters, the purchase call and the start-up prompts about bought goods.
#include "offers/orvane/client/orv_web_service_interface.h"

#include <algorithm>
#include <climits>
#include <set>

#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orv_screens.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/client/sqlite_controller.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/application.h"
#include "platform/ui/window.h"

namespace zelvan::orvane {

namespace {

void post(const char* name) {
    fnd::NotificationCenter::defaultCenter().postNotificationName(name);
}

// a + b for b >= 0, stopping at INT_MAX.
int saturatingAdd(int a, int b) {
    return a > INT_MAX - b ? INT_MAX : a + b;
}

// Adds the view to the application's first window; false when there is none.
bool addToFirstWindow(const std::shared_ptr<ui::View>& view) {
    auto windows = ui::Application::shared().windows();
    if (!view || windows.empty()) {
        return false;
    }
    windows.front()->addSubview(view);
    return true;
}

} // namespace

ORVWebServiceInterface::ORVWebServiceInterface(OrvaneContext& context, std::shared_ptr<ORVModelController> model,
                                               std::shared_ptr<SqliteController> store,
                                               std::shared_ptr<LocalPurchasedItems> localPurchasedItems)
    : context_(context), model_(std::move(model)), store_(std::move(store)),
      localPurchasedItems_(std::move(localPurchasedItems)) {}

void ORVWebServiceInterface::sendVGPurchaseItemRequest(fnd::Value genericParameters, const std::string& storeItemId) {
    if (!genericParameters.isDictionary()) {
        genericParameters = fnd::Value::dictionary();
    }
    genericParameters.asDictionary()->setObject(storeItemId, "VirtualGoodID");
    auto shadow = shadow_.lock();
    if (!shadow) {
        return;
    }
    const std::string base = context_.serviceBase();
    shadow->send(base.empty() ? std::string() : base + kPurchasePath, "PurchaseVGWithCurrency",
                 std::move(genericParameters));
}

void ORVWebServiceInterface::handlePurchaseReply(const ORVShadow::Reply& reply) {
    if (!reply.envelope.isDictionary()) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: PurchaseVGWithCurrency failed (%s)", reply.reason);
        post(kORVPurchaseNetError);
        return;
    }
    if (reply.errorMessage) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: PurchaseVGWithCurrency failed (%s)", reply.reason);
        post(kORVPurchaseServiceError);
        return;
    }
    std::optional<ORVUserAccount> account;
    fnd::Value element = ORVParser::dictionaryValue(reply.envelope, "UserAccountObject");
    if (element.isDictionary()) {
        account = ORVUserAccount::initWithInfo(element);
    }
    model_->cachePurchaseReturn(ORVVGPurchaseReturn::initWithInfo(reply.envelope), std::move(account));
    post(kORVPurchaseReturn);
}

void ORVWebServiceInterface::updateStartForAllVGStoreItems() {
    startAll_ = saturatingAdd(startAll_, kPageSize);
}

void ORVWebServiceInterface::updateStartForPurchasedVGStoreItems() {
    startPurchased_ = saturatingAdd(startPurchased_, kPageSize);
}

void ORVWebServiceInterface::setMoreDataValueForAllItems(int more) {
    moreAll_ = std::max(0, more);
}

void ORVWebServiceInterface::setMoreDataValueForPurchasedItems(int more) {
    morePurchased_ = std::max(0, more);
}

void ORVWebServiceInterface::RelaodStartMax1() {
    start1_ = 0;
    max1_ = kPageSize;
}

void ORVWebServiceInterface::advanceStart1() {
    start1_ = saturatingAdd(start1_, max1_);
}

void ORVWebServiceInterface::setMoreDataValue(int more) {
    moreScores_ = std::max(0, more);
}

void ORVWebServiceInterface::GetAllPurchasedVGStoreItemsRequestDidRecieveData(const ORVShadow::Reply& reply) {
    if (!reply.ok()) {
        ZLOG_TO(kOrvaneLog, Warn, "offer network: the bought goods could not be read (%s)", reply.reason);
        post(reply.errorMessage ? kORVPurchasedVGStoreItemsError : kORVPurchasedVGStoreItemsNetError);
        return;
    }
    ORVVGStoreItemsReturn list = ORVVGStoreItemsReturn::initWithInfo(reply.envelope);
    const size_t serverCount = list.ORVAllVGStoreItemClassObject.size();
    model_->setPurchasedVGStoreItemsArray(list);
    auto facade = context_.facade();
    if (!facade || !context_.screens()) {
        ORVLog::logWithLevel(4, "ORVWebServiceInterface: no store to offer the bought goods in");
        return;
    }
    const auto stored = store_->getPurchasedItemsIDArray();
    const std::set<std::string> local(stored.begin(), stored.end());
    const auto& items = list.ORVAllVGStoreItemClassObject;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].VGStoreItemID.empty() || local.count(items[i].VGStoreItemID) != 0) {
            continue;
        }
        if (facade->GetVirtualGoodsView()) {
            // A store is open (or prepared) already: it lists the item itself.
            return;
        }
        auto store = facade->GetVirtualGoodsWithTab(1, static_cast<int>(std::min<size_t>(i, INT_MAX)));
        if (!store) {
            return;
        }
        auto shadow = shadow_.lock();
        if (!shadow) {
            return;
        }
        shadow->holdPreparedStore(store);
        const std::string message =
            fnd::format("You have successfully acquired item %@. Would you like to download it now?", items[i].Name);
        ui::AlertView::initWithTitle("", message, std::weak_ptr<ui::AlertViewDelegate>(shadow), "Cancel", {"OK"})
            ->show();
        return;
    }
    localPurchasedItems_->localDataUpdateReceievedSelector(serverCount);
}

bool LocalPurchasedItems::localDataUpdateReceievedSelector(size_t serverCount) {
    if (!context_.screens() || serverCount <= store_->getPurchasedItemsIDArray().size()) {
        return false;
    }
    ui::AlertView::initWithTitle("", kMessage, weak_from_this(), "NO", {"YES"})->show();
    return true;
}

void LocalPurchasedItems::alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int buttonIndex) {
    if (buttonIndex != 1) {
        ORVLog::logWithLevel(4, "User refused to get purchased item updates.");
        return;
    }
    model_->releaseCachePurchasedVGStoreArray();
    auto facade = context_.facade();
    auto store = facade ? facade->GetVirtualGoodsWithTab(2) : nullptr;
    if (!addToFirstWindow(store)) {
        ORVLog::logWithLevel(3, "LocalPurchasedItems: the store could not be opened");
    }
}

} // namespace zelvan::orvane
