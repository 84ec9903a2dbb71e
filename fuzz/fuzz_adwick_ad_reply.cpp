// Fuzz target: JSON bytes as the banner client's ad reply, as a whole and as the value of every reply
// key. The ad never crashes, ends loading (4), loading a rich ad (5) or failed (7), and fetches nothing
// but http(s) URLs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_image_cache.h"
#include "ads/adwick/adwick_wiring.h"
#include "ads/adwick/json/json_deserializer.h"
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_transport.h"
#include "platform/foundation/thread.h"
#include "temp_folder_fuzz_support.h"

namespace {

using zelvan::adwick::AdwickAd;

constexpr const char* kEndpoint = "http://ads.test/ad";
constexpr const char* kReplyKeys[] = {"text", "6",      "18",  "8",  "jsonp_url", "suggestion_url", "21",
                                      "22",   "banner", "204", "20", "cpm_url",   "tracking_pixel", "markup"};

struct Publisher : zelvan::adwick::AdwickDelegate {
    std::optional<std::string> publisherId() override { return std::nullopt; }
    std::optional<std::string> adserverEndpoint() override { return std::string(kEndpoint); }
};

struct Owner : zelvan::adwick::AdwickAdDelegate {
    gfx::Size adSize() override { return gfx::Size(320, 48); }
    void adDidLoad(AdwickAd&) override {}
    void adDidFailToLoad(AdwickAd&) override {}
    void clickDidSucceed(AdwickAd&, const fnd::Value&) override {}
    void clickDidFail(AdwickAd&) override {}
};

struct World {
    std::shared_ptr<zelvan::zelvanAppDelegate> app;
    std::shared_ptr<fnd::testing::FakeTransport> transport;
    std::shared_ptr<zelvan::adwick::AdwickContext> context;
    std::shared_ptr<Publisher> publisher = std::make_shared<Publisher>();
    std::shared_ptr<Owner> owner = std::make_shared<Owner>();
};

World& world() {
    static World w = [] {
        ::setenv("ZELVAN_HOME", fuzzsupport::temporaryFolder("fuzz-adwick-reply").c_str(), 1);
        fnd::setLogToStderr(false);
        fnd::initMainThread();
        fnd::AppFolders::setUp();
        World made;
        made.transport = fnd::testing::FakeTransport::install();
        // A context on a media server the fake transport knows nothing of, with the browser icons cached, and
        // no workers: the replies are handed to the ad directly.
        zelvan::AppRegistry registry;
        made.context = zelvan::adwick::makeAdwick(zelvan::NetworkEndpoint("http://media.test", "/adwick"), nullptr);
        registry.adwick.factory = [context = made.context](zelvan::zelvanAppDelegate&) { return context; };
        made.app = zelvan::zelvanAppDelegate::create(zelvan::AppConfig{}, std::move(registry));
        zelvan::zelvanAppDelegate::setInstance(made.app);
        auto icon = gfx::Image::fromPixels(1, 1, fnd::Bytes{0x80, 0x80, 0x80, 0xFF});
        for (const char* name : {"back", "back_disable", "forward", "forward_disable"}) {
            zelvan::adwick::AdwickImageCache::sharedCache()->storeImage(*icon, name);
        }
        // The ad request itself never answers: the reply is handed over directly.
        fnd::testing::FakeTransport::Outcome silent;
        silent.delay = 1e9;
        made.transport->setOutcome(std::string(kEndpoint) + "?", silent);
        return made;
    }();
    return w;
}

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

void run(const fnd::Value& table) {
    World& w = world();
    auto ad = AdwickAd::initWithAdFormat(0, w.context);
    ad->setDelegate(w.publisher);
    ad->setAdDelegate(w.owner);
    ad->request();
    check(ad->state() == AdwickAd::kRequestSent);
    ad->didFinishParsingAdData(table);
    const int state = ad->state();
    check(state == AdwickAd::kLoadingImages || state == AdwickAd::kLoadingFlexAd || state == AdwickAd::kFailed);
    fnd::RunLoop::main().runUntilIdle();
    ad->abandon();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& w = world();
    auto parsed = zelvan::adwick::JSONDeserializer().deserialize(fnd::Bytes(data, data + size));
    const fnd::Value value = parsed ? *parsed : fnd::Value();
    run(value);
    auto spread = fnd::Value::dictionary();
    for (const char* key : kReplyKeys) {
        spread.asDictionary()->setObject(value, key);
    }
    run(spread);
    for (const auto& request : w.transport->requests()) {
        check(request.url().scheme() == "http" || request.url().scheme() == "https");
    }
    return 0;
}
