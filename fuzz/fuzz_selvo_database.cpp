// Fuzz target: the Selvo ad cache's database file. The input becomes "SVDatabase.db" under a throw-away
// root; the cache manager opens it (using, wiping or rebuilding it), serves and reports ads from it, writes
// to it and prints its reports, with every HTTP fetch failing at once, and must never crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad_params.h"
#include "ads/selvo/sv_ad_type.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/testing/fake_transport.h"
#include "platform/foundation/testing/scoped_app_root.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    static fnd::testing::ScopedAppRoot root;
    // Image and pixel URLs read from the file go nowhere: unscripted requests fail.
    static const auto transport = fnd::testing::FakeTransport::install();
    (void)transport;

    using namespace zelvan::selvo;
    const std::string folder = fnd::AppFolders::documents() + "/SelvoMobile";
    fnd::FileManager::removeItemAtPath(folder);
    fnd::FileManager::createDirectoryAtPath(folder);
    fnd::writeFile(folder + "/SVDatabase.db", fnd::Bytes(data, data + size), fnd::Atomic::No);

    SelvoContext context;
    auto manager = SVCacheManager::forContext(context);
    for (int type : {SVAdTypeBanner, SVAdTypeText, SVAdTypeInterstitial}) {
        for (const char* site : {"site", ""}) {
            SVAdParams params(type, "pub", site, SVAdPlacementTop, std::nullopt, 999);
            manager->adForParams(params);
            manager->cachedAdsCount(params);
        }
    }
    SVAd ad;
    ad.setDbid(manager->uniqueId());
    ad.setAdID("fuzz");
    ad.setType(SVAdTypeText);
    ad.setTracking({"http://127.0.0.1/pixel"});
    manager->cacheAd(ad, SVAdParams(SVAdTypeText, "pub", "site", SVAdPlacementTop, std::nullopt, 999));
    manager->adsToReport();
    manager->markAdsReported();
    manager->logErrorMessage("fuzz");
    manager->cacheReport();
    manager->errorReport();
    return 0;
}
