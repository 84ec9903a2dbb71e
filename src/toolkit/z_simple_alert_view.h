// ZSimpleAlertView: the kit's own in-view alert - a message (with an optional icon) and buttons on a
// centred panel over a dimmed cover of the whole host view. A tapped button takes the alert away and
// tells the delegate; an alert without buttons is a notice that any tap dismisses. Its host view holds
// it while it shows; an alert taken off screen is freed unless someone else keeps it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/alert_queue.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/view.h"
#include "toolkit/z_rounded_corner_view.h"

namespace ui {
class Label;
} // namespace ui

namespace zelvan {

class ZSimpleAlertView;

class ZSimpleAlertViewDelegate {
public:
    virtual ~ZSimpleAlertViewDelegate() = default;
    // The alert has already left its host view. A notice (no buttons) reports index -1 and an
    // empty title.
    virtual void buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& buttonTitle, int buttonIndex) = 0;
};

class ZSimpleAlertView : public ui::View {
public:
    // The icons setIcon draws above the message.
    static constexpr int kIconNone = -1;
    static constexpr int kIconInformation = 0;
    static constexpr int kIconWarning = 1;
    static constexpr int kIconError = 2;
    static constexpr int kIconQuestion = 3;

    // The panel's widest size, its inner padding, and the height of a button.
    static constexpr double kPanelWidth = 260;
    static constexpr double kPadding = 14;
    static constexpr double kButtonHeight = 36;
    static constexpr double kIconSize = 36;

    // A new alert with an empty message, no icon and no buttons.
    static std::shared_ptr<ZSimpleAlertView> create();

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ZSimpleAlertView"; }

    // One of the kIcon values; anything else shows no icon (and is logged).
    int icon() const { return icon_; }
    void setIcon(int icon);

    // The message label (multi-line, centred); set its text before showing.
    const std::shared_ptr<ui::Label>& label() const { return label_; }

    // Colours the panel (the cover stays dimmed).
    void setBackgroundColor(const gfx::Color& color) override;
    gfx::Color panelColor() const;

    // Appends a button and returns its index (0 for the first).
    int addButtonWithTitle(const std::string& title);
    void removeAllButton();
    int numberOfButtons() const { return static_cast<int>(titles_.size()); }
    // The button views in index order.
    const std::vector<std::shared_ptr<ui::PanelButton>>& buttonViews() const { return buttons_; }

    // Any value the caller wants kept with the alert.
    const fnd::Value& alertId() const { return alertId_; }
    void setAlertId(fnd::Value alertId) { alertId_ = std::move(alertId); }

    std::shared_ptr<ZSimpleAlertViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<ZSimpleAlertViewDelegate> delegate) { delegate_ = std::move(delegate); }

    // Covers `view` (its whole bounds, following its size) and centres the panel in it; the view
    // holds the alert while it shows. A null view is refused with a log line.
    void showInView(const std::shared_ptr<ui::View>& view);
    // Takes the alert out of its host without telling the delegate.
    void hide();
    // However the alert leaves its host, the dismiss handler hears of it (once).
    void removeFromSuperview() override;
    bool isShowing() const { return superview() != nullptr; }
    // Called once, when the alert next leaves its host however it leaves.
    void setDismissHandler(std::function<void()> handler) { dismissHandler_ = std::move(handler); }

    // The alert as an AlertQueue shows it: over `host`, if that is still there when its turn comes.
    AlertQueue::Entry queueEntry(std::weak_ptr<ui::View> host);
    // The alerts showing in `root` or any view under it, outermost first.
    static std::vector<std::shared_ptr<ZSimpleAlertView>> alertsShowingIn(const std::shared_ptr<ui::View>& root);

    // The panel with the icon, message and buttons.
    const std::shared_ptr<ZRoundedCornerView>& panel() const { return panel_; }

    void layoutSubviews() override;

    // The cover swallows every touch; without buttons, a touch that ends on the alert dismisses it.
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) override;

private:
    // A tap on one of the buttons: its index and title go to finish().
    void buttonTapped(ui::Control& button);
    // Removes the alert, then reports the choice to a live delegate.
    void finish(const std::string& title, int index);

    int icon_ = kIconNone;
    std::shared_ptr<ZRoundedCornerView> panel_;
    std::shared_ptr<ui::View> iconView_;
    std::shared_ptr<ui::Label> label_;
    std::vector<std::string> titles_;
    std::vector<std::shared_ptr<ui::PanelButton>> buttons_;
    fnd::Value alertId_;
    std::weak_ptr<ZSimpleAlertViewDelegate> delegate_;
    std::function<void()> dismissHandler_;
};

} // namespace zelvan
