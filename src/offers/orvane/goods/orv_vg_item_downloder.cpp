// ORVVGItemDownloder: the three steps of an item's download, the progress bands, the gateway exchange, the
// unpacking and the final record.
#include "offers/orvane/goods/orv_vg_item_downloder.h"

#include <algorithm>

#include "core/main_thread.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_settings.h"
#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/sqlite_controller.h"
#include "platform/device/device.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/notification_center.h"
#include "platform/graphics/font.h"
#include "platform/ui/alert_view.h"

namespace zelvan::orvane {

namespace {

// Where each step's progress runs: from `low`, `width` percent wide.
struct Band {
    int low;
    int width;
};

Band bandOf(int fileNumber) {
    switch (fileNumber) {
    case ORVFileDownloadConnection::kThumbImage:
        return {0, 3};
    case ORVFileDownloadConnection::kFullImage:
        return {3, 6};
    default:
        return {9, 91};
    }
}

std::shared_ptr<ui::Label> stripLabel(gfx::Rect frame) {
    auto label = ui::View::create<ui::Label>(frame);
    label->setTextColor(gfx::Color::darkGray());
    label->setBackgroundColor(gfx::Color::clear());
    label->setFont(gfx::Font::withName("Helvetica", 12));
    return label;
}

} // namespace

std::shared_ptr<ORVVGItemDownloder> ORVVGItemDownloder::initWithObject(const ORVAllVGStoreItemClass& item,
                                                                       bool& initSuccessful) {
    auto downloader = std::make_shared<ORVVGItemDownloder>();
    downloader->itemObj_ = ORVLocalVGStoreItem::initWithObject(item);
    downloader->itemsArrayKey_ = item.VGStoreItemID;
    downloader->buildStrip();
    initSuccessful = false;
    if (!isSafeStoreItemID(item.VGStoreItemID)) {
        ORVLog::logWithLevel(3, "Refused to download item %@: its id cannot be a folder name",
                             fnd::logPreview(item.VGStoreItemID));
        return downloader;
    }
    const std::string dir = fnd::AppFolders::documents() + "/" + item.VGStoreItemID;
    if (!ORVUtil::createDirAtPath(dir)) {
        ORVLog::logWithLevel(4, "Error: Could not create item directory: %@", dir);
        return downloader;
    }
    downloader->itemDir_ = dir;
    initSuccessful = true;
    return downloader;
}

ORVVGItemDownloder::~ORVVGItemDownloder() {
    if (connection_) {
        connection_->cancel();
    }
}

bool ORVVGItemDownloder::isSafeStoreItemID(std::string_view id) {
    return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

std::optional<std::string> ORVVGItemDownloder::gatewayURLFromPage(std::string_view page) {
    const size_t last = page.rfind('"');
    if (last == std::string_view::npos || last == 0) {
        return std::nullopt;
    }
    const size_t previous = page.rfind('"', last - 1);
    if (previous == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(page.substr(previous + 1, last - previous - 1));
}

int ORVVGItemDownloder::percentForStep(int fileNumber, uint64_t received, uint32_t total, bool lengthKnown) {
    const Band band = bandOf(fileNumber);
    if (!lengthKnown || total == 0) {
        return band.low;
    }
    // Received counts fit in 32 bits and widths are below 100: the product cannot overflow 64 bits.
    const uint64_t share = std::min<uint64_t>(received * static_cast<uint64_t>(band.width) / total, band.width);
    return band.low + static_cast<int>(share);
}

void ORVVGItemDownloder::buildStrip() {
    downloadProgressContentView_ = ui::View::create<ui::View>(gfx::Rect(gfx::Point(0, 0), kStripSize));
    downloadProgressContentView_->setBackgroundColor(gfx::Color::clear());
    loadingTitle_ = stripLabel(gfx::Rect(7, 0, 130, 20));
    percentTitle_ = stripLabel(gfx::Rect(107, 0, 42, 20));
    percentTitle_->setText("0%");
    progressView_ = ui::ProgressView::initWithProgressViewStyle(ui::ProgressViewStyle::Default);
    progressView_->setFrame(gfx::Rect(141, 6, 81, 9));
    progressView_->setProgress(0);
    progressView_->setAlpha(0);

    infoIcon_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
    infoIcon_->setFrame(gfx::Rect(108, 0, 20, 20));
    const gfx::ImagePtr info = ORVSettings::getInfoIcon();
    infoIcon_->setBackgroundImage(info, ui::ControlState::Normal);
    infoIcon_->setBackgroundImage(info, ui::ControlState::Highlighted);
    infoIcon_->setAlpha(0);
    // The strip lives as long as its downloader or a screen holding it; the action must keep neither.
    std::weak_ptr<ORVVGItemDownloder> weak = self();
    infoIcon_->addTarget(weak, &ORVVGItemDownloder::infoIconAction, ui::ControlEvents::TouchUpInside);

    retryBtn_ = ui::View::create<ORVGenericButtons>(gfx::Rect(143, 0, 60, 20));
    // The kit's initialiser moves a button down by 2; the strip's button sits at its top.
    retryBtn_->setFrame(gfx::Rect(143, 0, 60, 20));
    const gfx::ImagePtr retry = ORVUtil::primaryThemeColorGradientButtonImage(gfx::Size(60, 20));
    retryBtn_->setBackgroundImage(retry, ui::ControlState::Normal);
    retryBtn_->setBackgroundImage(retry, ui::ControlState::Highlighted);
    retryBtn_->setTitle("Retry", ui::ControlState::Normal);
    retryBtn_->titleLabel()->setFont(gfx::Font::boldSystemFontOfSize(12));
    retryBtn_->setAlpha(0);
    retryBtn_->setCustomParams(fnd::Value(itemObj_.VGStoreItemID));

    downloadProgressContentView_->addSubview(loadingTitle_);
    downloadProgressContentView_->addSubview(percentTitle_);
    downloadProgressContentView_->addSubview(progressView_);
    downloadProgressContentView_->addSubview(infoIcon_);
    downloadProgressContentView_->addSubview(retryBtn_);
}

std::shared_ptr<ORVVGItemDownloder> ORVVGItemDownloder::self() {
    return std::static_pointer_cast<ORVVGItemDownloder>(shared_from_this());
}

void ORVVGItemDownloder::post(const char* name) {
    // The observers may drop this downloader from the registry: it stays alive through the post.
    auto keep = self();
    fnd::NotificationCenter::defaultCenter().postNotificationName(name, fnd::Value(keep));
}

void ORVVGItemDownloder::setProgress(int percent) {
    percentTitle_->setText(fnd::format("%d%@", percent, "%"));
    progressView_->setProgress(percent / 100.0);
}

void ORVVGItemDownloder::startItemDataDownload() {
    startThumbImageFileDownload();
}

void ORVVGItemDownloder::startThumbImageFileDownload() {
    startStep(ORVFileDownloadConnection::kThumbImage);
}

void ORVVGItemDownloder::startFullImageFileDownload() {
    startStep(ORVFileDownloadConnection::kFullImage);
}

void ORVVGItemDownloder::startDataFileDownload() {
    startStep(ORVFileDownloadConnection::kDataFile);
}

void ORVVGItemDownloder::startStep(int fileNumber) {
    if (connection_) {
        connection_->cancel();
        releaseLater(std::move(connection_));
    }
    const std::string* url = &itemObj_.DatafileURL;
    const char* file = kDataFile;
    if (fileNumber == ORVFileDownloadConnection::kThumbImage) {
        url = &itemObj_.ThumbImageURL;
        file = kThumbImageFile;
    } else if (fileNumber == ORVFileDownloadConnection::kFullImage) {
        url = &itemObj_.FullImageURL;
        file = kFullImageFile;
    }
    if (url->empty()) {
        if (fileNumber == ORVFileDownloadConnection::kThumbImage) {
            itemObj_.setThumbImageFilePath("");
            progressView_->setProgress(0);
            startFullImageFileDownload();
        } else if (fileNumber == ORVFileDownloadConnection::kFullImage) {
            itemObj_.setFullImageFilePath("");
            progressView_->setProgress(0);
            startDataFileDownload();
        } else {
            itemObj_.setDataFileDirPath("");
            setProgress(100);
            saveItemToLocalDB();
        }
        return;
    }
    const std::string path = itemDir_ + "/" + file;
    auto handle = itemDir_.empty() ? nullptr : ORVUtil::createWriteableFileAtPath(path);
    if (!handle) {
        if (fileNumber == ORVFileDownloadConnection::kThumbImage) {
            ORVLog::logWithLevel(3, "Could not create file handle for thumb image file");
        } else if (fileNumber == ORVFileDownloadConnection::kFullImage) {
            ORVLog::logWithLevel(3, "Could not create file handle for image file");
        } else {
            ORVLog::logWithLevel(4, "Error: Could not create handle for file: %@", path);
        }
        post(kORVItemDownloadError);
        return;
    }
    mimeType_.clear();
    statusCode_ = 0;
    expectedLength_ = -1;
    // Only web addresses: an item's file never comes from this device's own files.
    const auto parsed = fnd::Url::parse(*url);
    if (parsed && (parsed->scheme() == "http" || parsed->scheme() == "https")) {
        fnd::UrlRequest request(*parsed, fnd::UrlRequestCachePolicy::UseProtocolCachePolicy, kRequestTimeout);
        request.setValue(fnd::format(kUserAgentFormat, device::Device::current().systemVersion()), "User-Agent");
        connection_ = ORVFileDownloadConnection::initWithRequest(
            std::move(request), std::weak_ptr<ORVFileDownloadConnectionDelegate>(self()), handle);
    }
    if (!connection_) {
        ORVLog::logWithLevel(3, fileNumber == ORVFileDownloadConnection::kThumbImage
                                    ? ORVFormat("Could not establish connection")
                                    : ORVFormat("Could not establish conneciton"));
        post(kORVItemDownloadError);
        return;
    }
    connection_->setFileNumber(fileNumber);
}

void ORVVGItemDownloder::connectionDidReceiveResponse(ORVFileDownloadConnection& connection,
                                                      const fnd::UrlResponse& response) {
    mimeType_ = response.mimeType();
    statusCode_ = response.statusCode();
    expectedLength_ = response.expectedContentLength();
    connection.setTotalData(static_cast<uint32_t>(response.expectedContentLength()));
}

void ORVVGItemDownloder::connectionDidReceiveData(ORVFileDownloadConnection& connection, const fnd::Bytes& data) {
    connection.setDataReceived(connection.dataReceived() + static_cast<uint32_t>(data.size()));
    if (!connection.fh() || !connection.fh()->writeData(data)) {
        // A file cut short (a full disk) must not pass for the item's file.
        auto keep = connection.shared_from_this();
        connection.cancel();
        stepFailed(connection.fileNumber(), "its file could not be written");
        return;
    }
    // Counted in 64 bits: a body past 4 GiB must not wrap back to the band's start.
    const bool known = expectedLength_ >= 0 && expectedLength_ <= int64_t{UINT32_MAX};
    setProgress(percentForStep(connection.fileNumber(), connection.dataReceived(), connection.totalData(), known));
}

void ORVVGItemDownloder::connectionDidFinishLoading(ORVFileDownloadConnection& connection) {
    auto keep = connection.shared_from_this();
    if (statusCode_ >= 400) {
        // An error page is not the item's file.
        stepFailed(connection.fileNumber(), fnd::format("the server answered %d", static_cast<int>(statusCode_)));
        return;
    }
    switch (connection.fileNumber()) {
    case ORVFileDownloadConnection::kThumbImage:
        itemObj_.setThumbImageFilePath(itemDir_ + "/" + kThumbImageFile);
        startFullImageFileDownload();
        break;
    case ORVFileDownloadConnection::kFullImage:
        itemObj_.setFullImageFilePath(itemDir_ + "/" + kFullImageFile);
        startDataFileDownload();
        break;
    default:
        if (connection_.get() == &connection) {
            releaseLater(std::move(connection_));
        }
        dataFileDownloaded();
        break;
    }
}

void ORVVGItemDownloder::connectionDidFailWithError(ORVFileDownloadConnection& connection, const fnd::Error& error) {
    auto keep = connection.shared_from_this();
    stepFailed(connection.fileNumber(), error.localizedDescription());
}

void ORVVGItemDownloder::stepFailed(int fileNumber, std::string_view why) {
    // The thumbnail's own line is tracing only: the reason is the warning.
    ORVLog::logWithLevel(fileNumber == ORVFileDownloadConnection::kThumbImage ? 3 : 4, "Item %@: step %d failed: %@",
                         fnd::logPreview(itemsArrayKey_), fileNumber, fnd::logPreview(why));
    if (fileNumber == ORVFileDownloadConnection::kThumbImage) {
        ORVLog::logWithLevel(4, "Download error for thumb image");
    } else if (fileNumber == ORVFileDownloadConnection::kFullImage) {
        ORVLog::logWithLevel(3, "download error for full image ");
    } else {
        ORVLog::logWithLevel(3, "download error for data file");
        const std::string zip = itemDir_ + "/" + kDataFile;
        if (fnd::FileManager::fileExistsAtPath(zip) && !fnd::FileManager::removeItemAtPath(zip)) {
            ORVLog::logWithLevel(4, "Could not delete file: %@", zip);
        }
    }
    if (connection_) {
        releaseLater(std::move(connection_));
    }
    post(kORVItemDownloadError);
}

void ORVVGItemDownloder::dataFileDownloaded() {
    if (mimeType_ == "text/html") {
        exchangeGatewayPage(itemDir_ + "/" + kDataFile);
        return;
    }
    unpackDataFile();
}

void ORVVGItemDownloder::unpackDataFile() {
    const std::string zip = itemDir_ + "/" + kDataFile;
    const std::string dir = itemDir_ + "/" + kDataFileDirectory;
    const bool unzipped = ORVUtil::unZipFile(zip, dir);
    if (unzipped) {
        ORVLog::logWithLevel(4, "Unzipped directory path: %@", dir);
        itemObj_.setDataFileDirPath(dir);
    } else {
        ORVLog::logWithLevel(3, "Unable to unzip file: %@", zip);
    }
    if (!fnd::FileManager::removeItemAtPath(zip)) {
        ORVLog::logWithLevel(4, "Unable to delete zip file: %@", zip);
    }
    if (!unzipped) {
        // An archive that could not be unpacked leaves the item unstored, ready for a retry.
        post(kORVItemDownloadError);
        return;
    }
    setProgress(100);
    saveItemToLocalDB();
}

void ORVVGItemDownloder::exchangeGatewayPage(const std::string& zipPath) {
    const auto page = fnd::readFile(zipPath);
    const auto gatewayURL =
        page ? gatewayURLFromPage(std::string_view(reinterpret_cast<const char*>(page->data()), page->size()))
             : std::nullopt;
    if (!gatewayURL) {
        // Left as it is, the page fails to unpack like any other bad archive.
        ORVLog::logWithLevel(3, "Item %@: its data file is a page without a gateway address",
                             fnd::logPreview(itemsArrayKey_));
        unpackDataFile();
        return;
    }
    const auto target = fnd::Url::parse(itemObj_.DatafileURL);
    if (!target || (target->scheme() != "http" && target->scheme() != "https")) {
        unpackDataFile();
        return;
    }
    const std::string form = fnd::format(kGatewayFormFormat, *gatewayURL, itemObj_.DatafileURL);
    fnd::UrlRequest request(*target, fnd::UrlRequestCachePolicy::UseProtocolCachePolicy, kRequestTimeout);
    request.setHttpMethod("POST");
    request.setHttpBody(fnd::Bytes(form.begin(), form.end()));
    fnd::FetchOptions options;
    options.timeout = kRequestTimeout;
    fnd::fetch(std::move(request), std::move(options), self(), [this, zipPath](fnd::Result<fnd::FetchReply> reply) {
        if (!reply) {
            ORVLog::logWithLevel(3, "Item %@: the gateway could not be reached: %@", fnd::logPreview(itemsArrayKey_),
                                 reply.error().localizedDescription());
        } else if (!reply.value().body.empty() && !fnd::writeFile(zipPath, reply.value().body, fnd::Atomic::Yes)) {
            ORVLog::logWithLevel(3, "Item %@: the gateway's answer could not be written",
                                 fnd::logPreview(itemsArrayKey_));
        }
        unpackDataFile();
    });
}

void ORVVGItemDownloder::saveItemToLocalDB() {
    auto store = SqliteController::sharedInstance();
    if (!store || !store->saveVirtualGoodData(itemObj_)) {
        // An item that is not in the store is not downloaded: the user may retry.
        ORVLog::logWithLevel(3, "Item %@ could not be recorded in the local store", fnd::logPreview(itemsArrayKey_));
        post(kORVItemDownloadError);
        return;
    }
    post(kORVItemDownloadSuccess);
}

void ORVVGItemDownloder::infoIconAction() {
    auto alert = ui::AlertView::initWithTitle("", "An error occured while downloading the contents of acquired item",
                                              {}, std::string("OK"));
    alert->show();
}

void ORVVGItemDownloder::releaseLater(std::shared_ptr<void> object) {
    if (object) {
        onMain([object = std::move(object)] {});
    }
}

} // namespace zelvan::orvane
