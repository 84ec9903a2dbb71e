// TallioSession's lifecycle: the current session and its records within their caps, the stored
// sessions, the sent marker and the first start's timestamp in the Library folder, and the report's
// delivery to the analytics data server.
#include "analytics/tallio/tallio_session.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "analytics/tallio/tallio_ad_parser.h"
#include "analytics/tallio/tallio_context.h"
#include "analytics/tallio/tallio_log.h"
#include "platform/device/device.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/format.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/string_ops.h"
#include "protocol/tagged_codec.h"
#include "protocol/tracer.h"

namespace zelvan::tallio {

namespace {

// The report's 16-bit session count bounds how many sessions one report carries.
constexpr size_t kMaxSessionsPerReport = 65535;

std::string libraryFile(const std::string& name) {
    const std::string folder = fnd::AppFolders::library();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder + "/" + name;
}

std::string hashText(const std::string& key) {
    return fnd::format("%d", static_cast<int32_t>(fnd::stableHash32(key)));
}

// A file that cannot be read back is renamed so it cannot stop every later start, with one line.
void moveAside(const std::string& path, const fnd::Error& error) {
    std::error_code ec;
    std::filesystem::rename(path, path + ".damaged", ec);
    ZLOG_TO(kTallioLog, Warn, "tallio: unreadable archive %s moved aside (%s)", path, error.localizedDescription());
}

int64_t nowMillis() {
    return TallioSession::millisSince1970(fnd::Clock::now());
}

} // namespace

// --- Paths, markers, device facts ---

std::string TallioSession::sessionsFilePath(const std::string& key) {
    return libraryFile("tallioStored" + hashText(key) + ".archive");
}

std::string TallioSession::currentSessionFilePath(const std::string& key) {
    return libraryFile("tallioCurrent" + hashText(key) + ".archive");
}

std::string TallioSession::sessionSentFilePath(const std::string& key) {
    return libraryFile("tallioSent" + hashText(key) + ".archive");
}

bool TallioSession::sentSession(TallioContext& context) {
    std::error_code ec;
    return std::filesystem::exists(sessionSentFilePath(context.apiKey()), ec);
}

void TallioSession::setSentSession(TallioContext& context) {
    if (!sentSession(context)) {
        fnd::writeFile(sessionSentFilePath(context.apiKey()), {});
    }
}

fnd::Date TallioSession::initialTimestamp() {
    const std::string path = libraryFile("initialTimestamp.archive");
    if (auto bytes = fnd::readFile(path)) {
        auto value = loads(*bytes);
        if (value.ok()) {
            auto dict = value.value().asDictionary();
            const fnd::Value* date = dict ? dict->find("date") : nullptr;
            if (date && date->isInt()) {
                return fnd::Date::fromUnixMs(*date->asInt());
            }
        }
    }
    const fnd::Date now = fnd::Clock::now();
    fnd::writeFile(path, dumps(fnd::Value::dictionary({{"v", 1}, {"date", millisSince1970(now)}})));
    return fnd::Date::fromUnixMs(millisSince1970(now));
}

std::string TallioSession::phoneId() {
    return fnd::format("IPHONE%@", device::Device::current().uniqueIdentifier());
}

std::string TallioSession::devicePlatform() {
    return device::Device::current().machine();
}

std::vector<std::pair<std::string, std::string>> TallioSession::iTunesMetadataPlist() {
    const std::string bundle = fnd::Bundle::main().bundlePath();
    const std::string path = std::filesystem::path(bundle).parent_path().string() + "/iTunesMetadata.plist";
    auto bytes = fnd::readFile(path);
    if (!bytes) {
        return {};
    }
    auto plist = fnd::PropertyList::read(*bytes);
    std::shared_ptr<fnd::Dictionary> dict = plist.ok() ? plist.value().asDictionary() : nullptr;
    if (!dict) {
        ZLOG_TO(kTallioLog, Warn, "tallio: %s is not a readable dictionary; its store entries stay empty", path);
        dict = fnd::Dictionary::make();
    }
    auto text = [](const fnd::Dictionary* from, const char* key) {
        const fnd::Value* value = from ? from->find(key) : nullptr;
        return value && !value->isNull() ? value->stringValue() : std::string();
    };
    auto downloadInfo = dict->objectForKey("com.apple.iTunesStore.downloadInfo").asDictionary();
    return {{"store.id", text(dict.get(), "itemId")},
            {"pur.date", text(downloadInfo.get(), "purchaseDate")},
            {"pur.price", text(dict.get(), "price")},
            {"rel.date", text(dict.get(), "releaseDate")}};
}

// --- Stored sessions ---

TallioSessions TallioSession::savedSessions(TallioContext& context) {
    std::lock_guard guard(context.lock());
    const std::string path = sessionsFilePath(context.apiKey());
    auto bytes = fnd::readFile(path);
    if (!bytes) {
        return {};
    }
    auto sessions = readStoredArchive(*bytes);
    if (!sessions.ok()) {
        moveAside(path, sessions.error());
        return {};
    }
    return std::move(sessions).value();
}

void TallioSession::setSavedSessions(TallioContext& context, const TallioSessions& sessions) {
    std::lock_guard guard(context.lock());
    fnd::writeFile(sessionsFilePath(context.apiKey()), storedArchive(sessions));
}

void TallioSession::addToSavedSessions(TallioContext& context, const std::shared_ptr<TallioSession>& session) {
    std::lock_guard guard(context.lock());
    auto sessions = savedSessions(context);
    sessions.push_back(session);
    setSavedSessions(context, sessions);
}

// --- Start and end ---

std::shared_ptr<TallioSession> TallioSession::createActiveTallioSession(TallioContext& context,
                                                                        const std::string& key) {
    std::lock_guard guard(context.lock());
    context.setApiKey(key);
    const std::string path = currentSessionFilePath(key);
    if (auto bytes = fnd::readFile(path)) {
        auto previous = readSessionArchive(*bytes);
        if (previous.ok()) {
            // The previous run never ended: its session is reported as crashed.
            previous.value()->setCrashed(true);
            addToSavedSessions(context, previous.value());
        } else {
            moveAside(path, previous.error());
        }
    }
    auto session = initWithAPIKey(key, fnd::Bundle::main().objectForInfoDictionaryKey("CFBundleVersion").stringValue());
    session->context_ = context.weak_from_this();
    context.setCurrentSession(session);
    return session;
}

std::shared_ptr<TallioSession> TallioSession::initWithAPIKey(const std::string& key, const std::string& appVersion) {
    auto session = std::make_shared<TallioSession>();
    const fnd::Date now = fnd::Clock::now();
    session->startDate_ = now;
    session->startTime_ = millisSince1970(now);
    session->apiKey_ = key;
    session->appVersion_ = appVersion;
    session->eventLogComplete_ = true;
    session->eventLoggingEnabled_ = true;
    session->sessionReportsOnCloseEnabled_ = false;
    session->locale_ = fnd::Locale::current().identifier();
    session->timeZone_ = fnd::TimeZone::local().name();
    session->internetAvailable_ = true;
    session->saveToDisk();
    return session;
}

void TallioSession::endSession(TallioContext& context) {
    bool reportNow = false;
    {
        std::lock_guard guard(context.lock());
        if (endTime_) {
            return; // ended already
        }
        const fnd::Date now = fnd::Clock::now();
        endDate_ = now;
        endTime_ = millisSince1970(now);
        // The stored list takes the whole session; no delayed archive follows.
        dirty_ = false;
        pendingSave_.cancel();
        addToSavedSessions(context, shared_from_this());
        reportNow = sessionReportsOnCloseEnabled_;
        // The current-session file is the current session's; another session ending leaves it alone.
        if (context.currentSession().get() == this) {
            std::error_code ec;
            std::filesystem::remove(currentSessionFilePath(apiKey_), ec);
            context.setCurrentSession(nullptr);
        }
    }
    // The report on close is queued; its header still names this session.
    if (reportNow) {
        queueReport(context, true, shared_from_this());
    }
}

void TallioSession::endCurrentSession(TallioContext& context) {
    std::shared_ptr<TallioSession> session;
    {
        std::lock_guard guard(context.lock());
        session = context.currentSession();
    }
    if (session) {
        session->endSession(context);
    }
}

// --- Records ---

void TallioSession::recordEvent(const std::string& name, const fnd::Value& parameters) {
    bool changed = false;
    if (eventCounts_.size() < static_cast<size_t>(MAX_EVENT_COUNTS)) {
        auto held = std::find_if(eventCounts_.begin(), eventCounts_.end(),
                                 [&](const auto& entry) { return entry.first == name; });
        if (held != eventCounts_.end()) {
            ++held->second;
        } else {
            eventCounts_.emplace_back(name, 1);
        }
        changed = true;
    }
    if (eventLoggingEnabled_ && eventLog_.size() < static_cast<size_t>(MAX_EVENT_LOG_COUNT)) {
        TallioEvent event{name, std::nullopt};
        if (auto dict = parameters.asDictionary()) {
            event.parameters.emplace();
            for (const auto& [key, value] : *dict) {
                event.parameters->emplace_back(key.text(), value.description());
            }
        }
        eventLog_.push_back(std::move(event));
        changed = true;
    } else if (eventLogComplete_) {
        eventLogComplete_ = false;
        changed = true;
    }
    // At both caps an event changes nothing, and nothing is written.
    if (changed) {
        saveSoon();
    }
}

void TallioSession::recordError(const std::string& errorId, const std::string& message, std::exception_ptr exception) {
    std::string text = "nil";
    if (exception) {
        try {
            std::rethrow_exception(exception);
        } catch (const std::exception& e) {
            text = exceptionTypeName(e) + ": " + e.what();
        } catch (...) {
            text = "unknown exception: no description";
        }
    }
    recordErrorText(errorId, message, text);
}

void TallioSession::recordError(const std::string& errorId, const std::string& message, const fnd::Error* error) {
    recordErrorText(errorId, message,
                    error ? error->localizedDescription() + ": " + error->localizedFailureReason() : "nil");
}

void TallioSession::recordErrorText(const std::string& errorId, const std::string& message,
                                    const std::string& exceptionText) {
    ++totalErrorCount_;
    if (errors_.size() < static_cast<size_t>(MAX_ERRORS)) {
        errors_.push_back(TallioErrorRecord{nowMillis(), errorId, message, exceptionText});
        saveToDisk();
    }
}

void TallioSession::recordAdImpression(const std::shared_ptr<TallioAdImpression>& impression) {
    if (!impression || adLog_.size() >= static_cast<size_t>(MAX_IMPRESSIONS)) {
        return;
    }
    auto held = std::find(adLog_.begin(), adLog_.end(), impression);
    if (held == adLog_.end()) {
        adLog_.push_back(impression);
    }
    saveSoon();
}

void TallioSession::maybeIncrementPageView() {
    if (auto ctx = context_.lock()) {
        maybeIncrementPageView(*ctx);
    }
}

void TallioSession::maybeIncrementPageView(TallioContext& context) {
    std::lock_guard guard(context.lock());
    const fnd::Date now = fnd::Clock::now();
    if (context.lastPageView && now.timeIntervalSinceDate(*context.lastPageView) <= kPageViewInterval) {
        return;
    }
    ++pageViewCount_;
    context.lastPageView = now;
}

int64_t TallioSession::sessionLength() const {
    if (!endTime_) {
        return -1;
    }
    return startDate_ && endDate_ ? millisOf(endDate_->timeIntervalSinceDate(*startDate_)) : *endTime_ - startTime_;
}

void TallioSession::saveToDisk() {
    dirty_ = false;
    fnd::writeFile(currentSessionFilePath(apiKey_), dumps(archive()));
}

void TallioSession::saveSoon() {
    dirty_ = true;
    if (pendingSave_.isPending()) {
        return;
    }
    if (!context_.lock()) {
        saveToDisk();
        return;
    }
    std::weak_ptr<TallioSession> weakSession = weak_from_this();
    std::weak_ptr<TallioContext> weakContext = context_;
    pendingSave_ = fnd::RunLoop::main().performAfter(kSaveDelay, [weakSession, weakContext] {
        auto session = weakSession.lock();
        auto context = weakContext.lock();
        if (!session || !context) {
            return;
        }
        std::lock_guard guard(context->lock());
        if (session->dirty_ && !session->endTime_) {
            session->saveToDisk();
        }
    });
}

// --- Delivery ---

void TallioSession::sendSessionsToServerWithTimeout(TallioContext& context, bool closeMode) {
    queueReport(context, closeMode, nullptr);
}

void TallioSession::queueReport(TallioContext& context, bool closeMode, std::shared_ptr<TallioSession> header) {
    context.startUpload([&context, closeMode, header = std::move(header)](TallioContext::UploadHold hold) mutable {
        sendReport(context, closeMode, std::move(header), std::move(hold));
    });
}

void TallioSession::sendReport(TallioContext& context, bool closeMode, std::shared_ptr<TallioSession> header,
                               TallioContext::UploadHold hold) {
    TallioSessions sessions;
    fnd::Bytes body;
    int counted = 0;
    {
        std::lock_guard guard(context.lock());
        sessions = savedSessions(context);
        if (sessions.size() > kMaxSessionsPerReport) {
            sessions.resize(kMaxSessionsPerReport);
        }
        if (!header) {
            header = context.currentSession();
        }
        body = buildReport(context, sessions, !closeMode, header, &counted);
    }
    const std::string url = context.serverURL();
    auto sender = context.sender();
    if (url.empty() || !sender) {
        reportAnswered(context, closeMode, sessions.size(), counted, nullptr);
        return;
    }
    sender->send("POST", url, body, {{"Content-Type", "application/octet-stream"}}, closeMode ? 5.0 : 20.0,
                 [&context, closeMode, carried = sessions.size(), counted,
                  hold = std::move(hold)](fnd::Result<ReportReply> reply) {
                     reportAnswered(context, closeMode, carried, counted, reply ? &reply.value() : nullptr);
                 });
}

void TallioSession::reportAnswered(TallioContext& context, bool closeMode, size_t carried, int counted,
                                   const ReportReply* reply) {
    context.setLastReport({reply ? reply->status : 0, counted, closeMode});
    if (closeMode) {
        return; // the reply is not examined; the stored sessions stay stored
    }
    const bool delivered = reply && reply->status >= 200 && reply->status <= 399;
    {
        std::lock_guard guard(context.lock());
        if (auto current = context.currentSession()) {
            current->setInternetAvailable(delivered);
        }
        if (delivered) {
            // Only the sessions this report carried leave the list: a session stored meanwhile (the
            // run ending during the upload) was appended after them and stays for the next report.
            auto stored = savedSessions(context);
            stored.erase(stored.begin(),
                         stored.begin() + static_cast<std::ptrdiff_t>(std::min(stored.size(), carried)));
            setSavedSessions(context, stored);
            setSentSession(context);
        }
    }
    if (auto parser = context.adParser(); delivered && parser) {
        parser->parseData(reply->body);
    }
}

} // namespace zelvan::tallio
