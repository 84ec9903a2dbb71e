// The Selvo client's context and its shared SVMisc.
#include "ads/selvo/selvo_wiring.h"

#include <utility>

#include "ads/selvo/sv_misc.h"

namespace zelvan::selvo {

std::shared_ptr<SelvoContext> makeSelvo(std::shared_ptr<Reachability> reachability, SelvoConfig config,
                                        std::shared_ptr<fnd::WorkerPool> workerPool) {
    auto context = std::make_shared<SelvoContext>(std::move(reachability), std::move(config), std::move(workerPool));
    context->setMisc(std::make_shared<SVMisc>(context.get()));
    return context;
}

} // namespace zelvan::selvo
