// ORVDefaultFileDownloadHandler: starting downloads, the strip's running, complete and Retry looks, and
// the registry's upkeep.
#include "offers/orvane/goods/orv_default_file_download_handler.h"

#include <vector>

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/sqlite_controller.h"
#include "offers/orvane/goods/orv_vg_item_downloder.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/font.h"
#include "platform/ui/label.h"

namespace zelvan::orvane {

namespace {

// Progress shown at 0, Retry and the info icon hidden.
void showRunningLook(ORVVGItemDownloder& downloader) {
    downloader.loadingTitle()->setText("Downloading ...");
    downloader.loadingTitle()->setAlpha(1);
    downloader.progressView()->setAlpha(1);
    downloader.progressView()->setProgress(0);
    downloader.percentTitle()->setText("0%");
    downloader.percentTitle()->setAlpha(1);
    downloader.retryBtn()->setAlpha(0);
    downloader.infoIcon()->setAlpha(0);
}

std::shared_ptr<ORVVGItemDownloder> downloaderOf(const fnd::Notification& notification) {
    return notification.object.asObject<ORVVGItemDownloder>();
}

bool storedLocally(const std::string& storeItemId) {
    auto store = SqliteController::sharedInstance();
    return store && store->storeItemIDExists(storeItemId);
}

} // namespace

void ORVDefaultFileDownloadHandler::downloadItem(const ORVAllVGStoreItemClass& item) {
    const std::string& id = item.VGStoreItemID;
    if (storedLocally(id)) {
        ORVLog::logWithLevel(4, "Item %@ already exists in DB", fnd::logPreview(id));
        return;
    }
    if (itemsArray_.contains(id)) {
        ORVLog::logWithLevel(4, "Item %@ already available in downloading queue", fnd::logPreview(id));
        return;
    }
    bool initSuccessful = false;
    auto downloader = ORVVGItemDownloder::initWithObject(item, initSuccessful);
    if (!initSuccessful) {
        ORVLog::logWithLevel(4, "Error: Could not initialize item download");
        return;
    }
    ORVLog::logWithLevel(4, "Start Downoad Called for Item Id = %@", fnd::logPreview(id));
    itemsArray_[id] = downloader;
    addItemDownloadObservers(downloader);
    std::weak_ptr<ORVDefaultFileDownloadHandler> weak = weak_from_this();
    downloader->retryBtn()->addTarget(weak, &ORVDefaultFileDownloadHandler::retryBtnAction,
                                      ui::ControlEvents::TouchUpInside);
    // The running look comes first: a download with nothing to fetch is through (and complete) before
    // the call below returns.
    showRunningLook(*downloader);
    downloader->startItemDataDownload();
}

std::shared_ptr<ui::View>
ORVDefaultFileDownloadHandler::getVGPurchasedItemDownloadProgressView(const std::string& storeItemId) {
    if (auto found = itemsArray_.find(storeItemId); found != itemsArray_.end()) {
        return found->second->downloadProgressContentView();
    }
    if (!storedLocally(storeItemId)) {
        return nullptr;
    }
    auto view = ui::View::create<ui::View>(kCompleteFrame);
    view->setBackgroundColor(gfx::Color::clear());
    auto label = ui::View::create<ui::Label>(gfx::Rect(7, 0, 130, 20));
    label->setTextColor(gfx::Color::darkGray());
    label->setBackgroundColor(gfx::Color::clear());
    label->setFont(gfx::Font::withName("Helvetica", 12));
    label->setText("Download Complete");
    view->addSubview(label);
    return view;
}

void ORVDefaultFileDownloadHandler::removeDownloadErrorObjects() {
    std::vector<std::string> failed;
    for (const auto& [key, downloader] : itemsArray_) {
        if (downloader->retryBtn()->alpha() == 1) {
            failed.push_back(key);
        }
    }
    for (const auto& key : failed) {
        itemsArray_.erase(key);
    }
}

void ORVDefaultFileDownloadHandler::addItemDownloadObservers(const std::shared_ptr<ORVVGItemDownloder>& downloader) {
    auto& center = fnd::NotificationCenter::defaultCenter();
    std::weak_ptr<ORVDefaultFileDownloadHandler> handler = weak_from_this();
    std::vector<fnd::ObserverToken> observers;
    observers.push_back(center.observe(kORVItemDownloadSuccess, handler, &ORVDefaultFileDownloadHandler::itemDownloaded,
                                       fnd::Value(downloader)));
    observers.push_back(center.observe(kORVItemDownloadError, handler,
                                       &ORVDefaultFileDownloadHandler::itemDownloadError, fnd::Value(downloader)));
    downloader->setObservers(std::move(observers));
}

void ORVDefaultFileDownloadHandler::removeItemDownloadObservers(const std::shared_ptr<ORVVGItemDownloder>& downloader) {
    downloader->removeObservers();
}

void ORVDefaultFileDownloadHandler::itemDownloaded(const fnd::Notification& notification) {
    auto downloader = downloaderOf(notification);
    if (!downloader) {
        return;
    }
    ORVLog::logWithLevel(4, "DOWNLOAD COMPLETED");
    downloader->retryBtn()->setAlpha(0);
    downloader->loadingTitle()->setText("Download Complete");
    downloader->loadingTitle()->setAlpha(0);
    downloader->setDownloadComplete(true);
    ui::View::beginAnimations("");
    ui::View::setAnimationDuration(kCompleteFade);
    downloader->loadingTitle()->setAlpha(1);
    downloader->progressView()->setAlpha(0);
    downloader->percentTitle()->setAlpha(0);
    ui::View::commitAnimations();
    if (auto found = itemsArray_.find(downloader->itemsArrayKey());
        found != itemsArray_.end() && found->second == downloader) {
        itemsArray_.erase(found);
    }
    fnd::NotificationCenter::defaultCenter().postNotificationName(kORVItemDownloadSuccessForPanel);
    ORVLog::logWithLevel(4, "Complete END");
}

void ORVDefaultFileDownloadHandler::itemDownloadError(const fnd::Notification& notification) {
    ORVLog::logWithLevel(4, "download Error");
    auto downloader = downloaderOf(notification);
    if (downloader && !downloader->itemsArrayKey().empty()) {
        const std::string key = downloader->itemsArrayKey();
        ORVLog::logWithLevel(4, "download Error for Key %@", fnd::logPreview(key));
        auto found = itemsArray_.find(key);
        if (found != itemsArray_.end() && !found->second->downloadComplete()) {
            std::weak_ptr<ORVDefaultFileDownloadHandler> weak = weak_from_this();
            fnd::RunLoop::main().performAfter(kRetryDelay, [weak, key] {
                if (auto handler = weak.lock()) {
                    handler->showRetryWithDelay(key);
                }
            });
            ORVLog::logWithLevel(4, "FAILED END");
            return;
        }
    }
    ORVLog::logWithLevel(4, "DOWNLOAD ALREADY COMPLETED");
}

void ORVDefaultFileDownloadHandler::showRetryWithDelay(const std::string& itemsArrayKey) {
    auto found = itemsArray_.find(itemsArrayKey);
    if (found == itemsArray_.end() || found->second->downloadComplete()) {
        ORVLog::logWithLevel(4, "DOWNLOAD ALREADY COMPLETED");
        return;
    }
    ORVVGItemDownloder& downloader = *found->second;
    downloader.retryBtn()->setAlpha(1);
    downloader.infoIcon()->setAlpha(1);
    downloader.loadingTitle()->setText("Download Error!");
    downloader.progressView()->setAlpha(0);
    downloader.percentTitle()->setAlpha(0);
}

void ORVDefaultFileDownloadHandler::retryBtnAction(ui::Control& sender) {
    auto* button = dynamic_cast<ORVGenericButtons*>(&sender);
    const auto key = button ? button->customParams().asString() : nullptr;
    if (!key) {
        return;
    }
    auto found = itemsArray_.find(*key);
    if (found == itemsArray_.end()) {
        return;
    }
    auto downloader = found->second;
    showRunningLook(*downloader);
    downloader->startItemDataDownload();
}

} // namespace zelvan::orvane
