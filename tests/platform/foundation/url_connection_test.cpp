// Asynchronous URL connections against a loopback server: header fields, methods and bodies,
// redirects hop by hop, gzip, error statuses, refused connections, time-outs, the body cap, file
// URLs, cookies, delivery on a worker thread's loop, and cancellation.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "http_test_server.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/backends.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/refused_port.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_error.h"

namespace fnd {
namespace {

// Records everything a connection tells its delegate.
struct Recorder : UrlConnectionDelegate {
    std::vector<std::string> sends; // "<path> <redirect status or 0>"
    std::optional<UrlResponse> response;
    Bytes data;
    std::optional<Error> error;
    int terminals = 0;
    int callbacks = 0;
    std::thread::id thread;
    std::function<std::optional<UrlRequest>(const UrlRequest&, const std::optional<UrlResponse>&)> willSend;
    std::function<void(const std::shared_ptr<UrlConnection>&)> onResponse;

    std::optional<UrlRequest> connectionWillSendRequest(const std::shared_ptr<UrlConnection>&,
                                                        const UrlRequest& request,
                                                        const std::optional<UrlResponse>& redirect) override {
        ++callbacks;
        sends.push_back(request.url().path() + " " + std::to_string(redirect ? redirect->statusCode() : 0));
        return willSend ? willSend(request, redirect) : request;
    }
    void connectionDidReceiveResponse(const std::shared_ptr<UrlConnection>& c, const UrlResponse& r) override {
        ++callbacks;
        thread = std::this_thread::get_id();
        response = r;
        if (onResponse) {
            onResponse(c);
        }
    }
    void connectionDidReceiveData(const std::shared_ptr<UrlConnection>&, const Bytes& d) override {
        ++callbacks;
        append(data, d);
    }
    void connectionDidFinishLoading(const std::shared_ptr<UrlConnection>&) override {
        ++callbacks;
        ++terminals;
    }
    void connectionDidFailWithError(const std::shared_ptr<UrlConnection>&, const Error& e) override {
        ++callbacks;
        ++terminals;
        error = e;
    }
    bool done() const { return terminals > 0; }
    std::string text() const { return std::string(data.begin(), data.end()); }
};

class UrlConnectionTest : public ::testing::Test {
protected:
    // Starts a connection for `request` and pumps the main loop until it ends.
    std::shared_ptr<Recorder> load(UrlRequest request, std::shared_ptr<Recorder> recorder = nullptr) {
        if (!recorder) {
            recorder = std::make_shared<Recorder>();
        }
        auto connection = UrlConnection::create(std::move(request), recorder);
        EXPECT_TRUE(connection.ok());
        EXPECT_TRUE(RunLoop::main().pumpUntil([&] { return recorder->done(); }, 10.0));
        EXPECT_EQ(recorder->terminals, 1);
        return recorder;
    }
    std::shared_ptr<Recorder> get(const std::string& path) { return load(UrlRequest(server_.url(path))); }

    testing::HttpTestServer server_;
};

TEST_F(UrlConnectionTest, SendsDefaultAndCustomFieldsMethodAndBody) {
    UrlRequest request(server_.url("/echo"));
    request.setValue("yes", "X-Custom");
    auto got = load(request);
    ASSERT_TRUE(got->response);
    EXPECT_TRUE(got->response->isHttp());
    EXPECT_EQ(got->response->statusCode(), 200);
    EXPECT_EQ(got->response->mimeType(), "text/plain");
    EXPECT_EQ(got->response->textEncodingName(), "utf-8");
    EXPECT_EQ(got->response->expectedContentLength(), static_cast<int64_t>(got->data.size()));
    EXPECT_EQ(got->response->url(), server_.url("/echo"));
    EXPECT_EQ(got->thread, std::this_thread::get_id());
    EXPECT_EQ(got->text(), "method: GET\nUser-Agent: Zelvan/1.0.0 (Linux)\nAccept: */*\nX-Custom: yes\nbody: \n");

    UrlRequest post(server_.url("/echo"));
    post.setHttpMethod("POST");
    post.setHttpBody(Bytes{'a', '=', '1'});
    EXPECT_EQ(load(post)->text(), "method: POST\nUser-Agent: Zelvan/1.0.0 (Linux)\nAccept: */*\n"
                                  "Content-Type: application/x-www-form-urlencoded\nbody: a=1\n");

    UrlRequest put(server_.url("/echo"));
    put.setHttpMethod("PUT");
    put.setHttpBody(Bytes{'{', '}'});
    put.setValue("application/json", "Content-Type");
    put.setValue("text/plain", "Accept");
    put.setValue("tester", "User-Agent");
    EXPECT_EQ(load(put)->text(),
              "method: PUT\nUser-Agent: tester\nAccept: text/plain\nContent-Type: application/json\nbody: {}\n");
}

TEST_F(UrlConnectionTest, ErrorStatusesAreOrdinaryResponses) {
    for (int status : {401, 404, 500}) {
        auto got = get("/status/" + std::to_string(status));
        ASSERT_TRUE(got->response);
        EXPECT_EQ(got->response->statusCode(), status);
        EXPECT_FALSE(got->error);
        EXPECT_EQ(got->text(), "status " + std::to_string(status));
    }
}

TEST_F(UrlConnectionTest, RedirectsAreAskedAboutHopByHop) {
    // Followed: every hop is announced with the redirect's status, the final URL is the last hop.
    auto got = get("/redirect/302?to=/redirect/301%3Fto%3D/echo");
    EXPECT_EQ(got->sends, (std::vector<std::string>{"/redirect/302 0", "/redirect/301 302", "/echo 301"}));
    ASSERT_TRUE(got->response);
    EXPECT_EQ(got->response->statusCode(), 200);
    EXPECT_EQ(got->response->url(), server_.url("/echo"));

    // Changed: the delegate sends the redirect somewhere else.
    auto changed = std::make_shared<Recorder>();
    changed->willSend = [&](const UrlRequest& r, const std::optional<UrlResponse>& redirect) {
        if (!redirect) {
            return r;
        }
        UrlRequest other = r;
        other.setUrl(server_.url("/status/404"));
        return other;
    };
    load(UrlRequest(server_.url("/redirect/302?to=/echo")), changed);
    ASSERT_TRUE(changed->response);
    EXPECT_EQ(changed->response->statusCode(), 404);

    // Refused: the redirect response is the final one, with its own body.
    auto refused = std::make_shared<Recorder>();
    refused->willSend = [](const UrlRequest& r, const std::optional<UrlResponse>& redirect) {
        return redirect ? std::nullopt : std::optional<UrlRequest>(r);
    };
    load(UrlRequest(server_.url("/redirect/307?to=/echo")), refused);
    ASSERT_TRUE(refused->response);
    EXPECT_EQ(refused->response->statusCode(), 307);
    EXPECT_EQ(refused->response->allHeaderFields().value("Location"), "/echo");
    EXPECT_EQ(refused->text(), "moved");

    // A web server cannot send the client on to a local file.
    auto local = get("/redirect/302?to=file%3A%2F%2F%2Fetc%2Fpasswd");
    EXPECT_EQ(local->sends.size(), 1u);
    ASSERT_TRUE(local->response);
    EXPECT_EQ(local->response->statusCode(), 302);
    EXPECT_EQ(local->text(), "moved");

    // A loop ends after 16 followed hops.
    auto looping = get("/loop");
    ASSERT_TRUE(looping->error);
    EXPECT_EQ(looping->error->code(), UrlError::HttpTooManyRedirects);
    EXPECT_EQ(looping->sends.size(), 17u);
}

TEST_F(UrlConnectionTest, CallerFieldsStayWithTheirHost) {
    // A redirect within the host keeps the caller's fields; one to another host (localhost instead of
    // 127.0.0.1) carries only the standard ones, and a later hop back does not bring the rest again.
    const std::string here = "http://127.0.0.1:" + std::to_string(server_.port());
    const std::string there = "http://localhost:" + std::to_string(server_.port());
    auto redirected = [&](const std::string& to) {
        UrlRequest request(server_.url("/redirect/302?to=" + escapeUnreserved(to)));
        request.setValue("device-1", "X-Custom");
        request.setValue("text/plain", "Accept");
        auto got = load(request);
        EXPECT_EQ(got->response ? got->response->statusCode() : 0, 200) << to;
        return got->text();
    };
    EXPECT_EQ(redirected("/echo"), "method: GET\nUser-Agent: Zelvan/1.0.0 (Linux)\nAccept: text/plain\n"
                                   "X-Custom: device-1\nbody: \n");
    const std::string without = "method: GET\nUser-Agent: Zelvan/1.0.0 (Linux)\nAccept: text/plain\nbody: \n";
    EXPECT_EQ(redirected(there + "/echo"), without);
    EXPECT_EQ(redirected(there + "/redirect/302?to=" + escapeUnreserved(here + "/echo")), without);
}

TEST_F(UrlConnectionTest, RedirectedPostBecomesGetOnlyFor301To303) {
    for (int status : {301, 302, 303, 307, 308}) {
        UrlRequest post(server_.url("/redirect/" + std::to_string(status) + "?to=/echo"));
        post.setHttpMethod("POST");
        post.setHttpBody(Bytes{'k', '=', 'v'});
        auto got = load(post);
        bool keeps = status >= 307;
        EXPECT_EQ(got->text().starts_with(keeps ? "method: POST" : "method: GET"), true) << status;
        EXPECT_EQ(got->text().ends_with(keeps ? "body: k=v\n" : "body: \n"), true) << status << got->text();
    }
}

TEST_F(UrlConnectionTest, GzipBodiesArriveDecoded) {
    UrlRequest request(server_.url("/gzip"));
    request.setValue("gzip, deflate", "Accept-Encoding");
    auto got = load(request);
    EXPECT_EQ(got->text(), testing::HttpTestServer::kGzipText);
    ASSERT_TRUE(got->response);
    EXPECT_EQ(got->response->expectedContentLength(), -1);

    // The decoded size is what counts against the cap.
    Bytes compressed = testing::HttpTestServer::gzip(testing::HttpTestServer::kGzipText);
    request.setMaxBodyBytes(compressed.size());
    ASSERT_LT(compressed.size(), std::string(testing::HttpTestServer::kGzipText).size());
    auto capped = load(request);
    ASSERT_TRUE(capped->error);
    EXPECT_EQ(capped->error->code(), UrlError::DataLengthExceedsMaximum);
}

TEST_F(UrlConnectionTest, NetworkFailuresCarryTheirCodes) {
    // A port nobody listens on.
    Url refusedUrl = *Url::parse(testing::refusedUrl());
    auto refused = load(UrlRequest(refusedUrl));
    ASSERT_TRUE(refused->error);
    EXPECT_EQ(refused->error->code(), UrlError::CannotConnectToHost);
    EXPECT_EQ(refused->error->domain(), "fnd.url");
    EXPECT_EQ(refused->error->userInfo().asDictionary()->objectForKey(UrlError::kFailingUrlStringKey).stringValue(),
              refusedUrl.absoluteString());
    EXPECT_FALSE(refused->response);

    // A server that stops answering.
    UrlRequest stall(server_.url("/stall"));
    stall.setTimeoutInterval(1);
    auto timedOut = load(stall);
    ASSERT_TRUE(timedOut->error);
    EXPECT_EQ(timedOut->error->code(), UrlError::TimedOut);

    // A body over the cap.
    UrlRequest big(server_.url("/big/100000"));
    big.setMaxBodyBytes(10000);
    auto capped = load(big);
    ASSERT_TRUE(capped->error);
    EXPECT_EQ(capped->error->code(), UrlError::DataLengthExceedsMaximum);
    EXPECT_LE(capped->data.size(), 10000u);
}

TEST_F(UrlConnectionTest, CookiesAreStoredFromRedirectsAndSentLater) {
    CookieStorage::shared().removeAll();
    // Set by the redirect response, sent on the hop it leads to.
    EXPECT_EQ(get("/cookie?name=session&value=abc")->text(),
              "method: GET\nUser-Agent: Zelvan/1.0.0 (Linux)\nAccept: */*\nCookie: session=abc\nbody: \n");
    // Kept for later requests.
    EXPECT_NE(get("/echo")->text().find("Cookie: session=abc\n"), std::string::npos);
    // Neither sent nor stored when the request does not handle cookies.
    UrlRequest plain(server_.url("/cookie?name=other&value=1"));
    plain.setHttpShouldHandleCookies(false);
    EXPECT_EQ(load(plain)->text().find("Cookie"), std::string::npos);
    EXPECT_EQ(CookieStorage::shared().cookies().size(), 1u);
    CookieStorage::shared().removeAll();
}

TEST_F(UrlConnectionTest, OfflineHostsFailAtOnce) {
    auto reachability = testing::FakeReachability::install();
    reachability->setDefaultFlags(0);
    auto got = get("/echo");
    installReachabilityProvider(nullptr);
    ASSERT_TRUE(got->error);
    EXPECT_EQ(got->error->code(), UrlError::NotConnectedToInternet);
    EXPECT_FALSE(got->response);
}

TEST_F(UrlConnectionTest, UnusableUrlsFailAtCreation) {
    for (const char* text : {"ftp://127.0.0.1/x", "zelvan://openchat?x=1", "mailto:a@b.c"}) {
        auto connection = UrlConnection::create(UrlRequest(*Url::parse(text)), nullptr);
        ASSERT_FALSE(connection.ok()) << text;
        EXPECT_EQ(connection.error().code(), UrlError::UnsupportedUrl) << text;
    }
}

TEST_F(UrlConnectionTest, FileUrlsLoadFromDisk) {
    std::string dir = AppFolders::temporary() + "/url-connection-files";
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(writeFile(dir + "/page.html", Bytes{'<', 'p', '>'}));
    auto got = load(UrlRequest(Url::fileUrl(dir + "/page.html")));
    ASSERT_TRUE(got->response);
    EXPECT_FALSE(got->response->isHttp());
    EXPECT_EQ(got->response->statusCode(), 0);
    EXPECT_EQ(got->response->mimeType(), "text/html");
    EXPECT_EQ(got->response->expectedContentLength(), 3);
    EXPECT_EQ(got->text(), "<p>");

    auto missing = load(UrlRequest(Url::fileUrl(dir + "/none.html")));
    ASSERT_TRUE(missing->error);
    EXPECT_EQ(missing->error->code(), UrlError::FileDoesNotExist);
    auto directory = load(UrlRequest(Url::fileUrl(dir)));
    ASSERT_TRUE(directory->error);
    EXPECT_EQ(directory->error->code(), UrlError::FileIsDirectory);
}

TEST_F(UrlConnectionTest, CallbacksRunOnTheCreatingThreadsLoop) {
    auto recorder = std::make_shared<Recorder>();
    std::thread::id workerId;
    std::atomic<bool> pumped{false};
    Thread worker([&] {
        workerId = std::this_thread::get_id();
        auto connection = UrlConnection::create(UrlRequest(server_.url("/echo")), recorder);
        pumped = connection.ok() && RunLoop::current().pumpUntil([&] { return recorder->done(); }, 10.0);
    });
    worker.start();
    worker.join();
    EXPECT_TRUE(pumped);
    EXPECT_EQ(recorder->thread, workerId);
    EXPECT_EQ(recorder->terminals, 1);

    // Scheduled elsewhere before starting: the main loop hears it.
    auto moved = std::make_shared<Recorder>();
    Thread creator([&] {
        auto connection = UrlConnection::create(UrlRequest(server_.url("/echo")), moved, StartImmediately::No);
        connection.value()->scheduleInRunLoop(RunLoop::main());
        connection.value()->start();
    });
    creator.start();
    creator.join();
    EXPECT_TRUE(RunLoop::main().pumpUntil([&] { return moved->done(); }, 10.0));
    EXPECT_EQ(moved->thread, std::this_thread::get_id());
}

TEST_F(UrlConnectionTest, ALoadWhoseLoopsThreadHasEndedIsCancelledQuietly) {
    // Created on a worker that ends before the server answers: nobody can hear the answer, so the
    // connection cancels its load and lets go of itself and its delegate, without a warning.
    testing::LogCapture log;
    auto recorder = std::make_shared<Recorder>();
    std::weak_ptr<UrlConnection> weak;
    Thread worker([&] { weak = UrlConnection::create(UrlRequest(server_.url("/stall")), recorder).value(); });
    worker.start();
    worker.join();
    server_.releaseStalls();
    EXPECT_TRUE(RunLoop::main().pumpUntil([&] { return weak.expired(); }, 10.0));
    EXPECT_EQ(recorder.use_count(), 1);
    EXPECT_EQ(recorder->callbacks, 0);
    EXPECT_FALSE(log.contains("dropped"));
}

TEST_F(UrlConnectionTest, CancelSilencesEvenQueuedCallbacks) {
    // Cancelled at once: nothing is heard, even after the load would have finished.
    auto silent = std::make_shared<Recorder>();
    std::weak_ptr<UrlConnection> weak;
    const size_t loads = UrlConnection::loadsInFlight();
    {
        auto connection = UrlConnection::create(UrlRequest(server_.url("/echo")), silent);
        weak = connection.value();
        EXPECT_EQ(UrlConnection::loadsInFlight(), loads + 1);
        connection.value()->cancel();
    }
    EXPECT_TRUE(weak.expired()); // the connection let go of itself
    EXPECT_EQ(UrlConnection::loadsInFlight(), loads);

    // Cancelled and released by the delegate inside the response callback, with data queued.
    auto dropping = std::make_shared<Recorder>();
    std::shared_ptr<UrlConnection> held;
    dropping->onResponse = [&](const std::shared_ptr<UrlConnection>& c) {
        c->cancel();
        held.reset();
    };
    held = UrlConnection::create(UrlRequest(server_.url("/big/300000")), dropping).value();
    EXPECT_TRUE(RunLoop::main().pumpUntil([&] { return dropping->response.has_value(); }, 10.0));

    // A later load on the same loop ends after anything the cancelled ones had queued.
    auto after = get("/echo");
    EXPECT_EQ(after->terminals, 1);
    EXPECT_EQ(silent->callbacks, 0);
    EXPECT_EQ(dropping->callbacks, 2); // the first send and the response, nothing after
    EXPECT_EQ(dropping->terminals, 0);
    EXPECT_EQ(UrlConnection::loadsInFlight(), loads); // finished and cancelled loads alike
}

} // namespace
} // namespace fnd
