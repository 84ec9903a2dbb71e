// The messenger library's access to the installed application delegate: the only place of the library that reads it.
#include "messaging/messaging_context.h"

#include "core/zelvan_app_delegate.h"

namespace zelvan::messaging {

std::shared_ptr<zelvanAppDelegate> context() {
    return zelvanAppDelegate::current();
}

} // namespace zelvan::messaging
