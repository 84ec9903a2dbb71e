// IMController's address-book side: the sync's confirmation, its run on a background thread and the
// result applied on the main thread, the progress overlay, the confirmation alerts' answers, and the
// new-person and profile pages over the address book.
#include "core/localization.h"
#include "core/main_thread.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/lists/im_controller.h"
#include "platform/foundation/date.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/tab_bar_controller.h"

namespace zelvan {

namespace {

const char* confirmationKey(int mode) {
    switch (mode) {
    case ContactSync::kMerge:
        return "requestBackupContact";
    case ContactSync::kImport:
        return "requestImportContact";
    default:
        return "requestExportContact";
    }
}

} // namespace

void IMController::syncContacts(int mode, bool ask) {
    if (mode != ContactSync::kMerge && mode != ContactSync::kImport && mode != ContactSync::kExport) {
        return;
    }
    if (ask) {
        // Tags 2, 3 and 4 answer modes 1, 2 and 3.
        showAlert(ZLS(confirmationKey(mode)), mode + 1, overlayView());
        return;
    }
    startSync(mode);
}

void IMController::startSync(int mode) {
    if (syncing_) {
        ZLOG(Warn, "messenger: a contact sync is already running; sync %d ignored", mode);
        return;
    }
    showMask();
    syncing_ = true;
    if (syncThread_.joinable()) {
        syncThread_.join();
    }
    std::weak_ptr<IMController> weak = std::static_pointer_cast<IMController>(shared_from_this());
    // The run sees copies of the cards only; the lists change on the main thread when it is done.
    syncThread_ = std::thread([weak, mode, cards = ContactSync::snapshot(all())] {
        ContactSync::Plan plan = ContactSync::run(mode, cards, [weak](float progress) {
            onMain(weak, [progress](IMController& self) { self.updateProgress(progress); });
        });
        onMain(weak, [plan = std::move(plan)](IMController& self) { self.finishSync(plan); });
    });
}

void IMController::finishSync(const ContactSync::Plan& plan) {
    applySync(plan, [this](const fnd::Value& packet) { send(packet); });
    if (addressBook_) {
        addressBook_->revert();
    }
    syncing_ = false;
    if (plan.ran) {
        updateProgress(1.0f);
    }
    hideMask();
    runQueuedCommands();
}

void IMController::waitForSync() {
    if (syncThread_.joinable()) {
        syncThread_.join();
    }
    // The run has ended, so its result is already posted: a few passes of the loop apply it.
    for (int pass = 0; syncing_ && pass < 1000; ++pass) {
        fnd::RunLoop::main().runMode(fnd::RunLoopMode::Default, fnd::Date::dateWithTimeIntervalSinceNow(0.01));
    }
}

std::shared_ptr<ui::View> IMController::overlayView() {
    auto delegate = delegate_.lock();
    auto tabs = delegate ? delegate->tabBarController() : nullptr;
    return tabs ? tabs->view() : view();
}

void IMController::showMask() {
    syncView_->updateProgress(0, ui::Animated::No);
    syncView_->showInView(overlayView());
    if (const auto& button = navigationItem()->rightBarButtonItem()) {
        button->setEnabled(false);
    }
}

void IMController::hideMask() {
    onMain(std::static_pointer_cast<IMController>(shared_from_this()), [](IMController& self) {
        self.syncView_->hide();
        if (const auto& button = self.navigationItem()->rightBarButtonItem()) {
            button->setEnabled(true);
        }
        self.reloadInternal();
    });
}

void IMController::updateProgress(float progress) {
    onMain(std::static_pointer_cast<IMController>(shared_from_this()),
           [progress](IMController& self) { self.syncView_->updateProgress(progress, ui::Animated::No); });
}

std::shared_ptr<ZSimpleAlertView> IMController::makeAlert(const std::string& text, int tag) {
    auto alert = ZSimpleAlertView::create();
    alert->setBackgroundColor(gfx::Color(0, 0, 0, 0.3));
    alert->label()->setText(text);
    alert->setIcon(1);
    alert->setTag(tag);
    alert->setDelegate(std::static_pointer_cast<IMController>(shared_from_this()));
    return alert;
}

std::shared_ptr<ZSimpleAlertView> IMController::showAlert(const std::string& text, int tag) {
    return showAlert(text, tag, view());
}

std::shared_ptr<ZSimpleAlertView> IMController::showAlert(const std::string& text, int tag,
                                                          const std::shared_ptr<ui::View>& view) {
    auto alert = makeAlert(text, tag);
    alert->addButtonWithTitle(ZLS("No"));
    alert->addButtonWithTitle(ZLS("Yes"));
    alert->showInView(view);
    return alert;
}

std::shared_ptr<ZSimpleAlertView> IMController::showWarning(const std::string& text) {
    auto alert = makeAlert(text, kTagWarning);
    warningAlerts_.show(alert->queueEntry(view()));
    return alert;
}

void IMController::newPersonViewControllerDidCompleteWithNewPerson(device::NewPersonViewController& /*controller*/,
                                                                   const std::shared_ptr<device::Person>& person) {
    if (auto nav = navigationController()) {
        nav->popToRootViewControllerAnimated(ui::Animated::Yes);
    }
    if (!person) {
        return;
    }
    auto card = vCard::initWithPerson(*person);
    if (addressBook_) {
        if (auto held = addressBook_->personWithRecordID(person->recordID())) {
            addressBook_->removeRecord(held);
            if (auto saved = addressBook_->save(); !saved.ok()) {
                ZLOG(Warn, "messenger: the new person could not be removed: %s", saved.error().localizedDescription());
            }
        }
    }
    waitadd().push_back(card);
    setRev(rev() + 1);
    send(fnd::Value::array({ContactSync::kAddCommand, card->ui()}));
    safeReload();
}

void IMController::actionShowProfile(const std::shared_ptr<vCard>& card) {
    if (!card || !addressBook_) {
        ZLOG(Warn, "messenger: no address book for the profile page");
        return;
    }
    auto person = device::Person::create();
    card->save(person);
    if (card->userid() >= 1) {
        auto avatars = currentAvatarManager();
        if (gfx::ImagePtr head = avatars ? avatars->newImageAvatarHead(card->userid(), false) : nullptr) {
            person->setImageData(gfx::pngRepresentation(*head));
        }
    }
    addressBook_->addRecord(person);
    if (auto saved = addressBook_->save(); !saved.ok()) {
        ZLOG(Warn, "messenger: the profile's person could not be saved: %s", saved.error().localizedDescription());
        return;
    }
    tmpLocalId_ = person->recordID();
    selectedCard_ = card;
    auto page = std::make_shared<device::PersonViewController>();
    page->setAddressBook(addressBook_);
    page->setDisplayedPerson(person);
    page->setAllowsEditing(true);
    page->setPersonViewDelegate(std::static_pointer_cast<IMController>(shared_from_this()));
    if (auto nav = navigationController()) {
        nav->pushViewController(page, ui::Animated::Yes);
    }
}

bool IMController::personViewControllerShouldPerformDefaultActionForPerson(
    device::PersonViewController& /*controller*/, const std::shared_ptr<device::Person>& /*person*/,
    device::Property /*property*/, device::MultiValueIdentifier /*identifier*/) {
    return false;
}

} // namespace zelvan
