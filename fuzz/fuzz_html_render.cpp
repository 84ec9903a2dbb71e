// Fuzz target for page rendering: any bytes read as a page, laid out at a phone's width and drawn,
// with scripts off and no resource ever arriving, must not crash and must give a finite size.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "platform/foundation/log.h"
#include "platform/graphics/context.h"
#include "platform/ui/backends.h"
#include "platform/ui/html_document.h"
#include "platform/ui/web_page_loader.h"
#include "platform/ui/web_page_renderer.h"

namespace {

// Style sheets and images the page asks for never arrive.
class SilentLoader : public ui::WebPageLoader {
public:
    ui::WebPageCancel fetch(const fnd::UrlRequest&, ui::WebPageCompletion) override {
        return [] {};
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        fnd::setLogToStderr(false);
        ui::installWebPageLoader(std::make_shared<SilentLoader>());
        return true;
    }();
    (void)ready;
    auto document = ui::HtmlDocument::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!document) {
        return 0;
    }
    ui::WebPageRenderer renderer([] {});
    renderer.setPage(document->tree(), fnd::Url::parse("http://fuzz.test/"), fnd::HttpHeaders{});
    const gfx::Size page = renderer.layout(320, gfx::Size(320, 480));
    if (!std::isfinite(page.width) || !std::isfinite(page.height) || page.width < 0 || page.height < 0) {
        std::abort();
    }
    static const auto context = gfx::Context::createView(320, 480);
    renderer.draw(*context, gfx::Rect(0, 0, 320, 480));
    renderer.nodesAt(gfx::Point(10, 10));
    return 0;
}
