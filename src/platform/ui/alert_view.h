// ui::AlertView: a modal alert - title, message and buttons (the cancel button first) - shown
// centred in the alert-level window over the dimmed screen, with its delegate told of taps,
// presentation and dismissal. A shown alert keeps itself alive until it has been dismissed.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/alert_panel.h"

namespace ui {

class AlertView;
class Label;

class AlertViewDelegate {
public:
    virtual ~AlertViewDelegate() = default;
    virtual void alertViewClickedButtonAtIndex(AlertView& /*alert*/, int /*buttonIndex*/) {}
    virtual void willPresentAlertView(AlertView& /*alert*/) {}
    virtual void didPresentAlertView(AlertView& /*alert*/) {}
    virtual void alertViewWillDismissWithButtonIndex(AlertView& /*alert*/, int /*buttonIndex*/) {}
    virtual void alertViewDidDismissWithButtonIndex(AlertView& /*alert*/, int /*buttonIndex*/) {}
    // The system is taking the alert away. Answer true when handled here (the alert then goes
    // with the cancel index); the default answers false, and the alert acts as if its cancel
    // button had been tapped.
    virtual bool alertViewCancel(AlertView& /*alert*/) { return false; }
};

class AlertView : public AlertPanel {
public:
    static constexpr double kWidth = 284;
    static constexpr double kButtonHeight = 42;

    // Makes an alert (of subclass T) with a zero frame: the cancel button, when given, takes index
    // 0 and the other buttons follow in order. Empty title or message strings are left out.
    template <class T = AlertView>
    static std::shared_ptr<T> initWithTitle(std::string title, std::string message,
                                            std::weak_ptr<AlertViewDelegate> delegate,
                                            std::optional<std::string> cancelButtonTitle = std::nullopt,
                                            const std::vector<std::string>& otherButtonTitles = {}) {
        auto alert = View::create<T>(gfx::Rect());
        alert->setUp(std::move(title), std::move(message), std::move(delegate), std::move(cancelButtonTitle),
                     otherButtonTitles);
        return alert;
    }

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "AlertView"; }

    const std::string& message() const { return message_; }
    void setMessage(std::string message);

    std::shared_ptr<AlertViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<AlertViewDelegate> delegate) { delegate_ = std::move(delegate); }

    // The first button that is not the cancel button, or -1.
    int firstOtherButtonIndex() const;

    // Shows the alert centred on the screen, in front of any alert already showing.
    void show();

    // The alert's size for its texts and buttons (always kWidth wide).
    gfx::Size sizeThatFits(gfx::Size size) const override;
    // Title, message, then the buttons: two side by side (index order), otherwise stacked with
    // the cancel button at the bottom.
    void layoutSubviews() override;
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

protected:
    void setUp(std::string title, std::string message, std::weak_ptr<AlertViewDelegate> delegate,
               std::optional<std::string> cancelButtonTitle, const std::vector<std::string>& otherButtonTitles);

    void styleButton(PanelButton& button, int index) override;
    void applyPresentedState(bool presented) override;
    void notifyClicked(int index) override;
    void notifyWillPresent() override;
    void notifyDidPresent() override;
    void notifyWillDismiss(int index) override;
    void notifyDidDismiss(int index) override;
    bool notifyCancel() override;

private:
    // Where each button goes, by index, for the alert's width; and the height of the texts.
    std::vector<gfx::Rect> buttonRects(double top) const;
    double textHeight(const std::string& text, bool bold) const;
    double textsBottom() const;

    std::string message_;
    std::weak_ptr<AlertViewDelegate> delegate_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<Label> messageLabel_;
};

} // namespace ui
