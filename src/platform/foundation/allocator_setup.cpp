// The C allocator's process-wide settings (glibc's mallopt).
#include "platform/foundation/allocator_setup.h"

#include <cstdlib> // defines __GLIBC__ with the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace fnd {

void setUpAllocator() {
#if defined(__GLIBC__)
    // No fast lists: a freed small block merges with its free neighbours at once.
    mallopt(M_MXFAST, 0);
#endif
}

} // namespace fnd
