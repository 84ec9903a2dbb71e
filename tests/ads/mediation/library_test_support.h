// Fakes of the Adwick, Selvo and Marlin clients behind the mediation's interfaces, and an offer core that
// also answers the host's location, background and the full-page list.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ads/mediation/adwick_library.h"
#include "ads/mediation/marlin_library.h"
#include "ads/mediation/selvo_library.h"
#include "tests/ads/mediation/mediation_test_support.h"

namespace zelvan::mediation::testing {

struct HostCore : FakeCore {
    std::optional<gfx::Point> location;
    std::optional<gfx::Color> background;
    std::vector<AdNetworkRef> fullPage;
    float angle = 0;

    std::optional<gfx::Point> coreLocation() const override { return location; }
    std::optional<gfx::Color> adsBackGroundColor() const override { return background; }
    std::vector<AdNetworkRef> fullPageAdNetworkArray() const override { return fullPage; }
    float fullPageAdAngle() const override { return angle; }
};

struct FakeAdwick : AdwickLibrary {
    struct Banner : AdwickBanner {
        std::shared_ptr<ui::View> shown = ui::View::create(gfx::Rect(0, 0, 10, 10));
        std::shared_ptr<ui::View> view() override { return shown; }
    };
    std::vector<std::weak_ptr<AdwickBannerDelegate>> delegates;
    std::vector<std::shared_ptr<Banner>> banners;

    std::shared_ptr<AdwickBanner> requestAdWithDelegate(std::weak_ptr<AdwickBannerDelegate> delegate) override {
        delegates.push_back(std::move(delegate));
        banners.push_back(std::make_shared<Banner>());
        return banners.back();
    }
};

struct FakeSelvo : SelvoLibrary {
    struct Banner : SelvoBanner {
        std::shared_ptr<ui::View> shown = ui::View::create(gfx::Rect(0, 0, 320, 50));
        int displays = 0;
        std::optional<SelvoAd> current;
        std::shared_ptr<ui::View> view() override { return shown; }
        void displayNewAd() override { ++displays; }
        std::optional<SelvoAd> ad() override { return current; }
    };
    bool testMode = true;
    int logging = -1;
    std::vector<std::string> made; // "type publisher site orientation"
    std::vector<std::weak_ptr<SelvoBannerDelegate>> delegates;
    std::vector<std::shared_ptr<Banner>> banners;

    bool available() override { return true; }
    void setTestMode(bool on) override { testMode = on; }
    void SVSetLogging(int level) override { logging = level; }
    std::shared_ptr<SelvoBanner> adViewWithType(int type, const std::string& publisherId, const std::string& siteId,
                                                int orientation, std::weak_ptr<SelvoBannerDelegate> delegate) override {
        made.push_back(fnd::format("%d %s %s %d", type, publisherId, siteId, orientation));
        delegates.push_back(std::move(delegate));
        banners.push_back(std::make_shared<Banner>());
        return banners.back();
    }
};

struct FakeMarlin : MarlinLibrary {
    std::vector<std::string> calls;
    bool throwOnInit = false;
    bool displays = true;
    std::weak_ptr<MarlinListener> listener;

    bool available() override { return true; }
    void MNInit(int64_t id) override {
        calls.push_back(fnd::format("MNInit %lld", static_cast<long long>(id)));
        if (throwOnInit) {
            throw std::runtime_error("no controller");
        }
    }
    void MNSetDelegate(std::weak_ptr<MarlinListener> to) override {
        calls.push_back("MNSetDelegate");
        listener = std::move(to);
    }
    void MNSetTimeout(int seconds) override { calls.push_back(fnd::format("MNSetTimeout %d", seconds)); }
    void MNSetRelativeRotation(float degrees) override {
        calls.push_back(fnd::format("MNSetRelativeRotation %d", static_cast<int>(degrees)));
    }
    bool MNDisplayAd() override {
        calls.push_back("MNDisplayAd");
        return displays;
    }
    void MNDealloc() override { calls.push_back("MNDealloc"); }
};

inline std::shared_ptr<AdNetwork> network(std::string key, std::string id1, std::string id2 = "") {
    auto net = network(std::move(key));
    net->adNetworkGameIDs = {std::move(id1), std::move(id2), ""};
    return net;
}

// A mediation fixture whose core is a HostCore.
struct LibraryFixture : Fixture {
    std::shared_ptr<HostCore> host = std::make_shared<HostCore>();
    LibraryFixture() { core = host; }
    void runLoop() { fnd::RunLoop::current().runUntilIdle(); }
};

} // namespace zelvan::mediation::testing
