// The widget kit's way to the application delegate where none is handed over: the photo view's
// photo source and the card status pictures.
#pragma once

#include <memory>

namespace zelvan {

class zelvanAppDelegate;

namespace toolkit {

// The installed application delegate; null when none is installed (a screen or view built alone).
std::shared_ptr<zelvanAppDelegate> context();

} // namespace toolkit
} // namespace zelvan
