// The Selvo ad cache against the ad host: the version wipe, serving by impressions and expiry, reporting
// and deleting, images on and off the image domain, cookies, the error log and the reports' texts.
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "ads/selvo/cache/sv_ad_request_operation.h"
#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/sv_ad_type.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/sql_database.h"
#include "tests/ads/selvo/cache/selvo_cache_fixture.h"

namespace zelvan::selvo {
namespace {

class SVCacheManagerTest : public testing::SelvoCacheFixture {
protected:
    // A text ad (no picture to fetch) expiring `hours` from now.
    std::shared_ptr<SVAd> textAd(const std::string& id, double hours, unsigned reserved = 3) {
        auto ad = std::make_shared<SVAd>();
        ad->setDbid(manager().uniqueId());
        ad->setAdID(id);
        ad->setType(SVAdTypeText);
        ad->setSubtype(SVAdTypeTextBanner);
        ad->setText("text " + id);
        ad->setImpressionsReserved(reserved);
        ad->setBatchID("batch");
        ad->setExpireDate(fnd::Clock::now().addingTimeInterval(hours * 3600));
        return ad;
    }
    std::shared_ptr<SVAd> batchRequest(const std::string& pid) {
        auto operation = SVAdRequestOperation::batchRequestWithParams(*context_, params(pid), {}, 5, userInfo(pid));
        operation->start();
        return operation->ad();
    }
    size_t pngFiles() {
        auto names = fnd::FileManager::contentsOfDirectoryAtPath(manager().cachedFileFolderPath());
        return names ? names->size() : 0;
    }
};

TEST_F(SVCacheManagerTest, OtherVersionIsWipedWithItsImages) {
    const std::string folder = fnd::AppFolders::documents() + "/SelvoMobile";
    ASSERT_TRUE(fnd::FileManager::createDirectoryAtPath(folder + "/CachedAds"));
    ASSERT_TRUE(fnd::writeFile(folder + "/CachedAds/old.png", fnd::Bytes{1, 2, 3}));
    {
        auto old = fnd::SqlDatabase::open(folder + "/SVDatabase.db");
        ASSERT_TRUE(old);
        ASSERT_TRUE(old->exec("CREATE TABLE meta_data (name TEXT, value TEXT); INSERT INTO meta_data VALUES "
                              "('version', '3.4'); CREATE TABLE ad (dbid TEXT); INSERT INTO ad VALUES ('x');"));
    }
    EXPECT_EQ(manager().database()->stringForQuery("select value from meta_data where name = 'version'"), "3.5");
    EXPECT_EQ(rows("ad"), 0);
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(folder + "/CachedAds/old.png"));
    // The new schema takes a full ad row.
    manager().cacheAd(*textAd("t1", 1), params("pub"));
    EXPECT_EQ(rows("ad"), 1);
}

TEST_F(SVCacheManagerTest, BatchIsServedByImpressionsThenReportedAndDeleted) {
    auto first = batchRequest("pub");
    ASSERT_NE(first, nullptr);
    const std::string firstId = first->adID();
    EXPECT_EQ(first->adID().substr(0, 1), "a");
    ASSERT_NE(first->image(), nullptr);
    EXPECT_EQ(first->tracking().size(), 1u);
    // Both pictures are on the image domain: kept as PNG files, batch-marked.
    EXPECT_EQ(pngFiles(), 2u);
    EXPECT_EQ(manager().database()->intForQuery("SELECT COUNT(*) FROM imap WHERE is_batch='y'"), 2);
    const size_t imageFetches = requestsTo("/selvo/img/");

    for (int i = 2; i <= 5; ++i) {
        auto again = manager().adForParams(params("pub"));
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->adID(), firstId);
        EXPECT_EQ(again->impressionsServed(), static_cast<unsigned>(i - 1));
    }
    auto second = manager().adForParams(params("pub"));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second->adID(), firstId);
    EXPECT_EQ(requestsTo("/selvo/img/"), imageFetches); // served from the stored files
    EXPECT_EQ(manager().cachedAdsCount(params("pub")), 4);

    auto reported = manager().adsToReport();
    ASSERT_EQ(reported.size(), 2u);
    // The queued report lets the main thread delete the used-up ad once it has finished.
    manager().submitReport(userInfo("pub"));
    ASSERT_TRUE(fnd::RunLoop::current().pumpUntil([&] { return rows("ad") == 1; }, 30));
    EXPECT_EQ(rows("pixels"), 1);
    EXPECT_EQ(pngFiles(), 1u);
    EXPECT_EQ(manager().adForParams(params("pub"))->adID(), second->adID());

    // The server's cookie went back on the next request, once.
    auto cookies = record_->cookies();
    ASSERT_GE(cookies.size(), 2u);
    EXPECT_EQ(cookies[0], "");
    EXPECT_EQ(cookies[1], "svsession=s1");
}

TEST_F(SVCacheManagerTest, ExpiryOrderReportingAndParams) {
    auto later = textAd("later", 2);
    auto sooner = textAd("sooner", 1);
    auto unserved = textAd("unserved", 3);
    manager().cacheAds({later, sooner}, params("pub", "site", SVAdTypeText));
    manager().cacheAd(*unserved, params("pub", "other", SVAdTypeText));
    EXPECT_EQ(rows("imap"), 0);
    EXPECT_EQ(manager().cachedAdsCount(params("pub", "site", SVAdTypeBanner)), 0);

    EXPECT_EQ(manager().adForParams(params("pub", "site", SVAdTypeText))->adID(), "sooner");
    // Without a site id the publisher and site play no part: the other site's ad is served too.
    EXPECT_EQ(manager().adForParams(SVAdParams(SVAdTypeText, "x", "", 0, std::nullopt, 999))->adID(), "sooner");
    EXPECT_EQ(manager().adForParams(params("pub", "site", SVAdTypeText))->adID(), "sooner");
    EXPECT_EQ(manager().adForParams(params("pub", "site", SVAdTypeText))->adID(), "later");
    EXPECT_EQ(manager().adForParams(params("pub", "other", SVAdTypeText))->adID(), "unserved");
    manager().database()->executeUpdate("UPDATE ad SET impressions_served = 0 WHERE ad_id = 'unserved'");

    // Three report rounds list each reported ad once; the unserved live one is never listed.
    for (int round = 0; round < 3; ++round) {
        auto reported = manager().adsToReport();
        ASSERT_EQ(reported.size(), round == 0 ? 2u : 1u) << round;
        manager().markAdsReported();
        EXPECT_EQ(manager().reportedAds().size(), 1u);
    }
    EXPECT_EQ(rows("ad"), 2);

    // Once expired, the unserved ad is reported and deleted with the rest.
    clock_->advance(4 * 3600);
    EXPECT_EQ(manager().adsToReport().size(), 2u);
    manager().markAdsReported();
    EXPECT_EQ(rows("ad"), 0);
    EXPECT_TRUE(manager().reportedAds().empty());
}

TEST_F(SVCacheManagerTest, ImagesOffTheImageDomainAreFetchedEachTime) {
    ASSERT_NE(batchRequest("otherdomain"), nullptr);
    const size_t afterFirst = requestsTo("/selvo/img/");
    auto again = manager().adForParams(params("otherdomain"));
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->image(), nullptr);
    EXPECT_EQ(requestsTo("/selvo/img/"), afterFirst + 1);
    EXPECT_EQ(pngFiles(), 0u);
    EXPECT_EQ(rows("imap"), 0);

    // A single ad's image on the image domain is kept 4 hours, then forgotten with its file.
    SVAd single;
    single.setDbid("single");
    single.setDataURL(server_.baseURL() + "/selvo/img/7.png");
    ASSERT_NE(manager().imageForAd(single, context_->deviceInfo()), nullptr);
    EXPECT_EQ(pngFiles(), 1u);
    clock_->advance(SVCacheManager::kImageLifetime + 1);
    manager().cleanupExpired();
    EXPECT_EQ(pngFiles(), 0u);
    EXPECT_EQ(rows("imap"), 0);
}

TEST_F(SVCacheManagerTest, DownloadsRefuseFilesAndOversizedBodies) {
    const std::string secret = root_.root() + "/secret.png";
    ASSERT_TRUE(fnd::writeFile(secret, fnd::Bytes{0x89, 'P', 'N', 'G'}));
    EXPECT_FALSE(manager().downloadURL(fnd::Url::parse("file://" + secret), nullptr));
    EXPECT_FALSE(manager().downloadURL(fnd::Url::parse(server_.baseURL() + "/selvo/img/huge.png"), nullptr,
                                       SVCacheManager::kMaxImageBytes));
    EXPECT_TRUE(manager().downloadURL(fnd::Url::parse(server_.baseURL() + "/selvo/img/1.png"), nullptr));
}

TEST_F(SVCacheManagerTest, StalledImageDoesNotHoldTheLock) {
    SVAd stalled;
    stalled.setDbid("stalled");
    stalled.setDataURL(server_.baseURL() + "/selvo/img/stall.png");
    std::atomic<bool> done{false};
    auto& cache = manager();
    std::thread fetch([&] {
        cache.imageForAd(stalled, fnd::Value());
        done = true;
    });
    // Wait until the server holds the request, then the main thread's cleanup must still get through.
    while (record_->cookies().empty()) {
        std::this_thread::yield();
    }
    cache.cleanupExpired();
    EXPECT_EQ(cache.cachedAdsCount(params("pub")), 0);
    EXPECT_FALSE(done);
    record_->releaseStalls();
    fetch.join();
    EXPECT_TRUE(done);
}

TEST_F(SVCacheManagerTest, ErrorLogAndReportTexts) {
    EXPECT_EQ(manager().cacheReport(), "\n\n*** Cache Report ***\nNo records found.");
    manager().logErrorMessage("first");
    // Stamped in the local zone on a 12-hour clock without AM/PM.
    const std::string report = manager().errorReport();
    EXPECT_TRUE(std::regex_match(report, std::regex("\n\\*\\*\\* Error Report \\*\\*\\*\n"
                                                    "\\[2010-01-01 \\d\\d:\\d\\d:00\\] first\n")))
        << report;

    manager().cacheAd(*textAd("t1", 1, 4), params("pub"));
    const std::string dbid = manager().database()->stringForQuery("SELECT dbid FROM ad").value_or("");
    EXPECT_EQ(manager().cacheReport(), "\n\n*** Cache Report ***\n[batchId:batch: adId:t1](text/textbanner) "
                                       "(pubId:pub) (siteId:site) [" +
                                           dbid + "]Reserved:4 Served:0 Clicks:0 \n");

    for (int i = 0; i < SVCacheManager::kMaxErrorLogRows + 5; ++i) {
        manager().logErrorMessage("line " + std::to_string(i));
    }
    EXPECT_EQ(rows("error_log"), SVCacheManager::kMaxErrorLogRows);
    EXPECT_EQ(manager().database()->stringForQuery("SELECT error_message FROM error_log ORDER BY id LIMIT 1"),
              "line 5");
    manager().clearErrorLog();
    EXPECT_EQ(rows("error_log"), 0);
}

} // namespace
} // namespace zelvan::selvo
