// The alert queue: the one alert on screen, the bounded line behind it, and the forwarding delegate
// through which a platform alert tells the queue that it has been dismissed.
#include "core/alert_queue.h"

#include <deque>
#include <optional>
#include <utility>

#include "platform/foundation/log.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/ui/alert_view.h"

namespace zelvan {

namespace {

// Passes every call on to the alert's own delegate, then, after did-dismiss, tells the queue.
class ForwardingDelegate final : public ui::AlertViewDelegate {
public:
    explicit ForwardingDelegate(std::weak_ptr<ui::AlertViewDelegate> target) : target_(std::move(target)) {}

    std::function<void()> left;

    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int index) override {
        if (auto target = target_.lock()) {
            target->alertViewClickedButtonAtIndex(alert, index);
        }
    }
    void willPresentAlertView(ui::AlertView& alert) override {
        if (auto target = target_.lock()) {
            target->willPresentAlertView(alert);
        }
    }
    void didPresentAlertView(ui::AlertView& alert) override {
        if (auto target = target_.lock()) {
            target->didPresentAlertView(alert);
        }
    }
    void alertViewWillDismissWithButtonIndex(ui::AlertView& alert, int index) override {
        if (auto target = target_.lock()) {
            target->alertViewWillDismissWithButtonIndex(alert, index);
        }
    }
    void alertViewDidDismissWithButtonIndex(ui::AlertView& alert, int index) override {
        if (auto target = target_.lock()) {
            target->alertViewDidDismissWithButtonIndex(alert, index);
        }
        if (auto done = std::exchange(left, nullptr)) {
            done();
        }
    }
    bool alertViewCancel(ui::AlertView& alert) override {
        auto target = target_.lock();
        return target && target->alertViewCancel(alert);
    }

private:
    std::weak_ptr<ui::AlertViewDelegate> target_;
};

} // namespace

struct AlertQueue::State : std::enable_shared_from_this<State> {
    std::string kind;
    size_t maxWaiting = 0;
    std::optional<Entry> current;
    // Bumped by every alert put on screen, so a late word from one that has been replaced is ignored.
    uint64_t serial = 0;
    std::deque<Entry> waiting;

    void showNext() {
        while (!current && !waiting.empty()) {
            current = std::move(waiting.front());
            waiting.pop_front();
            const uint64_t shown = ++serial;
            // Copies: `left` may run inside `present` and let the entry go.
            const auto alert = current->alert;
            const auto present = current->present;
            present([weak = weak_from_this(), shown] {
                if (auto self = weak.lock(); self && self->serial == shown) {
                    self->current.reset();
                    self->showNext();
                }
            });
            if (serial == shown && current && !alert->superview()) {
                current.reset(); // it could not be shown (its host has gone)
            }
        }
    }
};

AlertQueue::AlertQueue(std::string kind, size_t maxWaiting) : state_(std::make_shared<State>()) {
    state_->kind = std::move(kind);
    state_->maxWaiting = maxWaiting;
}

AlertQueue::~AlertQueue() = default;

void AlertQueue::show(const std::shared_ptr<ui::AlertView>& alert) {
    if (!alert) {
        return;
    }
    auto forward = std::make_shared<ForwardingDelegate>(alert->delegate());
    show(Entry{alert, [alert, forward](std::function<void()> left) {
                   forward->left = std::move(left);
                   alert->setDelegate(forward);
                   alert->show();
               }});
}

void AlertQueue::show(Entry entry) {
    VERIFY(fnd::isMainThread());
    State& s = *state_;
    if (!entry.alert || !entry.present) {
        return;
    }
    if (s.current && !s.current->alert->superview()) {
        s.current.reset(); // left the screen without a word: its host view was let go
    }
    s.waiting.push_back(std::move(entry));
    s.showNext();
    while (s.waiting.size() > s.maxWaiting) {
        s.waiting.pop_front();
        ZLOG(Info, "alerts: %s alert dropped (one on screen, at most %d waiting)", s.kind,
             static_cast<int>(s.maxWaiting));
    }
}

std::shared_ptr<ui::View> AlertQueue::current() const {
    return state_->current ? state_->current->alert : nullptr;
}

size_t AlertQueue::waitingCount() const {
    return state_->waiting.size();
}

} // namespace zelvan
