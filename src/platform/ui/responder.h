// ui::Responder: the base of views, windows, controllers and the application - the responder chain
// that unhandled touches travel along, and the first-responder protocol text input uses.
#pragma once

#include <memory>
#include <vector>

#include "platform/foundation/object.h"

namespace ui {

class Touch;
class Event;

// Touches in the order they were added (a set that keeps insertion order).
using TouchSet = std::vector<std::shared_ptr<Touch>>;

class Responder : public fnd::Object {
public:
    std::string className() const override { return "Responder"; }

    // The next object along the chain: a view's superview (or its controller), a window's
    // application. Null at the end of the chain.
    virtual Responder* nextResponder() const { return nullptr; }

    // The defaults forward to the next responder.
    virtual void touchesBegan(const TouchSet& touches, const Event* event);
    virtual void touchesMoved(const TouchSet& touches, const Event* event);
    virtual void touchesEnded(const TouchSet& touches, const Event* event);
    virtual void touchesCancelled(const TouchSet& touches, const Event* event);

    // First responder. `becomeFirstResponder` asks `canBecomeFirstResponder`, resigns the current
    // first responder (which may refuse) and returns whether this object now is the first
    // responder; `resignFirstResponder` asks `canResignFirstResponder`.
    virtual bool canBecomeFirstResponder() const { return false; }
    virtual bool canResignFirstResponder() const { return true; }
    virtual bool becomeFirstResponder();
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;

    // The responder that currently holds first-responder status (main thread), or null.
    static std::shared_ptr<Responder> currentFirstResponder();
    // True while `Window::endEditing(Force::Yes)` resigns the first responder: a responder that
    // would ask whether it may end editing skips the question then.
    static bool resignIsForced();
    // Drops first-responder status without asking anyone (a forced end of editing that the
    // responder refused anyway).
    static void clearFirstResponder();

protected:
    Responder() = default;
};

} // namespace ui
