// The voice call engine's signalling side: command 10 read on the network thread, then the chat
// lines, the incoming-call question, the connected call's fields (for a call the user placed or
// accepted only) and the banner on the main thread.
#include <charconv>

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/chat/im_chat.h"
#include "messaging/lists/im_controller.h"
#include "messaging/model/im_card.h"
#include "messaging/model/im_group.h"
#include "messaging/model/v_card.h"
#include "messaging/voice/voip_view.h"
#include "messaging/voice/zelvan_voip.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/ui/window.h"
#include "protocol/packet_reader.h"
#include "protocol/tracer.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

std::string ZelvanVoip::partyText(const fnd::Value& party) {
    if (auto n = party.asInt()) {
        return std::to_string(*n);
    }
    const std::string* text = party.asString();
    return text ? *text : std::string();
}

void ZelvanVoip::handleVoip(const fnd::Value& packet) {
    const PacketReader p(packet);
    if (!packet.isArray() || p.count() < 4) {
        ZTRACE_WARN("ignored a call signal that is not an array of at least 4 elements: %@",
                    fnd::logPreviewValue(packet, 200));
        return;
    }
    const fnd::Result<int64_t> imId = p.wholeNumber(1);
    const fnd::Result<int64_t> status = p.wholeNumber(3);
    const fnd::Value& party = p.array().objectAtIndex(2);
    if (!imId || *imId < -1 || *imId > INT32_MAX || !status) {
        ZTRACE_WARN("ignored a call signal with an unreadable account or status: %@",
                    fnd::logPreviewValue(packet, 200));
        return;
    }
    // A service user is named by a number, an IM buddy by a non-empty name.
    const bool partyOk = *imId == -1 ? (party.asInt() && *party.asInt() > 0 && *party.asInt() <= INT32_MAX)
                                     : (party.asString() && !party.asString()->empty());
    if (!partyOk) {
        ZTRACE_WARN("ignored a call signal with an unreadable party: %@", fnd::logPreviewValue(packet, 200));
        return;
    }
    Signal signal;
    signal.imId = static_cast<int32_t>(*imId);
    signal.party = party;
    if (*status < kIncoming || *status > kConnected) {
        ZTRACE_WARN("ignored a call signal of unknown status %lld", static_cast<long long>(*status));
        return;
    }
    signal.status = static_cast<int>(*status);
    if (signal.status == kConnected) {
        const std::string* host = p.optionalText(4);
        const fnd::Result<int64_t> port = p.wholeNumber(5);
        const fnd::Result<int64_t> channel = p.wholeNumber(6);
        if (!host || host->empty() || !port || *port <= 0 || *port > 65535 || !channel || *channel < INT32_MIN ||
            *channel > INT32_MAX) {
            ZTRACE_WARN("ignored a connected call without a usable relay host, port and channel: %@",
                        fnd::logPreviewValue(packet, 200));
            return;
        }
        signal.host = *host;
        signal.port = static_cast<uint16_t>(*port);
        signal.channelId = static_cast<int32_t>(*channel);
    }
    onMainInline([signal](ZelvanVoip& self) { self.handleSignal(signal); });
}

void ZelvanVoip::handleSignal(const Signal& signal) {
    const std::string party = partyText(signal.party);
    switch (signal.status) {
    case kIncoming:
        incomingCall(signal);
        break;
    case kAccepted:
        chatLine(signal.imId, party, ZLS("acceptTip"), false);
        break;
    case kRejected:
        chatLine(signal.imId, party, ZLS("callRejectTip"), false);
        break;
    case kEnded:
        // A caller who gave up while the question is open: the question goes without an answer.
        if (callAlert_ && callAlertImId_ == fnd::Value(signal.imId) && partyText(callAlertParty_) == party) {
            auto question = std::move(callAlert_);
            question->dismissWithClickedButtonIndex(kReject, ui::Animated::Yes);
        }
        if (acceptedCall_ && acceptedCall_->first == signal.imId && acceptedCall_->second == party) {
            acceptedCall_.reset(); // the caller gave up before the call connected
        }
        chatLine(signal.imId, party, ZLS("callEnd"), false);
        setShouldStop(true);
        chatLine(signal.imId, party, std::nullopt, true);
        break;
    case kConnected:
        callConnected(signal);
        break;
    default:
        break;
    }
}

void ZelvanVoip::chatLine(int32_t imId, const std::string& party, const std::optional<std::string>& line,
                          bool clearCalling) {
    auto im = messenger();
    auto chat = im ? im->getchat(imId, party) : nullptr;
    if (!chat) {
        return;
    }
    if (line) {
        chat->addSystemMessage(*line);
    }
    if (clearCalling) {
        chat->clearCallingStatus();
    }
}

std::shared_ptr<baseCard> ZelvanVoip::knownCard(int32_t imId, const std::string& party) const {
    auto im = messenger();
    if (!im) {
        return nullptr;
    }
    if (imId == -1) {
        int32_t userId = 0;
        std::from_chars(party.data(), party.data() + party.size(), userId);
        return im->getuserid(userId);
    }
    // Looks without creating: the account's getuser would add an unknown buddy.
    auto account = im->findIMWithID(imId);
    if (!account) {
        return nullptr;
    }
    const auto& buddies = *account->all();
    for (size_t i = 0; i < buddies.count(); ++i) {
        auto buddy = buddies.objectAtIndex(i).asObject<imCard>();
        if (buddy && buddy->user() == party) {
            return buddy;
        }
    }
    return nullptr;
}

bool ZelvanVoip::userPlacedCall(int32_t imId, const std::string& party) const {
    auto card = knownCard(imId, party);
    auto im = card ? messenger() : nullptr;
    auto chats = im ? im->chatController() : nullptr;
    // The chat the user called from is marked until the call connects, is cancelled or ends.
    auto chat = chats ? chats->findChatWithCard(card, false) : nullptr;
    return chat && chat->inCall();
}

void ZelvanVoip::incomingCall(const Signal& signal) {
    const std::string party = partyText(signal.party);
    chatLine(signal.imId, party, ZLS("callAlert"), false);
    auto delegate = app();
    const bool onWiFi = delegate && delegate->networkStatus() == zelvanAppDelegate::kNetworkWiFi;
    const bool idle = !call().voipServer.has_value();
    if (!callAlert_ && idle && knownCard(signal.imId, party) && onWiFi) {
        callAlertImId_ = fnd::Value(signal.imId);
        callAlertParty_ = signal.party;
        callAlert_ = ui::AlertView::initWithTitle(ZLS("VoIPTitle"), ZLS("callMessage"), weak_from_this(), ZLS("Reject"),
                                                  {ZLS("Accept")});
        callAlert_->show();
        return;
    }
    if (delegate) {
        delegate->send(fnd::Value::array({kCommand, signal.imId, signal.party, kRejected}));
    }
    chatLine(signal.imId, party, onWiFi ? ZLS("callFailed") : ZLS("callFailedWiFi"), false);
}

void ZelvanVoip::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
    if (&alert != callAlert_.get()) {
        return;
    }
    callAlert_.reset();
    const int answer = buttonIndex == kAccept ? kAccepted : kRejected;
    if (answer == kAccepted) {
        acceptedCall_ = {callAlertImId_.asInt().value_or(0), partyText(callAlertParty_)};
    }
    if (auto delegate = app()) {
        delegate->send(fnd::Value::array({kCommand, callAlertImId_, callAlertParty_, answer}));
    }
}

void ZelvanVoip::alertViewDidDismissWithButtonIndex(ui::AlertView& alert, int /*buttonIndex*/) {
    if (&alert == callAlert_.get()) {
        callAlert_.reset();
    }
}

void ZelvanVoip::callConnected(const Signal& signal) {
    const std::string party = partyText(signal.party);
    // Only a call the user placed or accepted connects, once: anything else would send the session
    // key to whatever relay the packet names.
    const bool accepted = acceptedCall_ && acceptedCall_->first == signal.imId && acceptedCall_->second == party;
    if (!accepted && !userPlacedCall(signal.imId, party)) {
        ZTRACE_WARN("ignored a connected call with %s that the user neither placed nor accepted (relay %s:%d)",
                    fnd::logPreview(party), fnd::logPreview(signal.host), static_cast<int>(signal.port));
        return;
    }
    acceptedCall_.reset();
    auto delegate = app();
    if (delegate) {
        delegate->hideInfo();
    }
    VoipCall next;
    next.imId = signal.imId;
    if (signal.imId == -1) {
        next.userId = static_cast<int32_t>(*signal.party.asInt());
        auto im = messenger();
        auto card = im ? im->getuserid(next.userId) : nullptr;
        next.username = card ? card->getname() : party;
    } else {
        next.username = party;
    }
    next.voipServer = signal.host;
    next.voipPort = signal.port;
    next.channelId = signal.channelId;
    // The fields are in place before the flag that hands them to the network thread.
    setCall(std::move(next));
    showVoipDialog(true);
    setStartNewConnection(true);
    chatLine(signal.imId, party, std::nullopt, true);
}

void ZelvanVoip::showVoipDialog(bool reset) {
    if (reset && voipView_) {
        voipView_->hide();
        voipView_.reset();
    }
    if (!voipView_) {
        voipView_ = VoipView::create();
        std::weak_ptr<ZelvanVoip> weak = weak_from_this();
        voipView_->setHangUpHandler([weak] {
            if (auto self = weak.lock()) {
                self->setShouldStop(true);
            }
        });
        const VoipCall current = call();
        voipView_->setContent(fnd::format(ZLS("Calling %@"), current.username.value_or(std::string())));
        if (current.imId == -1) {
            voipView_->setIcon(ZelvanWidget::imageFromResource("zelvan", true));
        } else if (auto im = messenger()) {
            if (auto account = im->findIMWithID(current.imId)) {
                voipView_->setIcon(ZelvanWidget::imageFromResource(fnd::format("%d", account->prot() + 4), true));
            }
        }
    }
    if (voipView_->superview()) {
        voipView_->refresh();
        return;
    }
    auto delegate = app();
    if (auto window = delegate ? delegate->window() : nullptr) {
        voipView_->showInView(window);
    }
    voipView_->refresh();
}

} // namespace zelvan
