// TallioSession: one run of the application as the analytics client records it - named events with
// their parameters, errors, page views and hook-ad impressions, within fixed caps - archived to the
// current-session file, so that a run that dies leaves its session for the next start to report as
// crashed. Errors are archived at once; other records are archived together kSaveDelay seconds after
// the first of them, so a run that dies loses at most that much of them. Its class operations keep the stored sessions,
// the sent marker and the first start's timestamp in the Library folder and send the stored sessions to the analytics
// data server. Instance operations run under the context's lock (TallioContext::lock()); the class ones take it.
// A session made by createActiveTallioSession keeps its context (weakly) for its delayed archive and its
// page views.
#pragma once

#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analytics/tallio/report_sender.h"
#include "analytics/tallio/tallio_context.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/date.h"
#include "platform/foundation/error.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/value.h"

namespace zelvan::tallio {

class TallioAdImpression;

// One event record: its name and, when given, its parameters as the texts the report writes.
struct TallioEvent {
    std::string name;
    std::optional<std::vector<std::pair<std::string, std::string>>> parameters;
};

// One error record: when (milliseconds since 1970), error id, message and exception text.
struct TallioErrorRecord {
    int64_t time = 0;
    std::string errorId;
    std::string message;
    std::string exception;
};

using TallioSessions = std::vector<std::shared_ptr<class TallioSession>>;

class TallioSession : public std::enable_shared_from_this<TallioSession> {
public:
    static constexpr int MAX_EVENT_COUNTS = 100;
    static constexpr int MAX_EVENT_LOG_COUNT = 1000;
    static constexpr int MAX_ERRORS = 10;
    static constexpr int MAX_IMPRESSIONS = 1000;
    // How long a record other than an error waits to be archived (main loop, fnd::Clock).
    static constexpr double kSaveDelay = 2.0;

    // --- Class operations (entry points on the installed context, in tallio_entry_points.cpp; nothing
    // without one) ---
    static std::shared_ptr<TallioSession> createActiveTallioSession(const std::string& key);
    static std::shared_ptr<TallioSession> currentSession();
    // The stored sessions (empty when the file is missing or damaged; a damaged one is moved aside).
    static TallioSessions savedSessions();
    static void setSavedSessions(const TallioSessions& sessions);
    static void addToSavedSessions(const std::shared_ptr<TallioSession>& session);
    static std::string sessionsFilePath();
    static std::string currentSessionFilePath();
    static std::string sessionSentFilePath();
    static bool sentSession();
    static void setSentSession();
    // The first start ever, archived on first use.
    static fnd::Date initialTimestamp();
    static std::string phoneId();
    static std::string devicePlatform();
    // The store's metadata beside the application bundle: "store.id", "pur.date", "pur.price",
    // "rel.date" (empty when the file is missing).
    static std::vector<std::pair<std::string, std::string>> iTunesMetadataPlist();
    // Queues the report of the stored sessions on the worker pool (close mode: without asking for ads, 5 s,
    // reply ignored; start mode: asking for ads, 20 s, on success the sent sessions leave the stored list).
    static void sendSessionsToServerWithTimeout(bool closeMode);

    // The same operations on a given context (the ones above use the installed one).
    // Takes `key` as the process-wide key, queues the previous run's unfinished session as crashed and
    // makes (and saves) the new current session, which keeps `context` when a shared pointer owns it.
    static std::shared_ptr<TallioSession> createActiveTallioSession(TallioContext& context, const std::string& key);
    static TallioSessions savedSessions(TallioContext& context);
    static void setSavedSessions(TallioContext& context, const TallioSessions& sessions);
    static void addToSavedSessions(TallioContext& context, const std::shared_ptr<TallioSession>& session);
    static bool sentSession(TallioContext& context);
    static void setSentSession(TallioContext& context);
    static void sendSessionsToServerWithTimeout(TallioContext& context, bool closeMode);
    // Ends the context's current session, when there is one.
    static void endCurrentSession(TallioContext& context);
    // Paths for a key: "<Library>/tallio{Current,Stored,Sent}<hash>.archive".
    static std::string sessionsFilePath(const std::string& key);
    static std::string currentSessionFilePath(const std::string& key);
    static std::string sessionSentFilePath(const std::string& key);

    // --- Instance operations ---
    // A new session started now, saved at once.
    static std::shared_ptr<TallioSession> initWithAPIKey(const std::string& key, const std::string& appVersion);

    // Counts the event while fewer than 100 names are held, and logs it while logging is on and fewer
    // than 1000 records are held; else marks the log incomplete. `parameters`: a dictionary or null.
    void recordEvent(const std::string& name, const fnd::Value& parameters = fnd::Value());
    // Error records: the exception as "<type>: <what>" ("nil" when none), the error as "<description>:
    // <failure reason>" ("nil" when none), or the text as given.
    void recordError(const std::string& errorId, const std::string& message, std::exception_ptr exception);
    void recordError(const std::string& errorId, const std::string& message, const fnd::Error* error);
    void recordErrorText(const std::string& errorId, const std::string& message, const std::string& exceptionText);
    // Adds the impression, or replaces it in place when this very object is already in the log.
    void recordAdImpression(const std::shared_ptr<TallioAdImpression>& impression);
    // Ends the session: end time now, joins the stored sessions, its current-session file goes, and
    // with reports on close the stored sessions are sent (close mode). The context's current session
    // is released.
    void endSession(TallioContext& context);

    // Counts a page view unless the last counted one (process-wide, kept by the context) was at most
    // 0.3 s ago on fnd::Clock; the count is saved with the session's next change. Takes the lock. Without
    // a context (its own, for the first form) nothing is counted.
    void maybeIncrementPageView();
    void maybeIncrementPageView(TallioContext& context);
    static constexpr double kPageViewInterval = 0.3;
    // Milliseconds from start to end: the difference of the two dates, truncated (of the two millisecond
    // times for a session an earlier build archived without its dates); -1 while the session has no end.
    int64_t sessionLength() const;
    // Archives the session to the current-session file now (atomically: the earlier file stays whole
    // until the new one replaces it).
    void saveToDisk();

    const std::string& apiKey() const { return apiKey_; }
    const std::string& appVersion() const { return appVersion_; }
    void setAppVersion(std::string version) { appVersion_ = std::move(version); }
    std::string userID() const { return userID_.value_or(""); }
    void setUserID(std::optional<std::string> id) { userID_ = std::move(id); }
    int64_t startTime() const { return startTime_; }
    std::optional<int64_t> endTime() const { return endTime_; }
    // When the session started, exactly (none for a session an earlier build archived).
    std::optional<fnd::Date> startDate() const { return startDate_; }
    bool crashed() const { return crashed_; }
    void setCrashed(bool crashed) { crashed_ = crashed; }
    int pageViewCount() const { return pageViewCount_; }
    void setPageViewCount(int count) { pageViewCount_ = count; }
    bool internetAvailable() const { return internetAvailable_; }
    void setInternetAvailable(bool available) { internetAvailable_ = available; }
    bool eventLoggingEnabled() const { return eventLoggingEnabled_; }
    void setEventLoggingEnabled(bool on) { eventLoggingEnabled_ = on; }
    bool sessionReportsOnCloseEnabled() const { return sessionReportsOnCloseEnabled_; }
    void setSessionReportsOnCloseEnabled(bool on) { sessionReportsOnCloseEnabled_ = on; }
    // Ignored: the location fields stay 0.
    void setLocation(const fnd::Value&) {}

    const std::vector<std::pair<std::string, int>>& eventCounts() const { return eventCounts_; }
    const std::vector<TallioEvent>& eventLog() const { return eventLog_; }
    bool eventLogComplete() const { return eventLogComplete_; }
    const std::vector<TallioErrorRecord>& errors() const { return errors_; }
    int totalErrorCount() const { return totalErrorCount_; }
    const std::vector<std::shared_ptr<TallioAdImpression>>& adLog() const { return adLog_; }
    const std::string& locale() const { return locale_; }
    const std::string& timeZone() const { return timeZone_; }

    // --- The report (big-endian writers appending to `data`) ---
    static void appendBoolean(int8_t value, fnd::Bytes& data);
    static void appendByte(int8_t value, fnd::Bytes& data);
    static void appendUshort(uint16_t value, fnd::Bytes& data);
    static void appendInt(int32_t value, fnd::Bytes& data);
    static void appendLong(int64_t value, fnd::Bytes& data);
    static void appendFloat(float value, fnd::Bytes& data);
    static void appendDouble(double value, fnd::Bytes& data);
    static void appendTimestamp(fnd::Date date, fnd::Bytes& data);
    static void appendString(const std::string& text, fnd::Bytes& data);
    static void appendTinyData(const fnd::Bytes& bytes, fnd::Bytes& data);
    // The text cut to at most 255 UTF-16 units, never through a surrogate pair.
    static std::string limitStringLength(const std::string& text);
    // Milliseconds since 1970, truncated toward zero.
    static int64_t millisSince1970(fnd::Date date);
    // The milliseconds of an interval in seconds, truncated toward zero.
    static int64_t millisOf(double seconds);

    // The session block.
    fnd::Bytes data() const;
    // The whole report over `sessions`; a session whose block fails is left out and not counted. The
    // first two are entry points on the installed context (empty without one).
    static fnd::Bytes dataForSessions(const TallioSessions& sessions, bool requestAds);
    static fnd::Bytes dataForSessions(const TallioSessions& sessions);
    static fnd::Bytes dataForSessions(TallioContext& context, const TallioSessions& sessions, bool requestAds);
    // The device dictionary of the report, in its order.
    static std::vector<std::pair<std::string, std::string>> deviceDictionary(TallioContext& context);

    // --- Archives ---
    // The session as a dictionary ("v" 1 names the layout; see the file's comment), and back: every
    // key's kind is checked; nothing is logged.
    fnd::Value archive() const;
    static fnd::Result<std::shared_ptr<TallioSession>> unarchive(const fnd::Value& value);
    // Whole archive files: the current session, and the stored list.
    static fnd::Result<std::shared_ptr<TallioSession>> readSessionArchive(const fnd::Bytes& bytes);
    static fnd::Result<TallioSessions> readStoredArchive(const fnd::Bytes& bytes);
    static fnd::Bytes storedArchive(const TallioSessions& sessions);

    TallioSession() = default;

private:
    // A record changed the session: archived kSaveDelay seconds later on the main loop, under its
    // context's lock; at once when it has no context (nothing else would take it).
    void saveSoon();
    // Queues the report of the stored sessions (TallioContext::startUpload); its header names `header`, or
    // the current session when null.
    static void queueReport(TallioContext& context, bool closeMode, std::shared_ptr<TallioSession> header);
    // On the pool's worker: builds the report and hands it to the sender; `hold` goes with the reply's
    // handling.
    static void sendReport(TallioContext& context, bool closeMode, std::shared_ptr<TallioSession> header,
                           TallioContext::UploadHold hold);
    // The reply (null: none came) of a report that carried the first `carried` stored sessions.
    static void reportAnswered(TallioContext& context, bool closeMode, size_t carried, int counted,
                               const ReportReply* reply);
    static fnd::Bytes buildReport(TallioContext& context, const TallioSessions& sessions, bool requestAds,
                                  const std::shared_ptr<TallioSession>& header, int* counted);

    std::weak_ptr<TallioContext> context_;
    int64_t startTime_ = 0; // milliseconds since 1970, as reported
    std::optional<int64_t> endTime_;
    // The exact dates lengths are measured between; an archive of an earlier build holds only the
    // milliseconds above.
    std::optional<fnd::Date> startDate_;
    std::optional<fnd::Date> endDate_;
    bool crashed_ = false;
    std::string apiKey_;
    std::string appVersion_;
    std::optional<std::string> userID_;
    std::vector<std::pair<std::string, int>> eventCounts_;
    std::vector<TallioEvent> eventLog_;
    bool eventLogComplete_ = true;
    std::vector<TallioErrorRecord> errors_;
    int totalErrorCount_ = 0;
    std::vector<std::shared_ptr<TallioAdImpression>> adLog_;
    bool eventLoggingEnabled_ = false;
    bool sessionReportsOnCloseEnabled_ = false;
    int pageViewCount_ = 0;
    std::string locale_;
    std::string timeZone_;
    bool internetAvailable_ = false;
    // A record is waiting for the delayed archive.
    bool dirty_ = false;
    fnd::PerformHandle pendingSave_;
};

} // namespace zelvan::tallio
