// Fuzz target: the Kavlo banner's ad reply - a status, an "X-Kavlo-Suballocation" header, a body in
// chunks and the page's "shouldOpen()" answer - fed to the banner as its connection would. The banner
// never crashes and its delegate hears at most one failure pair per request, each pair in order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "analytics/kavlo/kavlo_ad_view.h"
#include "byte_reader_fuzz_support.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "platform/ui/backends.h"
#include "platform/ui/recording_script_host.h"

namespace {

struct Heard : zelvan::kavlo::KavloAdViewDelegate {
    int fails = 0;
    int errors = 0;
    void adViewDidFailLoad(zelvan::kavlo::KavloAdView&) override {
        if (fails != errors) {
            std::abort();
        }
        ++fails;
    }
    void adViewDidFailLoadWithError(zelvan::kavlo::KavloAdView&, const fnd::Error&) override {
        if (errors + 1 != fails) {
            std::abort();
        }
        ++errors;
    }
};

std::string gAnswer;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        fnd::setLogToStderr(false);
        fnd::initMainThread();
        ui::installScriptHostFactory([] {
            auto host = std::make_shared<ui::RecordingScriptHost>();
            host->answer("shouldOpen()", ui::ScriptResult(gAnswer));
            return host;
        });
        return true;
    }();
    (void)ready;
    fuzzsupport::ByteReader reader(data, size);
    const int64_t status = 200 + reader.number(120, 20);
    const fnd::Bytes header = reader.bytes(1);
    const fnd::Bytes answer = reader.bytes(1);
    gAnswer.assign(answer.begin(), answer.end());

    auto heard = std::make_shared<Heard>();
    auto view = zelvan::kavlo::MMABannerXLAdView::make(nullptr);
    view->setAdDelegate(heard);
    fnd::HttpHeaders headers{{"Content-Type", "text/html"}};
    headers.set("X-Kavlo-Suballocation", std::string(header.begin(), header.end()));
    view->connectionDidReceiveResponse(fnd::UrlResponse(*fnd::Url::parse("http://ads.test/kavlo"), status, headers));
    if (heard->fails == 0) {
        while (reader.more()) {
            view->connectionDidReceiveData(reader.bytes(4));
        }
        view->connectionDidFinishLoading();
        fnd::RunLoop::main().runUntilIdle();
    }
    if (heard->fails > 1 || heard->fails != heard->errors) {
        std::abort();
    }
    return 0;
}
