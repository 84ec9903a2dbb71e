// What the chat window sends: typed lines by the kind of the chat's card, pictures from the camera
// or the album, call requests and cancels, and the partner's home page.
#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/chat/im_chat.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/im_card.h"
#include "messaging/model/im_group.h"
#include "messaging/model/private_chat_card.h"
#include "messaging/model/unknown_card.h"
#include "messaging/model/v_card.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/image.h"
#include "platform/ui/navigation_controller.h"
#include "protocol/zelvan_packet.h"
#include "toolkit/z_simple_photo_view.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

namespace {

// The IM account id of an external buddy; -1 when the buddy has lost its account.
int32_t accountId(const imCard& buddy) {
    auto group = buddy.group();
    return group ? group->im_id() : -1;
}

// Whether a line may go to `card` now; otherwise the chat gets the reason.
bool mayReceive(const baseCard& card, IMChat& chat) {
    if (card.state() != 0) {
        const auto* group = dynamic_cast<const ChatGroupCard*>(&card);
        if (group && group->checkMembershipAttr(1)) {
            chat.addSystemMessage(ZLS("groupSendMessageinUnblock"));
            return false;
        }
        return true;
    }
    switch (card.kind()) {
    case CardKind::ChatRoom:
        chat.addSystemMessage(ZLS("chatroom.offlinealert"));
        return false;
    case CardKind::V:
        if (static_cast<const vCard&>(card).supportOfflineMessage()) {
            return true;
        }
        break;
    case CardKind::Unknown:
        // A bare phone number has no presence: its lines always go out as text messages.
        return true;
    default:
        break;
    }
    chat.addSystemMessage(fnd::format(ZLS("userOfflineTip"), card.getname()));
    return false;
}

} // namespace

std::optional<bool> IMChatController::textFieldShouldReturn(ui::TextField& field) {
    if (!currentChat_ || !currentChat_->card()) {
        return false;
    }
    auto card = currentChat_->card();
    if (!mayReceive(*card, *currentChat_)) {
        return false;
    }
    const std::string text = field.text();
    if (text.empty()) {
        return false;
    }
    currentChat_->addChatMessage(text, nullptr);
    switch (card->kind()) {
    case CardKind::Im: {
        const auto& buddy = static_cast<const imCard&>(*card);
        send(fnd::Value::array({kCmdChatLine, accountId(buddy), buddy.user(), text}));
        break;
    }
    case CardKind::V:
        send(fnd::Value::array({kCmdChatLine, -1, static_cast<const vCard&>(*card).userid(), text}));
        break;
    case CardKind::ChatGroup:
        send(fnd::Value::array({kCmdGroupLine, static_cast<const ChatGroupCard&>(*card).groupId(), text}));
        break;
    case CardKind::ChatRoom:
        send(fnd::Value::array({kCmdRoomLine, static_cast<const ChatRoomCard&>(*card).roomId(), text}));
        break;
    case CardKind::Unknown:
        send(fnd::Value::array({kCmdPhoneLine, static_cast<const unknownCard&>(*card).phone(), text}));
        break;
    case CardKind::PrivateChat: {
        ZelvanPacket packet(kCmdPrivateLine);
        packet.addInt(static_cast<const PrivateChatCard&>(*card).sid());
        packet.addObject(fnd::Value(text));
        packet.requireLogin();
        if (auto delegate = delegate_.lock()) {
            delegate->sendPacket(packet);
        }
        break;
    }
    default:
        break;
    }
    field.setText({});
    return false;
}

// --- Pictures ---

void IMChatController::uploadPicture() {
    if (!ZelvanWidget::supportsCamera()) {
        presentPicker(ui::ImagePickerControllerSourceType::PhotoLibrary);
        return;
    }
    auto sheet = ui::ActionSheet::initWithTitle(ZLS("sendPhoto"), selfAs<IMChatController>(), ZLS("Cancel"),
                                                std::nullopt, {ZLS("SEND_PIC_1"), ZLS("SEND_PIC_2")});
    sheet->showInView(alertHost());
}

void IMChatController::actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) {
    const std::string title = sheet.buttonTitleAtIndex(buttonIndex).value_or("");
    if (title == ZLS("SEND_PIC_1")) {
        presentPicker(ui::ImagePickerControllerSourceType::Camera);
    } else if (title == ZLS("SEND_PIC_2")) {
        presentPicker(ui::ImagePickerControllerSourceType::PhotoLibrary);
    }
}

void IMChatController::presentPicker(ui::ImagePickerControllerSourceType source) {
    if (!ui::ImagePickerController::isSourceTypeAvailable(source)) {
        return;
    }
    auto nav = navigationController();
    if (!nav) {
        ZLOG(Warn, "chat: no navigation to show the photo picker in");
        return;
    }
    auto picker = std::make_shared<ui::ImagePickerController>();
    picker->setDelegate(selfAs<IMChatController>());
    picker->setSourceType(source);
    picker->setAllowsImageEditing(true);
    nav->presentModalViewController(picker, ui::Animated::Yes);
}

void IMChatController::imagePickerControllerDidFinishPickingImage(ui::ImagePickerController& picker,
                                                                  const gfx::ImagePtr& image,
                                                                  const ui::ImagePickerInfo* /*editingInfo*/) {
    auto card = currentChat_ ? currentChat_->card() : nullptr;
    auto fitted = image ? image->imageFittedTo(ZSimplePhotoView::defaultMaxSize(), true) : nullptr;
    fnd::Bytes jpeg = fitted ? gfx::jpegRepresentation(*fitted, kPictureQuality) : fnd::Bytes{};
    if (card && !jpeg.empty()) {
        ZelvanPacket packet(kCmdPicture);
        bool known = true;
        if (auto buddy = std::dynamic_pointer_cast<imCard>(card)) {
            packet.addInt(accountId(*buddy));
            packet.addObject(fnd::Value(buddy->user()));
        } else if (auto partner = std::dynamic_pointer_cast<vCard>(card); partner && partner->state() != 0) {
            packet.addInt(-1);
            packet.addInt(partner->userid());
        } else if (auto group = std::dynamic_pointer_cast<ChatGroupCard>(card)) {
            packet.addInt(-2);
            packet.addInt(group->groupId());
        } else {
            known = false;
        }
        if (known) {
            packet.addObject(fnd::Value(std::move(jpeg)));
            packet.addObject(fnd::Value("jpg"));
            packet.requireLogin();
            if (auto delegate = delegate_.lock()) {
                delegate->sendPacket(packet);
            }
        }
    } else if (!image || jpeg.empty()) {
        ZLOG(Warn, "chat: the chosen picture could not be encoded; nothing sent");
    }
    addSystemLine(ZLS("fileSending"));
    if (auto parent = picker.parentViewController()) {
        parent->dismissModalViewControllerAnimated(ui::Animated::Yes);
    }
}

void IMChatController::imagePickerControllerDidCancel(ui::ImagePickerController& picker) {
    if (auto parent = picker.parentViewController()) {
        parent->dismissModalViewControllerAnimated(ui::Animated::Yes);
    }
}

// --- Calls ---

void IMChatController::startVoip() {
    auto delegate = delegate_.lock();
    if (!currentChat_ || !delegate) {
        return;
    }
    if (delegate->networkStatus() != zelvanAppDelegate::kNetworkWiFi) {
        addSystemLine(ZLS("callFailedWiFi"));
        return;
    }
    auto card = currentChat_->card();
    if (auto buddy = std::dynamic_pointer_cast<imCard>(card)) {
        send(fnd::Value::array({kCmdCall, accountId(*buddy), buddy->user(), kCallStart}));
    } else if (auto partner = std::dynamic_pointer_cast<vCard>(card)) {
        send(fnd::Value::array({kCmdCall, -1, partner->userid(), kCallStart}));
    } else {
        reload();
        return;
    }
    addSystemLine(fnd::format(ZLS("Calling%@..."), card->getname()));
    currentChat_->setInCall(true);
    reload();
}

void IMChatController::endVoip() {
    if (!currentChat_) {
        return;
    }
    auto card = currentChat_->card();
    if (auto partner = std::dynamic_pointer_cast<vCard>(card)) {
        send(fnd::Value::array({kCmdCall, -1, partner->userid(), kCallCancel}));
    } else if (auto buddy = std::dynamic_pointer_cast<imCard>(card)) {
        send(fnd::Value::array({kCmdCall, accountId(*buddy), buddy->user(), kCallCancel}));
    }
    addSystemLine(fnd::format(ZLS("callingCanceled"), card ? card->getname() : std::string()));
    currentChat_->setInCall(false);
    reload();
}

// --- The partner's home page ---

void IMChatController::showHome() {
    auto card = currentChat_ ? currentChat_->card() : nullptr;
    int32_t uid = 0;
    if (auto partner = std::dynamic_pointer_cast<vCard>(card)) {
        uid = partner->userid();
    } else if (auto member = std::dynamic_pointer_cast<PrivateChatCard>(card)) {
        uid = member->userId();
    } else {
        return;
    }
    auto delegate = delegate_.lock();
    if (!delegate) {
        return;
    }
    delegate->switchTab(zelvanAppDelegate::TabHome, ui::Animated::Yes);
    std::weak_ptr<zelvanAppDelegate> weak = delegate;
    fnd::RunLoop::main().performAfter(kShowHomeDelay, [weak, uid] {
        auto app = weak.lock();
        if (auto homes = app ? app->homes() : nullptr) {
            homes->openUrl(fnd::format("zelvan://slidenewpage?%@?uid=%d", ZLS("static_home"), uid));
        }
    });
}

} // namespace zelvan
