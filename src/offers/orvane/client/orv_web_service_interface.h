// ORVWebServiceInterface: the offer network's paging counters of the store lists and the leaderboard, the
// purchase call, and the start-up reply of bought goods that raises the bought-item prompt. Made by
// makeOrvane. Main thread.
#pragma once

#include <memory>
#include <string>

#include "offers/orvane/client/orv_shadow.h"
#include "platform/foundation/value.h"

namespace zelvan::orvane {

class OrvaneContext;
class ORVModelController;
class SqliteController;
class LocalPurchasedItems;

class ORVWebServiceInterface {
public:
    // The page size of the store lists and the leaderboard's first page size.
    static constexpr int kPageSize = 25;
    // The purchase's path under the service base (its lower-case "s" is the service's own).
    static constexpr const char* kPurchasePath = "/service1.asmx/PurchaseVGWithCurrency";

    // `context` gives the service base and what the composition root installs (the screens, the facade);
    // the reply cache, the local store of bought goods and the update prompt are the ones makeOrvane made.
    ORVWebServiceInterface(OrvaneContext& context, std::shared_ptr<ORVModelController> model,
                           std::shared_ptr<SqliteController> store,
                           std::shared_ptr<LocalPurchasedItems> localPurchasedItems);
    ORVWebServiceInterface(const ORVWebServiceInterface&) = delete;
    ORVWebServiceInterface& operator=(const ORVWebServiceInterface&) = delete;

    // The context's interface; null without a context (orvane_entry_points.cpp).
    static std::shared_ptr<ORVWebServiceInterface> sharedInstance();

    // The session object the purchase is sent through and that answers the bought-item alert. It holds
    // this interface, so makeOrvane hands it over once both are made; held weakly.
    void setShadow(std::weak_ptr<ORVShadow> shadow) { shadow_ = std::move(shadow); }
    // The bought-goods update prompt.
    const std::shared_ptr<LocalPurchasedItems>& localPurchasedItems() const { return localPurchasedItems_; }

    // GET PurchaseVGWithCurrency with the parameters and "VirtualGoodID". Its reply posts
    // "ORV_VG_ITEM_PURCHASE_NET_ERROR" (nothing usable), "ORV_VG_ITEM_PURCHASE_SERVICE_ERROR" (an
    // ErrorMessage) or, once the answer and the account are cached, "ORV_VG_ITEM_PURCHASE_RETURN".
    void sendVGPurchaseItemRequest(fnd::Value genericParameters, const std::string& storeItemId);
    void handlePurchaseReply(const ORVShadow::Reply& reply);

    // --- The store lists' paging: the first item of the next page, and how many more the server holds
    // after the last reply (never negative). ---
    int startForAllVGStoreItems() const { return startAll_; }
    int startForPurchasedVGStoreItems() const { return startPurchased_; }
    void reloadStartForAllVGStoreItems() { startAll_ = 0; }
    void reloadStartForPurchasedVGStoreItems() { startPurchased_ = 0; }
    void updateStartForAllVGStoreItems();
    void updateStartForPurchasedVGStoreItems();
    int getMoreDataValueForAllItems() const { return moreAll_; }
    int getMoreDataValueForPurchasedItems() const { return morePurchased_; }
    void setMoreDataValueForAllItems(int more);
    void setMoreDataValueForPurchasedItems(int more);

    // --- The leaderboard's paging: start1 (0) and max1 (25). ---
    void RelaodStartMax1();
    int start1() const { return start1_; }
    int max1() const { return max1_; }
    // start1 += max1 (saturating).
    void advanceStart1();
    // The rows the server holds beyond the last GetHighScoresByFilter reply (never negative).
    int getmoredatavalue() const { return moreScores_; }
    void setMoreDataValue(int more);

    // The reply of the start-up request of all bought goods: on a good reply, for the first item not in the
    // local store (unless a store view exists) prepares the store on tab 1 at that item's row, unshown, and
    // asks whether to download it; with no such prompt, LocalPurchasedItems compares the counts. No usable
    // reply posts "SUBMIT_PURCHASED_VG_STORE_ITEMS_INTERNET_ERROR_RECIEVE_DATA", an ErrorMessage
    // "SUBMIT_PURCHASED_VG_STORE_ITEMS_ERROR_RECIEVE_DATA".
    void GetAllPurchasedVGStoreItemsRequestDidRecieveData(const ORVShadow::Reply& reply);

private:
    OrvaneContext& context_;
    std::shared_ptr<ORVModelController> model_;
    std::shared_ptr<SqliteController> store_;
    std::shared_ptr<LocalPurchasedItems> localPurchasedItems_;
    std::weak_ptr<ORVShadow> shadow_;
    int startAll_ = 0;
    int startPurchased_ = 0;
    int moreAll_ = 0;
    int morePurchased_ = 0;
    int start1_ = 0;
    int max1_ = kPageSize;
    int moreScores_ = 0;
};

// Asks whether to fetch bought items when the server lists more than the local store holds.
class LocalPurchasedItems : public ui::AlertViewDelegate, public std::enable_shared_from_this<LocalPurchasedItems> {
public:
    static constexpr const char* kMessage = "New purchased item update available\nDo you want to update ?";

    // `context` gives what the composition root installs (the screens, the facade).
    LocalPurchasedItems(OrvaneContext& context, std::shared_ptr<ORVModelController> model,
                        std::shared_ptr<SqliteController> store)
        : context_(context), model_(std::move(model)), store_(std::move(store)) {}
    // With `serverCount` items on the server and fewer in the local store, shows the alert (no title,
    // "NO" and "YES"). True when it asked.
    bool localDataUpdateReceievedSelector(size_t serverCount);
    // "YES" (1): drops the cached bought-goods list and opens the store on tab 2 in the first window;
    // "NO" (0): logs that the user refused.
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

private:
    OrvaneContext& context_;
    std::shared_ptr<ORVModelController> model_;
    std::shared_ptr<SqliteController> store_;
};

} // namespace zelvan::orvane
