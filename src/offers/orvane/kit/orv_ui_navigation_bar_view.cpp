// ORVUINavigationBarView: construction for the orientation, the title item and its two bar buttons.
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"

#include "offers/orvane/client/orv_util.h"
#include "offers/orvane/client/orvane_connect.h"
#include "platform/device/device.h"

namespace zelvan::orvane {

std::shared_ptr<ORVUINavigationBarView> ORVUINavigationBarView::initWithTitle(const std::string& title, int y) {
    return build(title, y, false);
}

std::shared_ptr<ORVUINavigationBarView> ORVUINavigationBarView::initBasicWithTitle(const std::string& title, int y) {
    return build(title, y, true);
}

std::shared_ptr<ORVUINavigationBarView> ORVUINavigationBarView::build(const std::string& title, int y, bool basic) {
    auto view = ui::View::create<ORVUINavigationBarView>(gfx::Rect(0, y, 320, kHeight));
    if (!basic) {
        view->objectsFramePerOrientation();
    }
    const double width = basic ? 322 : view->frame().size.width + 2;
    view->navBar_ = ui::View::create<ui::NavigationBar>(gfx::Rect(-1, 0, width, kHeight));
    view->addSubview(view->navBar_);
    view->navBarTitle_ = ui::NavigationItem::initWithTitle(title);
    view->navBar_->pushNavigationItem(view->navBarTitle_);
    view->navBar_->setTintColor(ORVUtil::getUserDefinedColor());
    const auto mask = ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleBottomMargin;
    view->navBar_->setAutoresizingMask(mask);
    view->setAutoresizingMask(mask);
    return view;
}

void ORVUINavigationBarView::objectsFramePerOrientation() {
    const int angle = OrvaneConnect::getApplicationAngel();
    const auto orientation = device::Device::current().orientation();
    const bool landscape = angle == 90 || angle == 270 || orientation == device::DeviceOrientation::LandscapeLeft ||
                           orientation == device::DeviceOrientation::LandscapeRight;
    const double width = landscape && OrvaneConnect::didApplicationEnabledOrientation() ? 480 : 320;
    setFrame(gfx::Rect(0, frame().origin.y, width, kHeight));
}

void ORVUINavigationBarView::setNavBarLeftBtnWithTitle(const std::string& title) {
    if (navBarLeftBtn_) {
        navBarLeftBtn_->setTitle(title);
        return;
    }
    navBarLeftBtn_ = ui::BarButtonItem::initWithTitle(title, ui::BarButtonItemStyle::Bordered);
    if (navBarTitle_) {
        navBarTitle_->setLeftBarButtonItem(navBarLeftBtn_);
    }
}

void ORVUINavigationBarView::setNavBarRightBtnWithTitle(const std::string& title) {
    if (navBarRightBtn_) {
        navBarRightBtn_->setTitle(title);
        return;
    }
    navBarRightBtn_ = ui::BarButtonItem::initWithTitle(title, ui::BarButtonItemStyle::Bordered);
    if (navBarTitle_) {
        navBarTitle_->setRightBarButtonItem(navBarRightBtn_);
    }
}

void ORVUINavigationBarView::updateLeftNavBarBtnWithTitle(const std::string& title) {
    if (navBarLeftBtn_) {
        navBarLeftBtn_->setTitle(title);
    }
}

void ORVUINavigationBarView::updateRightNavBarBtnWithTitle(const std::string& title) {
    if (navBarRightBtn_) {
        navBarRightBtn_->setTitle(title);
    }
}

void ORVUINavigationBarView::setTarget(const std::shared_ptr<ui::BarButtonItem>& item, std::weak_ptr<const void> target,
                                       std::function<void()> action) {
    if (!item) {
        return;
    }
    item->setAction([target = std::move(target), action = std::move(action)](ui::BarButtonItem&) {
        if (target.lock() && action) {
            action();
        }
    });
}

void ORVUINavigationBarView::addLeftButtonTarget(std::weak_ptr<const void> target, std::function<void()> action,
                                                 ui::ControlEvents /*events*/) {
    setTarget(navBarLeftBtn_, std::move(target), std::move(action));
}

void ORVUINavigationBarView::addRightButtonTarget(std::weak_ptr<const void> target, std::function<void()> action,
                                                  ui::ControlEvents /*events*/) {
    setTarget(navBarRightBtn_, std::move(target), std::move(action));
}

void ORVUINavigationBarView::setNavBarLeftBtn(std::shared_ptr<ui::BarButtonItem> item) {
    if (navBarTitle_) {
        navBarTitle_->setLeftBarButtonItem(std::move(item));
    }
}

void ORVUINavigationBarView::setNavBarRightBtn(std::shared_ptr<ui::BarButtonItem> item) {
    if (navBarTitle_) {
        navBarTitle_->setRightBarButtonItem(std::move(item));
    }
}

} // namespace zelvan::orvane
