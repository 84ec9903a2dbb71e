// Element reads of received packets with reasons that name the element, and the WARN line of a packet
// that could not be read.
#include "protocol/packet_reader.h"

#include <algorithm>
#include <utility>

#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/parse_error.h"

namespace zelvan {
namespace {

int asIndex(size_t index) {
    return static_cast<int>(std::min<size_t>(index, std::numeric_limits<int>::max()));
}

fnd::Error missing(size_t index) {
    return fnd::parseError(fnd::kParseTruncated, index, fnd::format("element %d missing", asIndex(index)));
}

fnd::Error wrongKind(size_t index, std::string_view kind) {
    return fnd::parseError(fnd::kParseMalformed, index, fnd::format("element %d is not %@", asIndex(index), kind));
}

template <class T>
T orThrow(fnd::Result<T> result) {
    if (!result) {
        throw BadPacket(PacketReader::reasonOf(result.error()));
    }
    return std::move(result).value();
}

} // namespace

PacketReader::PacketReader(fnd::Value packet) : packet_(std::move(packet)), array_(packet_.asArray()) {
    if (array_ == nullptr) {
        array_ = fnd::Array::make();
    }
}

fnd::Result<fnd::Value> PacketReader::element(size_t index) const {
    if (index >= array_->count()) {
        return missing(index);
    }
    return array_->objectAtIndex(index);
}

fnd::Result<int32_t> PacketReader::number(size_t index) const {
    fnd::Value value = TRY(element(index));
    if (!value.isNumber()) {
        return wrongKind(index, "a number");
    }
    return value.intValue();
}

fnd::Result<int64_t> PacketReader::wholeNumber(size_t index) const {
    fnd::Value value = TRY(element(index));
    std::optional<int64_t> whole = value.asInt();
    if (!whole) {
        return wrongKind(index, "a whole number");
    }
    return *whole;
}

fnd::Result<std::string> PacketReader::text(size_t index) const {
    fnd::Value value = TRY(element(index));
    if (!value.isString()) {
        return wrongKind(index, "text");
    }
    return *value.asString();
}

fnd::Result<std::string> PacketReader::textOrNumber(size_t index) const {
    fnd::Value value = TRY(element(index));
    if (!value.isString() && !value.isNumber()) {
        return wrongKind(index, "text");
    }
    return value.stringValue();
}

fnd::Result<PacketReader> PacketReader::list(size_t index, size_t minCount) const {
    fnd::Value value = TRY(element(index));
    std::shared_ptr<fnd::Array> nested = value.asArray();
    if (nested == nullptr || nested->count() < minCount) {
        return wrongKind(index, fnd::format("a list of %d", asIndex(minCount)));
    }
    return PacketReader(std::move(value));
}

fnd::Value PacketReader::at(size_t index) const {
    return orThrow(element(index));
}

int32_t PacketReader::intAt(size_t index) const {
    return orThrow(number(index));
}

std::string PacketReader::stringAt(size_t index) const {
    return orThrow(text(index));
}

std::string PacketReader::textAt(size_t index) const {
    return orThrow(textOrNumber(index));
}

PacketReader PacketReader::arrayAt(size_t index, size_t minCount) const {
    return orThrow(list(index, minCount));
}

const std::string* PacketReader::optionalText(size_t index) const {
    return index < array_->count() ? array_->objectAtIndex(index).asString() : nullptr;
}

std::optional<PacketReader> PacketReader::optionalList(size_t index) const {
    if (index >= array_->count() || !array_->objectAtIndex(index).isArray()) {
        return std::nullopt;
    }
    return PacketReader(array_->objectAtIndex(index));
}

std::optional<int32_t> PacketReader::optionalNumber(size_t index) const {
    fnd::Result<int32_t> read = number(index);
    return read ? std::optional(*read) : std::nullopt;
}

std::optional<int32_t> PacketReader::optionalInt32(size_t index) const {
    fnd::Result<int64_t> read = wholeNumber(index);
    if (!read || *read < std::numeric_limits<int32_t>::min() || *read > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*read);
}

int32_t PacketReader::intValue(size_t index) const {
    return index < array_->count() ? array_->objectAtIndex(index).intValue() : kPastEnd;
}

void PacketReader::warn(std::string_view what, std::string_view reason, const fnd::Value& packet, const char* file,
                        int line, const char* function) {
    const fnd::LogSite site{file, line, function};
    fnd::logAt(fnd::LogLevel::Warn, site, "%@ %@, %@", what, reason, fnd::logPreview(packet));
}

} // namespace zelvan
