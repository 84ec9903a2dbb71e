// The Tallio client's process-wide state: addresses, report sender, current session and its lock.
#include "analytics/tallio/tallio_context.h"

#include <chrono>
#include <utility>

#include "analytics/tallio/tallio_log.h"
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan::tallio {

TallioContext::TallioContext(const NetworkEndpoint& endpoint, std::shared_ptr<ReportSender> sender,
                             std::shared_ptr<TallioAdParser> adParser)
    : sender_(std::move(sender)), adParser_(std::move(adParser)) {
    serverURL_ = endpoint.url("/aap.do");
    canvasURL_ = endpoint.url("/getCanvas.do");
    appStoreURL_ = endpoint.url("/getIPhoneApp.do");
}

TallioContext::~TallioContext() {
    terminationObserver_.reset();
    finishUpload(kExitWaitSeconds);
}

std::string TallioContext::serverURL() const {
    std::lock_guard guard(mutex_);
    return serverURL_;
}

std::string TallioContext::canvasURL() const {
    std::lock_guard guard(mutex_);
    return canvasURL_;
}

std::string TallioContext::appStoreURL() const {
    std::lock_guard guard(mutex_);
    return appStoreURL_;
}

void TallioContext::setServerURL(const std::string& url) {
    std::lock_guard guard(mutex_);
    serverURL_ = url;
}

void TallioContext::setCanvasURL(const std::string& url) {
    std::lock_guard guard(mutex_);
    canvasURL_ = url;
}

void TallioContext::setAppStoreURL(const std::string& url) {
    std::lock_guard guard(mutex_);
    appStoreURL_ = url;
}

std::shared_ptr<HookViewFactory> TallioContext::hookViewFactory() const {
    std::lock_guard guard(mutex_);
    return hookViewFactory_;
}

void TallioContext::setHookViewFactory(std::shared_ptr<HookViewFactory> factory) {
    std::lock_guard guard(mutex_);
    hookViewFactory_ = std::move(factory);
}

std::shared_ptr<PageViewCounter> TallioContext::pageViewCounter() const {
    std::lock_guard guard(mutex_);
    return pageViewCounter_;
}

void TallioContext::setPageViewCounter(std::shared_ptr<PageViewCounter> counter) {
    std::lock_guard guard(mutex_);
    pageViewCounter_ = std::move(counter);
}

std::shared_ptr<ReportSender> TallioContext::sender() const {
    std::lock_guard guard(mutex_);
    return sender_;
}

void TallioContext::setSender(std::shared_ptr<ReportSender> sender) {
    std::lock_guard guard(mutex_);
    sender_ = std::move(sender);
}

void TallioContext::setTerminationObserver(fnd::ObserverToken token) {
    terminationObserver_ = std::move(token);
}

void TallioContext::startUpload(std::function<void()> report) {
    fnd::Thread upload([this, report = std::move(report)] {
        // Counted out however the report ends (a sender may throw).
        struct Ended {
            TallioContext& context;
            ~Ended() {
                std::lock_guard guard(context.mutex_);
                --context.uploadsRunning_;
                context.uploadsChanged_.notify_all();
            }
        } ended{*this};
        report();
    });
    upload.setName("tallio report");
    {
        std::lock_guard guard(mutex_);
        uploads_.push_back(upload);
        ++uploadsRunning_;
    }
    upload.start();
}

void TallioContext::waitForUpload() {
    std::vector<fnd::Thread> threads;
    {
        std::lock_guard guard(mutex_);
        threads.swap(uploads_);
    }
    for (auto& thread : threads) {
        thread.join();
    }
}

void TallioContext::finishUpload(double seconds) {
    bool ended = false;
    {
        std::unique_lock guard(mutex_);
        ended = uploadsChanged_.wait_for(guard, std::chrono::duration<double>(seconds),
                                         [this] { return uploadsRunning_ == 0; });
    }
    if (!ended) {
        ZLOG_TO(kTallioLog, Warn,
                "tallio: the session report had no answer within %g s of the end; it stays stored for the "
                "next start",
                seconds);
        if (auto current = sender()) {
            current->cancel();
        }
    }
    waitForUpload();
}

std::optional<TallioContext::LastReport> TallioContext::lastReport() const {
    std::lock_guard guard(mutex_);
    return lastReport_;
}

void TallioContext::setLastReport(LastReport report) {
    std::lock_guard guard(mutex_);
    lastReport_ = report;
}

std::shared_ptr<TallioContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::tallio) : nullptr;
}

} // namespace zelvan::tallio
