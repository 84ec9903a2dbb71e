// The observer list of a notification center: registration, removal, pruning of dead owners and
// senders, and synchronous delivery from a snapshot taken under the lock.
#include "platform/foundation/notification_center.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace fnd {
namespace {

// The shared instance behind a reference value (data, array, dictionary, object), or null for
// values compared by content.
std::shared_ptr<const void> referenceOf(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Data:
        return v.dataRef();
    case Value::Kind::Array:
        return v.asArray();
    case Value::Kind::Dictionary:
        return v.asDictionary();
    case Value::Kind::Object:
        return v.asObject();
    default:
        return nullptr;
    }
}

bool sameOwner(const NotificationCenter::Owner& a, const NotificationCenter::Owner& b) {
    return !a.owner_before(b) && !b.owner_before(a);
}

// Whether a weak handle refers to an object at all (expired or not), as opposed to an empty one.
bool hasOwner(const NotificationCenter::Owner& owner) {
    return !sameOwner(owner, NotificationCenter::Owner());
}

// How an observer recognises its sender without keeping it alive.
struct SenderFilter {
    explicit SenderFilter(const Value& sender) {
        if (auto ref = referenceOf(sender)) {
            pointer = ref.get();
            reference = ref;
        } else {
            scalar = sender;
        }
    }

    bool any() const { return pointer == nullptr && scalar.isNull(); }
    bool dead() const { return pointer != nullptr && reference.expired(); }
    bool matches(const Value& object) const {
        if (any()) {
            return true;
        }
        if (pointer != nullptr) {
            auto ref = referenceOf(object);
            return ref != nullptr && ref.get() == pointer && !reference.expired();
        }
        return Value::identical(scalar, object);
    }
    bool sameAs(const SenderFilter& other) const {
        return pointer == other.pointer && Value::identical(scalar, other.scalar);
    }

    Value scalar;
    const void* pointer = nullptr;
    std::weak_ptr<const void> reference;
};

} // namespace

struct NotificationCenter::State {
    struct Entry {
        Entry(ObserverId id, Owner owner, std::string name, const Value& sender, Handler fn)
            : id(id), owned(hasOwner(owner)), owner(std::move(owner)), name(std::move(name)), sender(sender),
              fn(std::move(fn)) {}

        bool dead() const { return (owned && owner.expired()) || sender.dead(); }

        ObserverId id; // set under the lock as the entry joins the list
        const bool owned;
        const Owner owner;
        const std::string name;
        const SenderFilter sender;
        const Handler fn;
        std::atomic<bool> removed{false};
    };

    ObserverId add(Owner owner, std::string name, const Value& sender, Handler fn) {
        auto entry = std::make_shared<Entry>(0, std::move(owner), std::move(name), sender, std::move(fn));
        std::vector<std::shared_ptr<Entry>> dropped; // released after the lock
        std::lock_guard lock(mutex);
        pruneLocked(dropped);
        entry->id = next++;
        entries.push_back(std::move(entry));
        return entries.back()->id;
    }

    // Marks and drops every entry `match` selects. The entries themselves (and their handlers)
    // are released once no post in progress holds them.
    template <class Match>
    void remove(Match match) {
        std::vector<std::shared_ptr<Entry>> dropped;
        {
            std::lock_guard lock(mutex);
            auto split = std::stable_partition(entries.begin(), entries.end(),
                                               [&](const std::shared_ptr<Entry>& e) { return !match(*e); });
            for (auto it = split; it != entries.end(); ++it) {
                (*it)->removed = true;
                dropped.push_back(std::move(*it));
            }
            entries.erase(split, entries.end());
        }
        // `dropped` releases the handlers here, outside the lock: a handler's captures may post.
    }

    // Moves the entries of dead owners and senders to `dropped`, which the caller releases once
    // the lock is gone, because a handler's captures may reach back into the center as they die.
    void pruneLocked(std::vector<std::shared_ptr<Entry>>& dropped) {
        std::erase_if(entries, [&](const std::shared_ptr<Entry>& e) {
            if (e->dead()) {
                e->removed = true;
                dropped.push_back(e);
                return true;
            }
            return false;
        });
    }

    std::mutex mutex;
    std::vector<std::shared_ptr<Entry>> entries;
    ObserverId next = 1;
};

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter* center = new NotificationCenter; // never destroyed: used during exit
    return *center;
}

NotificationCenter::NotificationCenter() : state_(std::make_shared<State>()) {}

NotificationCenter::~NotificationCenter() = default;

ObserverId NotificationCenter::addObserver(Owner owner, std::string name, Value sender, Handler fn) {
    return state_->add(std::move(owner), std::move(name), sender, std::move(fn));
}

ObserverToken NotificationCenter::addObserver(std::string name, Value sender, Handler fn) {
    ObserverId id = state_->add(Owner(), std::move(name), sender, std::move(fn));
    return ObserverToken([weak = std::weak_ptr<State>(state_), id] {
        if (auto state = weak.lock()) {
            state->remove([id](const State::Entry& e) { return e.id == id; });
        }
    });
}

void NotificationCenter::removeObserver(ObserverId id) {
    state_->remove([id](const State::Entry& e) { return e.id == id; });
}

void NotificationCenter::removeObserver(const Owner& owner) {
    if (!hasOwner(owner)) {
        return; // an empty handle names no observer (unowned observers go with their tokens)
    }
    state_->remove([&](const State::Entry& e) { return e.owned && sameOwner(e.owner, owner); });
}

void NotificationCenter::removeObserver(const Owner& owner, std::string_view name, const Value& sender) {
    if (!hasOwner(owner)) {
        return;
    }
    SenderFilter filter(sender);
    state_->remove([&](const State::Entry& e) {
        return e.owned && sameOwner(e.owner, owner) && e.name == name && (filter.any() || e.sender.sameAs(filter));
    });
}

void NotificationCenter::postNotificationName(std::string_view name, Value object, Value userInfo) {
    std::vector<std::shared_ptr<State::Entry>> dropped;
    std::vector<std::shared_ptr<State::Entry>> targets;
    {
        std::lock_guard lock(state_->mutex);
        state_->pruneLocked(dropped);
        for (const auto& e : state_->entries) {
            if (e->name == name && e->sender.matches(object)) {
                targets.push_back(e);
            }
        }
    }
    if (targets.empty()) {
        return;
    }
    const Notification notification{std::string(name), std::move(object), std::move(userInfo)};
    for (const auto& e : targets) {
        if (e->removed) {
            continue;
        }
        std::shared_ptr<const void> keepAlive;
        if (e->owned) {
            keepAlive = e->owner.lock();
            if (!keepAlive) {
                continue;
            }
        }
        e->fn(notification);
    }
}

} // namespace fnd
