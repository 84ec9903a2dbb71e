// Fuzz target: reply bytes read as the offer wall's configuration, then the tab choice over it. Never a
// crash; the wall comes without an error text, Status is always the last tab, and the chosen tab is one
// of the present tabs before it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "offers/brightpoint/bp_payment_controller.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        fnd::setMinLogLevel(fnd::LogLevel::Error);
        return true;
    }();
    (void)quiet;
    static auto client = std::make_shared<zelvan::brightpoint::Brightpoint>("", nullptr);
    const fnd::Bytes reply(data, data + size);
    const auto outcome = client->applyConfigurationReply(reply);
    if (outcome.showWall && !outcome.errorMessage.empty()) {
        std::abort();
    }
    const auto choice = zelvan::brightpoint::BPChooseTabs(client->configuration());
    if (choice.tabs.empty() || choice.tabs.back() != zelvan::brightpoint::BPTab::Status ||
        (choice.selected && *choice.selected + 1 >= choice.tabs.size())) {
        std::abort();
    }
    return 0;
}
