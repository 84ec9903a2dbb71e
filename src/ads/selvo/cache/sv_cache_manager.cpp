// SVCacheManager's database: opening with the version check and wipe, caching ads, choosing the next ad
// with its impression count, the report list, remaining inventory, the error log and the cache report.
#include "ads/selvo/cache/sv_cache_manager.h"

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sql/sql_database.h"
#include "ads/selvo/sql/sql_result_set.h"
#include "ads/selvo/sv_ad_params.h"
#include "ads/selvo/sv_ad_type.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_user_info.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/date_formatter.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/uuid.h"

namespace zelvan::selvo {
namespace {

const char* const kCreateMetaData = "CREATE TABLE IF NOT EXISTS meta_data (name TEXT NOT NULL, value TEXT NOT NULL)";
// "NO NULL" is how existing databases were made; the column accepts NULL, so no null message is inserted.
const char* const kCreateErrorLog = "CREATE TABLE IF NOT EXISTS error_log (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                    "time_stamp TEXT NOT NULL, error_message TEXT NO NULL)";
const char* const kCreateAd =
    "CREATE TABLE IF NOT EXISTS ad (dbid TEXT PRIMARY KEY , ad_ID KEY TEXT NOT NULL, ad_type TEXT NOT NULL, "
    "ad_subtype TEXT, pubid TEXT NOT NULL, siteid TEXT NOT NULL, placement TEXT, section TEXT, ad_text TEXT, "
    "data_url TEXT, image_height REAL, image_width REAL, link_url TEXT, link_type TEXT, impressions_reserved "
    "INTEGER, impressions_served INTEGER, clicks INTEGER, expiration_time_stamp REAL, last_impression_time_stamp "
    "REAL, batch_id TEXT)";
const char* const kCreateImap = "CREATE TABLE IF NOT EXISTS imap (dbid TEXT KEY NOT NULL, data_url TEXT, image_uuid "
                                "TEXT, cached_time_stamp REAL, is_batch TEXT DEFAULT 'n')";
const char* const kCreatePixels = "CREATE TABLE IF NOT EXISTS pixels (dbid TEXT KEY, pixel TEXT)";

double nowSince1970() {
    return fnd::Clock::now().since1970();
}

std::string typeName(int type) {
    return SVStringForAdType(type).value_or("");
}

std::string expiryText(std::optional<double> since1970) {
    if (!since1970) {
        return "(null)";
    }
    static const fnd::DateFormatter formatter("yyyy-MM-dd HH:mm z", *fnd::Locale::withIdentifier("en_US"),
                                              fnd::TimeZone::utc());
    return formatter.stringFromDate(fnd::Date::fromUnix(*since1970));
}

} // namespace

std::shared_ptr<SVCacheManager> SVCacheManager::forContext(SelvoContext& context) {
    bool made = false;
    auto cache = context.adCache([&]() -> std::shared_ptr<SVAdCache> {
        made = true;
        return std::make_shared<SVCacheManager>(context);
    });
    auto manager = std::static_pointer_cast<SVCacheManager>(cache);
    if (made && manager) {
        std::weak_ptr<SVCacheManager> weak = manager;
        context.setErrorSink([weak](const std::string& line) {
            if (auto alive = weak.lock()) {
                alive->logErrorMessage(line);
            }
        });
    }
    return manager;
}

SVCacheManager::SVCacheManager(SelvoContext& context) : context_(context) {
    std::lock_guard lock(lock_);
    initializeDatabase();
    requestQueue_ = std::make_unique<SVWorkQueue>(context.workerPool());
}

SVCacheManager::~SVCacheManager() {
    shutdown();
    std::lock_guard lock(lock_);
    if (database_) {
        database_->close();
    }
}

void SVCacheManager::shutdown() {
    context_.setErrorSink({});
    fetches_->cancel();
    // Outside the lock the running operation may need.
    requestQueue_->shutdown();
}

std::optional<std::string> SVCacheManager::adServer(bool batch) const {
    return context_.adServer(batch);
}

std::optional<std::string> SVCacheManager::proxySiteServer() const {
    return context_.proxySiteServer();
}

std::optional<std::string> SVCacheManager::databasePath() {
    const std::string documents = fnd::AppFolders::documents();
    if (documents.empty()) {
        SVLogError(&context_, "ERROR: Could not get document directory for SV database.");
        return std::nullopt;
    }
    const std::string folder = documents + "/" + std::string(SVFolderName);
    if (!fnd::FileManager::fileExistsAtPath(folder)) {
        fnd::FileManager::createDirectoryAtPath(folder);
    }
    return folder + "/" + std::string(SVDatabaseFileName);
}

std::string SVCacheManager::uniqueId() {
    return fnd::uuidString();
}

// ---- opening -------------------------------------------------------------------------------------------

void SVCacheManager::initializeDatabase() {
    SVLog(&context_, "Initializing SV Database...");
    auto path = databasePath();
    if (path) {
        // The manager lives inside the context, so its database refers to the context without owning it.
        std::shared_ptr<SelvoContext> unowned(std::shared_ptr<SelvoContext>(), &context_);
        auto database = SqlDatabase_::databaseWithPath(*path, unowned);
        if (database->open()) {
            database_ = database;
        }
    }
    if (!database_) {
        SVLogError(&context_, "Error: Could not open db.");
        return;
    }
    if (versionForDatabase() == SVDatabaseVersion) {
        return;
    }
    SVLog(&context_, "Deleting Old SV Tables...");
    deleteTables();
    if (!deleteCacheFolder()) {
        ZLOG_TO(kSelvoLog, Warn, "Error clearing ad cache: %@", cachedFileFolderPath());
    }
    SVLog(&context_, "Creating SV tables...");
    createTables();
}

std::optional<std::string> SVCacheManager::versionForDatabase() {
    auto rows = database_->executeQuery("select value from meta_data where name = 'version'");
    while (rows && rows->next()) {
        auto value = rows->stringForColumnIndex(0);
        if (value && !value->empty()) {
            rows->close();
            return value;
        }
    }
    return std::nullopt;
}

void SVCacheManager::deleteTables() {
    for (const char* sql : {"DROP TABLE meta_data", "DROP TABLE error_log", "DROP TABLE ad", "DROP TABLE imap",
                            "DROP TABLE pixels", "vacuum"}) {
        database_->executeUpdate(sql);
    }
}

bool SVCacheManager::deleteCacheFolder() {
    const std::string folder = cachedFileFolderPath();
    cachedFilesFolder_.clear(); // made again on next use
    return !fnd::FileManager::fileExistsAtPath(folder) || fnd::FileManager::removeItemAtPath(folder);
}

bool SVCacheManager::createTables() {
    database_->beginTransaction();
    bool ok = database_->executeUpdate(kCreateMetaData) && database_->executeUpdate(kCreateErrorLog);
    if (ok && !database_->executeUpdate(kCreateAd)) {
        SVLogError(&context_, "Error creating ad table with error:%@", database_->lastErrorMessage());
        ok = false;
    }
    if (ok && !database_->executeUpdate(kCreateImap)) {
        SVLogError(&context_, "Error creating imap table with error:%@", database_->lastErrorMessage());
        ok = false;
    }
    if (ok && !database_->executeUpdate(kCreatePixels)) {
        SVLogError(&context_, "Error creating pixel table with error:%@", database_->lastErrorMessage());
        ok = false;
    }
    if (ok) {
        ok = database_->executeUpdate("INSERT INTO meta_data (name, value) values (?, ?)",
                                      {fnd::Value("version"), fnd::Value(SVDatabaseVersion)});
    }
    return database_->commit() && ok;
}

// ---- caching and serving ---------------------------------------------------------------------------------

void SVCacheManager::cacheAds(const SVAd::Ads& ads, const SVAdParams& params) {
    std::lock_guard lock(lock_);
    ZLOG_TO(kSelvoLog, Info, "caching ads for publid:%@ siteid:%@", fnd::logPreview(params.pubid()),
            fnd::logPreview(params.siteid()));
    for (const auto& ad : ads) {
        if (ad) {
            cacheAd(*ad, params);
        }
    }
}

void SVCacheManager::cacheAd(const SVAd& ad, const SVAdParams& params) {
    std::lock_guard lock(lock_);
    std::optional<double> expiry;
    if (ad.expireDate()) {
        expiry = ad.expireDate()->since1970();
    }
    SVLog(&context_, "\t'%@' ad text:[%@] impressions [%d] expires :%@ ", typeName(ad.type()),
          fnd::logPreview(ad.text()), static_cast<int>(ad.impressionsReserved()), expiryText(expiry));
    if (!database_) {
        return;
    }
    const bool saved = database_->executeUpdate(
        "INSERT INTO ad (dbid, ad_id, ad_type, ad_subtype, pubid, siteid, placement, section, ad_text, data_url, "
        "image_width, image_height, link_url, link_type, impressions_reserved, impressions_served, clicks, "
        "expiration_time_stamp, batch_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {fnd::Value(ad.dbid()), fnd::Value(ad.adID()), fnd::Value(typeName(ad.type())),
         SVStringForAdType(ad.subtype()) ? fnd::Value(*SVStringForAdType(ad.subtype())) : fnd::Value(),
         fnd::Value(params.pubid()), fnd::Value(params.siteid()),
         fnd::Value(SVAdParams::placementAsString(params.placement())), fnd::Value(params.section()),
         fnd::Value(ad.text()), fnd::Value(ad.dataURL()), fnd::Value(ad.imageWidth()), fnd::Value(ad.imageHeight()),
         fnd::Value(ad.url()), fnd::Value("link type"), fnd::Value(static_cast<int64_t>(ad.impressionsReserved())),
         fnd::Value(0), fnd::Value(0), expiry ? fnd::Value(*expiry) : fnd::Value(), fnd::Value(ad.batchID())});
    if (!saved) {
        SVLogError(&context_, "Error saving ad:%@ with error:%@", fnd::logPreview(ad.adID()),
                   database_->lastErrorMessage());
        return;
    }
    for (const auto& pixel : ad.tracking()) {
        if (!database_->executeUpdate("INSERT INTO pixels (dbid, pixel) VALUES (?, ?)",
                                      {fnd::Value(ad.dbid()), fnd::Value(pixel)})) {
            SVLogError(&context_, "Error saving pixel:%@ with error:%@", fnd::logPreview(pixel),
                       database_->lastErrorMessage());
        }
    }
    if (ad.type() == SVAdTypeText) {
        return;
    }
    if (!database_->executeUpdate("UPDATE imap set is_batch='y' where dbid=?", {fnd::Value(ad.dbid())})) {
        SVLogError(&context_, "Error updating cache record:%@ with error:%@", fnd::logPreview(ad.dataURL()),
                   database_->lastErrorMessage());
    }
}

std::shared_ptr<SVAd> SVCacheManager::adForParams(const SVAdParams& params) {
    std::lock_guard lock(lock_);
    if (!database_) {
        return nullptr;
    }
    std::string sql = "SELECT * from ad where ad_type = ? and placement = ? and section = ? AND image_width <= ?";
    SqlDatabase_::Arguments arguments{fnd::Value(typeName(params.type())),
                                      fnd::Value(SVAdParams::placementAsString(params.placement())),
                                      fnd::Value(params.section()), fnd::Value(params.size())};
    if (!params.siteid().empty() && !params.pubid().empty()) {
        sql += " AND pubid=? and siteid=? ";
        arguments.emplace_back(params.pubid());
        arguments.emplace_back(params.siteid());
    }
    sql += " AND impressions_reserved > impressions_served";
    sql += " AND expiration_time_stamp > ?";
    sql += " ORDER BY expiration_time_stamp asc, last_impression_time_stamp desc";
    sql += " LIMIT 1";
    arguments.emplace_back(nowSince1970());
    auto rows = database_->executeQuery(sql, arguments);
    if (!rows || !rows->next()) {
        return nullptr;
    }
    auto ad = std::make_shared<SVAd>();
    ad->setDbid(rows->stringForColumn("dbid").value_or(""));
    ad->setAdID(rows->stringForColumn("ad_id").value_or(""));
    ad->setText(rows->stringForColumn("ad_text").value_or(""));
    ad->setType(SVAdTypeForString(rows->stringForColumn("ad_type").value_or("")));
    ad->setSubtype(SVAdTypeForString(rows->stringForColumn("ad_subtype").value_or("")));
    ad->setImpressionsReserved(static_cast<unsigned>(std::max(0, rows->intForColumn("impressions_reserved"))));
    ad->setImpressionsServed(static_cast<unsigned>(std::max(0, rows->intForColumn("impressions_served"))));
    ad->setExpireDate(fnd::Date::fromUnix(rows->doubleForColumn("expiration_time_stamp")));
    if (auto link = rows->stringForColumn("link_url")) {
        ad->setUrl(*link);
    }
    ad->setBatchID(rows->stringForColumn("batch_id").value_or(""));
    if (ad->type() != SVAdTypeText) {
        ad->setDataURL(rows->stringForColumn("data_url").value_or(""));
        ad->setImageHeight(static_cast<float>(rows->doubleForColumn("image_height")));
        ad->setImageWidth(static_cast<float>(rows->doubleForColumn("image_width")));
    }
    rows->close();
    if (ad->type() != SVAdTypeText && ad->subtype() != SVAdTypeExpandableBanner) {
        ad->setImage(imageForAd(*ad, context_.deviceInfo()));
    }
    std::vector<std::string> pixels;
    auto pixelRows = database_->executeQuery("SELECT * from pixels where dbid=?", {fnd::Value(ad->dbid())});
    while (pixelRows && pixelRows->next()) {
        if (auto pixel = pixelRows->stringForColumn("pixel")) {
            pixels.push_back(*pixel);
        }
    }
    ad->setTracking(std::move(pixels));

    const int served = static_cast<int>(ad->impressionsServed()) + 1;
    SVLog(&context_, "\n#ad %@ (batch %@) served %i times expires :%@ ", fnd::logPreview(ad->adID()),
          fnd::logPreview(ad->batchID()), served, expiryText(ad->expireDate()->since1970()));
    if (!database_->executeUpdate("UPDATE ad SET impressions_served = ?, last_impression_time_stamp = ? WHERE dbid = ?",
                                  {fnd::Value(served), fnd::Value(nowSince1970()), fnd::Value(ad->dbid())})) {
        SVLogError(&context_, "Database error updating ad impressions count: %@", database_->lastErrorMessage());
    }
    return ad;
}

// ---- reporting -------------------------------------------------------------------------------------------

SVAd::Ads SVCacheManager::adsToReport() {
    std::lock_guard lock(lock_);
    // Rebuilt each time: ads still live after a report are read again from the table, not appended twice.
    reportedAds_.clear();
    if (!database_) {
        return reportedAds_;
    }
    auto rows = database_->executeQuery("select * from ad order by batch_id;");
    const double now = nowSince1970();
    while (rows && rows->next()) {
        auto ad = std::make_shared<SVAd>();
        ad->setDbid(rows->stringForColumn("dbid").value_or(""));
        ad->setAdID(rows->stringForColumn("ad_id").value_or(""));
        ad->setImpressionsServed(static_cast<unsigned>(std::max(0, rows->intForColumn("impressions_served"))));
        const double expiry = rows->doubleForColumn("expiration_time_stamp");
        ad->setExpireDate(fnd::Date::fromUnix(expiry));
        if (ad->impressionsServed() == 0 && expiry > now) {
            ZLOG_TO(kSelvoLog, Debug, "Ad %@ has not been served yet", fnd::logPreview(ad->adID()));
            continue;
        }
        ad->setType(SVAdTypeForString(rows->stringForColumn("ad_type").value_or("")));
        ad->setSubtype(SVAdTypeForString(rows->stringForColumn("ad_subtype").value_or("")));
        ad->setBatchID(rows->stringForColumn("batch_id").value_or(""));
        ad->setImpressionsReserved(static_cast<unsigned>(std::max(0, rows->intForColumn("impressions_reserved"))));
        if (ad->type() != SVAdTypeText) {
            ad->setDataURL(rows->stringForColumn("data_url").value_or(""));
        }
        ZLOG_TO(kSelvoLog, Debug, "Ad %@ has served %d of %d", fnd::logPreview(ad->adID()),
                static_cast<int>(ad->impressionsServed()), static_cast<int>(ad->impressionsReserved()));
        reportedAds_.push_back(std::move(ad));
    }
    return reportedAds_;
}

void SVCacheManager::markAdsReported() {
    std::lock_guard lock(lock_);
    const double now = nowSince1970();
    SVAd::Ads live;
    for (const auto& ad : reportedAds_) {
        const int remaining = static_cast<int>(ad->impressionsReserved()) - static_cast<int>(ad->impressionsServed());
        const bool expired = !(ad->expireDate() && ad->expireDate()->since1970() > now);
        if (remaining > 0 && !expired) {
            ZLOG_TO(kSelvoLog, Debug, "Ad %@ (%@) - has %d impressions remaining from %d", fnd::logPreview(ad->adID()),
                    fnd::logPreview(ad->batchID()), remaining, static_cast<int>(ad->impressionsReserved()));
            live.push_back(ad);
            continue;
        }
        if (remaining > 0) {
            ZLOG_TO(kSelvoLog, Debug, "Ad is expired %@ (%@) - marking for delete", fnd::logPreview(ad->adID()),
                    fnd::logPreview(ad->batchID()));
        } else {
            ZLOG_TO(kSelvoLog, Debug, "Ad used up %i impressions %@ (%@) - marking for delete",
                    static_cast<int>(ad->impressionsServed()), fnd::logPreview(ad->adID()),
                    fnd::logPreview(ad->batchID()));
        }
        deleteAd(ad.get());
    }
    reportedAds_ = std::move(live);
    cleanupExpired();
}

int SVCacheManager::cachedAdsCount(const SVAdParams& params) {
    std::lock_guard lock(lock_);
    if (!database_) {
        return 0;
    }
    std::shared_ptr<SqlResultSet_> rows;
    if (!params.pubid().empty() && !params.siteid().empty()) {
        rows = database_->executeQuery(
            "SELECT SUM(impressions_reserved - impressions_served) AS impressions_remaining FROM ad where ad_type=? "
            "and pubid=? and siteid=? and placement=? and section=?",
            {fnd::Value(typeName(params.type())), fnd::Value(params.pubid()), fnd::Value(params.siteid()),
             fnd::Value(SVAdParams::placementAsString(params.placement())), fnd::Value(params.section())});
    } else {
        rows = database_->executeQuery(
            "SELECT SUM(impressions_reserved - impressions_served) AS impressions_remaining FROM ad where ad_type=?",
            {fnd::Value(typeName(params.type()))});
    }
    int count = 0;
    while (rows && rows->next()) {
        count += rows->intForColumn("impressions_remaining");
    }
    return count;
}

// ---- error log and reports -------------------------------------------------------------------------------

void SVCacheManager::logErrorMessage(const std::string& message) {
    std::lock_guard lock(lock_);
    if (!database_) {
        return;
    }
    // Twelve-hour clock without an AM/PM marker, as stored lines have always been.
    static const fnd::DateFormatter formatter("yyyy-MM-dd hh:mm:ss", *fnd::Locale::withIdentifier("en_US"),
                                              fnd::TimeZone::local());
    if (!database_->executeUpdate("INSERT INTO error_log (time_stamp, error_message) VALUES (?,?)",
                                  {fnd::Value(formatter.stringFromDate(fnd::Clock::now())), fnd::Value(message)})) {
        SVLog(&context_, "Problem logging errors to db, exception=%@", database_->lastErrorMessage());
        return;
    }
    trimErrorLog();
}

void SVCacheManager::trimErrorLog() {
    // A failing server would otherwise grow the database without end: keep the newest lines only.
    database_->executeUpdate(
        "DELETE FROM error_log WHERE id NOT IN (SELECT id FROM error_log ORDER BY id DESC LIMIT ?)",
        {fnd::Value(kMaxErrorLogRows)});
}

std::string SVCacheManager::errorReport() {
    std::lock_guard lock(lock_);
    std::string report = "\n*** Error Report ***\n";
    auto rows = database_ ? database_->executeQuery("SELECT * FROM error_log") : nullptr;
    while (rows && rows->next()) {
        report += fnd::format("[%@] %@\n", rows->stringForColumn("time_stamp").value_or(""),
                              rows->stringForColumn("error_message").value_or(""));
    }
    return report;
}

void SVCacheManager::clearErrorLog() {
    std::lock_guard lock(lock_);
    if (database_) {
        database_->executeUpdate("DELETE FROM error_log");
    }
}

std::string SVCacheManager::cacheReport() {
    std::lock_guard lock(lock_);
    std::string report = "\n\n*** Cache Report ***\n";
    auto rows = database_ ? database_->executeQuery("SELECT * FROM ad ORDER by batch_id,ad_type") : nullptr;
    bool any = false;
    while (rows && rows->next()) {
        any = true;
        auto text = [&](const char* column) { return rows->stringForColumn(column).value_or("(null)"); };
        report +=
            fnd::format("[batchId:%@: adId:%@](%@/%@) (pubId:%@) (siteId:%@) [%@]", text("batch_id"), text("ad_ID"),
                        text("ad_type"), text("ad_subtype"), text("pubid"), text("siteid"), text("dbid"));
        report += fnd::format("Reserved:%d Served:%d Clicks:%d ", rows->intForColumn("impressions_reserved"),
                              rows->intForColumn("impressions_served"), rows->intForColumn("clicks"));
        report += "\n";
    }
    if (!any) {
        report += "No records found.";
    }
    return report;
}

} // namespace zelvan::selvo
