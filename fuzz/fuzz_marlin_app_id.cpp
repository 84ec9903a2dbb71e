// Fuzz target: arbitrary text as the Marlin entry's application id (AdNetworkGameID1) of the ad order's
// full-page list, split in two at the first newline for a second order. The library is started with the
// text's number, or 618204 when it reads as 0, and restarted only for another non-zero id.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ads/mediation/marlin_ad_view_controller.h"
#include "ads/mediation/marlin_library.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_full_page_ads_controller.h"
#include "platform/foundation/log.h"
#include "platform/foundation/scalar.h"

namespace {

using namespace zelvan::mediation;

struct Core : OfferCore {
    std::vector<AdNetworkRef> fullPage;
    std::optional<AdOrder> adOrder() const override { return std::nullopt; }
    std::optional<std::vector<AdNetworkRef>> adNetworkArray() const override { return std::nullopt; }
    fnd::Value genericParameters() const override { return fnd::Value(); }
    void adShownWithCampaignID(const std::string&) override {}
    void directAdShownWithCampaignID(const std::string&) override {}
    std::vector<AdNetworkRef> fullPageAdNetworkArray() const override { return fullPage; }
};

struct Library : MarlinLibrary {
    std::vector<int64_t> inits;
    bool available() override { return true; }
    void MNInit(int64_t id) override { inits.push_back(id); }
    void MNSetDelegate(std::weak_ptr<MarlinListener>) override {}
    void MNSetTimeout(int) override {}
    void MNSetRelativeRotation(float) override {}
    bool MNDisplayAd() override { return false; }
    void MNDealloc() override {}
};

AdNetworkRef marlin(std::string_view id) {
    auto net = std::make_shared<AdNetwork>();
    net->adLibraryName = "marlin";
    net->adNetworkGameIDs[0] = std::string(id);
    return net;
}

int64_t expected(std::string_view text) {
    const int64_t id = fnd::longLongValue(text);
    return id == 0 ? MarlinAdViewController::kDefaultApplicationId : id;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t cut = text.find('\n');
    const std::string_view first = text.substr(0, cut);
    const std::string_view second = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);

    auto context = std::make_shared<MediationContext>();
    auto core = std::make_shared<Core>();
    auto library = std::make_shared<Library>();
    context->setOfferCore(core);
    context->libraries().marlin = library;
    auto chooser = ORVFullPageAdsController::shared(*context);
    core->fullPage = {marlin(first)};
    chooser->initFullScreenAdNetworks();
    auto shared = MarlinAdViewController::sharedObject(*context);
    if (!shared || shared->applicationId() != expected(first) || library->inits != std::vector{expected(first)}) {
        std::abort();
    }
    core->fullPage = {marlin(second)};
    chooser->initFullScreenAdNetworks();
    const int64_t next = fnd::longLongValue(second);
    const bool restart = next != 0 && next != expected(first);
    if (shared->applicationId() != (restart ? next : expected(first)) || library->inits.size() != (restart ? 2u : 1u) ||
        MarlinAdViewController::sharedObject(*context) != shared) {
        std::abort();
    }
    ORVFullPageAdsController::destroy(*context);
    return 0;
}
