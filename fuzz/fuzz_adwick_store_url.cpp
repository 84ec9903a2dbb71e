// Fuzz target: URL texts through the banner client's store-link tests and cleaner. A cleaned link is
// always an http link on the store's media host; links that need no network are handed on at once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "ads/adwick/adwick_itunes_url_cleaner.h"
#include "platform/foundation/log.h"
#include "platform/ui/application.h"

namespace {

struct Delegate : zelvan::adwick::AdwickITunesURLCleanerDelegate {
    int calls = 0;
    void cleanerDidGenerateURL(zelvan::adwick::AdwickITunesURLCleaner&, const fnd::Url&) override { ++calls; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    using zelvan::adwick::AdwickITunesURLCleaner;
    auto url = fnd::Url::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!url) {
        return 0;
    }
    const bool store = AdwickITunesURLCleaner::isITunesURL(*url);
    const bool redirects = AdwickITunesURLCleaner::iTunesURLMightHaveRedirects(*url);
    if (!redirects && !store) {
        std::abort(); // a store host is a store link
    }
    const fnd::Url cleaned = AdwickITunesURLCleaner::cleanITunesURLWithURL(*url);
    if (cleaned.absoluteString() != url->absoluteString() &&
        (cleaned.scheme() != "http" || cleaned.host() != AdwickITunesURLCleaner::kStoreMediaHost)) {
        std::abort();
    }
    // Only links that need no connection: store hosts open at once, other schemes go back as given.
    const bool web = url->scheme() == "http" || url->scheme() == "https";
    if (!redirects || !web) {
        auto delegate = std::make_shared<Delegate>();
        ui::Application::shared().clearOpenedUrls();
        auto cleaner = AdwickITunesURLCleaner::initWithURL(*url, delegate);
        const size_t opened = ui::Application::shared().openedUrls().size();
        if (opened + static_cast<size_t>(delegate->calls) != 1) {
            std::abort();
        }
    }
    return 0;
}
