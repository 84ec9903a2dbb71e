// VoipView: the full-window banner of a voice call - a dimmed backdrop with a light rounded panel
// holding the network icon and title, the status line, a running mm:ss clock and one button that
// ends the call or, once it is over, closes the banner. Any thread may call it; views change on
// the main thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/date.h"
#include "platform/foundation/timer.h"
#include "platform/graphics/image.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/view.h"

namespace ui {
class Button;
class ImageView;
class Label;
} // namespace ui

namespace zelvan {

class VoipView : public ui::View, public ui::AlertViewDelegate {
public:
    static constexpr double kIconSide = 22;
    static constexpr double kGap = 10;
    static constexpr double kTimerInterval = 1.0;
    // The panel behind the rows.
    static constexpr double kPanelRadius = 10;

    static std::shared_ptr<VoipView> create();

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "VoipView"; }

    // Called when the user confirms hanging up (main thread).
    void setHangUpHandler(std::function<void()> handler) { hangUp_ = std::move(handler); }

    // --- Any thread; the work runs on the main thread (at once when called there) ---
    // Lays the rows out and redraws.
    void refresh();
    // The clock counts from now, in black, every second.
    void startTiming();
    // The clock stops at its last time, in grey.
    void stopTiming();
    // Covers `view` and closes any keyboard; a null view does nothing.
    void showInView(const std::shared_ptr<ui::View>& view);
    // Leaves the screen, when shown.
    void hide();
    void setTitle(std::string title);
    void setContent(std::string content);
    void setButtonTitle(std::string title);
    void setIcon(gfx::ImagePtr icon);

    // Whether the banner is (being) shown.
    bool visible() const { return visible_; }
    // The clock's tick: whole seconds since startTiming as "%.2d:%.2d", minutes past 99 too.
    void fireTimerEvent();
    // The button's action: "Close" hides, otherwise asks whether to hang up.
    void endsCall();

    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

    // For tests and the engine.
    const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<ui::Label>& timeLabel() const { return timeLabel_; }
    const std::shared_ptr<ui::Label>& infoLabel() const { return infoLabel_; }
    const std::shared_ptr<ui::Button>& button() const { return button_; }
    const std::shared_ptr<ui::ImageView>& iconView() const { return iconView_; }
    bool timing() const { return timer_ != nullptr; }

private:
    // Runs `work` on the main thread with this view kept alive: at once when already there.
    void onMainInline(std::function<void(VoipView&)> work);
    std::shared_ptr<ui::Label> addLabel(double fontSize, bool bold);
    void refreshInternal();

    std::shared_ptr<ui::Label> titleLabel_;
    std::shared_ptr<ui::Label> timeLabel_;
    std::shared_ptr<ui::Label> infoLabel_;
    std::shared_ptr<ui::Button> button_;
    std::shared_ptr<ui::ImageView> iconView_;
    std::atomic<bool> visible_{false};
    std::shared_ptr<fnd::Timer> timer_;
    fnd::Date startDate_;
    std::function<void()> hangUp_;
    std::shared_ptr<ui::AlertView> confirm_;
};

} // namespace zelvan
