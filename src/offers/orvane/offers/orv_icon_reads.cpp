// ORVIconReads: the queue of waiting reads, one fetch per running read and its main-loop time limit.
#include "offers/orvane/offers/orv_icon_reads.h"

#include <algorithm>
#include <deque>
#include <memory>

#include "core/main_thread.h"
#include "platform/foundation/fetch.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_error.h"

namespace zelvan::orvane {

namespace {

struct Job {
    std::string urlText;
    ORVIconReads::Completion completion;
};

struct State {
    std::deque<Job> waiting;
    int inFlight = 0;
    int peak = 0;
    int succeeded = 0;
    int failed = 0;
};

State& state() {
    static State* s = new State();
    return *s;
}

void startNext();

// One running read: fetches the body and ends exactly once (the reply, a failure or the time limit).
class IconRead : public std::enable_shared_from_this<IconRead> {
public:
    explicit IconRead(ORVIconReads::Completion completion) : completion_(std::move(completion)) {}

    void begin(const fnd::Url& url) {
        fnd::FetchOptions options;
        options.timeout = ORVIconReads::kTimeout;
        options.maxBodyBytes = ORVIconReads::kMaxBodyBytes;
        options.cancel = cancel_;
        std::weak_ptr<IconRead> weak = weak_from_this();
        limit_ = fnd::RunLoop::main().performAfter(ORVIconReads::kTimeout, [weak] {
            if (auto self = weak.lock()) {
                self->end(fnd::Error(std::string(fnd::kUrlErrorDomain), fnd::UrlError::TimedOut,
                                     std::string_view("The request timed out.")));
            }
        });
        // The completion holds the read until it has ended.
        fnd::fetch(fnd::UrlRequest(url), std::move(options), weak_from_this(),
                   [self = shared_from_this()](fnd::Result<fnd::FetchReply> reply) {
                       if (!reply) {
                           self->end(reply.error());
                       } else if (reply.value().response.statusCode() >= 400 || reply.value().body.empty()) {
                           self->end(fnd::Error(std::string(fnd::kUrlErrorDomain), fnd::UrlError::BadServerResponse,
                                                std::string_view("The server answered without an image.")));
                       } else {
                           self->end(std::move(reply.value().body));
                       }
                   });
    }

    void end(fnd::Result<fnd::Bytes> result) {
        if (ended_) {
            return;
        }
        ended_ = true;
        auto keep = shared_from_this();
        limit_.cancel();
        cancel_->cancel();
        --state().inFlight;
        ++(result ? state().succeeded : state().failed);
        if (auto completion = std::move(completion_)) {
            completion(std::move(result));
        }
        startNext();
    }

private:
    ORVIconReads::Completion completion_;
    std::shared_ptr<fnd::UrlCancelToken> cancel_ = std::make_shared<fnd::UrlCancelToken>();
    fnd::PerformHandle limit_;
    bool ended_ = false;
};

void startNext() {
    State& s = state();
    while (s.inFlight < ORVIconReads::kMaxInFlight && !s.waiting.empty()) {
        Job job = std::move(s.waiting.front());
        s.waiting.pop_front();
        ++s.inFlight;
        s.peak = std::max(s.peak, s.inFlight);
        auto read = std::make_shared<IconRead>(std::move(job.completion));
        auto url = fnd::Url::parse(job.urlText);
        if (!url) {
            // Ends on the next pass so the asker never hears back inside its own call.
            onMain([read] {
                read->end(fnd::Error(std::string(fnd::kUrlErrorDomain), fnd::UrlError::BadUrl,
                                     std::string_view("The URL is not valid.")));
            });
            continue;
        }
        read->begin(*url);
    }
}

} // namespace

void ORVIconReads::read(const std::string& urlText, Completion completion) {
    state().waiting.push_back(Job{urlText, std::move(completion)});
    startNext();
}

int ORVIconReads::inFlight() {
    return state().inFlight;
}
int ORVIconReads::waiting() {
    return static_cast<int>(state().waiting.size());
}
int ORVIconReads::peakInFlight() {
    return state().peak;
}
void ORVIconReads::resetPeak() {
    state().peak = state().inFlight;
}
int ORVIconReads::succeeded() {
    return state().succeeded;
}
int ORVIconReads::failed() {
    return state().failed;
}

} // namespace zelvan::orvane
