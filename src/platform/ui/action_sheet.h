// ui::ActionSheet: a panel of choices that slides up from the bottom of a view, toolbar or tab bar
// - destructive button first, then the others, then cancel - with its delegate told of taps,
// presentation and dismissal. Subclasses may draw, hit-test and size it themselves.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/alert_panel.h"

namespace ui {

class ActionSheet;
class Label;
class TabBar;
class Toolbar;

enum class ActionSheetStyle { Automatic = -1, Default = 0, BlackOpaque = 1, BlackTranslucent = 2 };

class ActionSheetDelegate {
public:
    virtual ~ActionSheetDelegate() = default;
    virtual void actionSheetClickedButtonAtIndex(ActionSheet& /*sheet*/, int /*buttonIndex*/) {}
    virtual void willPresentActionSheet(ActionSheet& /*sheet*/) {}
    virtual void didPresentActionSheet(ActionSheet& /*sheet*/) {}
    virtual void actionSheetWillDismissWithButtonIndex(ActionSheet& /*sheet*/, int /*buttonIndex*/) {}
    virtual void actionSheetDidDismissWithButtonIndex(ActionSheet& /*sheet*/, int /*buttonIndex*/) {}
    // The system is taking the sheet away. Answer true when handled here (the sheet then goes with
    // the cancel index); the default answers false, and the sheet acts as if its cancel button had
    // been tapped.
    virtual bool actionSheetCancel(ActionSheet& /*sheet*/) { return false; }
};

class ActionSheet : public AlertPanel {
public:
    static constexpr double kButtonHeight = 44;

    // Makes a sheet (of subclass T) with a zero frame. Indices: the destructive button (when
    // given) is 0, the other buttons follow in order, and the cancel button (when given) is last.
    template <class T = ActionSheet>
    static std::shared_ptr<T> initWithTitle(std::string title, std::weak_ptr<ActionSheetDelegate> delegate,
                                            std::optional<std::string> cancelButtonTitle = std::nullopt,
                                            std::optional<std::string> destructiveButtonTitle = std::nullopt,
                                            const std::vector<std::string>& otherButtonTitles = {}) {
        auto sheet = View::create<T>(gfx::Rect());
        sheet->setUp(std::move(title), std::move(delegate), std::move(cancelButtonTitle),
                     std::move(destructiveButtonTitle), otherButtonTitles);
        return sheet;
    }

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ActionSheet"; }

    std::shared_ptr<ActionSheetDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<ActionSheetDelegate> delegate) { delegate_ = std::move(delegate); }

    // -1 when there is none.
    int destructiveButtonIndex() const { return destructiveButtonIndex_; }

    ActionSheetStyle actionSheetStyle() const { return style_; }
    void setActionSheetStyle(ActionSheetStyle style);

    // Slides the sheet up to the bottom of `view`'s area (in its window), at the width and height
    // sizeThatFits answers for that area, centred across it.
    void showInView(const std::shared_ptr<View>& view);
    // Over the bottom of the bar's window, covering the bar.
    void showFromToolbar(const std::shared_ptr<Toolbar>& toolbar);
    void showFromTabBar(const std::shared_ptr<TabBar>& tabBar);

    // The full width offered, and the height of the title and the stacked buttons.
    gfx::Size sizeThatFits(gfx::Size size) const override;
    // The title, then the buttons stacked in index order.
    void layoutSubviews() override;
    // Fills the bounds with the style's colour.
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

protected:
    void setUp(std::string title, std::weak_ptr<ActionSheetDelegate> delegate,
               std::optional<std::string> cancelButtonTitle, std::optional<std::string> destructiveButtonTitle,
               const std::vector<std::string>& otherButtonTitles);

    void styleButton(PanelButton& button, int index) override;
    void applyPresentedState(bool presented) override;
    void notifyClicked(int index) override;
    void notifyWillPresent() override;
    void notifyDidPresent() override;
    void notifyWillDismiss(int index) override;
    void notifyDidDismiss(int index) override;
    bool notifyCancel() override;

private:
    void showInArea(gfx::Rect area);
    double titleHeight(double width) const;

    std::weak_ptr<ActionSheetDelegate> delegate_;
    int destructiveButtonIndex_ = -1;
    ActionSheetStyle style_ = ActionSheetStyle::Automatic;
    std::shared_ptr<Label> titleLabel_;
    // The resting place on screen and the one below it the sheet slides from.
    gfx::Point shownCenter_;
    gfx::Point hiddenCenter_;
};

} // namespace ui
