// fadeView: the one fade the widget kit's views use to appear and go - a view animation of the view's
// alpha that keeps the view alive until it ends and then runs what comes after.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/view.h"

namespace zelvan {

// Animates `view`'s alpha to `alpha` over `duration` seconds as the animation `name`; `done`, when
// given, runs when the fade ends (the view stays alive until then).
void fadeView(const std::shared_ptr<ui::View>& view, const std::string& name, double alpha, double duration,
              std::function<void()> done = {});

} // namespace zelvan
