// ZelvanTabBarView: a strip of titled tabs sharing its width equally, one of them active and drawn
// highlighted; tapping another tab makes it active and tells the delegate which tab was active before.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/view.h"

namespace zelvan {

class ZelvanTabBarView;

class ZelvanTabBarViewDelegate {
public:
    virtual ~ZelvanTabBarViewDelegate() = default;
    // Called after a tap made another tab active; `tabBar.activeIndex()` is the new tab.
    virtual void tabSelected(ZelvanTabBarView& tabBar, int oldIndex) = 0;
};

class ZelvanTabBarView : public ui::View {
public:
    // A tab bar in `frame` with one tab per title, the first one active.
    static std::shared_ptr<ZelvanTabBarView> initWithFrame(gfx::Rect frame, std::vector<std::string> tabs);
    using ui::View::initWithFrame;

    std::string className() const override { return "ZelvanTabBarView"; }

    void setDelegate(std::weak_ptr<ZelvanTabBarViewDelegate> delegate) { delegate_ = std::move(delegate); }
    std::shared_ptr<ZelvanTabBarViewDelegate> delegate() const { return delegate_.lock(); }

    const std::vector<std::string>& tabs() const { return tabs_; }
    // The active tab, or -1 when the bar has no tabs.
    int activeIndex() const { return activeIndex_; }

    // Tab `index`'s share of the bounds (a null rect outside 0..count-1).
    gfx::Rect tabRect(int index) const;
    // The tab under `point` (in the bar's space), or -1.
    int tabIndexAtPoint(gfx::Point point) const;

    // A touch that goes down and up on the same tab selects it.
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) override;

    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    void selectTab(int index);

    std::vector<std::string> tabs_;
    int activeIndex_ = -1;
    // The tab the current touch went down on, or -1.
    int pressedIndex_ = -1;
    std::weak_ptr<ZelvanTabBarViewDelegate> delegate_;
};

} // namespace zelvan
