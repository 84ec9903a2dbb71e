// Running work on the main thread from anywhere. Outside src/platform this file is the one way to reach
// the main thread (scripts/check_includes.py refuses the run loop's own spellings elsewhere):
//
//   onMain(fn)                  always queues: returns at once, also on main, and `fn` runs on a later
//                               pass of the main loop, after the work already queued.
//   onMain(owner, fn)           the same, and `fn(*owner)` runs only if `owner` still lives then.
//   onMainInline(fn)            on main runs `fn` at once, inside the call; elsewhere queues it as onMain.
//   onMainInline(owner, fn)     the same with an owner: at once on main, else queued and run only if
//                               `owner` still lives then.
//   onMainAndWait(fn)           runs `fn` on main and returns after it has run: inline on main, else
//                               the caller blocks until the main loop next runs it.
//   laterOnThisLoop(fn)         not a hop: queues `fn` on the calling thread's own run loop (the network
//   laterOnThisLoop(owner, fn)  thread's from a web fetch it starts), so a result is reported after the
//                               caller has returned. The owner form runs only if `owner` still lives.
//
// An owner is held weakly (also when given as a shared_ptr); `fn` is anything callable with the
// owner, a lambda taking `T&` or a method pointer `&T::method`. Delayed work is a timer, not a hop:
// it goes through the run loop's performAfter.
#pragma once

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace zelvan {

namespace detail {

// `fn(*owner)` while the owner lives; nothing once it has gone.
template <class T, class Fn>
std::function<void()> whileAlive(std::weak_ptr<T> owner, Fn fn) {
    static_assert(std::is_invocable_v<Fn&, T&>, "the work is called with the owner");
    return [owner = std::move(owner), fn = std::move(fn)]() mutable {
        if (auto live = owner.lock()) {
            std::invoke(fn, *live);
        }
    };
}

} // namespace detail

void onMain(std::function<void()> fn);
void onMainInline(std::function<void()> fn);
void onMainAndWait(std::function<void()> fn);
void laterOnThisLoop(std::function<void()> fn);

template <class T, class Fn>
void onMain(std::weak_ptr<T> owner, Fn fn) {
    onMain(detail::whileAlive(std::move(owner), std::move(fn)));
}
template <class T, class Fn>
void onMain(const std::shared_ptr<T>& owner, Fn fn) {
    onMain(std::weak_ptr<T>(owner), std::move(fn));
}

template <class T, class Fn>
void onMainInline(std::weak_ptr<T> owner, Fn fn) {
    onMainInline(detail::whileAlive(std::move(owner), std::move(fn)));
}
template <class T, class Fn>
void onMainInline(const std::shared_ptr<T>& owner, Fn fn) {
    onMainInline(std::weak_ptr<T>(owner), std::move(fn));
}

template <class T, class Fn>
void laterOnThisLoop(std::weak_ptr<T> owner, Fn fn) {
    laterOnThisLoop(detail::whileAlive(std::move(owner), std::move(fn)));
}
template <class T, class Fn>
void laterOnThisLoop(const std::shared_ptr<T>& owner, Fn fn) {
    laterOnThisLoop(std::weak_ptr<T>(owner), std::move(fn));
}

} // namespace zelvan
