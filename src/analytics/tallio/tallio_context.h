// TallioContext: what the Tallio analytics client keeps process-wide - the current session and its API
// key, the server, canvas and app-store addresses (derived from --ads-base), the report sender, the
// hook-ad reply parser, the termination observer, and the worker pool its session reports run on with
// the count of those under way. It constructs none of the client's parts: makeTallio (tallio_wiring.h)
// makes them and hands them in. It lives in the application registry's `tallio` slot; only the
// class-level entry points (tallio_entry_points.cpp) reach it through context(), every other part is
// handed it. Tests make their own.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "analytics/tallio/report_sender.h"
#include "core/network_endpoint.h"
#include "platform/foundation/date.h"
#include "platform/foundation/observer_token.h"

namespace fnd {
class WorkerPool;
}

namespace ui {
class View;
class ViewController;
} // namespace ui

namespace zelvan::tallio {

class TallioAdParser;
class TallioSession;

// Where hook-ad views come from and what counts page views; none until those parts are installed.
class HookViewFactory {
public:
    virtual ~HookViewFactory() = default;
    virtual std::shared_ptr<ui::View> getHook(const std::string& hook, int x, int y,
                                              const std::shared_ptr<ui::ViewController>& viewController,
                                              bool attachToView, const std::string* orientation) = 0;
};
class PageViewCounter {
public:
    virtual ~PageViewCounter() = default;
    virtual void countPageViews(const std::shared_ptr<ui::ViewController>& controller) = 0;
};

class TallioContext : public std::enable_shared_from_this<TallioContext> {
public:
    // The addresses under `endpoint`: "/aap.do", "/getCanvas.do", "/getIPhoneApp.do". Not configured: no
    // report is ever sent. Without `adParser` a delivered report's reply is not read; without
    // `workerPool` no report runs at all.
    explicit TallioContext(const NetworkEndpoint& endpoint = {}, std::shared_ptr<ReportSender> sender = nullptr,
                           std::shared_ptr<TallioAdParser> adParser = nullptr,
                           std::shared_ptr<fnd::WorkerPool> workerPool = nullptr);
    ~TallioContext();
    TallioContext(const TallioContext&) = delete;
    TallioContext& operator=(const TallioContext&) = delete;

    // The addresses; the setters replace them. Any thread.
    std::string serverURL() const;
    std::string canvasURL() const;
    std::string appStoreURL() const;
    void setServerURL(const std::string& url);
    void setCanvasURL(const std::string& url);
    void setAppStoreURL(const std::string& url);

    // The one hook-ad reply parser (null when none was given): a delivered start-up report hands it the
    // reply body. Any thread.
    const std::shared_ptr<TallioAdParser>& adParser() const { return adParser_; }

    // Hook-ad views and page-view counting; none until installed. Any thread.
    std::shared_ptr<HookViewFactory> hookViewFactory() const;
    void setHookViewFactory(std::shared_ptr<HookViewFactory> factory);
    std::shared_ptr<PageViewCounter> pageViewCounter() const;
    void setPageViewCounter(std::shared_ptr<PageViewCounter> counter);

    std::shared_ptr<ReportSender> sender() const;
    void setSender(std::shared_ptr<ReportSender> sender);

    // The one lock over the current session, the key and the session archives: every record, every
    // archive read or write and the upload's bookkeeping hold it; the upload itself does not.
    std::recursive_mutex& lock() const { return lock_; }

    // The current session (null before a start and after the end); under lock().
    const std::shared_ptr<TallioSession>& currentSession() const { return current_; }
    void setCurrentSession(std::shared_ptr<TallioSession> session) { current_ = std::move(session); }
    // The API key given at start ("" before); under lock().
    const std::string& apiKey() const { return apiKey_; }
    void setApiKey(std::string key) { apiKey_ = std::move(key); }
    // When the last page view was counted; under lock().
    std::optional<fnd::Date> lastPageView;

    // The observer of the application's termination notice, kept while the context lives.
    void setTerminationObserver(fnd::ObserverToken token);
    // The end of the run: the current session joins the stored ones (a report on close queued), then the
    // reports under way get finishUpload(kExitWaitSeconds).
    void applicationWillTerminate();

    // A session report under way, from its queueing on the worker pool to the end of its reply's
    // handling: its work holds it (the reply's handler captures it), and the context counts the report
    // until the last copy goes.
    class Upload;
    using UploadHold = std::shared_ptr<Upload>;
    // The most the client's end (the termination notice, or the context going) waits for the reports
    // before giving them up.
    static constexpr double kExitWaitSeconds = 3.0;
    // Runs `report` (TallioSession's report of the stored sessions) as a task of the worker pool, handing
    // it the hold. The context outlives the reports: it waits for them before it goes.
    void startUpload(std::function<void(UploadHold)> report);
    // Waits until no report is under way (tests).
    void waitForUpload();
    // Waits at most `seconds` of real time for the reports; with one still under way then, the sender's
    // exchange is cancelled (no reply: the sessions it carried stay stored for the next start) and the
    // reports are waited for.
    void finishUpload(double seconds);

    // What the last report exchange gave: its HTTP status (0 when no reply came) and the sessions it held.
    struct LastReport {
        int status = 0;
        int sessions = 0;
        bool closeMode = false;
    };
    std::optional<LastReport> lastReport() const;
    void setLastReport(LastReport report);

private:
    void uploadEnded();

    mutable std::mutex mutex_; // the addresses, the sender, the reports' count and the last report
    std::string serverURL_;
    std::string canvasURL_;
    std::string appStoreURL_;
    std::shared_ptr<ReportSender> sender_;
    const std::shared_ptr<TallioAdParser> adParser_;
    std::shared_ptr<HookViewFactory> hookViewFactory_;
    std::shared_ptr<PageViewCounter> pageViewCounter_;
    const std::shared_ptr<fnd::WorkerPool> workerPool_;
    int uploadsRunning_ = 0;
    std::condition_variable uploadsChanged_;
    std::optional<LastReport> lastReport_;
    mutable std::recursive_mutex lock_;
    std::shared_ptr<TallioSession> current_;
    std::string apiKey_;
    fnd::ObserverToken terminationObserver_;
};

// The context in the installed application delegate's registry; null when there is none. The one place
// this library reads the installed delegate; called by the class-level entry points only. Any thread.
std::shared_ptr<TallioContext> context();

} // namespace zelvan::tallio
