// ui::testing::findView: the first view of a class in a view tree, for tests that look for what a
// screen put on display (an alert, a sheet, a cell).
#pragma once

#include <memory>

#include "platform/ui/view.h"

namespace ui::testing {

// The first view under `root` (itself included) of class T, depth first; null when there is none.
template <class T>
std::shared_ptr<T> findView(const std::shared_ptr<View>& root) {
    if (!root) {
        return nullptr;
    }
    if (auto found = std::dynamic_pointer_cast<T>(root)) {
        return found;
    }
    for (const auto& sub : root->subviews()) {
        if (auto found = findView<T>(sub)) {
            return found;
        }
    }
    return nullptr;
}

} // namespace ui::testing
