// The image cache's age rule, names and byte budget, the location rules (fixes, accuracy, denial) and the store-link
// cleaner against the ad host's redirects.
#include <gtest/gtest.h>

#include <asio.hpp>

#include "ads/adwick/adwick_image_cache.h"
#include "ads/adwick/adwick_itunes_url_cleaner.h"
#include "ads/adwick/adwick_location_manager.h"
#include "platform/device/testing/device_simulators.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/ui/application.h"
#include "tests/ads/adwick/adwick_fixture.h"

namespace zelvan::adwick {
namespace {

class ManualClockScope {
public:
    ManualClockScope() : clock_(fnd::ManualClock::install()) {}
    ~ManualClockScope() { fnd::Clock::install(nullptr); }
    fnd::ManualClock& operator*() { return *clock_; }

private:
    std::shared_ptr<fnd::ManualClock> clock_;
};

TEST(AdwickImageCacheTest, AgeBoundaryAndUnsafeNames) {
    fnd::testing::ScopedAppRoot root;
    ManualClockScope clock;
    AdwickImageCache cache;
    auto image = gfx::Image::fromPixels(1, 1, fnd::Bytes{0, 0, 255, 255});
    ASSERT_TRUE(cache.storeImage(*image, "18"));
    const std::string path = cache.directory() + "/18";
    fnd::FileManager::setModificationDate(
        path, fnd::Date::fromReference(fnd::Clock::now().sinceReferenceDate() - AdwickImageCache::kMaxAgeSeconds));
    EXPECT_TRUE(cache.imageIsInCache("18"));
    ASSERT_TRUE(cache.fetchImageNamed("18"));
    EXPECT_EQ(cache.fetchImageNamed("18")->width(), 1);
    (*clock).advance(1);
    EXPECT_FALSE(cache.imageIsInCache("18"));

    for (const char* bad : {"../escape", "a/b", "a\\b", "..", ""}) {
        EXPECT_FALSE(cache.storeImage(*image, bad)) << bad;
        EXPECT_FALSE(cache.imageIsInCache(bad)) << bad;
    }
    EXPECT_FALSE(cache.storeImage(*image, std::string_view("a\0b", 3)));
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(root.root() + "/Library/Caches/adwick/escape"));
}

TEST(AdwickImageCacheTest, FilesStayWithinTheBudgetLeastRecentlyUsedGoingFirst) {
    fnd::testing::ScopedAppRoot root;
    const std::string folder = AdwickImageCache::defaultDirectory();
    ASSERT_TRUE(fnd::FileManager::createDirectoryAtPath(folder));
    const uint64_t half = AdwickImageCache::kMaxBytes / 2;
    // Left by earlier runs, oldest first; together more than the budget.
    const std::pair<const char*, uint64_t> earlier[] = {{"old", half}, {"mid", half}, {"new", half - 40}};
    double age = 300;
    for (const auto& [name, bytes] : earlier) {
        ASSERT_TRUE(fnd::writeFile(folder + "/" + name, fnd::Bytes(bytes, 7)));
        fnd::FileManager::setModificationDate(folder + "/" + name,
                                              fnd::Date::fromReference(fnd::Clock::now().sinceReferenceDate() - age));
        age -= 100;
    }
    AdwickImageCache cache;
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(folder + "/old"));
    EXPECT_TRUE(cache.imageIsInCache("mid")); // now used after "new"

    // 40 bytes are left: a new picture takes the least recently used file's room.
    auto image = gfx::Image::fromPixels(1, 1, fnd::Bytes{0, 0, 255, 255});
    ASSERT_TRUE(cache.storeImage(*image, "icon"));
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(folder + "/new"));
    EXPECT_TRUE(cache.imageIsInCache("mid"));
    EXPECT_TRUE(cache.fetchImageNamed("icon"));
}

std::shared_ptr<device::Location> fix(double latitude, double longitude, double accuracy) {
    auto location = device::Location::initWithLatitude(latitude, longitude);
    location->horizontalAccuracy = accuracy;
    return location;
}

TEST(AdwickLocationManagerTest, TakesFixesByTheRulesAndStopsWhenAccurateOrDenied) {
    fnd::testing::ScopedAppRoot root;
    device::testing::LocationSimulator simulator;
    auto manager = AdwickLocationManager::create();
    manager->updateIfAppropriate();
    EXPECT_EQ(simulator.listeners(), 1U);

    simulator.deliver(fix(0, 0, 10));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(manager->locationString());
    simulator.deliver(fix(0, 0.01, 250));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(manager->locationString(), "0.000000,0.010000");
    EXPECT_EQ(simulator.listeners(), 1U); // 250 m: still updating
    simulator.deliver(fix(51.5, -0.12, 50));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(simulator.listeners(), 0U);
    auto file = fnd::readFile(AdwickLocationManager::defaultCachePath());
    ASSERT_TRUE(file);
    EXPECT_EQ(std::string(file->begin(), file->end()), "51.500000,-0.120000");

    // A later run reads the file and asks for no fix within the day.
    auto next = AdwickLocationManager::create();
    EXPECT_EQ(next->locationString(), "51.500000,-0.120000");
    next->updateIfAppropriate();
    EXPECT_EQ(simulator.listeners(), 0U);

    fnd::FileManager::removeItemAtPath(AdwickLocationManager::defaultCachePath());
    simulator.setDenied(true);
    auto denied = AdwickLocationManager::create();
    denied->updateIfAppropriate();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(denied->locationServicesEnabled());
    EXPECT_EQ(simulator.listeners(), 0U);
}

struct CleanerDelegate : AdwickITunesURLCleanerDelegate {
    std::vector<std::string> urls;
    void cleanerDidGenerateURL(AdwickITunesURLCleaner&, const fnd::Url& url) override {
        urls.push_back(url.absoluteString());
    }
};

TEST(AdwickITunesURLCleanerTest, StoreLinksAffiliateRedirectsAndFailures) {
    fnd::testing::ScopedAppRoot root;
    testing::AdHost host;
    auto delegate = std::make_shared<CleanerDelegate>();
    ui::Application::shared().clearOpenedUrls();

    auto store = *fnd::Url::parse("http://ax.store.test/app/id42?mt=8");
    EXPECT_TRUE(AdwickITunesURLCleaner::isITunesURL(store));
    auto direct = AdwickITunesURLCleaner::initWithURL(store, delegate);
    ASSERT_EQ(ui::Application::shared().openedUrls().size(), 1U);
    EXPECT_EQ(ui::Application::shared().openedUrls()[0], "http://media.store.test/app/id42?mt=8");
    EXPECT_EQ(
        AdwickITunesURLCleaner::cleanITunesURLWithURL(*fnd::Url::parse("itms://store.test/app/id1")).absoluteString(),
        "http://media.store.test/app/id1");
    EXPECT_EQ(AdwickITunesURLCleaner::cleanITunesURLWithURL(*fnd::Url::parse("itms:e.tit//store.test/a")).host(),
              "media.store.test");

    // localhost is the ad host by another name: two redirects, the second to the store's own scheme.
    const std::string local = "http://localhost:" + std::to_string(host.server().port());
    const std::string second = local + "/adwick/redirect?to=" + fnd::escapeUnreserved("itms://store.test/app/id7?mt=8");
    auto affiliate = *fnd::Url::parse(local + "/adwick/redirect?to=" + fnd::escapeUnreserved(second));
    EXPECT_TRUE(AdwickITunesURLCleaner::iTunesURLMightHaveRedirects(affiliate));
    auto followed = AdwickITunesURLCleaner::initWithURL(affiliate, delegate);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !delegate->urls.empty(); }, 20.0));
    EXPECT_EQ(delegate->urls[0], "http://media.store.test/app/id7?mt=8");
    EXPECT_EQ(host.server().requests().size(), 2U);

    asio::io_context io;
    int closed = 0;
    {
        asio::ip::tcp::acceptor acceptor(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
        closed = acceptor.local_endpoint().port();
    }
    auto broken = *fnd::Url::parse("http://127.0.0.1:" + std::to_string(closed) + "/click?x=1");
    auto failed = AdwickITunesURLCleaner::initWithURL(broken, delegate);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return delegate->urls.size() == 2; }, 20.0));
    EXPECT_EQ(delegate->urls[1], broken.absoluteString());
}

} // namespace
} // namespace zelvan::adwick
