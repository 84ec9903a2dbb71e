// JsonSerializer: writes tables, lists, strings, numbers, booleans and null as compact JSON text (no white
// space, keys in the table's order, '/' escaped; non-finite numbers as null). The networks that carry a
// serializer of this kind name this one.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan {

class JsonSerializer {
public:
    static std::shared_ptr<JsonSerializer> serializer() { return std::make_shared<JsonSerializer>(); }

    // Any supported value; dates, objects, non-UTF-8 data and too-deep nesting fail.
    fnd::Result<std::string> serializeObject(const fnd::Value& value) const;
    std::string serializeNull() const { return "null"; }
    fnd::Result<std::string> serializeNumber(const fnd::Value& number) const;
    std::string serializeString(std::string_view text) const;
    fnd::Result<std::string> serializeArray(const fnd::Value& array) const;
    fnd::Result<std::string> serializeDictionary(const fnd::Value& dictionary) const;
};

} // namespace zelvan
