// The Selvo client's class-level entry points over the installed context: the one file of the client,
// besides the accessor's own definition, that calls context(). It sits in the top library (view/), which
// links every other library of the client.
#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_misc.h"

namespace zelvan::selvo {

std::shared_ptr<SVCacheManager> SVCacheManager::sharedSVCacheManager() {
    auto installed = selvo::context();
    return installed ? forContext(*installed) : nullptr;
}

std::shared_ptr<SVMisc> SVMisc::sharedSVMisc() {
    auto installed = selvo::context();
    return installed ? installed->misc() : nullptr;
}

} // namespace zelvan::selvo
