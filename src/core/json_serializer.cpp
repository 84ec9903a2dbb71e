// The serializer front over the shared JSON writer.
#include "core/json_serializer.h"

#include "core/json_scan.h"

namespace zelvan {

namespace {

fnd::Result<std::string> refuse(const char* kind) {
    const std::string message = std::string("Cannot serialize data of type '") + kind + "'";
    return fnd::Error("JSONSerializerErrorDomain", -1, std::string_view(message));
}

} // namespace

fnd::Result<std::string> JsonSerializer::serializeObject(const fnd::Value& value) const {
    return jsonscan::serialize(value);
}

fnd::Result<std::string> JsonSerializer::serializeNumber(const fnd::Value& number) const {
    if (!number.isNumber() && !number.isBool()) {
        return refuse("not a number");
    }
    return jsonscan::serialize(number);
}

std::string JsonSerializer::serializeString(std::string_view text) const {
    return jsonscan::serialize(fnd::Value(text)).valueOr(std::string("\"\""));
}

fnd::Result<std::string> JsonSerializer::serializeArray(const fnd::Value& array) const {
    if (!array.isArray()) {
        return refuse("not a list");
    }
    return jsonscan::serialize(array);
}

fnd::Result<std::string> JsonSerializer::serializeDictionary(const fnd::Value& dictionary) const {
    if (!dictionary.isDictionary()) {
        return refuse("not a table");
    }
    return jsonscan::serialize(dictionary);
}

} // namespace zelvan
