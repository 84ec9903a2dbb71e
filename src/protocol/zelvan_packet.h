// ZelvanPacket: builds one game-server packet, an array whose element 0 is the command number and
// whose further elements are the payload, and remembers whether it may only go out once logged in.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/foundation/value.h"

namespace zelvan {

class ZelvanPacket {
public:
    explicit ZelvanPacket(int cmd);

    // Appends an integer element.
    void addInt(int value);
    // Appends any encodable value (number, string, data, array, dictionary).
    void addObject(const fnd::Value& value);

    // Marks the packet as one that must wait until a session exists.
    void requireLogin() { requiresLogin_ = true; }
    bool requiresLogin() const { return requiresLogin_; }

    int cmd() const { return cmd_; }
    // Number of elements, the command number included.
    size_t count() const { return items_->count(); }
    // The packet as an array value: element 0 the command number, then the payload. The array is a
    // new one each time, so later additions to the packet do not change an array already queued.
    fnd::Value array() const;

private:
    int cmd_;
    bool requiresLogin_ = false;
    std::shared_ptr<fnd::Array> items_;
};

} // namespace zelvan
