// The widget kit's access to the installed application delegate: the only place of the library that reads it.
#include "toolkit/toolkit_context.h"

#include "core/zelvan_app_delegate.h"

namespace zelvan::toolkit {

std::shared_ptr<zelvanAppDelegate> context() {
    return zelvanAppDelegate::current();
}

} // namespace zelvan::toolkit
