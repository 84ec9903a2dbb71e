// fnd::NotificationCenter: named notifications posted with an object and a user-info dictionary,
// delivered synchronously on the posting thread to the observers registered for that name (and,
// optionally, for that sender). Observers are held weakly through their owners.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/foundation/observer_token.h"
#include "platform/foundation/value.h"

namespace fnd {

struct Notification {
    std::string name;
    // The sender: a string, an object or any other value (Null when none).
    Value object;
    // A dictionary, or Null.
    Value userInfo;
};

using ObserverId = uint64_t;

// Safe from any thread. Observers run on the posting thread, in the order they were added, and
// never while the center's lock is held, so an observer may add, remove or post freely.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;
    // The observing object, held weakly: any std::shared_ptr or std::weak_ptr converts to it.
    using Owner = std::weak_ptr<const void>;

    // The process-wide center. It lives until the process ends.
    static NotificationCenter& defaultCenter();

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // Calls `fn` for each notification called `name` whose object matches `sender`: a Null sender
    // matches every object; a string or number matches an equal one; an array, dictionary, data
    // or object matches only that very instance. Reference senders are not kept alive: once one
    // dies its observers are dropped. While `owner` is alive `fn` runs with the owner kept alive;
    // after it dies `fn` is never called again and is released at the next post.
    ObserverId addObserver(Owner owner, std::string name, Value sender, Handler fn);
    // The same for an observer with no owner, living as long as the returned token.
    ObserverToken addObserver(std::string name, Value sender, Handler fn);

    // Calls `method` on `target` for each notification called `name` from `sender` (matched as
    // above) while the target lives, never after it is gone; the target is not kept alive between
    // posts. The observation lasts as long as the returned token.
    template <class T>
    ObserverToken observe(std::string name, std::type_identity_t<std::weak_ptr<T>> target, void (T::*method)(),
                          Value sender = Value()) {
        return addObserver(std::move(name), std::move(sender),
                           [target = std::move(target), method](const Notification&) {
                               if (auto live = target.lock()) {
                                   (live.get()->*method)();
                               }
                           });
    }
    // The same for a method that reads the notification.
    template <class T>
    ObserverToken observe(std::string name, std::type_identity_t<std::weak_ptr<T>> target,
                          void (T::*method)(const Notification&), Value sender = Value()) {
        return addObserver(std::move(name), std::move(sender),
                           [target = std::move(target), method](const Notification& notification) {
                               if (auto live = target.lock()) {
                                   (live.get()->*method)(notification);
                               }
                           });
    }

    // Removing an observer during a post stops it receiving the rest of that post.
    void removeObserver(ObserverId id);
    // Every observer of `owner`. Works from the owner's destructor through weak_from_this().
    void removeObserver(const Owner& owner);
    // The owner's observers of `name` registered for `sender` (matched as above); a Null `sender`
    // removes them for every sender.
    void removeObserver(const Owner& owner, std::string_view name, const Value& sender);

    // Delivers to the observers registered when the post begins; ones added during the post wait
    // for the next one.
    void postNotificationName(std::string_view name, Value object = Value(), Value userInfo = Value());

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace fnd
