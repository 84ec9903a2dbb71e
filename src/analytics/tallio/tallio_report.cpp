// The binary session report: big-endian value writers, the session block and the whole report with
// its header and device dictionary.
#include <bit>
#include <cmath>

#include "analytics/tallio/tallio_ad_impression.h"
#include "analytics/tallio/tallio_api.h"
#include "analytics/tallio/tallio_context.h"
#include "analytics/tallio/tallio_session.h"
#include "platform/device/device.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/utf16.h"

namespace zelvan::tallio {

namespace {

template <class U>
void appendBigEndian(U value, fnd::Bytes& data) {
    for (int shift = static_cast<int>(sizeof(U) * 8) - 8; shift >= 0; shift -= 8) {
        data.push_back(static_cast<uint8_t>(value >> shift));
    }
}

} // namespace

void TallioSession::appendBoolean(int8_t value, fnd::Bytes& data) {
    data.push_back(static_cast<uint8_t>(value));
}

void TallioSession::appendByte(int8_t value, fnd::Bytes& data) {
    data.push_back(static_cast<uint8_t>(value));
}

void TallioSession::appendUshort(uint16_t value, fnd::Bytes& data) {
    appendBigEndian(value, data);
}

void TallioSession::appendInt(int32_t value, fnd::Bytes& data) {
    appendBigEndian(static_cast<uint32_t>(value), data);
}

void TallioSession::appendLong(int64_t value, fnd::Bytes& data) {
    appendBigEndian(static_cast<uint64_t>(value), data);
}

void TallioSession::appendFloat(float value, fnd::Bytes& data) {
    appendBigEndian(std::bit_cast<uint32_t>(value), data);
}

void TallioSession::appendDouble(double value, fnd::Bytes& data) {
    appendBigEndian(std::bit_cast<uint64_t>(value), data);
}

int64_t TallioSession::millisSince1970(fnd::Date date) {
    return millisOf(date.since1970());
}

int64_t TallioSession::millisOf(double seconds) {
    const double ms = std::trunc(seconds * 1000.0);
    // Saturate rather than overflow for dates no clock gives.
    if (!(ms > -9.2e18)) {
        return ms != ms ? 0 : INT64_MIN;
    }
    return ms < 9.2e18 ? static_cast<int64_t>(ms) : INT64_MAX;
}

void TallioSession::appendTimestamp(fnd::Date date, fnd::Bytes& data) {
    appendLong(millisSince1970(date), data);
}

std::string TallioSession::limitStringLength(const std::string& text) {
    if (fnd::utf16Length(text) < 256) {
        return text;
    }
    // At most 255 units, and never half of a surrogate pair (it has no UTF-8 form).
    return fnd::utf16SubstringSafe(text, fnd::Range{0, 255});
}

void TallioSession::appendString(const std::string& text, fnd::Bytes& data) {
    const std::string cut = limitStringLength(text);
    appendUshort(static_cast<uint16_t>(cut.size()), data);
    fnd::append(data, cut);
}

void TallioSession::appendTinyData(const fnd::Bytes& bytes, fnd::Bytes& data) {
    const size_t n = bytes.size() % 256;
    data.push_back(static_cast<uint8_t>(n));
    data.insert(data.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}

fnd::Bytes TallioSession::data() const {
    fnd::Bytes out;
    appendString(appVersion_, out);
    appendLong(startTime_, out);
    appendLong(sessionLength(), out);
    appendString(locale_, out);
    appendString(timeZone_, out);
    appendBoolean(internetAvailable_ ? 1 : 0, out);
    appendString(userID(), out);
    appendByte(1, out);
    appendDouble(0.0, out); // latitude
    appendDouble(0.0, out); // longitude
    appendFloat(0.0F, out); // accuracy
    appendInt(pageViewCount_, out);
    appendBoolean(-1, out);
    appendUshort(static_cast<uint16_t>(eventCounts_.size()), out);
    for (const auto& [name, count] : eventCounts_) {
        appendString(name, out);
        appendInt(count, out);
    }
    appendUshort(static_cast<uint16_t>(eventLog_.size()), out);
    for (const auto& event : eventLog_) {
        appendString(event.name, out);
        const size_t count = event.parameters ? event.parameters->size() : 0;
        appendUshort(static_cast<uint16_t>(count), out);
        if (event.parameters) {
            for (const auto& [key, value] : *event.parameters) {
                appendString(key, out);
                appendString(value, out);
            }
        }
    }
    appendBoolean(eventLogComplete_ ? 1 : 0, out);
    appendInt(totalErrorCount_, out);
    appendUshort(static_cast<uint16_t>(errors_.size()), out);
    for (const auto& error : errors_) {
        appendLong(error.time, out);
        appendString(error.errorId, out);
        appendString(error.message, out);
        appendString(error.exception, out);
    }
    appendUshort(static_cast<uint16_t>(adLog_.size()), out);
    for (const auto& impression : adLog_) {
        fnd::append(out, impression->data());
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> TallioSession::deviceDictionary(TallioContext& context) {
    std::vector<std::pair<std::string, std::string>> entries{
        {"device.model.1", devicePlatform()},
        {"device.os.version", device::Device::current().systemVersion()},
    };
    if (!sentSession(context)) {
        for (auto& entry : iTunesMetadataPlist()) {
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

fnd::Bytes TallioSession::buildReport(TallioContext& context, const TallioSessions& sessions, bool requestAds,
                                      const std::shared_ptr<TallioSession>& header, int* counted) {
    fnd::Bytes out;
    appendUshort(9, out);
    appendUshort(requestAds ? 1 : 0, out);
    appendUshort(2, out);
    appendUshort(14, out);
    appendTimestamp(fnd::Clock::now(), out);
    appendString(header ? header->apiKey() : context.apiKey(), out);
    appendString(header ? header->appVersion() : std::string(), out);
    appendString(phoneId(), out);
    appendTimestamp(initialTimestamp(), out);
    if (header) {
        appendLong(header->startTime(), out);
    } else {
        appendTimestamp(fnd::Clock::now(), out);
    }
    const auto device = deviceDictionary(context);
    appendUshort(static_cast<uint16_t>(device.size()), out);
    for (const auto& [key, value] : device) {
        appendString(key, out);
        appendString(value, out);
    }
    // Each block is built apart: one that fails is left out and not counted.
    fnd::Bytes blocks;
    int count = 0;
    for (const auto& session : sessions) {
        try {
            if (!session) {
                continue;
            }
            fnd::append(blocks, session->data());
            ++count;
        } catch (...) {
            TallioAPI::handleException(std::current_exception());
        }
    }
    appendUshort(static_cast<uint16_t>(count), out);
    fnd::append(out, blocks);
    if (counted) {
        *counted = count;
    }
    return out;
}

fnd::Bytes TallioSession::dataForSessions(TallioContext& context, const TallioSessions& sessions, bool requestAds) {
    std::lock_guard guard(context.lock());
    return buildReport(context, sessions, requestAds, context.currentSession(), nullptr);
}

} // namespace zelvan::tallio
