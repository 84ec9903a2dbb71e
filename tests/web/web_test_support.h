// Shared pieces of the web platform tests: a delegate that records how each fetch ended.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "web/zelvan_url_connection.h"

namespace zelvan::testing {

class RecordingDelegate : public ZelvanURLConnectionDelegate {
public:
    struct Outcome {
        std::shared_ptr<ZelvanURLRequest> request;
        bool finished = false;
        std::string body; // the request's data() when finished
    };

    void connectionDidFinish(const std::shared_ptr<ZelvanURLConnection>& connection) override { add(connection, true); }
    void connectionDidFail(const std::shared_ptr<ZelvanURLConnection>& connection) override { add(connection, false); }

    std::vector<Outcome> outcomes() const {
        std::lock_guard lock(mutex_);
        return outcomes_;
    }
    size_t count() const {
        std::lock_guard lock(mutex_);
        return outcomes_.size();
    }

private:
    void add(const std::shared_ptr<ZelvanURLConnection>& connection, bool finished) {
        Outcome outcome{connection->zelvanRequest(), finished, {}};
        if (auto data = outcome.request ? outcome.request->data() : nullptr) {
            outcome.body.assign(data->begin(), data->end());
        }
        std::lock_guard lock(mutex_);
        outcomes_.push_back(std::move(outcome));
    }

    mutable std::mutex mutex_;
    std::vector<Outcome> outcomes_;
};

} // namespace zelvan::testing
