// NetworkLibraries: what the mediation keeps of the networks it reaches through this folder's thin
// interfaces - the Adwick, Selvo and Marlin clients (set by the composition root; null: that network has
// no ad in this run), the full-page controller, the one shared Marlin adapter and its lock, and which
// networks already said their client is missing. The composition root makes it and hands it to the
// context's constructor. Main thread.
#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace zelvan::mediation {

class AdwickLibrary;
class SelvoLibrary;
class MarlinLibrary;
class ORVFullPageAdsController;
class MarlinAdViewController;

struct NetworkLibraries {
    std::shared_ptr<AdwickLibrary> adwick;
    std::shared_ptr<SelvoLibrary> selvo;
    std::shared_ptr<MarlinLibrary> marlin;

    // Made on first use by ORVFullPageAdsController::shared.
    std::shared_ptr<ORVFullPageAdsController> fullPage;
    // The Marlin adapter (class-wide in the full-page design: one per context) and the lock that
    // destroying it holds.
    std::shared_ptr<MarlinAdViewController> sharedMarlin;
    std::recursive_mutex marlinLock;

    // Logs "mediation: no <network> client in this run, so it has no ad" the first time per network.
    void noteMissingClient(const std::string& network);

private:
    std::set<std::string> missing_;
};

} // namespace zelvan::mediation
