// ui::testing::AlertDriver: finds the alert or action sheet in front and taps its buttons by index
// or title with real touches on the button views, running the dismissal to its end.
#pragma once

#include <memory>
#include <string_view>

namespace ui {
class AlertPanel;
class AlertView;
class ActionSheet;
} // namespace ui

namespace ui::testing {

class AlertDriver {
public:
    // The frontmost visible alert or sheet, or null.
    static std::shared_ptr<AlertPanel> visible();
    // The frontmost visible panel when it is an alert (a sheet), else null.
    static std::shared_ptr<AlertView> visibleAlert();
    static std::shared_ptr<ActionSheet> visibleSheet();

    // Taps button `index` (or the first button titled `title`) of `panel` with one finger through
    // its window, then lets the dismissal run to its end: the main loop runs, and under a manual
    // clock the clock advances past the dismiss animation. False (and a log line) when the panel
    // is not visible or has no such button.
    static bool tap(const std::shared_ptr<AlertPanel>& panel, int index);
    static bool tap(const std::shared_ptr<AlertPanel>& panel, std::string_view title);
    // The same on the frontmost panel.
    static bool tap(int index);
    static bool tap(std::string_view title);

    // A tap on the dimmed screen above the front panel, which panels ignore.
    static void tapOutside();

    // Runs the main loop and, under a manual clock, advances it past a present or dismiss
    // animation, so did-present and did-dismiss have run.
    static void finishAnimations();
};

} // namespace ui::testing
