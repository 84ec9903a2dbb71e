// Shared pieces of the analytics client's tests: a report sender that records each exchange and answers
// as told (or holds the answers until released), and a fixture with its own context and worker pool in a
// registry of its own, on a manual clock.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "analytics/tallio/report_sender.h"
#include "analytics/tallio/tallio_context.h"
#include "analytics/tallio/tallio_wiring.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/worker_pool.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/view.h"
#include "tests/support/scoped_app_delegate.h"
#include "tools/devserver/dev_ads_tallio.h"

namespace zelvan::tallio::testing {

class FakeSender final : public ReportSender {
public:
    struct Call {
        std::string method, url, contentType;
        fnd::Bytes body;
        double timeout = 0;
    };

    // The answer goes to the calling thread's loop, at once or when released.
    void send(const std::string& method, const std::string& url, const fnd::Bytes& body,
              const std::map<std::string, std::string>& headers, double timeout, Completion done) override {
        std::lock_guard lock(mutex_);
        auto type = headers.find("Content-Type");
        calls_.push_back({method, url, type != headers.end() ? type->second : "", body, timeout});
        changed_.notify_all();
        if (throwing_) {
            throw std::runtime_error("sender failed");
        }
        waiting_.push_back({fnd::RunLoop::current().shared_from_this(), std::move(done)});
        if (!hold_) {
            answerWaiting();
        }
    }

    // nullopt: no reply (refused).
    void answer(std::optional<ReportReply> reply) {
        std::lock_guard lock(mutex_);
        reply_ = std::move(reply);
    }
    void setThrowing(bool on) {
        std::lock_guard lock(mutex_);
        throwing_ = on;
    }
    void hold() {
        std::lock_guard lock(mutex_);
        hold_ = true;
    }
    void release() {
        std::lock_guard lock(mutex_);
        hold_ = false;
        answerWaiting();
    }
    void waitForCalls(size_t n) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return calls_.size() >= n; });
    }
    std::vector<Call> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    void answerWaiting() {
        for (auto& [loop, done] : waiting_) {
            fnd::Result<ReportReply> answer =
                reply_ ? fnd::Result<ReportReply>(*reply_)
                       : fnd::Result<ReportReply>(fnd::UrlError::make(fnd::UrlError::CannotConnectToHost, ""));
            loop->post([done = std::move(done), answer = std::move(answer)] { done(answer); });
        }
        waiting_.clear();
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Call> calls_;
    std::optional<ReportReply> reply_ = ReportReply{200, {}};
    bool hold_ = false;
    bool throwing_ = false;
    std::vector<std::pair<std::shared_ptr<fnd::RunLoop>, Completion>> waiting_;
};

inline constexpr const char* kKey = "K7WDRXHN2TQ4VMBJ8LCA";

// Writes the view as "screenshots/<name>" under the test's folder, for a person to look at.
inline bool saveShot(ui::View& view, const std::string& name) {
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    return ui::Snapshot::saveViewAsPng(view, "screenshots/" + name);
}

// A context of the test's own in the registry of an installed delegate, on a manual clock. Session
// archives are rewritten with synced writes, so the application root lies in memory when the machine has
// a memory file system.
class TallioTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        const char* tmp = std::getenv("TMPDIR");
        const std::string saved = tmp ? tmp : "";
        std::error_code ec;
        if (std::filesystem::is_directory("/dev/shm", ec)) {
            ::setenv("TMPDIR", "/dev/shm", 1);
        }
        root_ = std::make_unique<fnd::testing::ScopedAppRoot>();
        if (tmp) {
            ::setenv("TMPDIR", saved.c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }
    void TearDown() override {
        if (context_) {
            context_->waitForUpload();
        }
        delegate_.reset();
        context_.reset();
        if (std::getenv("ZELVAN_BUNDLE")) {
            ::unsetenv("ZELVAN_BUNDLE");
            fnd::Bundle::resetMain();
        }
        root_.reset();
        fnd::Clock::install(nullptr);
    }

    // Makes the main bundle a folder of the root with the store's metadata file beside it.
    void bundleWithMetadata(const std::string& plist) {
        const std::filesystem::path folder = std::filesystem::path(root_->root()) / "App";
        std::filesystem::create_directories(folder / "Zelvan.app");
        ASSERT_TRUE(fnd::writeFile((folder / "iTunesMetadata.plist").string(), fnd::Bytes(plist.begin(), plist.end())));
        ::setenv("ZELVAN_BUNDLE", (folder / "Zelvan.app").c_str(), 1);
        fnd::Bundle::resetMain();
    }

    // Installs a new delegate over a new context (a new run of the application).
    std::shared_ptr<TallioContext> newRun(const std::string& adsBase = "http://127.0.0.1:9",
                                          std::shared_ptr<ReportSender> sender = nullptr) {
        if (context_) {
            context_->waitForUpload();
        }
        delegate_.reset();
        context_ = makeTallio(NetworkEndpoint(adsBase, "/tallio"), sender ? sender : sender_, pool_);
        AppRegistry registry;
        registry.tallio.factory = ServiceSlot<TallioContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
        return context_;
    }

    // The last report the fake sender got, decoded.
    devserver::DevTallioReport lastReport() const {
        auto calls = sender_->calls();
        EXPECT_FALSE(calls.empty());
        auto decoded =
            calls.empty()
                ? std::nullopt
                : devserver::decodeTallioReport(std::string(calls.back().body.begin(), calls.back().body.end()));
        EXPECT_TRUE(decoded.has_value());
        return decoded.value_or(devserver::DevTallioReport{});
    }

    std::unique_ptr<fnd::testing::ScopedAppRoot> root_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<FakeSender> sender_ = std::make_shared<FakeSender>();
    std::shared_ptr<fnd::WorkerPool> pool_ = std::make_shared<fnd::WorkerPool>("tallio test", 2);
    std::shared_ptr<TallioContext> context_;
    std::unique_ptr<ScopedAppDelegate> delegate_;
};

} // namespace zelvan::tallio::testing
