// Fuzz target: a click reply table (the first byte picks the ad's action) through the ad controller's
// dispatch and into the contact entry, with the address book on a temporary root. Nothing crashes, and
// nothing but a parsed URL is ever opened.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_contact.h"
#include "ads/adwick/adwick_controller.h"
#include "ads/adwick/adwick_view.h"
#include "ads/adwick/adwick_wiring.h"
#include "ads/adwick/json/json_deserializer.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_transport.h"
#include "platform/foundation/thread.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/testing/alert_driver.h"
#include "temp_folder_fuzz_support.h"

namespace {

using zelvan::adwick::AdwickAd;

constexpr const char* kActions[] = {"url", "canvas", "app", "itunes", "call", "contact", "other"};

struct Publisher : zelvan::adwick::AdwickDelegate {
    std::optional<std::string> publisherId() override { return std::nullopt; }
    std::optional<std::string> adserverEndpoint() override { return std::string("http://ads.test/ad"); }
};

struct World {
    std::shared_ptr<fnd::testing::FakeTransport> transport;
    std::shared_ptr<zelvan::adwick::AdwickContext> context;
    std::shared_ptr<Publisher> publisher = std::make_shared<Publisher>();
};

World& world() {
    static World w = [] {
        ::setenv("ZELVAN_HOME", fuzzsupport::temporaryFolder("fuzz-adwick-click").c_str(), 1);
        fnd::setLogToStderr(false);
        fnd::initMainThread();
        fnd::AppFolders::setUp();
        World made;
        made.transport = fnd::testing::FakeTransport::install();
        made.context = zelvan::adwick::makeAdwick({}, nullptr); // no ad reply is read
        return made;
    }();
    return w;
}

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& w = world();
    if (size == 0) {
        return 0;
    }
    const char* action = kActions[data[0] % (sizeof kActions / sizeof kActions[0])];
    auto parsed = zelvan::adwick::JSONDeserializer().deserialize(fnd::Bytes(data + 1, data + size));
    const fnd::Value response = parsed ? *parsed : fnd::Value();

    auto view = ui::View::create<zelvan::adwick::AdwickViewInternal>(gfx::Rect(0, 0, 320, 48));
    auto controller = std::make_shared<zelvan::adwick::AdwickController>(w.context);
    controller->setView(view);
    controller->setDelegate(w.publisher);
    auto ad = AdwickAd::initWithAdFormat(0, w.context);
    ad->setDelegate(w.publisher);
    ad->setAdDelegate(controller);
    ad->request();
    // Only the action is taken from this table (the ad then fails for want of a click URL).
    ad->didFinishParsingAdData(fnd::Value::dictionary({{"6", action}}));

    ui::Application::shared().clearOpenedUrls();
    controller->clickDidSucceed(*ad, response);
    for (const auto& url : ui::Application::shared().openedUrls()) {
        check(fnd::Url::parse(url).has_value());
    }
    // Alerts hold themselves until answered: answer with cancel.
    while (auto alert = ui::testing::AlertDriver::visibleAlert()) {
        alert->clickButtonAtIndex(alert->cancelButtonIndex());
        alert->dismissWithClickedButtonIndex(alert->cancelButtonIndex(), ui::Animated::No);
        fnd::RunLoop::main().runUntilIdle();
    }

    auto table = response.asDictionary();
    const fnd::Value* entry = table ? table->find("contact") : nullptr;
    if (auto contact = zelvan::adwick::AdwickContact::initWithDictionary(entry ? *entry : response)) {
        if (!contact->organization().empty() && contact->saveToAddressBook()) {
            check(zelvan::adwick::AdwickContact::initWithAddressBookEntryForOrganization(contact->organization()) !=
                  nullptr);
            contact->removeFromAddressBook();
        }
    }
    ad->abandon();
    fnd::RunLoop::main().runUntilIdle();
    return 0;
}
