// FakeTransport: scripted answers delivered by delayed performs on the fake's own run loop thread.
#include "platform/foundation/testing/fake_transport.h"

#include <atomic>

#include "platform/foundation/backends.h"
#include "platform/foundation/url_error.h"

namespace fnd::testing {

namespace {

struct FakeTransfer final : HttpTransfer {
    std::atomic<bool> cancelled{false};
    void cancel() override { cancelled = true; }
};

} // namespace

std::shared_ptr<FakeTransport> FakeTransport::install() {
    auto transport = std::make_shared<FakeTransport>();
    installHttpTransport(transport);
    return transport;
}

FakeTransport::FakeTransport()
    : thread_([this] {
          RunLoop& loop = RunLoop::current();
          {
              std::lock_guard lock(mutex_);
              loop_ = loop.shared_from_this();
          }
          loopReady_.notify_all();
          loop.run();
      }) {
    thread_.setName("fake transport");
    thread_.start();
    // Wait until the thread's loop exists; posting to it before then would have nowhere to go.
    std::unique_lock lock(mutex_);
    loopReady_.wait(lock, [this] { return loop_ != nullptr; });
}

FakeTransport::~FakeTransport() {
    std::shared_ptr<RunLoop> loop;
    {
        std::lock_guard lock(mutex_);
        loop = loop_;
    }
    loop->stop();
    thread_.join();
}

void FakeTransport::setOutcome(const std::string& url, Outcome outcome) {
    std::lock_guard lock(mutex_);
    outcomes_[url] = std::move(outcome);
}

void FakeTransport::setRedirect(const std::string& url, const std::string& to, int64_t status) {
    Outcome outcome;
    outcome.status = status;
    outcome.headers.set("Location", to);
    setOutcome(url, std::move(outcome));
}

std::vector<UrlRequest> FakeTransport::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::shared_ptr<HttpTransfer> FakeTransport::startTransfer(const UrlRequest& request,
                                                           std::shared_ptr<HttpTransferSink> sink) {
    auto transfer = std::make_shared<FakeTransfer>();
    std::optional<Outcome> outcome;
    std::shared_ptr<RunLoop> loop;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        auto it = outcomes_.find(request.url().absoluteString());
        if (it != outcomes_.end()) {
            outcome = it->second;
        }
        loop = loop_;
    }
    const std::string url = request.url().absoluteString();
    if (!outcome) {
        loop->post([transfer, sink, url] {
            if (!transfer->cancelled) {
                sink->transferDidFail(UrlError::make(UrlError::CannotFindHost, url, "not scripted"));
            }
        });
        return transfer;
    }
    double timeout = request.timeoutInterval();
    if (outcome->delay > timeout) {
        loop->performAfter(timeout, [transfer, sink, url] {
            if (!transfer->cancelled) {
                sink->transferDidFail(UrlError::make(UrlError::TimedOut, url));
            }
        });
        return transfer;
    }
    loop->performAfter(outcome->delay, [transfer, sink, url, request, outcome = std::move(*outcome)] {
        if (transfer->cancelled) {
            return;
        }
        if (outcome.errorCode) {
            sink->transferDidFail(UrlError::make(*outcome.errorCode, url, "scripted failure"));
            return;
        }
        UrlResponse response(request.url(), outcome.status, outcome.headers);
        if (outcome.headers.value("Content-Encoding") && request.valueForHTTPHeaderField("Accept-Encoding")) {
            response.setBodyDecoded();
        }
        sink->transferDidReceiveResponse(std::move(response));
        for (const Bytes& chunk : outcome.chunks) {
            if (transfer->cancelled || !sink->transferDidReceiveData(chunk)) {
                return;
            }
        }
        if (!transfer->cancelled) {
            sink->transferDidFinish();
        }
    });
    return transfer;
}

} // namespace fnd::testing
