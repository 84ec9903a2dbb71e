// AlertQueue: keeps the alerts one kind of event raises (game invitations, "no table" replies, messenger
// warnings ...) from piling up, however many such events arrive. At most one of them is on screen; newer
// ones wait in a short queue, from which the oldest is dropped (with one log line) when it is full, and
// each comes up once the one before has left the screen.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace ui {
class AlertView;
class View;
} // namespace ui

namespace zelvan {

// Main thread only. The queue holds the waiting alerts and the one on screen; an alert it has shown
// stays on screen after the queue goes.
class AlertQueue {
public:
    // How an alert goes on screen: `present` shows it and arranges for `left` to be called once it
    // has left the screen, however it leaves. An alert without a superview after `present`, or later
    // without one though `left` never came (its host view was let go), counts as gone.
    struct Entry {
        std::shared_ptr<ui::View> alert;
        std::function<void(std::function<void()> left)> present;
    };

    // `kind` names the alerts in the log; `maxWaiting` of them may wait behind the one on screen
    // (0: a newer one is dropped while one is up).
    AlertQueue(std::string kind, size_t maxWaiting);
    ~AlertQueue();
    AlertQueue(const AlertQueue&) = delete;
    AlertQueue& operator=(const AlertQueue&) = delete;

    // A platform alert (ui::AlertView or a subclass). Its own delegate still hears every call.
    void show(const std::shared_ptr<ui::AlertView>& alert);
    void show(Entry entry);

    // The alert on screen (null when none) and how many wait behind it.
    std::shared_ptr<ui::View> current() const;
    size_t waitingCount() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace zelvan
