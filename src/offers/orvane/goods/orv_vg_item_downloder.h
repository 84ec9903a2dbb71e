// ORVVGItemDownloder: the download of one bought item - its thumbnail, full image and data archive, in
// that order, into the item's own folder under Documents - with the small progress strip the store
// screens show, the archive unpacked in place and the item recorded in the local store at the end.
// Main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "offers/orvane/client/orv_goods_records.h"
#include "offers/orvane/goods/orv_file_download_connection.h"
#include "offers/orvane/kit/orv_generic_buttons.h"
#include "platform/foundation/object.h"
#include "platform/foundation/observer_token.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/progress_view.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

// Posted with the downloader as object once the item is in the local store / when a step failed.
inline constexpr const char* kORVItemDownloadSuccess = "ITEM_DOWNLOAD_SUCCESS_NOTIFICATION";
inline constexpr const char* kORVItemDownloadError = "ITEM_DOWNLOAD_ERROR_NOTIFICATION";

class ORVVGItemDownloder final : public fnd::Object, public ORVFileDownloadConnectionDelegate {
public:
    // The files of an item inside its folder.
    static constexpr const char* kThumbImageFile = "thumbImageFile";
    static constexpr const char* kFullImageFile = "fullImageFile";
    static constexpr const char* kDataFile = "dataFile.zip";
    static constexpr const char* kDataFileDirectory = "DataFileDirectory";
    static constexpr double kRequestTimeout = 20.0;
    // The agent every file is asked for with; %@ is the system version.
    static constexpr const char* kUserAgentFormat =
        "Mozilla/5.0 (iPhone; U; CPU like Mac OS X; en) AppleWebKit/420+ (KHTML, like Gecko) Version/%@ "
        "Mobile/1A543a Safari/419.3";
    // The form a gateway page is answered with: its URL, then the item's data URL.
    static constexpr const char* kGatewayFormFormat =
        "GateWayXWM4X1url=%@&GateWayXWM4X1SaveToDisk=NO&GateWayXWM4X1Orig=%@&GateWayXWM4X1Cache=N";
    static constexpr gfx::Size kStripSize{229, 20};

    // A downloader for a copy of `item`, its folder <Documents>/<store id> made. `initSuccessful` is
    // false (logged) when the folder cannot be made, or when the store id could name anything but one
    // folder inside Documents (see isSafeStoreItemID).
    static std::shared_ptr<ORVVGItemDownloder> initWithObject(const ORVAllVGStoreItemClass& item, bool& initSuccessful);
    ORVVGItemDownloder() = default;
    ~ORVVGItemDownloder() override;
    std::string className() const override { return "ORVVGItemDownloder"; }

    // Store ids are used as folder names: only non-empty ids of A-Z, a-z, 0-9, "_" and "-" are taken.
    static bool isSafeStoreItemID(std::string_view id);
    // The text strictly between the last two double quotes of a gateway page, or none when it has fewer
    // than two.
    static std::optional<std::string> gatewayURLFromPage(std::string_view page);
    // What a step shows after `received` of `total` bytes: thumbnail (2) 0-3, full image (3) 3-9, data
    // file (1) 9-100, always inside its band; an unknown or zero length shows the band's start.
    static int percentForStep(int fileNumber, uint64_t received, uint32_t total, bool lengthKnown);

    // Runs the three steps from the thumbnail.
    void startItemDataDownload();
    void startThumbImageFileDownload();
    void startFullImageFileDownload();
    void startDataFileDownload();
    // The data file received: a gateway page is first exchanged for the archive it stands for (an
    // asynchronous POST back to the gateway), then unpackDataFile.
    void dataFileDownloaded();
    // Unpacks the archive into DataFileDirectory and deletes it, then records the item; the error is posted
    // when it could not be unpacked.
    void unpackDataFile();
    // Records the item in the local store and posts the success (or, when it cannot be stored, the error).
    void saveItemToLocalDB();
    // The alert explaining a failed download.
    void infoIconAction();
    // Drops `object` on the next turn of the main run loop (not inside its own callback).
    static void releaseLater(std::shared_ptr<void> object);

    // ORVFileDownloadConnectionDelegate.
    void connectionDidReceiveResponse(ORVFileDownloadConnection& connection, const fnd::UrlResponse& response) override;
    void connectionDidReceiveData(ORVFileDownloadConnection& connection, const fnd::Bytes& data) override;
    void connectionDidFinishLoading(ORVFileDownloadConnection& connection) override;
    void connectionDidFailWithError(ORVFileDownloadConnection& connection, const fnd::Error& error) override;

    bool downloadComplete() const { return downloadComplete_; }
    void setDownloadComplete(bool complete) { downloadComplete_ = complete; }
    const std::shared_ptr<ui::Label>& percentTitle() const { return percentTitle_; }
    const std::shared_ptr<ui::Label>& loadingTitle() const { return loadingTitle_; }
    const std::shared_ptr<ui::ProgressView>& progressView() const { return progressView_; }
    const std::shared_ptr<ui::Button>& infoIcon() const { return infoIcon_; }
    const std::shared_ptr<ORVGenericButtons>& retryBtn() const { return retryBtn_; }
    const std::shared_ptr<ui::View>& downloadProgressContentView() const { return downloadProgressContentView_; }
    const std::string& itemsArrayKey() const { return itemsArrayKey_; }
    // "" when the folder could not be made.
    const std::string& itemDir() const { return itemDir_; }
    const ORVLocalVGStoreItem& itemObj() const { return itemObj_; }
    // The MIME type of the latest response.
    const std::string& mimeType() const { return mimeType_; }

    // The handler's observations of this downloader; they end when it goes.
    void setObservers(std::vector<fnd::ObserverToken> observers) { observers_ = std::move(observers); }
    void removeObservers() { observers_.clear(); }

private:
    void buildStrip();
    // Starts step `fileNumber`: skipped on an empty URL, else the GET into its file.
    void startStep(int fileNumber);
    void stepFailed(int fileNumber, std::string_view why);
    void setProgress(int percent);
    // Asks the gateway for the archive its page stands for, writes the answer over the zip and goes on
    // to unpackDataFile (also when the gateway cannot be asked or reached).
    void exchangeGatewayPage(const std::string& zipPath);
    void post(const char* name);
    std::shared_ptr<ORVVGItemDownloder> self();

    ORVLocalVGStoreItem itemObj_;
    std::shared_ptr<ui::View> downloadProgressContentView_;
    std::shared_ptr<ui::Label> loadingTitle_;
    std::shared_ptr<ui::Label> percentTitle_;
    std::shared_ptr<ui::ProgressView> progressView_;
    std::shared_ptr<ui::Button> infoIcon_;
    std::shared_ptr<ORVGenericButtons> retryBtn_;
    bool downloadComplete_ = false;
    std::string mimeType_;
    int64_t statusCode_ = 0;
    int64_t expectedLength_ = -1;
    std::string itemDir_;
    std::string itemsArrayKey_;
    std::shared_ptr<ORVFileDownloadConnection> connection_;
    std::vector<fnd::ObserverToken> observers_;
};

} // namespace zelvan::orvane
