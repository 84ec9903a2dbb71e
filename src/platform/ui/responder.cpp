// The responder chain's default forwarding and the single first responder of the main thread.
#include "platform/ui/responder.h"

#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"

namespace ui {
namespace {

// The first responder; only the main thread touches it.
std::weak_ptr<Responder>& firstResponder() {
    static std::weak_ptr<Responder> responder;
    return responder;
}

} // namespace

bool& forcedResignFlag() {
    static bool forced = false;
    return forced;
}

void Responder::touchesBegan(const TouchSet& touches, const Event* event) {
    if (Responder* next = nextResponder()) {
        next->touchesBegan(touches, event);
    }
}

void Responder::touchesMoved(const TouchSet& touches, const Event* event) {
    if (Responder* next = nextResponder()) {
        next->touchesMoved(touches, event);
    }
}

void Responder::touchesEnded(const TouchSet& touches, const Event* event) {
    if (Responder* next = nextResponder()) {
        next->touchesEnded(touches, event);
    }
}

void Responder::touchesCancelled(const TouchSet& touches, const Event* event) {
    if (Responder* next = nextResponder()) {
        next->touchesCancelled(touches, event);
    }
}

bool Responder::becomeFirstResponder() {
    VERIFY(fnd::isMainThread());
    if (isFirstResponder()) {
        return true;
    }
    if (!canBecomeFirstResponder()) {
        return false;
    }
    if (auto current = firstResponder().lock()) {
        if (!current->resignFirstResponder()) {
            return false;
        }
    }
    firstResponder() = std::static_pointer_cast<Responder>(shared_from_this());
    return true;
}

bool Responder::resignFirstResponder() {
    VERIFY(fnd::isMainThread());
    if (!canResignFirstResponder()) {
        return false;
    }
    if (isFirstResponder()) {
        firstResponder().reset();
    }
    return true;
}

bool Responder::isFirstResponder() const {
    auto current = firstResponder().lock();
    return current.get() == this;
}

std::shared_ptr<Responder> Responder::currentFirstResponder() {
    return firstResponder().lock();
}

bool Responder::resignIsForced() {
    return forcedResignFlag();
}

void Responder::clearFirstResponder() {
    firstResponder().reset();
}

} // namespace ui
