// The offer wall and its row icons against the fake offer service: the list and its rows, a tapped
// offer's detail page, video rows, closing, a failed list; the icon fetcher's placement, its dropped
// second start, failures, reused cells, the bound on running reads and the time-out, the one warning of
// each refused icon; the picture cell.
#include <gtest/gtest.h>

#include <filesystem>

#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/kit/orv_generic_buttons.h"
#include "offers/orvane/kit/orv_video_player.h"
#include "offers/orvane/offers/get_offers_view.h"
#include "offers/orvane/offers/offers_detail_view.h"
#include "offers/orvane/offers/orv_generic_cell.h"
#include "offers/orvane/offers/orv_generic_cell_image_fetcher.h"
#include "offers/orvane/offers/orv_icon_reads.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/zlib_codec.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/table_view_cell.h"
#include "tests/offers/orvane/offer_wall_support.h"

namespace zelvan::orvane {
namespace {

using ui::testing::AlertDriver;
using widget_test::Heard;
using widget_test::OfferWallTest;

struct Target {
    int success = 0;
    int failure = 0;
};

class IconTest : public OfferWallTest {
protected:
    void SetUp() override {
        OfferWallTest::SetUp();
        // Reads another test left running end before these count theirs.
        ASSERT_TRUE(pump([] { return ORVIconReads::inFlight() == 0 && ORVIconReads::waiting() == 0; }, 40));
    }
    std::shared_ptr<ui::TableViewCell> cell() {
        auto c = ui::View::create<ui::TableViewCell>(gfx::Rect(0, 0, 320, 70), std::string("c"));
        window_->addSubview(c);
        return c;
    }
    // Starts a type-1 fetch and counts its callbacks on `target`.
    std::shared_ptr<ORVGenericCellImageFetcher> fetch(const std::string& url, const std::shared_ptr<ui::View>& into,
                                                      const std::shared_ptr<Target>& target, int type = 1) {
        auto fetcher = ORVGenericCellImageFetcher::init();
        if (target) {
            fetcher->callbacks().setActionTarget(target);
            fetcher->callbacks().onLoadSuccess = [t = target.get()] { ++t->success; };
            fetcher->callbacks().onLoadFailure = [t = target.get()] { ++t->failure; };
        }
        fetcher->loadStringURL(url, into, type);
        return fetcher;
    }

public:
    static std::shared_ptr<ui::View> icon(const ui::View& cell) {
        for (const auto& v : cell.subviews()) {
            if (v->tag() == ORVGenericCellImageFetcher::kIconTag) {
                return v;
            }
        }
        return nullptr;
    }

protected:
    static int icons(const ui::View& cell) {
        int n = 0;
        for (const auto& v : cell.subviews()) {
            n += v->tag() == ORVGenericCellImageFetcher::kIconTag;
        }
        return n;
    }
};

TEST_F(IconTest, AReplyBecomesARoundedFadedIconAndASecondStartChangesNothing) {
    auto row = cell();
    auto target = std::make_shared<Target>();
    auto fetcher = fetch(appIconURL("app-2"), row, target);
    EXPECT_TRUE(fetcher->isLoading());
    fetcher->loadStringURL(appIconURL("app-3"), row, 0); // dropped
    EXPECT_EQ(fetcher->myType(), 1);
    EXPECT_EQ(fetcher->urlString(), appIconURL("app-2"));
    ui::AnimationLog::clear();
    ASSERT_TRUE(pump([&] { return target->success == 1; }));
    auto view = std::dynamic_pointer_cast<ui::ImageView>(icon(*row));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->frame(), gfx::Rect(2, (70 - 57) / 2.0, 57, 57));
    ASSERT_TRUE(view->image());
    EXPECT_EQ(view->image()->width(), 80);
    EXPECT_EQ(fetcher->bgImage()->width(), 80);
    EXPECT_EQ(view->alpha(), 1.0); // fading in from 0 over half a second
    bool faded = false;
    for (const auto& entry : ui::AnimationLog::entries()) {
        for (const auto& property : entry.properties) {
            faded |=
                property.target.lock().get() == view.get() && property.property == "alpha" && entry.duration == 0.5;
        }
    }
    EXPECT_TRUE(faded);
    EXPECT_EQ(requestsOf("/orvane/Service1.asmx/GetAppIcon").size(), 1u);

    // Type 0: the bytes are the picture. A second load replaces the row's icon rather than stacking.
    const std::string png = (std::filesystem::path(::testing::TempDir()) / "orv_icon.png").string();
    ASSERT_TRUE(fnd::writeFile(png, gfx::pngRepresentation(*fetcher->bgImage())));
    fetch("file://" + png, row, target, 0);
    ASSERT_TRUE(pump([&] { return target->success == 2; }));
    EXPECT_EQ(icons(*row), 1);

    // A reply without a decodable icon shows none and no alert; the success is still sent.
    auto bare = cell();
    fetch(appIconURL("app-13"), bare, target);
    ASSERT_TRUE(pump([&] { return target->success == 3; }));
    EXPECT_FALSE(icon(*bare));
    EXPECT_FALSE(AlertDriver::visibleAlert());
}

TEST_F(IconTest, FailuresReachOnlyATargetAndAReusedCellKeepsItsNewRowsIcon) {
    auto target = std::make_shared<Target>();
    auto row = cell();
    fetch("not a url", row, target);
    fetch("http://127.0.0.1:9/icon", row, target, 0); // later asker: the cell now wants this one
    ASSERT_TRUE(pump([&] { return target->failure == 2; }));
    EXPECT_EQ(target->success, 0);
    EXPECT_FALSE(icon(*row));
    auto untargeted = fetch("not a url", cell(), nullptr);
    pump([&] { return !untargeted->isLoading(); });
    EXPECT_EQ(target->failure, 2);

    // The cell is reused for another row before the first row's icon arrives: that icon is dropped.
    auto reused = cell();
    auto first = fetch(appIconURL("app-17"), reused, target); // stalls
    fetch(appIconURL("app-4"), reused, target);
    ASSERT_TRUE(pump([&] { return target->success == 1; }));
    service_->releaseStalls();
    ASSERT_TRUE(pump([&] { return !first->isLoading(); }));
    EXPECT_EQ(icons(*reused), 1);
    EXPECT_EQ(target->success + target->failure, 4);
}

// PNG bytes up to the header of a width x height picture.
fnd::Bytes pngHeaderOf(uint32_t width, uint32_t height) {
    fnd::Bytes chunk = {'I', 'H', 'D', 'R'};
    for (uint32_t side : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            chunk.push_back(static_cast<uint8_t>(side >> shift));
        }
    }
    chunk.insert(chunk.end(), {8, 6, 0, 0, 0});
    const uint32_t crc = fnd::crc32(chunk);
    fnd::Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13};
    out.insert(out.end(), chunk.begin(), chunk.end());
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(crc >> shift));
    }
    return out;
}

TEST_F(IconTest, EachRefusedIconLeavesOneWarningNamingItsAddressAndWhy) {
    const std::string bomb = (std::filesystem::path(::testing::TempDir()) / "orv_bomb.png").string();
    ASSERT_TRUE(fnd::writeFile(bomb, pngHeaderOf(8192, 8192)));
    struct Case {
        std::string url;
        int type;
        std::string why;
    };
    const Case cases[] = {
        {appIconURL("app-13"), 1, "not XML"},
        {"file://" + bomb, 0, "damaged or a picture larger than allowed"},
        {"http://127.0.0.1:9/icon", 0, "Could not connect to the server."},
    };
    auto target = std::make_shared<Target>();
    int ended = 0;
    for (const Case& c : cases) {
        fnd::testing::LogCapture log;
        fetch(c.url, cell(), target, c.type);
        ASSERT_TRUE(pump([&] { return target->success + target->failure == ended + 1; })) << c.url;
        ++ended;
        EXPECT_EQ(log.count("Offer wall: refused the icon"), 1U) << c.url;
        EXPECT_EQ(log.count(c.url), 1U) << c.url;
        EXPECT_EQ(log.count(c.why), 1U) << c.url;
    }
}

TEST_F(IconTest, AtMostFourReadsRunAndAStalledReadEndsAtTheTimeOut) {
    ORVIconReads::resetPeak();
    auto target = std::make_shared<Target>();
    std::vector<std::shared_ptr<ui::TableViewCell>> rows;
    for (int i = 0; i < 100; ++i) {
        rows.push_back(cell());
        fetch(appIconURL("app-" + std::to_string(i == 17 || i == 13 ? 1 : i)), rows.back(), target);
    }
    EXPECT_EQ(ORVIconReads::inFlight(), ORVIconReads::kMaxInFlight);
    EXPECT_EQ(ORVIconReads::waiting(), 96);
    ASSERT_TRUE(pump([&] { return target->success == 100; }, 60));
    EXPECT_EQ(ORVIconReads::peakInFlight(), ORVIconReads::kMaxInFlight);

    fetch(appIconURL("app-17"), cell(), target);
    advance(ORVIconReads::kTimeout - 1);
    EXPECT_EQ(target->failure, 0);
    advance(1);
    EXPECT_EQ(target->failure, 1);
    EXPECT_EQ(ORVIconReads::inFlight(), 0);
}

TEST_F(IconTest, ThePictureCellFillsItsTaggedHolderOnly) {
    const std::string png = (std::filesystem::path(::testing::TempDir()) / "orv_cell.png").string();
    auto image = gfx::Image::imageNamed("tick.png");
    ASSERT_TRUE(image);
    ASSERT_TRUE(fnd::writeFile(png, gfx::pngRepresentation(*image)));
    auto with = ui::View::create<ORVGenericCell>(gfx::Rect(0, 0, 320, 100), std::string("g"));
    auto holder = ui::View::create<ui::View>(gfx::Rect(0, 0, 320, 100));
    holder->setTag(ORVGenericCell::kPictureHolderTag);
    with->addSubview(holder);
    auto without = ui::View::create<ORVGenericCell>(gfx::Rect(0, 0, 320, 100), std::string("g"));
    with->loadStringURL("file://" + png);
    without->loadStringURL("file://" + png);
    with->loadStringURL("file:///nowhere.png"); // dropped while loading
    ASSERT_TRUE(pump([&] { return !with->isLoading() && !without->isLoading(); }));
    ASSERT_EQ(holder->subviews().size(), 1u);
    EXPECT_EQ(holder->subviews()[0]->frame(), ORVGenericCell::kPictureFrame);
    EXPECT_TRUE(without->bgImage());
    EXPECT_TRUE(with->bgImage());
}

class GetOffersViewTest : public OfferWallTest {};

TEST_F(GetOffersViewTest, TheWallListsOffersOpensTheirPageAndPlaysVideos) {
    auto facade = OrvaneConnect::requestOrvaneConnectWithDelegate(nullptr);
    Heard shown(kORVShowBoxNotification);
    auto wall = GetOffersView::initWithPublisherUserId("pts-1001", gfx::Rect(0, 0, 320, 480));
    wall->myLoadView();
    window_->addSubview(wall);
    ASSERT_TRUE(pump([&] { return !wall->rowsOfTab(0).empty(); }));
    EXPECT_EQ(wall->rowsOfTab(GetOffersView::OffersTab).size(), 30u);
    EXPECT_EQ(wall->rowsOfTab(GetOffersView::VideosTab).size(), 3u);
    const auto list = requestsOf("/orvane/Service1.asmx/GetOffers");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].param("PublisherUserID"), "pts-1001");
    ASSERT_TRUE(context_->modelController()->getAllVideoArray());
    EXPECT_EQ(context_->modelController()->getAllVideoArray()->size(), 3u);

    // Rows carry their payload and fetch their icons from GetAppIcon.
    window_->layoutIfNeeded();
    auto first = wall->tableView()->cellForRowAtIndexPath(ui::IndexPath{0, 0});
    ASSERT_TRUE(first);
    std::shared_ptr<ORVGenericButtons> button;
    for (const auto& v : first->contentView()->subviews()) {
        if (auto b = std::dynamic_pointer_cast<ORVGenericButtons>(v)) {
            button = b;
        }
    }
    ASSERT_TRUE(button);
    auto params = button->customParams().asDictionary();
    ASSERT_TRUE(params);
    EXPECT_EQ(params->objectForKey("AdvertiserAppID").stringValue(), "app-1");
    EXPECT_EQ(params->objectForKey("OfferStatus").stringValue(), "offer");
    ASSERT_TRUE(pump([&] { return IconTest::icon(*first) != nullptr; }));

    // A tap opens the detail page with the wall's mode.
    wall->tableViewDidSelectRowAtIndexPath(*wall->tableView(), ui::IndexPath{0, 2});
    std::shared_ptr<OffersDetailView> detail;
    for (const auto& v : wall->subviews()) {
        if (auto d = std::dynamic_pointer_cast<OffersDetailView>(v)) {
            detail = d;
        }
    }
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->offersViewMode(), 0);
    EXPECT_EQ(detail->frame(), gfx::Rect(0, 0, 320, 480));
    EXPECT_EQ(detail->offersData()->cacheOfferId, "offer-3");
    detail->backtoGameAction();
    advance(0.6);

    // A video row plays its video; the player lets go when the movie ends.
    wall->selectTab(GetOffersView::VideosTab);
    wall->tableViewDidSelectRowAtIndexPath(*wall->tableView(), ui::IndexPath{0, 1});
    auto player = wall->videoPlayer();
    ASSERT_TRUE(player);
    EXPECT_TRUE(player->moviePlayer()->isPlaying());
    player->moviePlayer()->finish();
    player.reset();
    advance(0);
    EXPECT_FALSE(wall->videoPlayer());
    wall->playAllVideos();
    ASSERT_TRUE(wall->videoPlayer());
    EXPECT_EQ(wall->videoPlayer()->totalNumOfVideos(), 3);
    wall->videoPlayer()->doneButtonClicked();
    advance(0);

    // Closing posts for the host; a wall opened inside the SDK does not.
    wall->removeSelfView();
    EXPECT_FALSE(wall->superview());
    EXPECT_EQ(shown.count, 1);
    auto internal = GetOffersView::initWithPublisherUserId("pts-1001", gfx::Rect(0, 0, 320, 480));
    internal->setIsInternallyOpened(true);
    internal->myLoadView(); // from the model's cache: no new request
    EXPECT_EQ(internal->rowsOfTab(0).size(), 30u);
    EXPECT_EQ(requestsOf("/orvane/Service1.asmx/GetOffers").size(), 1u);
    window_->addSubview(internal);
    internal->removeSelfView();
    EXPECT_EQ(shown.count, 1);
}

TEST_F(GetOffersViewTest, AStoreWallClosesOnItsNoticeAndAFailedListKeepsItsRows) {
    auto facade = OrvaneConnect::requestOrvaneConnectWithDelegate(nullptr);
    ORVAllVGStoreItemClass item;
    item.Name = "Golden Hoe";
    auto wall = GetOffersView::initWithFrame(gfx::Rect(0, 0, 320, 480), item, GetOffersView::OffersTab);
    EXPECT_EQ(wall->offersViewMode(), 1);
    EXPECT_EQ(facade->getOffersItemName(), "Golden Hoe");
    wall->myLoadView();
    window_->addSubview(wall);
    ASSERT_TRUE(pump([&] { return !wall->rowsOfTab(0).empty(); }));
    EXPECT_EQ(wall->showDetail(wall->rowsOfTab(0)[0])->offersViewMode(), 1);

    // Asked again while the service fails: the rows stay and Retry asks once more.
    service_->setMode("GetOffers", devserver::OrvaneReplyMode::ServerError);
    wall->requestOffers();
    ASSERT_TRUE(pump([] { return AlertDriver::visibleAlert() != nullptr; }));
    EXPECT_EQ(AlertDriver::visibleAlert()->message(), GetOffersView::kFailureMessage);
    EXPECT_EQ(wall->rowsOfTab(0).size(), 30u);
    service_->setMode("GetOffers", devserver::OrvaneReplyMode::Good);
    ASSERT_TRUE(AlertDriver::tap("Retry"));
    ASSERT_TRUE(
        pump([&] { return requestsOf("/orvane/Service1.asmx/GetOffers").size() == 3 && !wall->requestInFlight(); }));

    Heard shown(kORVShowBoxNotification);
    fnd::NotificationCenter::defaultCenter().postNotificationName(kORVRemoveOffersView);
    EXPECT_FALSE(wall->superview());
    EXPECT_EQ(shown.count, 1);
    EXPECT_FALSE(facade->getOffersItemName());
}

} // namespace
} // namespace zelvan::orvane
