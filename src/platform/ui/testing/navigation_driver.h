// Navigation test helpers: a finger on a navigation controller's back button and on a tab bar
// controller's tabs, delivered through the window like any other tap.
#pragma once

#include <cstddef>
#include <memory>

namespace ui {
class NavigationController;
class TabBarController;
} // namespace ui

namespace ui::testing {

// Taps the back button of `nav`'s navigation bar. False (and a log line) when no back button shows
// or the bar is not in a window.
bool tapBack(const std::shared_ptr<NavigationController>& nav);

// Taps tab `index` of `tbc`'s tab bar, so the controller's delegate is consulted. False (and a log
// line) when there is no such tab or the bar is not in a window.
bool tapTab(const std::shared_ptr<TabBarController>& tbc, size_t index);

} // namespace ui::testing
