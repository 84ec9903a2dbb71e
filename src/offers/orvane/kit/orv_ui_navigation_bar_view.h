// ORVUINavigationBarView: the header bar the offer kit's full-screen pages draw themselves - a view
// wrapping a navigation bar (one point wider on each side) with one title item and up to two bordered
// bar buttons, tinted in the user colour and widened to 480 in landscape when the host lets the SDK
// rotate.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "platform/ui/bar_button_item.h"
#include "platform/ui/control.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

class ORVUINavigationBarView : public ui::View {
public:
    static constexpr double kHeight = 44;

    // The header for the current orientation at y.
    static std::shared_ptr<ORVUINavigationBarView> initWithTitle(const std::string& title, int y);
    // The same header fixed at 320 wide.
    static std::shared_ptr<ORVUINavigationBarView> initBasicWithTitle(const std::string& title, int y);

    std::string className() const override { return "ORVUINavigationBarView"; }

    // The frame becomes (0, y, 480 or 320, 44): 480 when in landscape (the facade's angle 90 or 270, or
    // the device held landscape left or right) and the host handed the SDK a controller or view.
    void objectsFramePerOrientation();

    // The first call creates the bordered button with the title on that side; later ones retitle it.
    void setNavBarLeftBtnWithTitle(const std::string& title);
    void setNavBarRightBtnWithTitle(const std::string& title);
    // Retitle the existing button (nothing without one).
    void updateLeftNavBarBtnWithTitle(const std::string& title);
    void updateRightNavBarBtnWithTitle(const std::string& title);
    // The button's action: `action` runs on a tap while `target` lives; the events are not used (a bar
    // button fires on tap). Nothing happens before the button exists.
    void addLeftButtonTarget(std::weak_ptr<const void> target, std::function<void()> action, ui::ControlEvents events);
    void addRightButtonTarget(std::weak_ptr<const void> target, std::function<void()> action, ui::ControlEvents events);
    // The same calling `method` on `target` while it lives.
    template <class T>
    void addLeftButtonTarget(std::type_identity_t<std::weak_ptr<T>> target, void (T::*method)(),
                             ui::ControlEvents events) {
        addLeftButtonTarget(target, calling(target, method), events);
    }
    template <class T>
    void addRightButtonTarget(std::type_identity_t<std::weak_ptr<T>> target, void (T::*method)(),
                              ui::ControlEvents events) {
        addRightButtonTarget(target, calling(target, method), events);
    }
    // Show `item` on that side; the kept button (navBarLeftBtn / navBarRightBtn) stays as it is.
    void setNavBarLeftBtn(std::shared_ptr<ui::BarButtonItem> item);
    void setNavBarRightBtn(std::shared_ptr<ui::BarButtonItem> item);

    const std::shared_ptr<ui::NavigationBar>& navBar() const { return navBar_; }
    const std::shared_ptr<ui::NavigationItem>& navBarTitle() const { return navBarTitle_; }
    const std::shared_ptr<ui::BarButtonItem>& navBarLeftBtn() const { return navBarLeftBtn_; }
    const std::shared_ptr<ui::BarButtonItem>& navBarRightBtn() const { return navBarRightBtn_; }

private:
    template <class T>
    static std::function<void()> calling(std::weak_ptr<T> target, void (T::*method)()) {
        return [target = std::move(target), method] {
            if (auto live = target.lock()) {
                (live.get()->*method)();
            }
        };
    }
    static std::shared_ptr<ORVUINavigationBarView> build(const std::string& title, int y, bool basic);
    static void setTarget(const std::shared_ptr<ui::BarButtonItem>& item, std::weak_ptr<const void> target,
                          std::function<void()> action);

    std::shared_ptr<ui::NavigationBar> navBar_;
    std::shared_ptr<ui::NavigationItem> navBarTitle_;
    std::shared_ptr<ui::BarButtonItem> navBarLeftBtn_;
    std::shared_ptr<ui::BarButtonItem> navBarRightBtn_;
};

} // namespace zelvan::orvane
