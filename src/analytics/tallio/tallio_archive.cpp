// The archived form of sessions and impressions: dictionaries of plain values in the tagged value codec,
// times as int64 milliseconds since 1970 (a session's start and end also exactly, as the bits of their
// seconds since 2001), flags as 0/1, "v" 1 naming the layout. Reading checks every key's kind and the
// session's caps, and returns an error instead of a partial session.
#include <bit>
#include <cmath>
#include <limits>

#include "analytics/tallio/tallio_ad_impression.h"
#include "analytics/tallio/tallio_session.h"
#include "platform/foundation/parse_error.h"
#include "protocol/tagged_codec.h"

namespace zelvan::tallio {

namespace {

constexpr int64_t kLayout = 1;

fnd::Error fault(const std::string& reason) {
    return fnd::parseError(fnd::kParseMalformed, 0, "tallio archive: " + reason);
}

// Typed readers of one dictionary's keys; each fails with a reason naming the key.
class Reader {
public:
    explicit Reader(const fnd::Value& value) : dict_(value.asDictionary()) {}
    bool ok() const { return dict_ != nullptr; }

    const fnd::Value* find(const char* key) const { return dict_->find(key); }

    bool integer(const char* key, int64_t& out, int64_t min = std::numeric_limits<int64_t>::min(),
                 int64_t max = std::numeric_limits<int64_t>::max()) {
        const fnd::Value* v = find(key);
        if (!v || !v->isInt() || *v->asInt() < min || *v->asInt() > max) {
            return fail(key);
        }
        out = *v->asInt();
        return true;
    }
    bool int32(const char* key, int& out) {
        int64_t v = 0;
        if (!integer(key, v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max())) {
            return false;
        }
        out = static_cast<int>(v);
        return true;
    }
    bool flag(const char* key, bool& out) {
        int64_t v = 0;
        if (!integer(key, v, 0, 1)) {
            return false;
        }
        out = v == 1;
        return true;
    }
    // A date archived as the bits of its seconds since 2001; any finite value.
    bool date(const char* key, std::optional<fnd::Date>& out) {
        int64_t bits = 0;
        if (!integer(key, bits) || !std::isfinite(std::bit_cast<double>(bits))) {
            return fail(key);
        }
        out = fnd::Date(std::bit_cast<double>(bits));
        return true;
    }
    bool text(const char* key, std::string& out) {
        const fnd::Value* v = find(key);
        if (!v || !v->isString()) {
            return fail(key);
        }
        out = *v->asString();
        return true;
    }
    std::shared_ptr<fnd::Array> array(const char* key, size_t maxCount) {
        const fnd::Value* v = find(key);
        auto a = v ? v->asArray() : nullptr;
        if (!a || a->count() > maxCount) {
            fail(key);
            return nullptr;
        }
        return a;
    }
    bool fail(const char* key) {
        if (failedKey_.empty()) {
            failedKey_ = key;
        }
        return false;
    }
    fnd::Error error() const { return fault(failedKey_.empty() ? "not a dictionary" : "bad \"" + failedKey_ + "\""); }

private:
    std::shared_ptr<fnd::Dictionary> dict_;
    std::string failedKey_;
};

int64_t dateBits(fnd::Date date) {
    return std::bit_cast<int64_t>(date.sinceReferenceDate());
}

const std::string* textAt(const fnd::Array& array, size_t i) {
    return i < array.count() ? array.objectAtIndex(i).asString() : nullptr;
}

} // namespace

fnd::Value TallioAdImpression::archive() const {
    return fnd::Value::dictionary({{"timeIntervalSinceSessionStart", timeIntervalSinceSessionStart_},
                                   {"hook", hook_},
                                   {"adId", adId_},
                                   {"canvasId", canvasId_},
                                   {"adCookie", adCookie_},
                                   {"adResult", adResult_}});
}

fnd::Result<std::shared_ptr<TallioAdImpression>> TallioAdImpression::unarchive(const fnd::Value& value) {
    Reader r(value);
    if (!r.ok()) {
        return r.error();
    }
    int64_t interval = 0;
    std::string hook;
    auto impression = std::shared_ptr<TallioAdImpression>();
    int64_t adId = 0;
    int64_t canvasId = 0;
    int result = 0;
    if (!r.integer("timeIntervalSinceSessionStart", interval) || !r.text("hook", hook) || !r.integer("adId", adId) ||
        !r.integer("canvasId", canvasId) || !r.int32("adResult", result)) {
        return r.error();
    }
    const fnd::Value* cookie = r.find("adCookie");
    if (!cookie || !(cookie->isData() || cookie->isNull())) {
        r.fail("adCookie");
        return r.error();
    }
    impression = make(interval, std::move(hook));
    impression->adId_ = adId;
    impression->canvasId_ = canvasId;
    impression->adResult_ = result;
    if (const fnd::Bytes* bytes = cookie->asData()) {
        impression->adCookie_ = *bytes;
    }
    return impression;
}

fnd::Value TallioSession::archive() const {
    auto dict = fnd::Dictionary::make();
    dict->setObject(kLayout, "v");
    dict->setObject(startTime_, "startTime");
    if (endTime_) {
        dict->setObject(*endTime_, "endTime");
    }
    if (startDate_) {
        dict->setObject(dateBits(*startDate_), "startDate");
    }
    if (endDate_) {
        dict->setObject(dateBits(*endDate_), "endDate");
    }
    auto counts = fnd::Array::make();
    for (const auto& [name, count] : eventCounts_) {
        counts->addObject(fnd::Value::array({name, count}));
    }
    dict->setObject(counts, "eventCounts");
    auto log = fnd::Array::make();
    for (const auto& event : eventLog_) {
        auto record = fnd::Dictionary::make({{"name", event.name}});
        if (event.parameters) {
            auto parameters = fnd::Array::make();
            for (const auto& [key, value] : *event.parameters) {
                parameters->addObject(fnd::Value::array({key, value}));
            }
            record->setObject(parameters, "parameters");
        }
        log->addObject(record);
    }
    dict->setObject(log, "eventLog");
    dict->setObject(eventLogComplete_ ? 1 : 0, "eventLogComplete");
    auto errors = fnd::Array::make();
    for (const auto& error : errors_) {
        errors->addObject(fnd::Value::array({error.time, error.errorId, error.message, error.exception}));
    }
    dict->setObject(errors, "errors");
    dict->setObject(totalErrorCount_, "totalErrorCount");
    auto ads = fnd::Array::make();
    for (const auto& impression : adLog_) {
        ads->addObject(impression->archive());
    }
    dict->setObject(ads, "adLog");
    dict->setObject(0, "latitude");
    dict->setObject(0, "longitude");
    dict->setObject(0, "accuracy");
    dict->setObject(crashed_ ? 1 : 0, "crashed");
    dict->setObject(apiKey_, "apiKey");
    dict->setObject(appVersion_, "appVersion");
    if (userID_) {
        dict->setObject(*userID_, "userID");
    }
    dict->setObject(pageViewCount_, "pageViewCount");
    dict->setObject(locale_, "locale");
    dict->setObject(timeZone_, "timeZone");
    dict->setObject(internetAvailable_ ? 1 : 0, "internetAvailable");
    return dict;
}

fnd::Result<std::shared_ptr<TallioSession>> TallioSession::unarchive(const fnd::Value& value) {
    Reader r(value);
    if (!r.ok()) {
        return r.error();
    }
    auto s = std::make_shared<TallioSession>();
    int64_t layout = 0;
    int64_t unused = 0;
    if (!r.integer("v", layout, kLayout, kLayout) || !r.integer("startTime", s->startTime_) ||
        !r.flag("eventLogComplete", s->eventLogComplete_) || !r.int32("totalErrorCount", s->totalErrorCount_) ||
        !r.integer("latitude", unused) || !r.integer("longitude", unused) || !r.integer("accuracy", unused) ||
        !r.flag("crashed", s->crashed_) || !r.text("apiKey", s->apiKey_) || !r.text("appVersion", s->appVersion_) ||
        !r.int32("pageViewCount", s->pageViewCount_) || !r.text("locale", s->locale_) ||
        !r.text("timeZone", s->timeZone_) || !r.flag("internetAvailable", s->internetAvailable_)) {
        return r.error();
    }
    if (r.find("endTime")) {
        int64_t end = 0;
        if (!r.integer("endTime", end)) {
            return r.error();
        }
        s->endTime_ = end;
    }
    // The exact dates, absent from an earlier build's archives.
    if ((r.find("startDate") && !r.date("startDate", s->startDate_)) ||
        (r.find("endDate") && !r.date("endDate", s->endDate_))) {
        return r.error();
    }
    if (r.find("userID")) {
        std::string id;
        if (!r.text("userID", id)) {
            return r.error();
        }
        s->userID_ = std::move(id);
    }
    auto counts = r.array("eventCounts", MAX_EVENT_COUNTS);
    auto log = r.array("eventLog", MAX_EVENT_LOG_COUNT);
    auto errors = r.array("errors", MAX_ERRORS);
    auto ads = r.array("adLog", MAX_IMPRESSIONS);
    if (!counts || !log || !errors || !ads) {
        return r.error();
    }
    for (const auto& entry : *counts) {
        auto pair = entry.asArray();
        const std::string* name = pair ? textAt(*pair, 0) : nullptr;
        const fnd::Value* count = pair && pair->count() == 2 ? &pair->objectAtIndex(1) : nullptr;
        if (!name || !count || !count->isInt() || *count->asInt() < std::numeric_limits<int32_t>::min() ||
            *count->asInt() > std::numeric_limits<int32_t>::max()) {
            r.fail("eventCounts");
            return r.error();
        }
        s->eventCounts_.emplace_back(*name, static_cast<int>(*count->asInt()));
    }
    for (const auto& entry : *log) {
        Reader record(entry);
        TallioEvent event;
        if (!record.ok() || !record.text("name", event.name)) {
            r.fail("eventLog");
            return r.error();
        }
        if (record.find("parameters")) {
            auto parameters = record.array("parameters", 65535);
            if (!parameters) {
                r.fail("eventLog");
                return r.error();
            }
            event.parameters.emplace();
            for (const auto& item : *parameters) {
                auto pair = item.asArray();
                const std::string* key = pair && pair->count() == 2 ? textAt(*pair, 0) : nullptr;
                const std::string* text = key ? textAt(*pair, 1) : nullptr;
                if (!text) {
                    r.fail("eventLog");
                    return r.error();
                }
                event.parameters->emplace_back(*key, *text);
            }
        }
        s->eventLog_.push_back(std::move(event));
    }
    for (const auto& entry : *errors) {
        auto record = entry.asArray();
        const fnd::Value* time = record && record->count() == 4 ? &record->objectAtIndex(0) : nullptr;
        const std::string* id = time ? textAt(*record, 1) : nullptr;
        const std::string* message = id ? textAt(*record, 2) : nullptr;
        const std::string* exception = message ? textAt(*record, 3) : nullptr;
        if (!exception || !time->isInt()) {
            r.fail("errors");
            return r.error();
        }
        s->errors_.push_back(TallioErrorRecord{*time->asInt(), *id, *message, *exception});
    }
    for (const auto& entry : *ads) {
        auto impression = TallioAdImpression::unarchive(entry);
        if (!impression.ok()) {
            return impression.error();
        }
        s->adLog_.push_back(std::move(impression).value());
    }
    return s;
}

fnd::Result<std::shared_ptr<TallioSession>> TallioSession::readSessionArchive(const fnd::Bytes& bytes) {
    auto value = loads(bytes);
    if (!value.ok()) {
        return value.error();
    }
    return unarchive(value.value());
}

fnd::Bytes TallioSession::storedArchive(const TallioSessions& sessions) {
    auto list = fnd::Array::make();
    for (const auto& session : sessions) {
        list->addObject(session->archive());
    }
    return dumps(fnd::Value::dictionary({{"v", kLayout}, {"sessions", fnd::Value(list)}}));
}

fnd::Result<TallioSessions> TallioSession::readStoredArchive(const fnd::Bytes& bytes) {
    auto value = loads(bytes);
    if (!value.ok()) {
        return value.error();
    }
    Reader r(value.value());
    int64_t layout = 0;
    if (!r.ok() || !r.integer("v", layout, kLayout, kLayout)) {
        return r.error();
    }
    auto list = r.array("sessions", std::numeric_limits<size_t>::max());
    if (!list) {
        return r.error();
    }
    TallioSessions sessions;
    for (const auto& entry : *list) {
        auto session = unarchive(entry);
        if (!session.ok()) {
            return session.error();
        }
        sessions.push_back(std::move(session).value());
    }
    return sessions;
}

} // namespace zelvan::tallio
