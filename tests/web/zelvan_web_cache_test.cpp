// The web cache without a network: file names, hits and misses, the bundle fallback,
// "zelvan_cache_file://" URLs, URLs that try to climb out of the cache folder, the fetch queue's
// order, fetches over the game connection driven by hand-fed command-400 replies, the folder's byte
// budget, and hostile replies that must not flood the log.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/localization.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/array.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/digest.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/url_error.h"
#include "platform/graphics/image.h"
#include "web/web_urls.h"
#include "web/zelvan_web_cache.h"
#include "web_test_support.h"

namespace zelvan {
namespace {

using fnd::Value;

std::string text(const std::optional<fnd::Bytes>& bytes) {
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
}

void putInCache(const ZelvanWebCache& cache, const std::string& url, const std::string& body) {
    ASSERT_TRUE(fnd::FileManager::createDirectoryAtPath(cache.cachePath()));
    ASSERT_TRUE(fnd::writeFile(*cache.cacheFilePathForUrl(url), fnd::Bytes(body.begin(), body.end())));
}

TEST(ZelvanWebCache, FileNamesHitsMissesBundleAndWrappedUrls) {
    auto cache = std::make_shared<ZelvanWebCache>(WebCacheEnvironment{});
    EXPECT_EQ(cache->cachePath(), fnd::AppFolders::caches() + "/web_cache/");

    struct NameCase {
        std::string url;
        std::string extension;
    };
    for (const NameCase& c : std::vector<NameCase>{{"http://h/a/b.png", ".png"},
                                                   {"http://h/x.jpeg?v=2#top", ".jpeg"},
                                                   {"http://h/x.toolong", ""},
                                                   {"http://h/x", ""},
                                                   {"http://h/x.p%2Fg", ""},
                                                   {"not a url", ""}}) {
        EXPECT_EQ(ZelvanWebCache::newCacheFilename(c.url), fnd::md5Hex(c.url) + c.extension) << c.url;
    }

    const std::string base = "http://www.example.net/iphone/home.html";
    const std::string absolute = "http://www.example.net/iphone/img/logo.png";
    auto delegate = std::make_shared<testing::RecordingDelegate>();

    // Miss: no bytes, a fresh request that is not queued.
    std::shared_ptr<ZelvanURLRequest> request;
    EXPECT_FALSE(cache->newDataFromURLString("img/logo.png", base, delegate, &request));
    ASSERT_TRUE(request);
    EXPECT_EQ(request->url(), "img/logo.png");
    EXPECT_EQ(request->baseURL(), base);
    EXPECT_EQ(request->delegate(), delegate);
    EXPECT_EQ(request->state(), ZelvanURLRequest::State::New);
    EXPECT_TRUE(cache->queuedRequests().empty());
    EXPECT_EQ(cache->fileSize(absolute), -1);
    EXPECT_EQ(cache->absoluteUrlStringWithRelativeUrl("img/logo.png", base, true), absolute);

    // Hit, by relative URL, by absolute URL and wrapped in "zelvan_cache_file://".
    putInCache(*cache, absolute, "PNGDATA");
    std::shared_ptr<ZelvanURLRequest> none;
    EXPECT_EQ(text(cache->newDataFromURLString("img/logo.png", base, delegate, &none)), "PNGDATA");
    EXPECT_EQ(text(cache->newDataFromURLString(std::string(kCacheFilePrefix) + absolute, "", delegate, &none)),
              "PNGDATA");
    EXPECT_FALSE(none);
    std::string path = *cache->cacheFilePathForUrl(absolute);
    EXPECT_EQ(cache->fileSize(absolute), 7);
    EXPECT_EQ(cache->fileSize(std::string(kCacheFilePrefix) + absolute), 7);
    EXPECT_EQ(cache->cacheFilePathWithRelativeUrl("img/logo.png", base, delegate, &none), path);
    EXPECT_EQ(cache->absoluteUrlStringWithRelativeUrl("img/logo.png", base, true), "file://" + path);
    EXPECT_EQ(cache->absoluteUrlStringWithRelativeUrl("img/logo.png", base, false), absolute);

    // A relative resource the cache lacks comes from the bundle.
    auto bundled = fnd::readFile(fnd::Bundle::main().resourcePath() + "/en.lproj/Localizable.strings");
    ASSERT_TRUE(bundled);
    EXPECT_EQ(cache->newDataFromURLString("en.lproj/Localizable.strings", base, delegate, &none), bundled);
    EXPECT_FALSE(none);

    // The photo source: a cached picture decodes at once; an uncached one is queued for fetching.
    auto png =
        fnd::readFile(std::string(std::getenv("ZELVAN_SOURCE_DIR")) + "/tools/devserver/site/iphone/images/logo.png");
    ASSERT_TRUE(png);
    putInCache(*cache, "http://h/logo.png", std::string(png->begin(), png->end()));
    gfx::ImagePtr photo;
    cache->loadPhoto(std::string(kCacheFilePrefix) + "http://h/logo.png", [&](gfx::ImagePtr image) { photo = image; });
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->width(), 16);
    int calls = 0;
    cache->loadPhoto("http://h/other.png", [&](gfx::ImagePtr) { ++calls; });
    EXPECT_EQ(calls, 0);
    ASSERT_EQ(cache->queuedRequests().size(), 1u);
    EXPECT_EQ(cache->queuedRequests()[0]->url(), "http://h/other.png");

    // Page keys.
    EXPECT_EQ(pageUrlForKey("static_home", "www.example.net"), "http://www.example.net/iphone/" + ZLS("static_home"));
    EXPECT_NE(ZLS("static_home"), "static_home");
    EXPECT_EQ(pageUrlForKey("no_such_page", "h"), "http://h/iphone/no_such_page");
}

TEST(ZelvanWebCache, UrlsThatClimbStayInsideTheCache) {
    auto cache = std::make_shared<ZelvanWebCache>(WebCacheEnvironment{});
    const std::string base = "http://h/a/b/page.html";
    for (std::string url : {"../../../../etc/passwd", "..%2F..%2Fetc%2Fpasswd", "/../../x.png", "..", "./../.",
                            "zelvan_cache_file://../../etc/passwd", "http://h/../../../etc/passwd",
                            "file:///etc/passwd", "zelvan-game://../../x"}) {
        auto absolute = cache->absoluteUrlStringWithRelativeUrl(url, base, false);
        if (!absolute) {
            continue;
        }
        auto path = cache->cacheFilePathForUrl(*absolute);
        ASSERT_TRUE(path) << url;
        EXPECT_EQ(std::filesystem::path(*path).parent_path().string() + "/", cache->cachePath()) << url;
        EXPECT_EQ(std::filesystem::path(*path).filename().string(), ZelvanWebCache::newCacheFilename(*absolute));
    }
    // Relative climbs resolve inside the site, never to a file outside the cache.
    EXPECT_EQ(cache->absoluteUrlStringWithRelativeUrl("../../../../etc/passwd", base, true), "http://h/etc/passwd");
}

TEST(ZelvanWebCache, QueueOrderAndGameConnectionFetches) {
    std::vector<Value> sent;
    WebCacheEnvironment environment;
    environment.sendPacket = [&](const Value& packet) { sent.push_back(packet); };
    auto cache = std::make_shared<ZelvanWebCache>(environment);
    auto delegate = std::make_shared<testing::RecordingDelegate>();

    std::vector<std::shared_ptr<ZelvanURLRequest>> r;
    for (int i = 0; i < 6; ++i) {
        r.push_back(ZelvanURLRequest::init());
        r.back()->setUrl("zelvan-game://site/r" + std::to_string(i) + ".png");
        r.back()->setDelegate(delegate);
    }
    cache->appendURLRequest(r[0]);
    cache->appendURLRequest(r[1]);
    cache->insertURLRequests(Value::array({r[2], Value(), "not a request", r[3]}));
    EXPECT_EQ(cache->queuedRequests(), (std::vector{r[2], r[3], r[0], r[1]}));
    cache->removeURLRequest(r[0]);
    cache->removeURLRequest(r[5]); // not queued: nothing changes
    cache->appendURLRequest(r[4]);
    cache->appendURLRequest(r[5]);
    EXPECT_EQ(cache->queuedRequests(), (std::vector{r[2], r[3], r[1], r[4], r[5]}));
    EXPECT_EQ(r[2]->state(), ZelvanURLRequest::State::Queued);

    // Four fetches start, in queue order, each as [400, id, url].
    cache->startQueuedFetches();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0], Value::array({400, 1, "zelvan-game://site/r2.png"}));
    EXPECT_EQ(sent[3], Value::array({400, 4, "zelvan-game://site/r4.png"}));
    EXPECT_EQ(cache->fetchesInFlight(), 4u);
    EXPECT_EQ(cache->queuedRequests(), (std::vector{r[5]}));
    cache->startQueuedFetches();
    EXPECT_EQ(sent.size(), 4u);

    // A reply with bytes finishes and caches; an error code fails and caches nothing; a reply for an
    // unknown id changes nothing.
    cache->handleServerResponse(Value::array({400, 2, fnd::Bytes{'o', 'k'}}));
    cache->handleServerResponse(Value::array({400, 1, 404}));
    cache->handleServerResponse(Value::array({400, 99, fnd::Bytes{'x'}}));
    cache->handleServerResponse(Value::array({400}));
    auto outcomes = delegate->outcomes();
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].request, r[3]);
    EXPECT_TRUE(outcomes[0].finished);
    EXPECT_EQ(outcomes[0].body, "ok");
    EXPECT_EQ(outcomes[1].request, r[2]);
    EXPECT_FALSE(outcomes[1].finished);
    EXPECT_EQ(r[2]->errorCode(), 404);
    EXPECT_EQ(cache->fileSize("zelvan-game://site/r3.png"), 2);
    EXPECT_EQ(cache->fileSize("zelvan-game://site/r2.png"), -1);

    // The freed slots take the rest of the queue.
    cache->startQueuedFetches();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[4], Value::array({400, 5, "zelvan-game://site/r5.png"}));
    EXPECT_EQ(cache->fetchesInFlight(), 3u);

    // A request for something already cached is answered from the file without a packet.
    auto again = ZelvanURLRequest::init();
    again->setUrl("zelvan-game://site/r3.png");
    again->setDelegate(delegate);
    cache->appendURLRequest(again);
    cache->startQueuedFetches();
    EXPECT_EQ(sent.size(), 5u);
    ASSERT_EQ(delegate->count(), 3u);
    EXPECT_EQ(delegate->outcomes()[2].body, "ok");

    // The game connection drops: the three fetches waiting for replies fail at once.
    cache->gameConnectionLost();
    EXPECT_EQ(cache->fetchesInFlight(), 0u);
    ASSERT_EQ(delegate->count(), 6u);
    EXPECT_FALSE(delegate->outcomes()[5].finished);
    EXPECT_EQ(r[5]->errorCode(), fnd::UrlError::NetworkConnectionLost);
}

TEST(ZelvanWebCache, StoresStayWithinTheBudgetLeastRecentlyUsedGoingFirst) {
    std::vector<Value> sent;
    WebCacheEnvironment environment;
    environment.sendPacket = [&](const Value& packet) { sent.push_back(packet); };
    auto cache = std::make_shared<ZelvanWebCache>(environment);
    auto delegate = std::make_shared<testing::RecordingDelegate>();
    const auto url = [](int i) { return "zelvan-game://site/r" + std::to_string(i) + ".png"; };
    // The server answers `i` with `bytes` bytes.
    const auto fetch = [&](int i, uint64_t bytes) {
        auto request = ZelvanURLRequest::init();
        request->setUrl(url(i));
        request->setDelegate(delegate);
        cache->appendURLRequest(request);
        cache->startQueuedFetches();
        cache->handleServerResponse(
            Value::array({400, Value(static_cast<int64_t>(sent.size())), fnd::Bytes(bytes, 1)}));
    };
    const uint64_t third = ZelvanWebCache::kMaxCacheBytes / 3 + 1; // two fit, three do not

    putInCache(*cache, url(0), std::string(third, 'x')); // left by an earlier run
    fetch(1, third);
    fetch(2, third);
    EXPECT_EQ(cache->fileSize(url(0)), -1);
    std::shared_ptr<ZelvanURLRequest> none;
    EXPECT_TRUE(cache->newDataFromURLString(url(1), "", delegate, &none)); // 1 is now used after 2
    fetch(3, third);
    EXPECT_EQ(cache->fileSize(url(1)), static_cast<int64_t>(third));
    EXPECT_EQ(cache->fileSize(url(2)), -1);

    // A body larger than the whole budget is delivered but not stored, and nothing is removed for it.
    fnd::testing::LogCapture log;
    fetch(4, ZelvanWebCache::kMaxCacheBytes + 1);
    EXPECT_EQ(log.count("web cache: no room for"), 1u);
    EXPECT_EQ(cache->fileSize(url(4)), -1);
    EXPECT_EQ(cache->fileSize(url(1)), static_cast<int64_t>(third));
    EXPECT_EQ(cache->fileSize(url(3)), static_cast<int64_t>(third));
    EXPECT_EQ(delegate->count(), 4u);
}

TEST(ZelvanWebCache, HugeCommand400RepliesLogOnlyBoundedLines) {
    std::vector<Value> sent;
    WebCacheEnvironment environment;
    environment.sendPacket = [&](const Value& packet) { sent.push_back(packet); };
    auto cache = std::make_shared<ZelvanWebCache>(environment);
    auto delegate = std::make_shared<testing::RecordingDelegate>();
    const std::string huge(2097152, 'A');
    const std::string hugeLines = std::string(1048576, '\n') + std::string(1048576, 'x');

    fnd::testing::LogCapture log;
    // A page asks for a 2 MB URL; the server answers with a 2 MB array where the body belongs.
    const std::string url = "zelvan-game://site/" + huge;
    auto request = ZelvanURLRequest::init();
    request->setUrl(url);
    request->setDelegate(delegate);
    cache->appendURLRequest(request);
    cache->startQueuedFetches();
    ASSERT_EQ(sent.size(), 1u);
    auto items = std::make_shared<fnd::Array>(std::vector<Value>(262144, Value(hugeLines.substr(1048570, 8))));
    cache->handleServerResponse(Value::array({400, 1, Value(items)}));
    // Replies without a request id, with 2 MB of text, of bytes and of newlines.
    cache->handleServerResponse(Value::array({400, Value(huge), Value(fnd::Bytes(2097152, 0x41))}));
    cache->handleServerResponse(Value::array({400, Value(hugeLines)}));

    ASSERT_EQ(delegate->count(), 1u);
    EXPECT_FALSE(delegate->outcomes()[0].finished);
    std::vector<std::string> lines = log.lines();
    ASSERT_GE(lines.size(), 3u);
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 1000u) << line.substr(0, 300);
    }
    EXPECT_TRUE(log.contains("malformed reply"));
    EXPECT_EQ(log.count("without a request id"), 2u);
    EXPECT_TRUE(log.contains("(" + std::to_string(url.size()) + " bytes)")) << "the URL's full length is named";
}

} // namespace
} // namespace zelvan
