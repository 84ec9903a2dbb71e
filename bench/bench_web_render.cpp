// Page rendering benchmarks: reading the tree's markup, layout and paint at 320 points wide of the
// dev site's lobby and home pages (their style sheet inline), of a 200-row table page, and of two
// hostile pages (100,000 nested elements; one 2 MiB line) that must stay within 100 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/foundation/log.h"
#include "platform/graphics/context.h"
#include "platform/ui/backends.h"
#include "platform/ui/html_document.h"
#include "platform/ui/web_page_loader.h"
#include "platform/ui/web_page_renderer.h"

namespace {

// Images never arrive: the benchmark measures layout and paint, not fetching.
class SilentLoader : public ui::WebPageLoader {
public:
    ui::WebPageCancel fetch(const fnd::UrlRequest&, ui::WebPageCompletion) override {
        return [] {};
    }
};

std::string readSiteFile(const std::string& name) {
    std::ifstream in(std::string(ZELVAN_SITE_DIR) + "/" + name);
    if (!in) {
        std::fprintf(stderr, "missing %s\n", name.c_str());
        std::abort();
    }
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The page with its linked style sheet put inline.
std::string sitePage(const std::string& name) {
    std::string page = readSiteFile(name);
    const std::string link = "<link rel=\"stylesheet\" href=\"style.css\">";
    if (auto at = page.find(link); at != std::string::npos) {
        page.replace(at, link.size(), "<style>" + readSiteFile("style.css") + "</style>");
    }
    return page;
}

std::string tablePage() {
    std::string page = "<html><body><h1>Hall of fame</h1><table border=1>";
    for (int i = 0; i < 200; ++i) {
        page += "<tr><td>" + std::to_string(i + 1) + "</td><td><a href='zelvan://user?" + std::to_string(i) +
                "'>Player number " + std::to_string(i) + "</a></td><td>" + std::to_string(10000 - i * 7) + "</td></tr>";
    }
    return page + "</table></body></html>";
}

std::string deepPage() {
    std::string page;
    for (int i = 0; i < 100000; ++i) {
        page += "<div>";
    }
    return page + "deep";
}

void renderPage(benchmark::State& state, const std::string& html) {
    fnd::setLogToStderr(false);
    ui::installWebPageLoader(std::make_shared<SilentLoader>());
    const auto document = ui::HtmlDocument::parse(html);
    const auto context = gfx::Context::createView(320, 480);
    double height = 0;
    for (auto _ : state) {
        ui::WebPageRenderer renderer([] {});
        renderer.setPage(document->tree(), fnd::Url::parse("http://bench.test/"), fnd::HttpHeaders{});
        height = renderer.layout(320, gfx::Size(320, 480)).height;
        renderer.draw(*context, gfx::Rect(0, 0, 320, 480));
    }
    if (height <= 0) {
        state.SkipWithError("the page laid out empty");
    }
    state.counters["height"] = height;
}

void BM_lobby(benchmark::State& state) {
    renderPage(state, sitePage("games.html"));
}
void BM_home(benchmark::State& state) {
    renderPage(state, sitePage("home.html"));
}
void BM_table200(benchmark::State& state) {
    renderPage(state, tablePage());
}

void BM_deep100k(benchmark::State& state) {
    renderPage(state, deepPage());
}
void BM_line2MiB(benchmark::State& state) {
    renderPage(state, std::string(2 * 1024 * 1024, 'w'));
}

BENCHMARK(BM_lobby)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_home)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_table200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_deep100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_line2MiB)->Unit(benchmark::kMillisecond);

} // namespace
