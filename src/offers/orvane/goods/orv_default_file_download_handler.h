// ORVDefaultFileDownloadHandler: the one registry of running downloads of bought items, keyed by store id.
// It starts an item's download unless the item is stored or already running, hands out the item's
// progress strip, turns a success into the "Download Complete" look and a failure into the Retry look
// half a second later, restarts a download from its Retry button, and drops failed downloads when the
// store closes. Main thread.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "offers/orvane/client/orv_screens.h"
#include "platform/foundation/notification_center.h"

namespace ui {
class Control;
}

namespace zelvan::orvane {

class ORVVGItemDownloder;

// Posted (no object) once the handler accepted a finished download.
inline constexpr const char* kORVItemDownloadSuccessForPanel = "ITEM_DOWNLOAD_SUCCESS_NOTIFICATION_FOR_PANEL";

class ORVDefaultFileDownloadHandler final : public ORVFileDownloadHandler,
                                            public std::enable_shared_from_this<ORVDefaultFileDownloadHandler> {
public:
    // Seconds between a failure and its Retry look, and the length of the complete look's fade.
    static constexpr double kRetryDelay = 0.5;
    static constexpr double kCompleteFade = 0.5;
    // Where the "Download Complete" strip of a stored item goes.
    static constexpr gfx::Rect kCompleteFrame{55, 66, 229, 20};

    using ItemsArray = std::map<std::string, std::shared_ptr<ORVVGItemDownloder>>;

    // Starts the item's download unless the local store holds it or it is running (each logged).
    void downloadItem(const ORVAllVGStoreItemClass& item) override;
    // The running download's strip; for a stored item a new strip reading "Download Complete"; else null.
    std::shared_ptr<ui::View> getVGPurchasedItemDownloadProgressView(const std::string& storeItemId) override;
    // Drops every download whose Retry button shows.
    void removeDownloadErrorObjects() override;

    // Subscribes to (ends the subscription to) the downloader's success and error notifications.
    void addItemDownloadObservers(const std::shared_ptr<ORVVGItemDownloder>& downloader);
    void removeItemDownloadObservers(const std::shared_ptr<ORVVGItemDownloder>& downloader);
    // A download succeeded: the complete look, out of the registry, the panel told.
    void itemDownloaded(const fnd::Notification& notification);
    // A download failed: its Retry look follows kRetryDelay later while it is still registered.
    void itemDownloadError(const fnd::Notification& notification);
    // The Retry look for the download registered under the key, when it is still there and incomplete.
    void showRetryWithDelay(const std::string& itemsArrayKey);
    // Restarts the download named by the button's customParams from the thumbnail.
    void retryBtnAction(ui::Control& sender);

    const ItemsArray& itemsArray() const { return itemsArray_; }
    void setItemsArray(ItemsArray items) { itemsArray_ = std::move(items); }

private:
    ItemsArray itemsArray_;
};

} // namespace zelvan::orvane
