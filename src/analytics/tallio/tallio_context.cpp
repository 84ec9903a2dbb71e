// The Tallio client's process-wide state: addresses, report sender, current session and its lock, and the
// session reports under way on the worker pool.
#include "analytics/tallio/tallio_context.h"

#include <chrono>
#include <utility>

#include "analytics/tallio/tallio_log.h"
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/worker_pool.h"

namespace zelvan::tallio {

TallioContext::TallioContext(const NetworkEndpoint& endpoint, std::shared_ptr<ReportSender> sender,
                             std::shared_ptr<TallioAdParser> adParser, std::shared_ptr<fnd::WorkerPool> workerPool)
    : sender_(std::move(sender)), adParser_(std::move(adParser)), workerPool_(std::move(workerPool)) {
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

class TallioContext::Upload {
public:
    explicit Upload(TallioContext& context) : context_(context) {}
    ~Upload() { context_.uploadEnded(); }
    Upload(const Upload&) = delete;
    Upload& operator=(const Upload&) = delete;

private:
    TallioContext& context_;
};

void TallioContext::startUpload(std::function<void(UploadHold)> report) {
    {
        std::lock_guard guard(mutex_);
        ++uploadsRunning_;
    }
    auto hold = std::make_shared<Upload>(*this);
    if (!workerPool_) {
        ZLOG_TO(kTallioLog, Warn, "tallio: no worker pool; the session report is not sent");
        return;
    }
    // A pool that is shutting down releases the task, and the hold with it, unrun.
    workerPool_->submit([report = std::move(report), hold = std::move(hold)]() mutable { report(std::move(hold)); });
}

void TallioContext::uploadEnded() {
    std::lock_guard guard(mutex_);
    --uploadsRunning_;
    uploadsChanged_.notify_all();
}

void TallioContext::waitForUpload() {
    std::unique_lock guard(mutex_);
    uploadsChanged_.wait(guard, [this] { return uploadsRunning_ == 0; });
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
