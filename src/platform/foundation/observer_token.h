// fnd::ObserverToken: a move-only handle that ends an observation (a notification observer, an
// Observable's observer) when it is destroyed or reset.
#pragma once

#include <functional>
#include <utility>

namespace fnd {

class [[nodiscard]] ObserverToken {
public:
    ObserverToken() = default;
    // `cancel` runs once, when the token is reset or destroyed.
    explicit ObserverToken(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    ObserverToken(ObserverToken&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
    ObserverToken& operator=(ObserverToken&& other) noexcept {
        if (this != &other) {
            reset();
            cancel_ = std::exchange(other.cancel_, nullptr);
        }
        return *this;
    }
    ObserverToken(const ObserverToken&) = delete;
    ObserverToken& operator=(const ObserverToken&) = delete;
    ~ObserverToken() { reset(); }

    // Ends the observation now; later resets do nothing.
    void reset() {
        if (auto cancel = std::exchange(cancel_, nullptr)) {
            cancel();
        }
    }
    // Whether the token still holds an observation.
    explicit operator bool() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

} // namespace fnd
