// Fetches of the web cache's queue over the wire: a real network loop signed in to the dev server,
// with the queue drained after every slice - HTTP from the dev web server with the session header
// (refused without it; a redirect keeps it from other hosts and never reaches a local file), command
// 400 over the game connection - plus a download the server cuts off mid-body, which must leave
// nothing in the cache.
#include <gtest/gtest.h>

#include <httplib.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/array.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/run_loop.h"
#include "protocol/network_loop.h"
#include "protocol/packet_queue.h"
#include "tools/devserver/dev_server.h"
#include "tools/devserver/dev_web_server.h"
#include "web/zelvan_web_cache.h"
#include "web_test_support.h"

namespace zelvan {
namespace {

using fnd::Value;

std::string fileText(const std::string& path) {
    auto bytes = fnd::readFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
}

void writeText(const std::string& path, const std::string& text) {
    ASSERT_TRUE(fnd::FileManager::createDirectoryAtPath(path.substr(0, path.rfind('/'))));
    ASSERT_TRUE(fnd::writeFile(path, fnd::Bytes(text.begin(), text.end())));
}

std::shared_ptr<ZelvanURLRequest> request(const std::string& url,
                                          const std::shared_ptr<ZelvanURLConnectionDelegate>& delegate) {
    auto r = ZelvanURLRequest::init();
    r->setUrl(url);
    r->setDelegate(delegate);
    return r;
}

TEST(WebFetch, HttpWithSessionAndCommand400FromTheDevServer) {
    const std::string site = fnd::AppFolders::root() + "/site";
    writeText(site + "/iphone/home.html", "<p>home</p>");
    writeText(site + "/iphone/images/logo.png", std::string("\x89PNG-bytes\0!", 12));

    devserver::DevServerOptions options;
    options.accounts = *devserver::parseAccounts("5550001:pw");
    options.webRoot = site;
    devserver::DevServer server(options);
    ASSERT_TRUE(server.start());
    devserver::DevWebServer web({0, site}, [&](const std::string& key) { return server.hasLiveSessionKey(key); });
    ASSERT_TRUE(web.start());
    const std::string webHost = "127.0.0.1:" + std::to_string(web.port());

    std::mutex mutex;
    std::optional<std::string> sessionKey;
    PacketQueue queue;
    WebCacheEnvironment environment;
    environment.sessionKey = [&]() -> std::optional<std::string> {
        std::lock_guard lock(mutex);
        return sessionKey;
    };
    environment.webHost = [&] { return webHost; };
    environment.sendPacket = [&](const Value& packet) { queue.send(packet); };
    auto cache = std::make_shared<ZelvanWebCache>(environment);

    NetworkLoop loop(queue, "127.0.0.1", server.port());
    loop.setSliceHandler([cache] { cache->startQueuedFetches(); });
    loop.setPacketHandler([&](const Value& packet) {
        auto items = packet.asArray();
        if (items && items->objectAtIndex(0).asInt() == kWebResourceCommand) {
            cache->handleServerResponse(packet);
        } else if (items && items->count() > 1 && items->objectAtIndex(1).isString()) {
            std::lock_guard lock(mutex);
            sessionKey = *items->objectAtIndex(1).asString();
        }
    });

    // Before log-in the web server refuses the page.
    auto delegate = std::make_shared<testing::RecordingDelegate>();
    const std::string home = "http://" + webHost + "/iphone/home.html";
    auto early = request(home, delegate);
    cache->appendURLRequest(early);
    loop.start();
    auto& main = fnd::RunLoop::main();
    ASSERT_TRUE(main.pumpUntil([&] { return delegate->count() == 1; }, 20.0));
    EXPECT_FALSE(delegate->outcomes()[0].finished);
    EXPECT_EQ(early->errorCode(), 401);
    EXPECT_EQ(cache->fileSize(home), -1);

    queue.send(Value::array({0, 3, 1, "5550001", "pw", 0, "linux", "1.0", "en"}));
    ASSERT_TRUE(main.pumpUntil([&] { return environment.sessionKey().has_value(); }, 20.0));

    auto page = request(home, delegate);
    auto logo = request("zelvan-game://iphone/images/logo.png", delegate);
    auto missing = request("zelvan-game://iphone/nothing.png", delegate);
    // The session key goes to the web host only; under another name for the same server it is
    // not sent, so the server refuses.
    auto foreign = request("http://localhost:" + std::to_string(web.port()) + "/iphone/home.html", delegate);
    cache->insertURLRequests(Value::array({page, logo, missing, foreign}));
    ASSERT_TRUE(main.pumpUntil([&] { return delegate->count() == 5; }, 20.0));
    loop.stop();

    EXPECT_EQ(page->state(), ZelvanURLRequest::State::Finished);
    EXPECT_EQ(fileText(*cache->cacheFilePathForUrl(home)), "<p>home</p>");
    EXPECT_EQ(std::string(page->data()->begin(), page->data()->end()), "<p>home</p>");
    EXPECT_EQ(logo->state(), ZelvanURLRequest::State::Finished);
    EXPECT_EQ(fileText(*cache->cacheFilePathForUrl("zelvan-game://iphone/images/logo.png")),
              fileText(site + "/iphone/images/logo.png"));
    EXPECT_EQ(missing->state(), ZelvanURLRequest::State::Failed);
    EXPECT_EQ(missing->errorCode(), 404);
    EXPECT_EQ(cache->fileSize("zelvan-game://iphone/nothing.png"), -1);
    EXPECT_EQ(foreign->errorCode(), 401);

    // The game server saw the resource requests as [400, id, url].
    bool sawLogo = false;
    for (const auto& received : server.received()) {
        auto items = received.packet.asArray();
        if (items->objectAtIndex(0).asInt() == kWebResourceCommand) {
            sawLogo |= items->objectAtIndex(2) == Value("zelvan-game://iphone/images/logo.png");
        }
    }
    EXPECT_TRUE(sawLogo);
    web.stop();
    server.stop();
}

TEST(WebFetch, DownloadCutOffMidBodyLeavesNoCacheFile) {
    httplib::Server http;
    http.Get("/cut.png", [](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(1000, "image/png", [](size_t offset, size_t, httplib::DataSink& sink) {
            if (offset > 0) {
                return false; // the connection drops after the first 300 of 1000 bytes
            }
            std::string part(300, 'x');
            sink.write(part.data(), part.size());
            return true;
        });
    });
    http.Get("/whole.png", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(1000, 'y'), "image/png");
    });
    http.set_keep_alive_max_count(1);
    int port = http.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { http.listen_after_bind(); });
    while (!http.is_running()) {
        std::this_thread::yield();
    }

    auto cache = std::make_shared<ZelvanWebCache>(WebCacheEnvironment{});
    auto delegate = std::make_shared<testing::RecordingDelegate>();
    const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/";
    auto cut = request(base + "cut.png", delegate);
    auto whole = request(base + "whole.png", delegate);
    cache->appendURLRequest(cut);
    cache->appendURLRequest(whole);
    cache->startQueuedFetches(); // this thread plays the network thread
    bool done = fnd::RunLoop::main().pumpUntil([&] { return delegate->count() == 2; }, 20.0);
    http.stop();
    thread.join();
    ASSERT_TRUE(done);

    EXPECT_EQ(cut->state(), ZelvanURLRequest::State::Failed);
    EXPECT_EQ(cut->data(), nullptr);
    EXPECT_EQ(cache->fileSize(base + "cut.png"), -1);
    EXPECT_EQ(whole->state(), ZelvanURLRequest::State::Finished);
    EXPECT_EQ(cache->fileSize(base + "whole.png"), 1000);
    // Nothing else (no temporary file) is left in the cache folder.
    auto files = fnd::FileManager::contentsOfDirectoryAtPath(cache->cachePath());
    ASSERT_TRUE(files);
    EXPECT_EQ(files->size(), 1u);
}

TEST(WebFetch, RedirectsKeepTheSessionKeyOnItsHostAndNeverReachLocalFiles) {
    httplib::Server http;
    http.Get("/echo", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content(request.get_header_value(ZelvanWebCache::kSessionHeader), "text/plain");
    });
    http.set_keep_alive_max_count(1);
    int port = http.bind_to_any_port("127.0.0.1");
    const std::string portText = std::to_string(port);
    http.Get("/here", [&](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("http://127.0.0.1:" + portText + "/echo");
    });
    http.Get("/away", [&](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("http://localhost:" + portText + "/echo");
    });
    const std::string secret = fnd::AppFolders::root() + "/secret.txt";
    writeText(secret, "local");
    http.Get("/file",
             [&](const httplib::Request&, httplib::Response& response) { response.set_redirect("file://" + secret); });
    std::thread thread([&] { http.listen_after_bind(); });
    while (!http.is_running()) {
        std::this_thread::yield();
    }

    WebCacheEnvironment environment;
    environment.sessionKey = [] { return std::optional<std::string>("key-123"); };
    environment.webHost = [&] { return "127.0.0.1:" + portText; };
    auto cache = std::make_shared<ZelvanWebCache>(environment);
    auto delegate = std::make_shared<testing::RecordingDelegate>();
    auto here = request("http://127.0.0.1:" + portText + "/here", delegate);
    auto away = request("http://127.0.0.1:" + portText + "/away", delegate);
    auto file = request("http://127.0.0.1:" + portText + "/file", delegate);
    cache->appendURLRequest(here);
    cache->appendURLRequest(away);
    cache->appendURLRequest(file);
    cache->startQueuedFetches();
    bool done = fnd::RunLoop::main().pumpUntil([&] { return delegate->count() == 3; }, 20.0);
    http.stop();
    thread.join();
    ASSERT_TRUE(done);

    ASSERT_EQ(here->state(), ZelvanURLRequest::State::Finished);
    EXPECT_EQ(std::string(here->data()->begin(), here->data()->end()), "key-123");
    // Sent on to another host, the key stays behind.
    ASSERT_EQ(away->state(), ZelvanURLRequest::State::Finished);
    EXPECT_EQ(std::string(away->data()->begin(), away->data()->end()), "");
    // Nor may a server send the fetch on to a local file.
    EXPECT_EQ(file->state(), ZelvanURLRequest::State::Failed);
    EXPECT_EQ(file->errorCode(), 302);
}

} // namespace
} // namespace zelvan
