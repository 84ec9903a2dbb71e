// SVCacheManager: the Selvo client's store and network service. It keeps batches of ads in an SQLite
// database (Documents/"SelvoMobile"/"SVDatabase.db") with their images as PNG files, counts impressions,
// picks the next ad to show, reports served impressions and then deletes used-up or expired ads, keeps an
// error log, probes reachability and performs every HTTP fetch of the client (through fnd::fetch) with its
// cookie handling. One per SelvoContext; the manager's recursive lock guards its database.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ads/selvo/cache/sv_work_queue.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_ad_cache.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/url.h"
#include "platform/foundation/value.h"

namespace zelvan::selvo {

class SelvoContext;
class SqlDatabase_;
class SVAdParams;

inline constexpr std::string_view SVFolderName = "SelvoMobile";
inline constexpr std::string_view SVDatabaseFileName = "SVDatabase.db";
inline constexpr std::string_view SVCachedAdsFolderName = "CachedAds";
inline constexpr std::string_view SVDatabaseVersion = "3.5";
// The private run loop mode a download on an operation's worker waits in.
inline constexpr std::string_view SVDownloadRunMode = "SVDownloadRunMode";

class SVCacheManager : public SVAdCache, public std::enable_shared_from_this<SVCacheManager> {
public:
    // Images cached for a single ad expire after this many seconds.
    static constexpr double kImageLifetime = 14400;
    // A reachability probe's answer is kept this many seconds.
    static constexpr double kPingLifetime = 60;
    // The error log keeps this many of its newest lines.
    static constexpr int kMaxErrorLogRows = 1000;
    // Largest bodies accepted: replies and pixels, and images.
    static constexpr size_t kMaxReplyBytes = 1024 * 1024;
    static constexpr size_t kMaxImageBytes = 4 * 1024 * 1024;

    // The manager of the installed context, made on first use; null without a context
    // (selvo_entry_points.cpp).
    static std::shared_ptr<SVCacheManager> sharedSVCacheManager();
    // The manager of `context`, made on first use under the context's lock (and then set as the
    // context's error sink).
    static std::shared_ptr<SVCacheManager> forContext(SelvoContext& context);

    // Opens (creating, wiping or upgrading) the database. Use forContext(); `context` outlives it.
    explicit SVCacheManager(SelvoContext& context);
    ~SVCacheManager() override;
    SVCacheManager(const SVCacheManager&) = delete;
    SVCacheManager& operator=(const SVCacheManager&) = delete;

    // Server addresses for the context's run mode.
    std::optional<std::string> adServer(bool batch) const;
    std::optional<std::string> proxySiteServer() const;
    // The database's full path (creating its folder); none when it cannot be built.
    std::optional<std::string> databasePath();
    // <Documents>/SelvoMobile/CachedAds, created when missing.
    std::string cachedFileFolderPath();
    std::string imagePathForUUID(const std::string& uuid);

    // --- SVAdCache ---
    std::string uniqueId() override;
    // The ad's stored picture, else the downloaded one (kept as PNG when its URL is on the image domain).
    std::shared_ptr<gfx::Image> imageForAd(const SVAd& ad, const fnd::Value& userInfo) override;
    // Cancels the manager's fetches and the queued operations, and waits for the running one.
    void shutdown() override;

    // --- The cache ---
    void cacheAds(const SVAd::Ads& ads, const SVAdParams& params);
    void cacheAd(const SVAd& ad, const SVAdParams& params);
    // The next live ad for the params (counting the impression), or null.
    std::shared_ptr<SVAd> adForParams(const SVAdParams& params);
    // Served and expired ads, in batch order; the list is rebuilt from the table on each call.
    SVAd::Ads adsToReport();
    // Deletes the reported ads that are used up or expired; the live ones stay listed.
    void markAdsReported();
    bool deleteAd(const SVAd* ad);
    // Forgets single-ad images older than 4 hours.
    void cleanupExpired();
    // Impressions left for the params (expired ads too); 0 on failure.
    int cachedAdsCount(const SVAdParams& params);
    std::optional<std::string> uuidFromAd(const SVAd& ad);
    std::shared_ptr<gfx::Image> imageForUUID(const std::string& uuid);
    // Writes the image as PNG under a new id; the id, or none.
    std::optional<std::string> saveImage(const gfx::Image& image);
    const SVAd::Ads& reportedAds() const { return reportedAds_; }

    // --- Reports and logs ---
    // Runs an impression report for adsToReport() on the calling thread, then markAdsReported().
    void submitSynchronousReport(const fnd::Value& userInfo);
    // Queues an impression report; once it has finished, markAdsReported() runs on the main thread.
    void submitReport(const fnd::Value& userInfo);
    void logErrorMessage(const std::string& message);
    std::string errorReport();
    void clearErrorLog();
    std::string cacheReport();

    // --- Network ---
    // Whether the ad network looks reachable (probed at most once a minute).
    bool networkReachable();
    // Fetches `url` with the stored cookies and, given `userInfo`, the client's headers, and stores the
    // cookies the answer sets; only http(s), and bodies over `maxBytes` fail. The body whatever the status,
    // or the failure (logged). Waits for the fetch on the calling thread's loop in SVDownloadRunMode: for
    // the operations, which run one step after another on a worker.
    fnd::Result<fnd::Bytes> downloadURL(const std::optional<fnd::Url>& url, const fnd::Value* userInfo,
                                        size_t maxBytes = kMaxReplyBytes);
    // The same without waiting: `completion` runs later on the calling thread's loop while this manager
    // lives, never inside this call.
    void fetchURL(const std::optional<fnd::Url>& url, const fnd::Value* userInfo,
                  std::function<void(fnd::Result<fnd::Bytes>)> completion, size_t maxBytes = kMaxReplyBytes);
    // Pings `pixels` one after the other from the calling thread's loop, logging the ones that fail.
    void pingTrackingPixels(std::vector<std::string> pixels, fnd::Value userInfo);

    // The queue batch requests, prefetches, reports and the launch report share (width 1).
    SVWorkQueue& requestQueue() { return *requestQueue_; }
    const std::shared_ptr<SqlDatabase_>& database() const { return database_; }
    SelvoContext& context() const { return context_; }
    std::recursive_mutex& lock() { return lock_; }

private:
    void initializeDatabase();
    bool createTables();
    void deleteTables();
    std::optional<std::string> versionForDatabase();
    bool deleteCacheFolder();
    void trimErrorLog();
    void storeImage(const SVAd& ad, const gfx::Image& image);
    // The request for `url` with the cookies and headers, or the refusal (logged).
    fnd::Result<fnd::UrlRequest> downloadRequest(const std::optional<fnd::Url>& url, const fnd::Value* userInfo);
    fnd::FetchOptions downloadOptions(size_t maxBytes) const;
    // Stores the reply's cookies and gives its body, or logs the failure.
    fnd::Result<fnd::Bytes> downloaded(const fnd::Url& url, fnd::Result<fnd::FetchReply> reply);
    void pingTrackingPixel(std::vector<std::string> pixels, size_t next, fnd::Value userInfo);

    SelvoContext& context_;
    std::recursive_mutex lock_;
    std::shared_ptr<SqlDatabase_> database_;
    SVAd::Ads reportedAds_;
    std::unique_ptr<SVWorkQueue> requestQueue_;
    // Every fetch of the manager ends with it.
    const std::shared_ptr<fnd::UrlCancelToken> fetches_ = std::make_shared<fnd::UrlCancelToken>();
    std::string cachedFilesFolder_;
    std::mutex pingMutex_; // the probe's own: a slow probe must not hold up the cache
    std::optional<double> pingTime_;
    bool lastPingResult_ = false;
};

} // namespace zelvan::selvo
