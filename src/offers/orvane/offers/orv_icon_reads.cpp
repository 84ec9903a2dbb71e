// ORVIconReads: the queue of waiting reads, one connection per running read and its main-loop time limit.
#include "offers/orvane/offers/orv_icon_reads.h"

#include <algorithm>
#include <deque>
#include <memory>

#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_connection.h"
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

// One running read: gathers the body and ends exactly once (finish, failure or the time limit).
class IconRead : public fnd::UrlConnectionDelegate, public std::enable_shared_from_this<IconRead> {
public:
    explicit IconRead(ORVIconReads::Completion completion) : completion_(std::move(completion)) {}

    void begin(const fnd::Url& url) {
        fnd::UrlRequest request(url);
        request.setTimeoutInterval(ORVIconReads::kTimeout);
        request.setMaxBodyBytes(ORVIconReads::kMaxBodyBytes);
        auto created = fnd::UrlConnection::create(request, shared_from_this(), fnd::StartImmediately::No);
        if (!created) {
            // Ends on the next pass so the asker never hears back inside its own call.
            auto self = shared_from_this();
            fnd::RunLoop::main().performAfter(0, [self, error = created.error()] { self->end(std::nullopt, error); });
            return;
        }
        connection_ = *created;
        connection_->scheduleInRunLoop(fnd::RunLoop::main());
        std::weak_ptr<IconRead> weak = weak_from_this();
        limit_ = fnd::RunLoop::main().performAfter(ORVIconReads::kTimeout, [weak] {
            if (auto self = weak.lock()) {
                self->end(std::nullopt, fnd::Error(std::string(fnd::kUrlErrorDomain), fnd::UrlError::TimedOut,
                                                   std::string_view("The request timed out.")));
            }
        });
        hold_ = shared_from_this();
        connection_->start();
    }

    void connectionDidReceiveResponse(const std::shared_ptr<fnd::UrlConnection>&,
                                      const fnd::UrlResponse& response) override {
        status_ = response.statusCode();
    }
    void connectionDidReceiveData(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Bytes& data) override {
        data_.insert(data_.end(), data.begin(), data.end());
    }
    void connectionDidFinishLoading(const std::shared_ptr<fnd::UrlConnection>&) override {
        if (status_ >= 400 || data_.empty()) {
            end(std::nullopt, fnd::Error(std::string(fnd::kUrlErrorDomain), fnd::UrlError::BadServerResponse,
                                         std::string_view("The server answered without an image.")));
        } else {
            end(std::move(data_), std::nullopt);
        }
    }
    void connectionDidFailWithError(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Error& error) override {
        end(std::nullopt, error);
    }

private:
    void end(std::optional<fnd::Bytes> data, std::optional<fnd::Error> error) {
        if (ended_) {
            return;
        }
        ended_ = true;
        auto keep = shared_from_this();
        limit_.cancel();
        if (connection_) {
            connection_->cancel();
            connection_.reset();
        }
        hold_.reset();
        --state().inFlight;
        ++(data ? state().succeeded : state().failed);
        auto completion = std::move(completion_);
        if (completion) {
            completion(std::move(data), error);
        }
        startNext();
    }

    ORVIconReads::Completion completion_;
    std::shared_ptr<fnd::UrlConnection> connection_;
    std::shared_ptr<IconRead> hold_;
    fnd::PerformHandle limit_;
    fnd::Bytes data_;
    int64_t status_ = 0;
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
            fnd::RunLoop::main().performAfter(0, [read] {
                read->connectionDidFailWithError(nullptr,
                                                 fnd::Error(std::string(fnd::kUrlErrorDomain), fnd::UrlError::BadUrl,
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

std::string ORVIconReads::describe(const std::optional<fnd::Error>& error) {
    if (!error) {
        return "no data";
    }
    return fnd::logReason(*error);
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
