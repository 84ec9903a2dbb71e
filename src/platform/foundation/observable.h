// fnd::Observable<T>: a value whose observers hear every set() on the setting thread, each through
// a token that ends the observation when it goes.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/foundation/observer_token.h"

namespace fnd {

// Safe from any thread. Observers are called in the order they were added, outside the lock, with
// the value just set; each set() notifies, whether or not the value changed. Observers added
// during a notification hear the next set(); one removed during it is not called afterwards.
// Tokens may outlive the Observable.
template <class T>
class Observable {
public:
    using Handler = std::function<void(const T&)>;

    Observable() : state_(std::make_shared<State>()) {}
    explicit Observable(T initial) : state_(std::make_shared<State>(std::move(initial))) {}
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;

    T get() const {
        std::lock_guard lock(state_->mutex);
        return state_->value;
    }

    void set(T v) {
        std::vector<std::shared_ptr<Observer>> observers;
        {
            std::lock_guard lock(state_->mutex);
            state_->value = v;
            observers = state_->observers;
        }
        for (const auto& observer : observers) {
            if (!observer->removed) {
                observer->fn(v);
            }
        }
    }

    ObserverToken addObserver(Handler fn) {
        auto observer = std::make_shared<Observer>(std::move(fn));
        {
            std::lock_guard lock(state_->mutex);
            state_->observers.push_back(observer);
        }
        return ObserverToken([weakState = std::weak_ptr<State>(state_), weakObserver = std::weak_ptr(observer)] {
            auto observer = weakObserver.lock();
            if (!observer) {
                return;
            }
            observer->removed = true;
            if (auto state = weakState.lock()) {
                std::lock_guard lock(state->mutex);
                std::erase(state->observers, observer);
            }
        });
    }

private:
    struct Observer {
        explicit Observer(Handler f) : fn(std::move(f)) {}
        const Handler fn;
        std::atomic<bool> removed{false};
    };
    struct State {
        State() = default;
        explicit State(T v) : value(std::move(v)) {}
        mutable std::mutex mutex;
        T value{};
        std::vector<std::shared_ptr<Observer>> observers;
    };

    std::shared_ptr<State> state_;
};

} // namespace fnd
