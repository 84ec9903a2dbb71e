// Tests of the web view's rendered pages: colours at chosen points for style sheets, backgrounds,
// borders, lists, images, fitting and scrolling; taps that follow links and submit forms; and pages
// built to hurt (deep, long, looping, huge images, unknown fonts) still drawn; page scripts changing
// what is shown through the DOM; and the dev site's lobby.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/zlib_codec.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/backends.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/web_page_loader.h"
#include "platform/ui/web_view.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

// Answers from a table on the next pass; a URL not in the table never answers.
class TableLoader : public WebPageLoader {
public:
    WebPageCancel fetch(const fnd::UrlRequest& request, WebPageCompletion done) override {
        const std::string url = request.url().absoluteString();
        requested.push_back(url);
        auto it = pages.find(url);
        if (it == pages.end()) {
            return [] {};
        }
        WebPageContent content{request.url(), it->second.first, "", it->second.second};
        fnd::RunLoop::main().post([done, content] { done(content); });
        return [] {};
    }
    void add(const std::string& url, const std::string& mime, const fnd::Bytes& data) { pages[url] = {mime, data}; }
    void add(const std::string& url, const std::string& mime, const std::string& text) {
        add(url, mime, fnd::Bytes(text.begin(), text.end()));
    }

    std::map<std::string, std::pair<std::string, fnd::Bytes>> pages;
    std::vector<std::string> requested;
};

class NavigationLog : public WebViewDelegate {
public:
    bool webViewShouldStartLoadWithRequest(WebView&, fnd::UrlRequest& request, NavigationType type) override {
        navigations.push_back(std::to_string(static_cast<int>(type)) + " " + request.url().absoluteString());
        return request.url().scheme() != "zelvan";
    }
    std::vector<std::string> navigations;
};

fnd::Bytes solidPng(int width, int height, gfx::Color color) {
    gfx::beginImageContext(gfx::Size(width, height));
    auto ctx = gfx::getCurrentContext();
    ctx->setFillColor(color);
    ctx->fillRect(gfx::Rect(0, 0, width, height));
    fnd::Bytes png = ctx->pngRepresentation();
    gfx::endImageContext();
    return png;
}

constexpr const char* kBase = "http://site.test/";

class WebPageRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        installWebPageLoader(loader_);
        window_ = View::create<Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        webView_ = View::create<WebView>(gfx::Rect(0, 0, 320, 400));
        webView_->setDelegate(log_);
        window_->addSubview(webView_);
    }
    void TearDown() override {
        testing::TouchDriver::reset();
        window_->setHidden(true);
        webView_.reset();
        fnd::RunLoop::main().runUntilIdle();
        installWebPageLoader(nullptr);
        installScriptHostFactory(nullptr);
        fnd::Clock::install(nullptr);
    }
    // Loads `html` as kBase and lets every resource the table has arrive.
    void show(const std::string& html) {
        webView_->loadHTMLString(html, fnd::Url::parse(kBase));
        ASSERT_TRUE(testing::WebViewDriver(webView_).finishLoad());
        fnd::RunLoop::main().runUntilIdle();
    }
    gfx::Rgba8 at(int x, int y) { return webView_->screenshot()->pixelAt(x, y); }
    // Whether some pixel of the rect has exactly `color`.
    bool anyIn(gfx::Rect r, gfx::Rgba8 color) {
        auto shot = webView_->screenshot();
        for (int y = static_cast<int>(r.minY()); y < r.maxY(); ++y) {
            for (int x = static_cast<int>(r.minX()); x < r.maxX(); ++x) {
                if (shot->pixelAt(x, y) == color) {
                    return true;
                }
            }
        }
        return false;
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<TableLoader> loader_ = std::make_shared<TableLoader>();
    std::shared_ptr<NavigationLog> log_ = std::make_shared<NavigationLog>();
    std::shared_ptr<Window> window_;
    std::shared_ptr<WebView> webView_;
};

const gfx::Rgba8 kWhite{255, 255, 255, 255};
const gfx::Rgba8 kRed{255, 0, 0, 255};
const gfx::Rgba8 kBlue{0, 0, 255, 255};
const gfx::Rgba8 kGreen{0, 255, 0, 255};
const gfx::Rgba8 kYellow{255, 255, 0, 255};
const gfx::Rgba8 kMagenta{255, 0, 255, 255};
const gfx::Rgba8 kCyan{0, 255, 255, 255};

TEST_F(WebPageRenderTest, DrawsStyledBoxesListsAndImagesFromTheLoader) {
    loader_->add(std::string(kBase) + "style.css", "text/css",
                 "body { margin: 0 } h1 { color: #f00; background-color: #00f; margin: 0; height: 40px }"
                 "p { color: #00f; margin: 0; height: 20px }"
                 ".box { border: 4px solid #0f0; background-color: #ff0; width: 100px; height: 20px }"
                 ".bg { background: url(pic.png) no-repeat 10px 0; width: 60px; height: 30px }"
                 "ul { margin: 0; color: #f0f }");
    loader_->add(std::string(kBase) + "pic.png", "image/png", solidPng(20, 10, gfx::Color(0, 1, 1, 1)));
    show("<link rel=stylesheet href=style.css><h1>Heading</h1><p>Words here</p><div class=box></div>"
         "<div class=bg></div><ul><li>item</li></ul><img src=pic.png>");

    EXPECT_EQ(at(300, 5), kBlue) << "heading background";
    EXPECT_TRUE(anyIn(gfx::Rect(0, 0, 160, 40), kRed)) << "heading text in its colour";
    EXPECT_TRUE(anyIn(gfx::Rect(0, 40, 160, 20), kBlue)) << "paragraph text";
    EXPECT_EQ(at(200, 50), kWhite);
    EXPECT_EQ(at(1, 70), kGreen) << "border";
    EXPECT_EQ(at(50, 74), kYellow) << "box background";
    EXPECT_EQ(at(15, 95), kCyan) << "background image at its position";
    EXPECT_EQ(at(5, 95), kWhite) << "no-repeat leaves the rest";
    EXPECT_EQ(at(35, 95), kWhite);
    EXPECT_TRUE(anyIn(gfx::Rect(0, 118, 40, 20), kMagenta)) << "list marker";
    const double listBottom = 118 + 20;
    EXPECT_TRUE(anyIn(gfx::Rect(0, listBottom - 2, 40, 30), kCyan)) << "the <img>";
}

TEST_F(WebPageRenderTest, WidePagesScaleToFitAndScrollingMovesTheContent) {
    show("<body style='margin:0'><div style='width:640px;height:100px;background:#0ff'></div>"
         "<div style='height:1000px;background:#f0f'></div></body>");
    EXPECT_EQ(webView_->scrollView()->contentSize(), (gfx::Size{640, 1100}));
    EXPECT_EQ(at(10, 60), kCyan);
    webView_->scrollView()->setContentOffset(gfx::Point(0, 50));
    EXPECT_EQ(at(10, 40), kCyan);
    EXPECT_EQ(at(10, 60), kMagenta) << "the offset moves the content";

    webView_->setScalesPageToFit(true);
    webView_->scrollView()->setContentOffset(gfx::Point(0, 0));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(webView_->scrollView()->contentSize(), (gfx::Size{320, 550}));
    EXPECT_EQ(at(10, 40), kCyan);
    EXPECT_EQ(at(10, 60), kMagenta) << "drawn at half size";
}

TEST_F(WebPageRenderTest, TapsFollowLinksAndSubmitForms) {
    show("<body style='margin:0'><a id=go href='zelvan://go?1' style='display:block;height:40px'>Go there</a>"
         "<div style='height:40px'>plain</div>"
         "<form action='find.html'><input type=hidden name=k value='a b'><input name=q value=cards>"
         "<input type=checkbox name=c value=1 checked><input type=submit name=s value=Find></form></body>");
    testing::TouchDriver::tap(window_, {100, 20});
    fnd::RunLoop::main().runUntilIdle();
    testing::TouchDriver::tap(window_, {100, 60});
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_EQ(log_->navigations.size(), 2u) << "the tap beside the link did nothing";
    EXPECT_EQ(log_->navigations[1], "0 zelvan://go?1");

    ASSERT_TRUE(testing::WebViewDriver(webView_).tapLinkNamed("Go there"));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(log_->navigations.back(), "0 zelvan://go?1");

    const auto submit = webView_->document().tree()->elementsByTagName("input").back();
    const auto frame = webView_->frameOfElement(submit);
    ASSERT_TRUE(frame.has_value());
    testing::TouchDriver::tap(window_, {frame->midX(), frame->midY()});
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(log_->navigations.back(), std::string("1 ") + kBase + "find.html?k=a%20b&q=cards&c=1&s=Find");
}

TEST_F(WebPageRenderTest, HostilePagesStayBoundedAndStillDraw) {
    std::string deep = "<body style='margin:0;background:#ff0'>";
    for (int i = 0; i < 100000; ++i) {
        deep += "<div>";
    }
    deep += "deep";
    show(deep);
    EXPECT_EQ(at(300, 390), kYellow);

    show("<body style='margin:0;background:#0ff;font-family:NoSuchFamily'>" + std::string(2 * 1024 * 1024, 'w'));
    EXPECT_EQ(at(5, 390), kCyan);

    loader_->add(std::string(kBase) + "a.css", "text/css", "@import url(b.css); body { background: #f0f }");
    loader_->add(std::string(kBase) + "b.css", "text/css", "@import url(a.css); body { margin: 0 }");
    // A 30000 x 30000 PNG header with no pixels behind it.
    fnd::Bytes bomb = solidPng(1, 1, gfx::Color(1, 0, 0, 1));
    const uint8_t side[4] = {0x00, 0x00, 0x75, 0x30};
    std::copy(side, side + 4, bomb.begin() + 16);
    std::copy(side, side + 4, bomb.begin() + 20);
    const uint32_t crc = fnd::crc32(bomb.data() + 12, 17); // the IHDR chunk's type and data
    for (int i = 0; i < 4; ++i) {
        bomb[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    }
    loader_->add(std::string(kBase) + "bomb.png", "image/png", bomb);
    show("<link rel=stylesheet href=a.css><img src=bomb.png><img src=never.png>"
         "<div style='height:20px;background:#0f0'></div>");
    for (int i = 0; i < 5; ++i) {
        fnd::RunLoop::main().runUntilIdle();
    }
    EXPECT_EQ(at(300, 390), kMagenta) << "the looping sheets were applied once each";
    EXPECT_TRUE(anyIn(gfx::Rect(0, 0, 320, 40), kGreen)) << "drawn without the images";
    EXPECT_FALSE(webView_->isLoading());
}

TEST_F(WebPageRenderTest, PageScriptsChangeWhatIsShownAndCancelTaps) {
    installScriptHostFactory(DuktapeScriptHost::factory());
    show("<body style='margin:0'><div id=box style='height:40px;background-color:#f00'></div>"
         "<a id=stay href='zelvan://stay' style='display:block;height:40px' onclick='return false'>Stay</a>"
         "<a id=go href='zelvan://go' style='display:block;height:40px'>Go</a><p id=gone>bye</p>"
         "<script>document.getElementById('go').onclick = function () { window.clicks = 1; };</script></body>");
    EXPECT_EQ(at(5, 5), kRed);
    const uint64_t layouts = webView_->pageLayoutCount();
    webView_->stringByEvaluatingJavaScriptFromString(
        "var box = document.getElementById('box');"
        "for (var i = 0; i < 50; i++) box.innerHTML = '<div style=\"height:40px;background:#00f\">' + i + '</div>';");
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(at(300, 5), kBlue) << "innerHTML redraws";
    EXPECT_EQ(webView_->pageLayoutCount(), layouts + 1) << "fifty changes in one entry, one layout";
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString(
                  "var g = document.getElementById('gone'); g.parentNode.removeChild(g);"
                  "[g.innerHTML, g.parentNode, document.getElementById('gone'), box.style.backgroundColor].join('|')"),
              "|||#f00");
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("box.style.display = 'none'; box.getAttribute('style')"),
              "height: 40px; background-color: #f00; display: none");

    const size_t before = log_->navigations.size();
    ASSERT_TRUE(testing::WebViewDriver(webView_).tapLinkNamed("stay"));
    EXPECT_EQ(log_->navigations.size(), before) << "onclick returned false";
    ASSERT_TRUE(testing::WebViewDriver(webView_).tapLinkNamed("go"));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(log_->navigations.back(), "0 zelvan://go");
    EXPECT_EQ(webView_->stringByEvaluatingJavaScriptFromString("window.clicks"), "1");
    EXPECT_TRUE(webView_->stringByEvaluatingJavaScriptFromString("document.documentElement.innerHTML")
                    .find("<div style=\"height:40px;background:#00f\">49</div>") != std::string::npos);
}

TEST_F(WebPageRenderTest, DrawsTheDevSitesLobby) {
    const char* source = std::getenv("ZELVAN_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    installWebPageLoader(nullptr);
    webView_->loadRequest(
        fnd::UrlRequest(fnd::Url::fileUrl(std::string(source) + "/tools/devserver/site/iphone/games.html")));
    ASSERT_TRUE(testing::WebViewDriver(webView_).finishLoad());
    auto tree = webView_->document().tree();
    const HtmlNodeId play = tree->elementById("play");
    const HtmlNodeId heading = tree->elementsByTagName("h1").front();
    // The site's sheet makes the heading 18px (2em unstyled) once it arrives.
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] {
        auto frame = webView_->frameOfElement(heading);
        return frame && frame->height() < 30;
    }));
    const auto frame = webView_->frameOfElement(play);
    ASSERT_TRUE(frame.has_value());
    EXPECT_TRUE(anyIn(*frame, gfx::Rgba8{0x06, 0x45, 0xAD, 255})) << "the link in the link colour";
}

} // namespace
} // namespace ui
