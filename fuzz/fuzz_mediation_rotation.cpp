// The banner mediation's rotation under any ad order (0 to 8 networks, limits and intervals with zeros,
// negatives and the 32-bit extremes, any direction and last network, any stored counter) and any order of
// adapter reports, show requests, rotations and elapsed time: no read outside the list, no undefined
// behaviour, every step ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "ads/mediation/ad_controller_registry.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/mediation_wiring.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/orv_ad_view.h"
#include "byte_reader_fuzz_support.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/view.h"
#include "temp_folder_fuzz_support.h"

namespace {

using namespace zelvan::mediation;

struct Core : OfferCore {
    std::optional<AdOrder> order;
    std::optional<std::vector<AdNetworkRef>> list;
    std::optional<AdOrder> adOrder() const override { return order; }
    std::optional<std::vector<AdNetworkRef>> adNetworkArray() const override { return list; }
    fnd::Value genericParameters() const override { return fnd::Value::dictionary(); }
    void adShownWithCampaignID(const std::string&) override {}
    void directAdShownWithCampaignID(const std::string&) override {}
};

// Any 32-bit value, mostly small.
int int32(fuzzsupport::ByteReader& in) {
    return static_cast<int>(in.numberOrAny(8, 3, true));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        ::setenv("ZELVAN_HOME", fuzzsupport::temporaryFolder("fuzz-mediation-rotation").c_str(), 1);
        fnd::initMainThread();
        fnd::ManualClock::install();
        return true;
    }();
    (void)ready;
    fuzzsupport::ByteReader in(data, size);
    auto context = makeMediation();
    auto core = std::make_shared<Core>();
    context->setOfferCore(core);
    const int networks = in.byte() % 9;
    std::vector<AdNetworkRef> list;
    static const char* keys[] = {"a", "b", "custom_ad", " a\n", "none"};
    for (int i = 0; i < networks; ++i) {
        auto net = std::make_shared<AdNetwork>();
        net->adLibraryName = keys[in.byte() % 5];
        net->customAd = net->adLibraryName == "custom_ad";
        net->maxTimesToShowAdOnDevice = int32(in);
        for (int& interval : net->eventIntervals) {
            interval = int32(in);
        }
        list.push_back(std::move(net));
    }
    if (in.byte() % 4 != 0) {
        core->list = std::move(list);
        core->order = AdOrder{int32(in), int32(in), int32(in), 0};
    }
    const int eventId = static_cast<int>(in.numberOrAny(8, 1));
    fnd::UserDefaults::standard().setInteger(in.numberOrAny(16, 4), fnd::format("kORVEventID%d", eventId));
    // The networks' adapters: each attempt is remembered by its token; the input decides its reports.
    std::vector<AttemptToken> tokens;
    for (const char* key : {"a", "b"}) {
        context->setStarter(key, [&tokens](ORVAdController&, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
            tokens.push_back(token);
            return std::make_shared<MediationAdapter>();
        });
    }
    auto controller = context->controllers()->resetAdController(eventId);
    auto screen = ui::View::create(gfx::Rect(0, 0, 320, 480));
    controller->preLoadAd(eventId);
    while (in.more()) {
        const AttemptToken token = tokens.empty() ? 0 : tokens[in.byte() % tokens.size()];
        switch (in.byte() % 10) {
        case 0:
            controller->adwickAdReady(token, ui::View::create(gfx::Rect(0, 0, 320, 50)));
            break;
        case 1:
            controller->loadNextAdInLine(token);
            break;
        case 2:
            controller->ostromAdReady(token, nullptr);
            break;
        case 3:
            controller->broadcastAd(eventId);
            break;
        case 4:
            controller->rotateToNextAd();
            break;
        case 5:
            screen->addSubview(controller->iORVAdView());
            break;
        case 6:
            controller->iORVAdView()->removeFromSuperview();
            break;
        case 7:
            controller = context->controllers()->resetAdController(eventId);
            break;
        case 8:
            (void)controller->getCurrentAdNetwork();
            break;
        default:
            fnd::RunLoop::main().advance(static_cast<double>(in.byte()));
            break;
        }
    }
    context->controllers()->destroy();
    fnd::RunLoop::main().advance(100);
    return 0;
}
