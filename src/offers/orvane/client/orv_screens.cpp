// The store view's close, as the facade watches it.
#include "offers/orvane/client/orv_screens.h"

namespace zelvan::orvane {

void ORVStoreView::didMoveToSuperview() {
    if (superview()) {
        placed_ = true;
        return;
    }
    if (placed_ && !closed_) {
        closed_ = true;
        if (auto onClose = std::move(onClose_)) {
            onClose();
        }
    }
}

} // namespace zelvan::orvane
