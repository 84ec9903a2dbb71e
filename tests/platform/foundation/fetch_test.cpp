// fnd::fetch against the loopback server: the redirect policy and its hook, the body cap, cancellation,
// an owner that goes, a time-out and a refused connection, each ending in one completion that never
// comes inside the call; the streaming hooks; and the address a link finally leads to.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "http_test_server.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/refused_port.h"
#include "platform/foundation/url_error.h"

namespace fnd {
namespace {

// What one fetch's completion was called with, and how often.
template <class T>
struct Outcome {
    int calls = 0;
    std::optional<Result<T>> result;
};

class FetchTest : public ::testing::Test {
protected:
    // Starts a fetch owned by owner_, checks that nothing is called inside the call, and pumps the main
    // loop until the completion has run, and on until the loop is idle.
    Result<FetchReply> load(UrlRequest request, FetchOptions options = {}) {
        auto outcome = std::make_shared<Outcome<FetchReply>>();
        fetch(std::move(request), std::move(options), owner_, [outcome](Result<FetchReply> result) {
            ++outcome->calls;
            outcome->result.emplace(std::move(result));
        });
        return wait(*outcome);
    }
    Result<Url> resolve(const std::string& path) {
        auto outcome = std::make_shared<Outcome<Url>>();
        resolveFinalAddress(UrlRequest(server_.url(path)), {}, owner_, [outcome](Result<Url> result) {
            ++outcome->calls;
            outcome->result.emplace(std::move(result));
        });
        return wait(*outcome);
    }
    template <class T>
    Result<T> wait(Outcome<T>& outcome) {
        EXPECT_EQ(outcome.calls, 0) << "called inside the call";
        EXPECT_TRUE(RunLoop::main().pumpUntil([&] { return outcome.calls > 0; }, 10.0));
        RunLoop::main().runUntilIdle();
        EXPECT_EQ(outcome.calls, 1);
        if (!outcome.result) {
            return Error("test", 0, std::string_view("no completion"));
        }
        return std::move(*outcome.result);
    }
    static std::string text(const Bytes& data) { return std::string(data.begin(), data.end()); }
    static int64_t errorCode(const Result<FetchReply>& result) { return result.ok() ? 0 : result.error().code(); }

    std::shared_ptr<int> owner_ = std::make_shared<int>(0);
    testing::HttpTestServer server_;
};

TEST_F(FetchTest, RedirectPolicyFollowsRewritesOrRefusesEachHop) {
    auto followed = load(UrlRequest(server_.url("/redirect/302?to=/redirect/301%3Fto%3D/echo")));
    ASSERT_TRUE(followed.ok()) << followed.error().description();
    EXPECT_EQ(followed->response.statusCode(), 200);
    EXPECT_EQ(followed->finalUrl(), server_.url("/echo"));
    EXPECT_TRUE(text(followed->body).starts_with("method: GET\n"));

    // The hook sees every hop and sends this one elsewhere.
    std::vector<std::string> hops;
    FetchOptions rewrite;
    rewrite.redirects = RedirectPolicy::ask([&](const UrlRequest& next, const UrlResponse& redirect) {
        hops.push_back(std::to_string(redirect.statusCode()) + " " + next.url().path());
        UrlRequest other = next;
        other.setUrl(server_.url("/status/404"));
        return std::optional<UrlRequest>(other);
    });
    auto rewritten = load(UrlRequest(server_.url("/redirect/302?to=/echo")), rewrite);
    ASSERT_TRUE(rewritten.ok());
    EXPECT_EQ(hops, std::vector<std::string>{"302 /echo"});
    EXPECT_EQ(rewritten->response.statusCode(), 404);
    EXPECT_EQ(rewritten->finalUrl(), server_.url("/status/404"));
    EXPECT_EQ(text(rewritten->body), "status 404");

    // Refused by the hook, or not followed at all: the redirect is the reply, with its own body.
    FetchOptions refuse;
    refuse.redirects = RedirectPolicy::ask([](const UrlRequest&, const UrlResponse&) { return std::nullopt; });
    FetchOptions dontFollow;
    dontFollow.redirects = RedirectPolicy::dontFollow();
    for (const FetchOptions& options : {refuse, dontFollow}) {
        auto stopped = load(UrlRequest(server_.url("/redirect/307?to=/echo")), options);
        ASSERT_TRUE(stopped.ok());
        EXPECT_EQ(stopped->response.statusCode(), 307);
        EXPECT_EQ(stopped->response.allHeaderFields().value("Location"), "/echo");
        EXPECT_EQ(stopped->finalUrl(), server_.url("/redirect/307?to=/echo"));
        EXPECT_EQ(text(stopped->body), "moved");
    }
}

TEST_F(FetchTest, BodyOverTheCapFailsNamingTheCap) {
    FetchOptions capped;
    capped.maxBodyBytes = 10000;
    auto atCap = load(UrlRequest(server_.url("/big/10000")), capped);
    ASSERT_TRUE(atCap.ok());
    EXPECT_EQ(atCap->body.size(), 10000u);

    auto over = load(UrlRequest(server_.url("/big/10001")), capped);
    ASSERT_EQ(errorCode(over), UrlError::DataLengthExceedsMaximum);
    EXPECT_NE(over.error().localizedFailureReason().find("10000 bytes"), std::string::npos)
        << over.error().description();
}

TEST_F(FetchTest, FailuresArriveAsErrors) {
    Url closed = *Url::parse(testing::refusedUrl());
    EXPECT_EQ(errorCode(load(UrlRequest(closed))), UrlError::CannotConnectToHost);

    FetchOptions quick;
    quick.timeout = 1;
    EXPECT_EQ(errorCode(load(UrlRequest(server_.url("/stall")), quick)), UrlError::TimedOut);

    // Refused before anything is sent, still reported on a later pass.
    EXPECT_EQ(errorCode(load(UrlRequest(*Url::parse("ftp://127.0.0.1/x")))), UrlError::UnsupportedUrl);
}

TEST_F(FetchTest, CancelEndsTheFetchOnceWithCancelled) {
    // Cancelled before the fetch starts.
    FetchOptions early;
    early.cancel = std::make_shared<UrlCancelToken>();
    early.cancel->cancel();
    EXPECT_EQ(errorCode(load(UrlRequest(server_.url("/echo")), early)), UrlError::Cancelled);

    // Cancelled from another thread while the server holds the request.
    FetchOptions waiting;
    waiting.cancel = std::make_shared<UrlCancelToken>();
    auto outcome = std::make_shared<Outcome<FetchReply>>();
    fetch(UrlRequest(server_.url("/stall")), waiting, owner_, [outcome](Result<FetchReply> result) {
        ++outcome->calls;
        outcome->result.emplace(std::move(result));
    });
    std::thread([token = waiting.cancel] { token->cancel(); }).join();
    EXPECT_EQ(errorCode(wait(*outcome)), UrlError::Cancelled);

    // Cancelled after it completed: nothing more is heard.
    FetchOptions late;
    late.cancel = std::make_shared<UrlCancelToken>();
    auto done = std::make_shared<Outcome<FetchReply>>();
    fetch(UrlRequest(server_.url("/echo")), late, owner_, [done](Result<FetchReply> result) {
        ++done->calls;
        done->result.emplace(std::move(result));
    });
    EXPECT_TRUE(wait(*done).ok());
    late.cancel->cancel();
    EXPECT_TRUE(load(UrlRequest(server_.url("/echo"))).ok()); // a later load's turn on the same loop
    EXPECT_EQ(outcome->calls, 1);
    EXPECT_EQ(done->calls, 1);
}

TEST_F(FetchTest, NothingIsCalledOnceTheOwnerIsGone) {
    // Gone before the fetch sends anything, or between two hops of it: the completion is released unheard.
    for (bool midway : {false, true}) {
        auto owner = std::make_shared<int>(0);
        auto captured = std::make_shared<int>(0);
        std::weak_ptr<int> released = captured;
        bool called = false;
        FetchOptions options;
        options.redirects = RedirectPolicy::ask([&](const UrlRequest& next, const UrlResponse&) {
            owner.reset();
            return std::optional<UrlRequest>(next);
        });
        fetch(UrlRequest(server_.url("/redirect/302?to=/big/300000")), options, owner,
              [&called, captured](Result<FetchReply>) { called = true; });
        captured.reset();
        if (!midway) {
            owner.reset();
        }
        EXPECT_TRUE(RunLoop::main().pumpUntil([&] { return released.expired(); }, 10.0)) << midway;
        EXPECT_EQ(owner, nullptr);
        EXPECT_FALSE(called) << midway;
    }
}

TEST_F(FetchTest, StreamingHooksHearTheHeadThenTheChunksAndNothingOnceTheFetchEnds) {
    // In order: the head, the chunks (together the reply's body), then the completion.
    std::vector<std::string> events;
    size_t streamed = 0;
    FetchOptions options;
    options.onResponse = [&](const UrlResponse& response) {
        events.push_back("head " + std::to_string(response.expectedContentLength()));
    };
    options.onData = [&](std::span<const uint8_t> chunk) {
        if (events.empty() || events.back() != "chunks") {
            events.push_back("chunks");
        }
        streamed += chunk.size();
    };
    auto outcome = std::make_shared<Outcome<FetchReply>>();
    fetch(UrlRequest(server_.url("/big/300000")), options, owner_, [&events, outcome](Result<FetchReply> result) {
        events.push_back("completion");
        ++outcome->calls;
        outcome->result.emplace(std::move(result));
    });
    auto whole = wait(*outcome);
    ASSERT_TRUE(whole.ok());
    EXPECT_EQ(events, (std::vector<std::string>{"head 300000", "chunks", "completion"}));
    EXPECT_EQ(streamed, whole->body.size());

    // Cancelled inside the first chunk: no other chunk follows, only the cancellation.
    auto token = std::make_shared<UrlCancelToken>();
    int chunks = 0;
    FetchOptions cancelling;
    cancelling.cancel = token;
    cancelling.onData = [&chunks, token](std::span<const uint8_t>) {
        ++chunks;
        token->cancel();
    };
    EXPECT_EQ(errorCode(load(UrlRequest(server_.url("/big/300000")), cancelling)), UrlError::Cancelled);
    EXPECT_EQ(chunks, 1);

    // The owner gone inside the head's hook: no chunk and no completion, whose captures are released.
    auto owner = std::make_shared<int>(0);
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> released = captured;
    bool called = false;
    chunks = 0;
    FetchOptions dropping;
    dropping.onResponse = [&owner](const UrlResponse&) { owner.reset(); };
    dropping.onData = [&chunks](std::span<const uint8_t>) { ++chunks; };
    fetch(UrlRequest(server_.url("/big/300000")), dropping, owner,
          [&called, captured](Result<FetchReply>) { called = true; });
    captured.reset();
    EXPECT_TRUE(RunLoop::main().pumpUntil([&] { return released.expired(); }, 10.0));
    EXPECT_EQ(owner, nullptr); // the head was heard
    EXPECT_EQ(chunks, 0);
    EXPECT_FALSE(called);
}

TEST_F(FetchTest, ResolvesTheAddressALinkLeadsTo) {
    auto chain = resolve("/redirect/302?to=/redirect/301%3Fto%3D/echo");
    ASSERT_TRUE(chain.ok());
    EXPECT_EQ(*chain, server_.url("/echo"));
    auto direct = resolve("/echo");
    ASSERT_TRUE(direct.ok());
    EXPECT_EQ(*direct, server_.url("/echo"));

    // The loader does not follow a web page into a store's own scheme: that target is where it leads.
    auto store = resolve("/redirect/302?to=itms-apps%3A%2F%2Fstore.example%2Fapp%2Fid42");
    ASSERT_TRUE(store.ok());
    EXPECT_EQ(store->absoluteString(), "itms-apps://store.example/app/id42");

    auto broken = resolve("/redirect/302?to=/status/404");
    ASSERT_FALSE(broken.ok());
    EXPECT_EQ(broken.error().code(), UrlError::BadServerResponse);
}

} // namespace
} // namespace fnd
