// Fuzz target: Selvo ad replies. The input follows the required XML declaration and goes through both the
// single and the batch reply parser with a fake cache; every ad that comes back has a local id and a known
// subtype, and attribute integers of any size read without overflow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/testing/fake_ad_cache.h"
#include "platform/foundation/log.h"
#include "platform/foundation/testing/scoped_app_root.h"

namespace {

void check(const zelvan::selvo::SVAd& ad) {
    const int subtype = ad.subtype();
    if (ad.dbid().empty() || !(subtype == 0 || (subtype >= 100 && subtype <= 104))) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    // The device identifier of the request headers is kept under a throw-away root.
    static fnd::testing::ScopedAppRoot root;
    static zelvan::selvo::SelvoContext context;
    // A fresh cache per input, so the pictures it records do not pile up over a run.
    zelvan::selvo::testing::FakeAdCache cache;
    const zelvan::selvo::SVReplyEnv env{&context, &cache};

    const std::string declaration(zelvan::selvo::kSVXMLDeclaration);
    fnd::Bytes reply(declaration.begin(), declaration.end());
    reply.insert(reply.end(), data, data + size);

    if (auto ad = zelvan::selvo::SVAd::adForXMLData(env, reply); ad && *ad) {
        check(**ad);
    }
    if (auto ads = zelvan::selvo::SVAd::adsForXMLData(env, reply); ads && *ads) {
        for (const auto& ad : **ads) {
            check(*ad);
        }
    }
    return 0;
}
