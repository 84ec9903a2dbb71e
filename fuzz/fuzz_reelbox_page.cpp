// Fuzz target: a Reelbox ad page whose every function answers arbitrary text (huge or non-numeric counts
// included). Checking the page posts exactly one outcome and evaluates a bounded number of expressions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "ads/mediation/ad_frame_view.h"
#include "platform/foundation/log.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/backends.h"
#include "platform/ui/recording_script_host.h"
#include "platform/ui/web_page_loader.h"

namespace {

using namespace zelvan;

// Nothing is fetched: every load fails on the next pass.
class NoNetwork final : public ui::WebPageLoader {
public:
    ui::WebPageCancel fetch(const fnd::UrlRequest&, ui::WebPageCompletion done) override {
        fnd::RunLoop::current().performAfter(0, [done] { done(fnd::Error("fuzz", -1)); });
        return {};
    }
};

std::string input;
size_t evaluations = 0;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool setUp = [] {
        fnd::setLogToStderr(false);
        ui::installWebPageLoader(std::make_shared<NoNetwork>());
        ui::installScriptHostFactory([] {
            auto host = std::make_shared<ui::RecordingScriptHost>();
            // Each expression gets the next line of the input, round and round.
            host->setAnswerer([offset = size_t{0}](const std::string&) mutable -> std::optional<ui::ScriptResult> {
                ++evaluations;
                if (input.empty()) {
                    return ui::ScriptResult(std::string());
                }
                size_t end = input.find('\n', offset);
                std::string line = input.substr(offset, end == std::string::npos ? std::string::npos : end - offset);
                offset = end == std::string::npos ? 0 : end + 1;
                return ui::ScriptResult(line);
            });
            return host;
        });
        return true;
    }();
    (void)setUp;
    input.assign(reinterpret_cast<const char*>(data), size);
    evaluations = 0;
    auto view = mediation::AdFrameView::create(gfx::Rect(0, 0, 300, 50));
    int outcomes = 0;
    auto& center = fnd::NotificationCenter::defaultCenter();
    auto success = center.addObserver(mediation::AdFrameView::kVELoadSuccess, fnd::Value(view),
                                      [&outcomes](const fnd::Notification&) { ++outcomes; });
    auto failure = center.addObserver(mediation::AdFrameView::kVELoadFailure, fnd::Value(view),
                                      [&outcomes](const fnd::Notification&) { ++outcomes; });
    view->verifyAdLoad(*view->bannerView());
    if (outcomes != 1 || evaluations > static_cast<size_t>(mediation::AdFrameView::kMaxStyleRules) + 16) {
        std::abort();
    }
    view.reset();
    fnd::RunLoop::current().runUntilIdle();
    return 0;
}
