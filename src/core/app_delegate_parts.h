// Private helpers of zelvanAppDelegate: the handler of the commands the delegate answers itself,
// the forwarder of connection events, and the retry alert's delegate. Included by its sources only.
#pragma once

#include "core/zelvan_app_delegate.h"
#include "platform/ui/alert_view.h"

namespace zelvan {

class zelvanAppDelegate::OwnCommands final : public CommandHandler {
public:
    explicit OwnCommands(zelvanAppDelegate& owner) : owner_(owner) {}
    void handleServerResponse(const fnd::Value& packet) override { owner_.handleOwnCommand(packet); }

private:
    zelvanAppDelegate& owner_;
};

// Told by the network loop (network thread); passes the events to the registered listeners and
// shows or hides the reconnecting message.
class zelvanAppDelegate::ConnectionEvents final : public ConnectionListener {
public:
    explicit ConnectionEvents(zelvanAppDelegate& owner) : owner_(owner) {}
    void connectionLost() override;
    void connectionResumed() override;
    void showReconnectingMessage() override;

private:
    zelvanAppDelegate& owner_;
};

class zelvanAppDelegate::RetryAlert final : public ui::AlertViewDelegate {
public:
    explicit RetryAlert(zelvanAppDelegate& owner) : owner_(owner) {}
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
    std::shared_ptr<ui::AlertView> alert;

private:
    zelvanAppDelegate& owner_;
};

} // namespace zelvan
