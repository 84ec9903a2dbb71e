// Fuzz target: call signalling (command 10) from untrusted bytes - any values for the account,
// party, status, relay host, port and channel - handed to the voice engine over a messenger with a
// friend and an IM buddy. Nothing may crash; every answer the engine sends is a well-formed call
// packet; a call it accepts as connected has a relay host and a usable port. Open questions are
// answered and accepted calls hung up, so each input starts from an idle engine.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/im_group.h"
#include "messaging/model/v_card.h"
#include "messaging/voice/zelvan_voip.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/thread.h"
#include "platform/ui/alert_view.h"
#include "protocol/tagged_codec.h"
#include "temp_folder_fuzz_support.h"

namespace {

using fnd::Value;

struct World {
    std::shared_ptr<zelvan::zelvanAppDelegate> app;
    std::shared_ptr<zelvan::IMController> messenger;
    std::shared_ptr<zelvan::ZelvanVoip> voip;
};

World& world() {
    static World w = [] {
        ::setenv("ZELVAN_HOME", fuzzsupport::temporaryFolder("fuzz-call-signalling").c_str(), 1);
        fnd::initMainThread();
        fnd::testing::FakeReachability::install();
        World made;
        zelvan::AppRegistry registry;
        registry.im.factory =
            [&made](zelvan::zelvanAppDelegate& delegate) -> std::shared_ptr<zelvan::MessengerService> {
            made.messenger = zelvan::IMController::create(delegate.shared_from_this());
            return made.messenger;
        };
        registry.zelvanVoip.factory = [](zelvan::zelvanAppDelegate& delegate) -> std::shared_ptr<zelvan::VoipService> {
            return zelvan::ZelvanVoip::makeForDelegate(delegate);
        };
        made.app = zelvan::zelvanAppDelegate::create({}, std::move(registry));
        made.app->im();
        made.voip = std::dynamic_pointer_cast<zelvan::ZelvanVoip>(made.app->zelvanVoip());
        auto card = zelvan::vCard::create();
        card->setUi(Value::dictionary({{0, "Ann"}, {-1, 0}}).asDictionary());
        card->setUserid(2001);
        card->setContactid(1);
        made.messenger->insertContact(card);
        auto account = zelvan::imGroup::create();
        account->setIm_id(1);
        account->setProt(1);
        account->getuser("bob");
        made.messenger->ims().push_back(account);
        made.messenger->chatController()->findChatWithCard(card, true);
        return made;
    }();
    return w;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& w = world();
    auto decoded = zelvan::loads(std::span<const uint8_t>(data, size));
    Value packet = Value::array({zelvan::ZelvanVoip::kCommand});
    if (decoded && decoded->isArray() && decoded->asArray()->count() > 0) {
        packet = decoded->deepCopy();
        packet.asArray()->replaceObjectAtIndex(0, zelvan::ZelvanVoip::kCommand);
    } else if (decoded) {
        packet.asArray()->addObject(*decoded);
    }
    w.voip->handleVoip(packet);
    fnd::RunLoop::main().runUntilIdle();

    if (auto question = w.voip->callAlert()) {
        const int answer = size % 2 == 0 ? zelvan::ZelvanVoip::kAccept : zelvan::ZelvanVoip::kReject;
        w.voip->alertViewClickedButtonAtIndex(*question, answer);
        question->dismissWithClickedButtonIndex(answer, ui::Animated::No);
        fnd::RunLoop::main().runUntilIdle();
        if (w.voip->callAlert()) {
            std::abort();
        }
    }
    if (w.voip->startNewConnection()) {
        const zelvan::VoipCall call = w.voip->call();
        if (!call.voipServer || call.voipServer->empty() || call.voipPort == 0 || !call.username) {
            std::abort();
        }
        // Hung up without opening anything: the fuzzer makes no connections.
        w.voip->setStartNewConnection(false);
    }
    w.voip->stopVOIP();
    fnd::RunLoop::main().runUntilIdle();

    for (const auto& bytes : w.app->packetQueue().drain()) {
        auto sent = zelvan::loads(bytes);
        auto items = sent ? sent->asArray() : nullptr;
        if (!items || items->count() != 4 || items->objectAtIndex(0).intValue() != zelvan::ZelvanVoip::kCommand) {
            std::abort();
        }
        const auto status = items->objectAtIndex(3).asInt();
        if (!status || *status < 1 || *status > 3) {
            std::abort();
        }
    }
    return 0;
}
