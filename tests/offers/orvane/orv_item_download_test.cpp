// Downloads of bought items against the ad host's item files: one download per item, skipped steps, the
// progress bands, the gateway page, failures with their delayed Retry look, Retry and the cleanup of
// failed downloads, and hostile store ids and archives that must write nothing outside the item's folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/client/sqlite_controller.h"
#include "offers/orvane/goods/orv_default_file_download_handler.h"
#include "offers/orvane/goods/orv_vg_item_downloder.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/device/device.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/label.h"
#include "tests/support/scoped_app_delegate.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::orvane {
namespace {

namespace fs = std::filesystem;
using Step = ORVFileDownloadConnection;

// Counts one notification and keeps the downloader the last one came with.
struct Heard {
    explicit Heard(const char* name)
        : token(fnd::NotificationCenter::defaultCenter().addObserver(name, fnd::Value(),
                                                                     [this](const fnd::Notification& n) {
                                                                         ++count;
                                                                         last = n.object.asObject<ORVVGItemDownloder>();
                                                                     })) {}
    int count = 0;
    std::shared_ptr<ORVVGItemDownloder> last;
    fnd::ObserverToken token;
};

std::string text(const std::string& path) {
    auto bytes = fnd::readFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
}

class ItemDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        devserver::addOrvaneRoutes(ads_, service_);
        ASSERT_TRUE(ads_.start());
        context_ = makeOrvane(NetworkEndpoint(ads_.baseURL(), "/orvane"), "/skin");
        AppRegistry registry;
        registry.orvane.factory = ServiceSlot<OrvaneContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
        clock_ = fnd::ManualClock::install();
        documents_ = fnd::AppFolders::documents();
    }
    void TearDown() override {
        service_->releaseStalls();
        handler_.reset();
        fnd::RunLoop::main().runUntilIdle();
        ads_.stop();
        fnd::Clock::install(nullptr);
    }
    // An item whose files are the ad host's item files of those names ("" for no file).
    ORVAllVGStoreItemClass item(const std::string& id, const std::string& thumb, const std::string& full,
                                const std::string& data) {
        ORVAllVGStoreItemClass item;
        item.VGStoreItemID = id;
        item.Name = "Item " + id;
        item.AttributeValues = {{"Colour", "Blue"}};
        auto url = [this](const std::string& name) {
            return name.empty() ? name : ads_.baseURL() + "/store/items/" + name;
        };
        item.ThumbImageURL = url(thumb);
        item.FullImageURL = url(full);
        item.DatafileURL = url(data);
        return item;
    }
    int requestsOf(const std::string& name, const std::string& method = "GET") {
        int n = 0;
        for (const auto& r : ads_.requests()) {
            n += r.path == "/store/items/" + name && r.method == method;
        }
        return n;
    }
    bool pump(const std::function<bool()>& until) { return fnd::RunLoop::main().pumpUntil(until, 20.0); }
    std::shared_ptr<ORVVGItemDownloder> running(const std::string& id) {
        auto found = handler_->itemsArray().find(id);
        return found == handler_->itemsArray().end() ? nullptr : found->second;
    }
    SqliteController& store() { return *context_->sqliteController(); }
    std::string dir(const std::string& id) { return documents_ + "/" + id; }

    devserver::DevAdsServer ads_;
    std::shared_ptr<devserver::DevOrvaneService> service_ = std::make_shared<devserver::DevOrvaneService>();
    std::shared_ptr<OrvaneContext> context_;
    std::unique_ptr<ScopedAppDelegate> delegate_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ORVDefaultFileDownloadHandler> handler_ = std::make_shared<ORVDefaultFileDownloadHandler>();
    std::string documents_;
    Heard success_{kORVItemDownloadSuccess};
    Heard error_{kORVItemDownloadError};
    Heard panel_{kORVItemDownloadSuccessForPanel};
};

TEST_F(ItemDownloadTest, DownloadsOnceUnpacksStoresAndTurnsTheStripComplete) {
    const auto goods = item("goods-a", "a-thumb.png", "nolength-a-full.png", "a.zip");
    handler_->downloadItem(goods);
    handler_->downloadItem(goods);
    auto downloader = running("goods-a");
    ASSERT_TRUE(downloader);
    auto strip = handler_->getVGPurchasedItemDownloadProgressView("goods-a");
    EXPECT_EQ(strip, downloader->downloadProgressContentView());
    EXPECT_EQ(downloader->loadingTitle()->text(), "Downloading ...");
    EXPECT_EQ(downloader->progressView()->alpha(), 1);

    ASSERT_TRUE(pump([&] { return success_.count > 0; }));
    EXPECT_EQ(requestsOf("a-thumb.png") + requestsOf("nolength-a-full.png") + requestsOf("a.zip"), 3);
    for (const auto& r : ads_.requests()) {
        EXPECT_NE(
            r.header("User-Agent").find("Version/" + device::Device::current().systemVersion() + " Mobile/1A543a"),
            std::string::npos);
    }
    const std::string d = dir("goods-a");
    EXPECT_EQ(text(d + "/thumbImageFile").substr(1, 3), "PNG");
    EXPECT_EQ(text(d + "/fullImageFile").substr(1, 3), "PNG");
    EXPECT_EQ(text(d + "/DataFileDirectory/item.txt"), "item a.zip\n");
    EXPECT_FALSE(fs::exists(d + "/dataFile.zip"));

    auto stored = store().getAllPurchasedItems();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].thumbImageFilePath(), d + "/thumbImageFile");
    EXPECT_EQ(stored[0].fullImageFilePath(), d + "/fullImageFile");
    EXPECT_EQ(stored[0].dataFileDirPath(), d + "/DataFileDirectory");
    EXPECT_EQ(error_.count, 0);
    EXPECT_EQ(panel_.count, 1);

    EXPECT_TRUE(handler_->itemsArray().empty());
    EXPECT_TRUE(downloader->downloadComplete());
    EXPECT_EQ(downloader->loadingTitle()->text(), "Download Complete");
    EXPECT_EQ(downloader->loadingTitle()->alpha(), 1);
    EXPECT_EQ(downloader->percentTitle()->text(), "100%");
    EXPECT_EQ(downloader->percentTitle()->alpha(), 0);

    // Stored: no new download; a fresh "Download Complete" strip.
    handler_->downloadItem(goods);
    EXPECT_TRUE(handler_->itemsArray().empty());
    auto complete = handler_->getVGPurchasedItemDownloadProgressView("goods-a");
    ASSERT_TRUE(complete);
    EXPECT_NE(complete, strip);
    EXPECT_EQ(complete->frame(), gfx::Rect(55, 66, 229, 20));
    ASSERT_EQ(complete->subviews().size(), 1u);
    EXPECT_EQ(std::dynamic_pointer_cast<ui::Label>(complete->subviews()[0])->text(), "Download Complete");
    EXPECT_EQ(handler_->getVGPurchasedItemDownloadProgressView("goods-unknown"), nullptr);
}

TEST_F(ItemDownloadTest, EmptyAddressesSkipTheirStep) {
    struct Case {
        const char* id;
        const char *thumb, *full, *data;
    };
    const std::vector<Case> cases = {{"none", "", "", ""},
                                     {"nothumb", "", "n-full.png", "n.zip"},
                                     {"nofull", "f-thumb.png", "", "f.zip"},
                                     {"nodata", "d-thumb.png", "d-full.png", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const int before = success_.count;
        handler_->downloadItem(item(c.id, c.thumb, c.full, c.data));
        ASSERT_TRUE(pump([&] { return success_.count > before; }));
        const auto stored = store().getAllPurchasedItems().back();
        EXPECT_EQ(stored.VGStoreItemID, c.id);
        EXPECT_EQ(stored.thumbImageFilePath().empty(), std::string(c.thumb).empty());
        EXPECT_EQ(stored.fullImageFilePath().empty(), std::string(c.full).empty());
        EXPECT_EQ(stored.dataFileDirPath().empty(), std::string(c.data).empty());
        EXPECT_EQ(handler_->getVGPurchasedItemDownloadProgressView(c.id)->subviews().size(), 1u);
        // Even a download that is through before downloadItem returns ends on the complete look.
        EXPECT_EQ(success_.last->loadingTitle()->text(), "Download Complete");
        EXPECT_EQ(success_.last->percentTitle()->text(), "100%");
    }
    EXPECT_EQ(error_.count, 0);
    EXPECT_EQ(ads_.requests().size(), 6u);
}

TEST_F(ItemDownloadTest, ProgressStaysInsideEachBand) {
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kThumbImage, 0, 100, true), 0);
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kThumbImage, 99, 100, true), 2);
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kThumbImage, 100, 100, true), 3);
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kFullImage, 0, 100, true), 3);
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kFullImage, 100, 100, true), 9);
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kDataFile, 0, 100, true), 9);
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kDataFile, 50, 100, true), 54);
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kDataFile, 100, 100, true), 100);
    // More than announced, no length, length 0, and large counts that overflow 32-bit products.
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kFullImage, 500, 100, true), 9);
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kDataFile, 4000, 0xFFFFFFFFu, false), 9);
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kFullImage, 4000, 0, true), 3);
    EXPECT_EQ(ORVVGItemDownloder::percentForStep(Step::kDataFile, 3'000'000'000u, 4'000'000'000u, true), 77);
}

TEST_F(ItemDownloadTest, GatewayPageIsPostedBackAndItsAnswerUnpacked) {
    handler_->downloadItem(item("gw", "", "", "gateway-g.zip"));
    ASSERT_TRUE(pump([&] { return success_.count > 0; }));
    ASSERT_EQ(requestsOf("gateway-g.zip", "POST"), 1);
    for (const auto& r : ads_.requests()) {
        if (r.method == "POST") {
            const std::string own = ads_.baseURL() + "/store/items/gateway-g.zip";
            EXPECT_EQ(r.body, "GateWayXWM4X1url=" + ads_.baseURL() + "/store/items/g.zip&GateWayXWM4X1SaveToDisk=NO" +
                                  "&GateWayXWM4X1Orig=" + own + "&GateWayXWM4X1Cache=N");
        }
    }
    EXPECT_EQ(text(dir("gw") + "/DataFileDirectory/item.txt"), "item g.zip\n");

    EXPECT_EQ(ORVVGItemDownloder::gatewayURLFromPage("<a href=\"http://x/y\">z</a>"), "http://x/y");
    EXPECT_EQ(ORVVGItemDownloder::gatewayURLFromPage("\"\""), "");
    EXPECT_EQ(ORVVGItemDownloder::gatewayURLFromPage("only \" one"), std::nullopt);
    EXPECT_EQ(ORVVGItemDownloder::gatewayURLFromPage("\""), std::nullopt);
    EXPECT_EQ(ORVVGItemDownloder::gatewayURLFromPage(""), std::nullopt);
}

TEST_F(ItemDownloadTest, AFailedStepShowsRetryHalfASecondLaterAndStoresNothing) {
    std::vector<ORVAllVGStoreItemClass> failing = {item("t404", "404-t.png", "t-full.png", "t.zip"),
                                                   item("fcut", "f-thumb.png", "cut-f-full.png", "f.zip"),
                                                   item("d404", "d-thumb.png", "d-full.png", "404-d.zip"),
                                                   item("dnotzip", "", "", "x.png"), item("dfile", "", "", "")};
    // Only web addresses are fetched, never the device's own files.
    failing.back().DatafileURL = "file:///etc/hostname";
    for (const auto& goods : failing) {
        SCOPED_TRACE(goods.VGStoreItemID);
        const int before = error_.count;
        handler_->downloadItem(goods);
        ASSERT_TRUE(pump([&] { return error_.count > before; }));
        auto downloader = running(goods.VGStoreItemID);
        ASSERT_TRUE(downloader);
        EXPECT_EQ(downloader->retryBtn()->alpha(), 0);
        fnd::RunLoop::main().advance(0.4);
        EXPECT_EQ(downloader->loadingTitle()->text(), "Downloading ...");
        fnd::RunLoop::main().advance(0.1);
        EXPECT_EQ(downloader->loadingTitle()->text(), "Download Error!");
        EXPECT_EQ(downloader->retryBtn()->alpha(), 1);
        EXPECT_EQ(downloader->infoIcon()->alpha(), 1);
        EXPECT_EQ(downloader->progressView()->alpha(), 0);
        EXPECT_FALSE(store().storeItemIDExists(goods.VGStoreItemID));
        EXPECT_FALSE(fs::exists(dir(goods.VGStoreItemID) + "/DataFileDirectory"));
    }
    // A partial or unusable archive does not stay behind.
    EXPECT_FALSE(fs::exists(dir("d404") + "/dataFile.zip"));
    EXPECT_FALSE(fs::exists(dir("dnotzip") + "/dataFile.zip"));
    // The cut body stopped the chain at the full image.
    EXPECT_EQ(requestsOf("f.zip"), 0);
    EXPECT_EQ(success_.count, 0);
}

TEST_F(ItemDownloadTest, RetryFetchesEverythingAgainAndCleanupDropsOnlyFailures) {
    // A folder where the thumbnail goes makes the first run fail at once.
    ASSERT_TRUE(fs::create_directories(dir("again") + "/thumbImageFile"));
    handler_->downloadItem(item("again", "r-thumb.png", "r-full.png", "r.zip"));
    handler_->downloadItem(item("slow", "stall-s.png", "", ""));
    EXPECT_EQ(error_.count, 1);
    fnd::RunLoop::main().advance(0.5);
    auto failed = running("again");
    ASSERT_TRUE(failed);
    ASSERT_EQ(failed->retryBtn()->alpha(), 1);

    fs::remove(dir("again") + "/thumbImageFile");
    ASSERT_TRUE(fnd::writeFile(dir("again") + "/fullImageFile", fnd::Bytes{'o', 'l', 'd'}));
    failed->retryBtn()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(failed->loadingTitle()->text(), "Downloading ...");
    EXPECT_EQ(failed->retryBtn()->alpha(), 0);
    ASSERT_TRUE(pump([&] { return success_.count > 0; }));
    EXPECT_EQ(requestsOf("r-thumb.png") + requestsOf("r-full.png") + requestsOf("r.zip"), 3);
    EXPECT_EQ(text(dir("again") + "/fullImageFile").substr(1, 3), "PNG");
    EXPECT_TRUE(store().storeItemIDExists("again"));

    // A failure and a running download: only the failure goes.
    handler_->downloadItem(item("broken", "404-b.png", "", ""));
    ASSERT_TRUE(pump([&] { return error_.count > 1; }));
    fnd::RunLoop::main().advance(0.5);
    handler_->removeDownloadErrorObjects();
    EXPECT_FALSE(running("broken"));
    EXPECT_TRUE(running("slow"));
    handler_->downloadItem(item("broken", "404-b.png", "", ""));
    EXPECT_TRUE(running("broken"));
}

TEST_F(ItemDownloadTest, HostileIdsAndArchivesWriteNothingOutsideTheItemFolder) {
    for (const std::string id : {"../x", "a/b", "..", "", "x\\y"}) {
        handler_->downloadItem(item(id, "h-thumb.png", "", ""));
    }
    EXPECT_TRUE(handler_->itemsArray().empty());
    EXPECT_TRUE(ads_.requests().empty());
    EXPECT_FALSE(fs::exists(fs::path(documents_).parent_path() / "x"));
    EXPECT_FALSE(fs::exists(dir("a")));

    for (const std::string zip : {"evil-parent.zip", "evil-absolute.zip", "evil-link.zip", "evil-huge.zip"}) {
        SCOPED_TRACE(zip);
        const std::string id = zip.substr(0, zip.size() - 4);
        const int before = error_.count;
        handler_->downloadItem(item(id, "", "", zip));
        ASSERT_TRUE(pump([&] { return error_.count > before; }));
        fnd::RunLoop::main().advance(0.5);
        EXPECT_EQ(running(id)->loadingTitle()->text(), "Download Error!");
        EXPECT_FALSE(store().storeItemIDExists(id));
        EXPECT_FALSE(fs::exists(dir(id) + "/DataFileDirectory/ok.txt"));
        EXPECT_FALSE(fs::exists(dir(id) + "/evil.txt"));
        EXPECT_FALSE(fs::exists(dir(id) + "/DataFileDirectory/link"));
        EXPECT_FALSE(fs::exists(dir(id) + "/dataFile.zip"));
    }
    EXPECT_FALSE(fs::exists("/tmp/zelvan-evil.txt"));
    EXPECT_EQ(success_.count, 0);
}

} // namespace
} // namespace zelvan::orvane
