// BPInAppViewController: the offer wall's in-app "Pay" tab. It fetches the packs of currency on sale from
// the offer-wall server, asks the store for their titles and prices, shows one button per pack, buys the
// chosen one through the payment queue, and credits the currency only once the server has accepted the
// purchase's receipt. It observes the queue from its buttons' arrival until it leaves the screen (again
// when it comes back), and checks only transactions no other store page is checking. Main thread only.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "offers/brightpoint/bp_page_services.h"
#include "platform/device/payment_queue.h"
#include "platform/device/products_request.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/fetch.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view_controller.h"

namespace zelvan::brightpoint {

inline constexpr std::string_view kBPCannotPayMessage = "Your device is not able to make purchases through iTunes.";
inline constexpr std::string_view kBPNoInventoryMessage = "We couldn't load the payments. Please try again.";

class BPInAppViewController : public ui::ViewController,
                              public device::PaymentTransactionObserver,
                              public device::ProductsRequestDelegate,
                              public ui::AlertViewDelegate {
public:
    // `services`: the client's configuration (the inventory and receipt addresses, the footer) and its
    // currency grants, and the context's claims on the transactions being checked.
    explicit BPInAppViewController(BPPageServices services);
    ~BPInAppViewController() override;
    std::string className() const override { return "BPInAppViewController"; }

    // The scroll view and the loading overlay over the view's bounds less 93 points, then the inventory.
    void viewDidLoad() override;
    // Back on screen with its buttons: observes the queue again (and so hears the unfinished transactions).
    void viewWillAppear(ui::Animated animated) override;
    // Closed or covered: stops observing the queue; a check under way still ends on this page.
    void viewDidDisappear(ui::Animated animated) override;
    // Asks the server for the packs on sale, under "Loading inventory...".
    void loadInventory();
    void showLoading(const std::string& text);
    void hideLoading();

    // The store's answer: buttons for the known packs in server order, or the no-inventory message.
    void productsRequestDidReceiveResponse(device::ProductsRequest& request,
                                           const device::ProductsResponse& response) override;
    void requestDidFailWithError(device::ProductsRequest& request, const fnd::Error& error) override;
    void createButtons();
    void displayNoInventoryError();
    // Buys the pack of the button's tag.
    void purchaseProduct(ui::Control& sender);

    void paymentQueueUpdatedTransactions(device::PaymentQueue& queue,
                                         const std::vector<std::shared_ptr<device::PaymentTransaction>>& list) override;
    void paymentQueueRemovedTransactions(device::PaymentQueue& queue,
                                         const std::vector<std::shared_ptr<device::PaymentTransaction>>& list) override;
    void completeTransaction(const std::shared_ptr<device::PaymentTransaction>& transaction);
    void restoreTransaction(const std::shared_ptr<device::PaymentTransaction>& transaction);
    void failedTransaction(const std::shared_ptr<device::PaymentTransaction>& transaction);

    // Sends the transaction's receipt to the server for checking, under "Verifying purchase...".
    void verifyReceipt(const std::shared_ptr<device::PaymentTransaction>& transaction);
    void validReceipt(const std::shared_ptr<device::PaymentTransaction>& transaction);
    void invalidReceipt(const std::shared_ptr<device::PaymentTransaction>& transaction);
    // Offers "Cancel" (the transaction stays in the queue) and "Try Again" (the same receipt again).
    void retryValidation(const std::shared_ptr<device::PaymentTransaction>& transaction);

    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

    // --- What the page shows ---
    const std::shared_ptr<ui::ScrollView>& scrollView() const { return scrollView_; }
    const std::vector<std::shared_ptr<ui::Button>>& buttons() const { return buttons_; }
    const std::shared_ptr<ui::Label>& bottomLabel() const { return bottomLabel_; }
    const std::shared_ptr<ui::View>& loadingView() const { return loadingView_; }
    const std::shared_ptr<ui::Label>& loadingLabel() const { return loadingLabel_; }
    // Whether the overlay covers the page.
    bool isLoadingShown() const;
    const std::vector<device::Product>& storeKitProducts() const { return storeKitProducts_; }
    const std::shared_ptr<device::PaymentTransaction>& latestTransaction() const { return latestTransaction_; }

private:
    std::shared_ptr<BPInAppViewController> self();
    // Sends the page's `what` request; `finished` gets the body of its reply (any status), or the failure
    // (one log line), while the page exists.
    void send(fnd::UrlRequest request, fnd::FetchOptions options, const char* what,
              void (BPInAppViewController::*finished)(const fnd::Result<fnd::Bytes>&));
    void inventoryFinished(const fnd::Result<fnd::Bytes>& reply);
    void verifyFinished(const fnd::Result<fnd::Bytes>& reply);
    // Starts the check of a purchased or restored transaction, or queues it behind the one under way.
    void checkTransaction(const std::shared_ptr<device::PaymentTransaction>& transaction);
    // The check under way has ended: its claim goes back and the next queued transaction is checked.
    void checkNext();
    void startObserving();
    void stopObserving();
    // The context's claim on checking the transaction (true without a context), and its release.
    bool claimCheck(const device::PaymentTransaction& transaction) const;
    void releaseCheck(const device::PaymentTransaction& transaction) const;
    void showCannotPayAlert();
    void showAlert(const std::string& title, const std::string& message);

    const BPPageServices services_;
    std::vector<std::string> products_;
    std::vector<device::Product> storeKitProducts_;
    std::map<std::string, device::Product> idenitfiersToProducts_;
    std::string selectedTitle_;
    std::shared_ptr<device::PaymentTransaction> latestTransaction_;
    // Purchased or restored transactions waiting for the check under way to end.
    std::deque<std::shared_ptr<device::PaymentTransaction>> waitingChecks_;
    std::shared_ptr<ui::AlertView> retryAlert_;
    bool observing_ = false;

    std::shared_ptr<ui::ScrollView> scrollView_;
    std::shared_ptr<ui::ImageView> backgroundImage_;
    std::shared_ptr<ui::Label> bottomLabel_;
    std::vector<std::shared_ptr<ui::Button>> buttons_;
    std::shared_ptr<device::ProductsRequest> productsRequest_;
    std::shared_ptr<ui::View> loadingView_;
    std::shared_ptr<ui::ActivityIndicatorView> loadingIndicator_;
    std::shared_ptr<ui::Label> loadingLabel_;
};

} // namespace zelvan::brightpoint
