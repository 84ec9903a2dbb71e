// ui::testing::saveScreenshot: what a view shows, written as a PNG under "screenshots/" in the test's
// working folder, for a person to look at.
#pragma once

#include <string>

#include "platform/ui/view.h"

namespace ui::testing {

// Lays the view out, draws it and writes "screenshots/<name>"; whether the file was written.
bool saveScreenshot(View& view, const std::string& name);

} // namespace ui::testing
