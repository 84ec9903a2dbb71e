// HTTP header fields for requests and responses: kept in order, looked up by name without regard to
// case, with room for fields that repeat (Set-Cookie).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fnd {

class HttpHeaders {
public:
    struct Field {
        std::string name;
        std::string value;
        bool operator==(const Field&) const = default;
    };

    HttpHeaders() = default;
    HttpHeaders(std::initializer_list<Field> fields);

    // The value of the first field named `name` (ASCII case-insensitive), or nullopt.
    std::optional<std::string> value(std::string_view name) const;
    // Every value of fields named `name`, in order.
    std::vector<std::string> values(std::string_view name) const;

    // Replaces the value of the first field named `name`, keeping its position (and the name's
    // spelling as first written), and removes later fields of that name; appends when there is none.
    // A name that is not an HTTP token, or a value holding CR, LF or NUL, is refused (false, with a
    // log line), so a field can never smuggle another one onto the wire.
    bool set(std::string_view name, std::string_view value);
    // Appends a field even when one of the same name exists. Refuses as `set` does.
    bool add(std::string_view name, std::string_view value);
    // Removes every field named `name`.
    void remove(std::string_view name);

    size_t count() const { return fields_.size(); }
    bool empty() const { return fields_.empty(); }
    std::vector<Field>::const_iterator begin() const { return fields_.begin(); }
    std::vector<Field>::const_iterator end() const { return fields_.end(); }

    bool operator==(const HttpHeaders&) const = default;

private:
    std::vector<Field> fields_;
};

// ASCII case-insensitive equality of header names (and other protocol tokens).
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace fnd
