// ui::AlertPanel: what alerts and action sheets share - titled buttons as real Button subviews in
// index order, presentation in the shared alert-level window over a dimmed screen, the
// present/dismiss sequence with its animations, and the self-reference that keeps a panel alive
// while it is on screen.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/ui/button.h"
#include "platform/ui/types.h"
#include "platform/ui/view.h"

namespace ui {

class Window;

// A panel's button: a rounded fill in its own colour (blue while highlighted) under the title,
// unless a background image is set.
class PanelButton : public Button {
public:
    std::string className() const override { return "PanelButton"; }
    gfx::Color fillColor() const { return fill_; }
    void setFillColor(const gfx::Color& color);
    void drawRect(gfx::Rect rect) override;

private:
    gfx::Color fill_ = gfx::Color::white();
};

class AlertPanel : public View {
public:
    // Presenting and dismissing each animate for this long.
    static constexpr double kAnimationDuration = 0.3;
    // The dimming laid over the screen while any panel shows.
    static gfx::Color dimmingColor() { return gfx::Color(0, 0, 0, 0.4); }

    std::string className() const override { return "AlertPanel"; }

    const std::string& title() const { return title_; }
    void setTitle(std::string title);

    // Appends a button and returns its index.
    int addButtonWithTitle(const std::string& title);
    int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
    // Null for an index out of range.
    std::optional<std::string> buttonTitleAtIndex(int index) const;
    // -1 when there is none.
    int cancelButtonIndex() const { return cancelButtonIndex_; }

    // The buttons in index order.
    const std::vector<std::shared_ptr<Button>>& buttonViews() const { return buttons_; }

    // From show until the panel has left the screen (after did-dismiss).
    bool isVisible() const { return state_ != State::Hidden; }

    // Leaves the screen as if button `index` had been chosen, without calling clicked-button:
    // will-dismiss now, did-dismiss when the animation ends (at once when not animated). A panel
    // still presenting first finishes presenting. Ignored while hidden or already dismissing.
    void dismissWithClickedButtonIndex(int index, Animated animated);

    // What a tap on button `index` does: clicked-button now (after did-present, when the panel was
    // still presenting), and the dismissal with that index on the next main-loop pass. Ignored while hidden,
    // dismissing, or with a click already pending.
    void clickButtonAtIndex(int index);

    // The system taking the panel away (the application leaving): a delegate that handles cancel
    // hears it and the panel dismisses with the cancel index, unanimated; otherwise this acts as
    // a tap on the cancel button. Ignored while hidden or dismissing.
    void cancel();

    // Visible panels, bottom to top (the last one is in front).
    static std::vector<std::shared_ptr<AlertPanel>> visiblePanels();
    // The shared alert-level window while any panel shows, else null.
    static std::shared_ptr<Window> alertWindow();

protected:
    enum class State { Hidden, Presenting, Shown, Dismissing };

    // Puts the panel on screen at `frame` (in the alert window's space) and runs the present
    // sequence: will-present, the animation, did-present. Keeps the panel alive until it has been
    // dismissed. Ignored (and logged) unless hidden.
    void present(gfx::Rect frame);

    State state() const { return state_; }
    void setCancelButtonIndex(int index) { cancelButtonIndex_ = index; }
    // Styles the button view of `index` (its colours and font) for the current indices.
    virtual void styleButton(PanelButton& /*button*/, int /*index*/) {}
    // Restyles every button (after the cancel or destructive index changes).
    void restyleButtons();

    // The panel's look while presenting and dismissing: `applyPresentedState(false)` is the
    // starting look (called outside any animation), `(true)` the final one (inside the animation
    // block); dismissal animates back to `applyPresentedState(false)`.
    virtual void applyPresentedState(bool presented) = 0;

    // Delegate calls, made by the sequences above.
    virtual void notifyClicked(int index) = 0;
    virtual void notifyWillPresent() = 0;
    virtual void notifyDidPresent() = 0;
    virtual void notifyWillDismiss(int index) = 0;
    virtual void notifyDidDismiss(int index) = 0;
    // True when the delegate handled the cancel itself.
    virtual bool notifyCancel() = 0;

private:
    void finishPresenting(uint64_t serial);
    void finishDismissing(int index, uint64_t serial);

    std::string title_;
    std::vector<std::shared_ptr<Button>> buttons_;
    std::vector<std::shared_ptr<PanelButton>> panelButtons_;
    int cancelButtonIndex_ = -1;
    State state_ = State::Hidden;
    bool clickPending_ = false;
    // Bumped by every present and dismiss so a stale animation end is ignored.
    uint64_t serial_ = 0;
    std::shared_ptr<AlertPanel> selfReference_;
};

} // namespace ui
