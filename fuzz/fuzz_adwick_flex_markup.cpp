// Fuzz target: JSON markup bytes into the flex ad builder, with its assets already in memory (a PNG, a
// broken picture), then the first draw that makes every view appear, the interaction report and a click.
// Other assets go to a fake transport that knows no host; the bounds on elements, nesting and assets
// keep the work small.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <unordered_map>

#include "ads/adwick/adwick_flex_ad.h"
#include "ads/adwick/adwick_flex_views.h"
#include "ads/adwick/adwick_search_bar.h"
#include "ads/adwick/json/json_deserializer.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_transport.h"
#include "platform/foundation/thread.h"

namespace {

// A 1 x 1 opaque grey PNG.
constexpr unsigned char kPixelPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00, 0x3A, 0x7E, 0x9B, 0x55, 0x00,
    0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x68, 0x00, 0x00, 0x00, 0x82, 0x00, 0x81,
    0x77, 0xCD, 0x72, 0xB6, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

struct Outcome : zelvan::adwick::AdwickFlexAdDelegate {
    int loaded = 0;
    int failed = 0;
    void flexAdDidLoad(zelvan::adwick::AdwickFlexAd&) override { ++loaded; }
    void flexAdDidFailLoadWithError(zelvan::adwick::AdwickFlexAd&, const fnd::Error&) override { ++failed; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        fnd::setLogToStderr(false);
        fnd::initMainThread();
        static auto transport = fnd::testing::FakeTransport::install();
        return true;
    }();
    (void)ready;
    using namespace zelvan::adwick;
    auto markup = JSONDeserializer().deserialize(fnd::Bytes(data, data + size));
    if (!markup) {
        return 0;
    }
    std::unordered_map<std::string, fnd::Bytes> assets{{"a", fnd::Bytes(std::begin(kPixelPng), std::end(kPixelPng))},
                                                       {"b", fnd::Bytes{1, 2, 3}}};
    auto outcome = std::make_shared<Outcome>();
    auto ad =
        AdwickFlexAd::initWithDictionary(*markup, outcome, {}, gfx::Rect(0, 0, 320, 48), nullptr, std::move(assets));
    fnd::RunLoop::main().pumpUntil([&] { return outcome->loaded + outcome->failed > 0; }, 5.0);
    fnd::RunLoop::main().runUntilIdle();
    if (outcome->loaded + outcome->failed != 1) {
        std::abort();
    }
    ad->cancel();
    if (outcome->loaded == 1) {
        auto container = ad->container();
        AdwickSearchBar::renderView(*container);
        (void)container->gatherInteractions();
        container->click();
    }
    fnd::RunLoop::main().runUntilIdle();
    return 0;
}
