// The client's class-level entry points, the only code of the client that looks up the installed context
// (context()): TallioAPI, with the guarded operations dropping every exception, and the host's error
// hooks (the trace log's errors, uncaught exceptions) and the end of the run; TallioSession's class
// operations; the shared TallioAdParser. Every other part of the client is handed its context.
#include <mutex>

#include "analytics/tallio/tallio_ad_parser.h"
#include "analytics/tallio/tallio_api.h"
#include "analytics/tallio/tallio_context.h"
#include "analytics/tallio/tallio_session.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/application.h"
#include "protocol/tracer.h"

namespace zelvan::tallio {

namespace {

// Runs `body` on the current session under the context's lock; nothing without one.
template <class F>
void withCurrentSession(F&& body) {
    auto ctx = context();
    if (!ctx) {
        return;
    }
    std::lock_guard guard(ctx->lock());
    if (auto session = ctx->currentSession()) {
        body(*session);
    }
}

// Runs a guarded operation: whatever it raises goes to handleException and no further.
template <class F>
void guarded(F&& body) {
    try {
        body();
    } catch (...) {
        TallioAPI::handleException(std::current_exception());
    }
}

// Set while this thread records an error, so an error traced while recording one is not recorded again.
thread_local bool recordingError = false;

std::terminate_handler previousTerminate = nullptr;

[[noreturn]] void recordUncaughtThenTerminate() {
    if (auto exception = std::current_exception()) {
        TallioAPI::logError("UNCAUGHT", "uncaught exception", exception);
    }
    if (previousTerminate) {
        previousTerminate();
    }
    std::abort();
}

} // namespace

void TallioAPI::handleException(std::exception_ptr) {}

void TallioAPI::startSession(const std::string& apiKey) {
    guarded([&] {
        auto ctx = context();
        if (!ctx) {
            return;
        }
        TallioSession::createActiveTallioSession(*ctx, apiKey);
        ctx->setTerminationObserver(fnd::NotificationCenter::defaultCenter().observe(
            std::string(ui::kApplicationWillTerminateNotification), std::weak_ptr<TallioContext>(ctx),
            &TallioContext::applicationWillTerminate));
        TallioSession::sendSessionsToServerWithTimeout(*ctx, false);
    });
}

// At the end the session joins the stored ones, and a report still waiting for the server is given a
// few seconds more, then given up (its sessions stay stored).
void TallioContext::applicationWillTerminate() {
    guarded([this] { TallioSession::endCurrentSession(*this); });
    finishUpload(kExitWaitSeconds);
}

void TallioAPI::endSession() {
    guarded([] {
        if (auto ctx = context()) {
            TallioSession::endCurrentSession(*ctx);
        }
    });
}

void TallioAPI::logEvent(const std::string& name) {
    guarded([&] { withCurrentSession([&](TallioSession& session) { session.recordEvent(name); }); });
}

void TallioAPI::logEvent(const std::string& name, const fnd::Value& parameters) {
    guarded([&] { withCurrentSession([&](TallioSession& session) { session.recordEvent(name, parameters); }); });
}

void TallioAPI::logError(const std::string& errorId, const std::string& message, std::exception_ptr exception) {
    if (recordingError) {
        return;
    }
    recordingError = true;
    guarded(
        [&] { withCurrentSession([&](TallioSession& session) { session.recordError(errorId, message, exception); }); });
    recordingError = false;
}

void TallioAPI::logError(const std::string& errorId, const std::string& message, const fnd::Error* error) {
    if (recordingError) {
        return;
    }
    recordingError = true;
    guarded([&] { withCurrentSession([&](TallioSession& session) { session.recordError(errorId, message, error); }); });
    recordingError = false;
}

void TallioAPI::countPageViews(const std::shared_ptr<ui::ViewController>& controller) {
    auto ctx = context();
    if (auto counter = ctx ? ctx->pageViewCounter() : nullptr) {
        counter->countPageViews(controller);
    }
}

void TallioAPI::setUserID(const std::string& userId) {
    withCurrentSession([&](TallioSession& session) { session.setUserID(userId); });
}

void TallioAPI::setEventLoggingEnabled(bool on) {
    withCurrentSession([&](TallioSession& session) { session.setEventLoggingEnabled(on); });
}

void TallioAPI::setSessionReportsOnCloseEnabled(bool on) {
    withCurrentSession([&](TallioSession& session) { session.setSessionReportsOnCloseEnabled(on); });
}

void TallioAPI::setAppVersion(const std::string& version) {
    withCurrentSession([&](TallioSession& session) { session.setAppVersion(version); });
}

void TallioAPI::setServerURL(const std::string& url) {
    if (auto ctx = context()) {
        ctx->setServerURL(url);
    }
}

void TallioAPI::setCanvasURL(const std::string& url) {
    if (auto ctx = context()) {
        ctx->setCanvasURL(url);
    }
}

void TallioAPI::setAppStoreURL(const std::string& url) {
    if (auto ctx = context()) {
        ctx->setAppStoreURL(url);
    }
}

std::string TallioAPI::serverURL() {
    auto ctx = context();
    return ctx ? ctx->serverURL() : std::string();
}

std::string TallioAPI::canvasURL() {
    auto ctx = context();
    return ctx ? ctx->canvasURL() : std::string();
}

std::string TallioAPI::appStoreURL() {
    auto ctx = context();
    return ctx ? ctx->appStoreURL() : std::string();
}

std::shared_ptr<ui::View> TallioAPI::getHook(const std::string& hook, int x, int y,
                                             const std::shared_ptr<ui::ViewController>& viewController) {
    return getHook(hook, x, y, viewController, true, nullptr);
}

std::shared_ptr<ui::View> TallioAPI::getHook(const std::string& hook, int x, int y,
                                             const std::shared_ptr<ui::ViewController>& viewController,
                                             bool attachToView, const std::string* orientation) {
    auto ctx = context();
    auto factory = ctx ? ctx->hookViewFactory() : nullptr;
    return factory ? factory->getHook(hook, x, y, viewController, attachToView, orientation) : nullptr;
}

void TallioAPI::installErrorHooks() {
    Tracer::sharedTracer().setErrorRecorder(
        [](const std::string& key, const std::string& text) { logError(key, text, std::exception_ptr()); });
    static std::once_flag once;
    std::call_once(once, [] { previousTerminate = std::set_terminate(recordUncaughtThenTerminate); });
}

// --- TallioSession's class operations ---

std::shared_ptr<TallioSession> TallioSession::createActiveTallioSession(const std::string& key) {
    auto ctx = context();
    return ctx ? createActiveTallioSession(*ctx, key) : nullptr;
}

std::shared_ptr<TallioSession> TallioSession::currentSession() {
    auto ctx = context();
    if (!ctx) {
        return nullptr;
    }
    std::lock_guard guard(ctx->lock());
    return ctx->currentSession();
}

TallioSessions TallioSession::savedSessions() {
    auto ctx = context();
    return ctx ? savedSessions(*ctx) : TallioSessions{};
}

void TallioSession::setSavedSessions(const TallioSessions& sessions) {
    if (auto ctx = context()) {
        setSavedSessions(*ctx, sessions);
    }
}

void TallioSession::addToSavedSessions(const std::shared_ptr<TallioSession>& session) {
    if (auto ctx = context()) {
        addToSavedSessions(*ctx, session);
    }
}

std::string TallioSession::sessionsFilePath() {
    auto ctx = context();
    return ctx ? sessionsFilePath(ctx->apiKey()) : std::string();
}

std::string TallioSession::currentSessionFilePath() {
    auto ctx = context();
    return ctx ? currentSessionFilePath(ctx->apiKey()) : std::string();
}

std::string TallioSession::sessionSentFilePath() {
    auto ctx = context();
    return ctx ? sessionSentFilePath(ctx->apiKey()) : std::string();
}

bool TallioSession::sentSession() {
    auto ctx = context();
    return ctx && sentSession(*ctx);
}

void TallioSession::setSentSession() {
    if (auto ctx = context()) {
        setSentSession(*ctx);
    }
}

void TallioSession::sendSessionsToServerWithTimeout(bool closeMode) {
    if (auto ctx = context()) {
        sendSessionsToServerWithTimeout(*ctx, closeMode);
    }
}

fnd::Bytes TallioSession::dataForSessions(const TallioSessions& sessions, bool requestAds) {
    auto ctx = context();
    return ctx ? dataForSessions(*ctx, sessions, requestAds) : fnd::Bytes{};
}

fnd::Bytes TallioSession::dataForSessions(const TallioSessions& sessions) {
    return dataForSessions(sessions, true);
}

// --- The shared reply parser ---

std::shared_ptr<TallioAdParser> TallioAdParser::instance() {
    auto ctx = context();
    return ctx ? ctx->adParser() : nullptr;
}

} // namespace zelvan::tallio
