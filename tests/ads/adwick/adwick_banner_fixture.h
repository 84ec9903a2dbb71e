// Shared pieces of the banner tests: a publisher delegate whose keywords pick the ad host's canned reply,
// recording landing screens, and an environment with the ad host, a fresh root, the context (on a worker
// pool of the registry's) and a manual clock.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ads/adwick/adwick_browser_controller.h"
#include "ads/adwick/adwick_canvas_controller.h"
#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_delegate.h"
#include "ads/adwick/adwick_search_view_controller.h"
#include "ads/adwick/adwick_wiring.h"
#include "core/app_registry.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/worker_pool.h"
#include "platform/ui/application.h"
#include "tests/ads/adwick/adwick_fixture.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::adwick::testing {

class Publisher : public AdwickDelegate {
public:
    std::optional<std::string> id = std::string("pub-1");
    std::optional<std::string> kind;   // "k": text, banner, search, empty, 404
    std::optional<std::string> action; // asks for a test ad with this click action
    std::optional<std::string> postal;
    std::optional<std::string> endpoint;
    int received = 0;
    int failed = 0;

    std::optional<std::string> publisherId() override { return id; }
    std::optional<std::string> keywords() override { return kind; }
    std::optional<bool> useTestAd() override { return action.has_value(); }
    std::optional<std::string> testAdAction() override { return action; }
    std::optional<std::string> postalCode() override { return postal; }
    std::optional<std::string> adserverEndpoint() override { return endpoint; }
    void didReceiveAd(AdwickView&) override { ++received; }
    void didFailToReceiveAd(AdwickView&) override { ++failed; }
};

struct Landings {
    struct Browser : AdwickBrowserController {
        std::vector<std::string>* log;
        Browser(std::vector<std::string>* l, std::shared_ptr<AdwickContext> c)
            : AdwickBrowserController(std::move(c)), log(l) {}
        void presentBrowserFromView(ui::View&, const fnd::Url& url) override {
            log->push_back("browser " + url.absoluteString());
        }
    };
    struct Canvas : AdwickCanvasController {
        std::vector<std::string>* log;
        Canvas(std::vector<std::string>* l, std::shared_ptr<AdwickContext> c)
            : AdwickCanvasController(std::move(c)), log(l) {}
        void presentCanvasFromView(ui::View&, const fnd::Url& url, const std::string& title) override {
            log->push_back("canvas " + url.absoluteString() + " " + title);
        }
    };
    struct Search : AdwickSearchViewController {
        std::vector<std::string>* log;
        Search(std::vector<std::string>* l, std::shared_ptr<AdwickContext> c)
            : AdwickSearchViewController(std::move(c)), log(l) {}
        void setSearchBarHeight(double) override {}
        void setTileImage(gfx::ImagePtr image) override { log->push_back(image ? "tile" : "no tile"); }
        void setTintColor(const gfx::Color&) override {}
        void setPlaceholderText(const std::string& text) override { log->push_back("placeholder " + text); }
        void setWebpageURL(const std::string& url) override { log->push_back("help " + url); }
        void presentFromView(ui::View&, const std::shared_ptr<AdwickAd>&) override { log->push_back("search"); }
        void relinquishScreen() override { log->push_back("relinquish"); }
    };
    std::vector<std::string> log;

    AdwickLandingScreens screens() {
        auto* l = &log;
        using Context = const std::shared_ptr<AdwickContext>&;
        return {[l](Context c) { return std::make_shared<Browser>(l, c); },
                [l](Context c) { return std::make_shared<Canvas>(l, c); },
                [l](Context c) { return std::make_shared<Search>(l, c); }};
    }
};

// The ad host, a fresh root, the registry's context on the host and a manual clock.
class BannerEnv {
public:
    BannerEnv() : delegate_(makeRegistry(host_)) {
        clock = fnd::ManualClock::install();
        context()->setLandingScreens(landings.screens());
        ui::Application::shared().clearOpenedUrls();
    }
    ~BannerEnv() {
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }
    AdHost& host() { return host_; }
    // Requests seen by the host under `path`.
    int hits(const std::string& path) {
        int count = 0;
        for (const auto& request : host_.server().requests()) {
            count += request.path == path ? 1 : 0;
        }
        return count;
    }
    static bool pump(const std::function<bool()>& done) {
        const bool ok = fnd::RunLoop::main().pumpUntil(done, 20.0);
        fnd::RunLoop::main().runUntilIdle();
        return ok;
    }
    void advance(double seconds) { fnd::RunLoop::main().advance(seconds); }

    std::shared_ptr<fnd::ManualClock> clock;
    Landings landings;

private:
    static AppRegistry makeRegistry(AdHost& host) {
        AppRegistry registry;
        const std::string base = host.server().baseURL();
        registry.workerPool.factory = [](zelvanAppDelegate&) { return std::make_shared<fnd::WorkerPool>("test", 1); };
        registry.adwick.factory = [base](zelvanAppDelegate& delegate) {
            return makeAdwick(NetworkEndpoint(base, "/adwick"), delegate.service(&AppRegistry::workerPool));
        };
        return registry;
    }

    fnd::testing::ScopedAppRoot root_;
    AdHost host_;
    ScopedAppDelegate delegate_;
};

} // namespace zelvan::adwick::testing
