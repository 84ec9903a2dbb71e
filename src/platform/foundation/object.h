// The root of every class whose instances travel inside values: a class name and a debug description.
#pragma once

#include <memory>
#include <string>

namespace fnd {

class Object : public std::enable_shared_from_this<Object> {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    virtual std::string className() const { return "Object"; }

    // "<ClassName: 0x…>" by default. The address part is the object's own address, so the text is
    // stable for the object's lifetime and unique among live objects (usable as a map key).
    virtual std::string description() const;
};

} // namespace fnd
