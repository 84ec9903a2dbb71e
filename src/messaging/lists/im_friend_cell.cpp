// The contact row: views made on the first reload and updated in place, then filled per card kind -
// friends and address-book contacts, external IM buddies, chat groups, chat rooms and private-chat
// partners - and, for an open chat, the unread badge.
#include "messaging/lists/im_friend_cell.h"

#include "core/localization.h"
#include "core/time_text.h"
#include "core/zelvan_style.h"
#include "messaging/chat/im_chat.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/im_card.h"
#include "messaging/model/private_chat_card.h"
#include "messaging/model/v_card.h"
#include "platform/foundation/format.h"
#include "platform/ui/control.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

constexpr double kEditButtonSide = 40;
constexpr double kDisclosureSide = 24;
constexpr int32_t kEditChatGroups = 4;
constexpr int kTimeColor = 0x496b99;

// The text of a phone number value (empty when there is none).
std::string phoneText(const fnd::Value& phone) {
    return phone.isNull() ? std::string() : phone.stringValue();
}

} // namespace

void IMFriendCell::initWithFrame(gfx::Rect frame) {
    IMListCell::initWithFrame(frame);
    setUserInteractionEnabled(true);
    setSelectionStyle(ui::TableViewCellSelectionStyle::Blue);
}

void IMFriendCell::buildViews() {
    if (headView_) {
        return;
    }
    const auto& style = *ZelvanStyle::shared();
    const auto& content = contentView();
    setBackgroundColor(gfx::Color::clear());
    content->setBackgroundColor(gfx::Color::clear());
    bgView_ = ui::View::create(bounds());
    bgView_->setBackgroundColor(style.imCellBackgroundColor());
    setBackgroundView(bgView_);

    headView_ = ui::View::create<ui::ImageView>(gfx::Rect{});
    content->addSubview(headView_);
    stateView_ = ui::View::create<ui::ImageView>(gfx::Rect{});
    stateView_->setHidden(true);
    headView_->addSubview(stateView_);

    nameLabel_ = ui::View::create<ui::Label>(gfx::Rect(kTextX, 0, kNameWidth, kLineHeight));
    nameLabel_->setLineBreakMode(ui::LineBreakMode::MiddleTruncation);
    nameLabel_->setFont(style.font(1));
    nameLabel_->setBackgroundColor(gfx::Color::clear());
    content->addSubview(nameLabel_);

    miniblogLabel_ = ui::View::create<ui::Label>(gfx::Rect(kTextX, kLineHeight, kSecondLineWidth, kLineHeight));
    miniblogLabel_->setLineBreakMode(ui::LineBreakMode::MiddleTruncation);
    miniblogLabel_->setFont(style.font(2));
    miniblogLabel_->setTextColor(gfx::Color::gray());
    miniblogLabel_->setNumberOfLines(0);
    miniblogLabel_->setBackgroundColor(gfx::Color::clear());
    content->addSubview(miniblogLabel_);

    const double timeX = nameLabel_->frame().maxX();
    timeLabel_ = ui::View::create<ui::Label>(gfx::Rect(timeX, 0, content->frame().width() - timeX, kLineHeight));
    timeLabel_->setFont(style.font(3));
    timeLabel_->setTextColor(ZelvanWidget::colorFromWeb(kTimeColor, 1.0));
    timeLabel_->setBackgroundColor(gfx::Color::clear());
    content->addSubview(timeLabel_);

    badgeView_ = ZSimpleBadgeView::create();

    btnEdit_ = ui::View::create<ui::Button>(gfx::Rect(0, 0, kEditButtonSide, kEditButtonSide));
    btnEdit_->titleLabel()->setFont(gfx::Font::withName("Helvetica-Bold", 12));
    btnEdit_->setImage(ZelvanWidget::imageFromResource("accessory-manage", true), ui::ControlState::Normal);
    btnEdit_->addTarget(
        actionOwner(),
        [this](ui::Control&, const ui::Event*) {
            if (auto host = listHost()) {
                host->actionCellEdit(*this);
            }
        },
        ui::ControlEvents::TouchUpInside);

    btnDisclosure_ = ui::View::create<ui::Button>(gfx::Rect(0, 0, kDisclosureSide, kDisclosureSide));
    btnDisclosure_->setImage(ZelvanWidget::imageFromResource("im_minimize", true), ui::ControlState::Normal);
    btnDisclosure_->setAdjustsImageWhenHighlighted(false);
    btnDisclosure_->addTarget(
        actionOwner(),
        [this](ui::Control&, const ui::Event*) {
            if (auto host = listHost()) {
                host->actionCellDisclosure(*this);
            }
        },
        ui::ControlEvents::TouchUpInside);
}

void IMFriendCell::reloadWithCard(const fnd::Value& value, double height, int32_t edit) {
    buildViews();
    edit_ = edit;
    const auto card = cardFromValue(value);
    const auto kind = card ? card->kind() : CardKind::Base;
    const bool known = kind == CardKind::V || kind == CardKind::Im || kind == CardKind::ChatGroup ||
                       kind == CardKind::ChatRoom || kind == CardKind::PrivateChat;
    if (!known) {
        headView_->setImage(nullptr);
        showCornerMark(nullptr);
        setTexts("", "", "");
        timeShown_ = true;
        updateTimeHidden();
        return;
    }
    placePicture(value, height);
    miniblogLabel_->setFrame(gfx::Rect(kTextX, kLineHeight, kSecondLineWidth, kLineHeight));
    timeShown_ = false;
    const auto disclosure = ui::TableViewCellAccessoryType::DisclosureIndicator;

    switch (kind) {
    case CardKind::V: {
        const auto& friendCard = static_cast<const vCard&>(*card);
        const auto time = friendCard.miniblogTime();
        setTexts(friendCard.getname(),
                 friendCard.userid() >= 1 ? friendCard.miniblog().value_or("") : phoneText(friendCard.getFirstTel()),
                 time ? timetostr(*time) : std::string());
        timeShown_ = true;
        if (friendCard.state() >= 2) {
            showCornerMark(ZelvanWidget::stateIcon(friendCard.state()));
        } else if (friendCard.state() == 0 && friendCard.supportOfflineMessage()) {
            // The offline-message mark sits at the picture's lower left at its own size.
            const auto mark = ZelvanWidget::imageFromResource("im-notification", true);
            const gfx::Size size = mark ? mark->size() : gfx::Size{};
            stateView_->setImage(mark);
            stateView_->setFrame(gfx::Rect(0, headView_->frame().height() - size.height, size.width, size.height));
            stateView_->setHidden(!mark);
        } else {
            showCornerMark(nullptr);
        }
        setAccessoryWithView(nullptr, disclosure);
        break;
    }
    case CardKind::Im: {
        const auto& buddy = static_cast<const imCard&>(*card);
        setTexts(buddy.getname(), buddy.status(), "");
        if (buddy.statusHeight() > kLineHeight) {
            miniblogLabel_->setFrame(gfx::Rect(kTextX, kLineHeight, kSecondLineWidth, buddy.statusHeight()));
        }
        showCornerMark(buddy.state() >= 2 ? ZelvanWidget::stateIcon(buddy.state()) : nullptr);
        setAccessoryWithView(nullptr, ui::TableViewCellAccessoryType::None);
        break;
    }
    case CardKind::ChatGroup: {
        const auto& group = static_cast<const ChatGroupCard&>(*card);
        const std::string second =
            edit == kEditChatGroups ? ZLS(group.isAdmin() ? "Administrator" : "Member") : group.description();
        setTexts(fnd::format("%@", group.getname()), second, "");
        showCornerMark(group.checkMembershipAttr(ChatGroupCard::kMembershipBlocked)
                           ? ZelvanWidget::imageFromResource("btn_block", true)
                           : nullptr);
        setAccessoryWithView(group.isAdmin() ? btnEdit_ : nullptr, disclosure);
        break;
    }
    case CardKind::ChatRoom: {
        const auto& room = static_cast<const ChatRoomCard&>(*card);
        setTexts(room.getname(), room.description(), "");
        showCornerMark(nullptr);
        setAccessoryWithView(nullptr, disclosure);
        break;
    }
    case CardKind::PrivateChat: {
        const auto& partner = static_cast<const PrivateChatCard&>(*card);
        setTexts(partner.name(), "", "");
        showCornerMark(nullptr);
        setAccessoryWithView(nullptr, disclosure);
        break;
    }
    default:
        break;
    }
    updateTimeHidden();
}

void IMFriendCell::reloadWithChat(const std::shared_ptr<IMChat>& chat, double height, int32_t edit) {
    if (!chat) {
        reloadWithCard(fnd::Value(), height, edit);
        return;
    }
    reloadWithCard(fnd::Value(chat->card()), height, edit);
    if (chat->unread() < 1) {
        setAccessoryWithView(nullptr, ui::TableViewCellAccessoryType::DisclosureIndicator);
        badgeView_->updateBadgeValue(std::nullopt);
    } else {
        badgeView_->updateBadgeValue(fnd::format("%d", chat->unread()));
        setAccessoryWithView(badgeView_, ui::TableViewCellAccessoryType::None);
    }
}

void IMFriendCell::refreshHeadImage(const fnd::Value& card) {
    if (headView_) {
        headView_->setImage(ZelvanWidget::newStatusImageForCard(card));
    }
}

void IMFriendCell::setAccessoryWithView(const std::shared_ptr<ui::View>& view, ui::TableViewCellAccessoryType type) {
    if (view) {
        setAccessoryView(view);
        setAccessoryType(ui::TableViewCellAccessoryType::None);
    } else {
        setAccessoryType(type);
        setAccessoryView(nullptr);
    }
}

void IMFriendCell::setEditing(bool editing, ui::Animated animated) {
    IMListCell::setEditing(editing, animated);
    if (timeLabel_) {
        updateTimeHidden();
    }
}

void IMFriendCell::placePicture(const fnd::Value& card, double height) {
    const auto picture = ZelvanWidget::newStatusImageForCard(card);
    const gfx::Size size = picture ? picture->size() : gfx::Size{};
    headView_->setImage(picture);
    headView_->setFrame(
        gfx::Rect(kPictureCentreX - size.width / 2, (height - size.height) / 2, size.width, size.height));
}

void IMFriendCell::showCornerMark(const gfx::ImagePtr& image) {
    if (!image) {
        stateView_->setHidden(true);
        return;
    }
    const gfx::Size picture = headView_->frame().size;
    stateView_->setImage(image);
    stateView_->setFrame(
        gfx::Rect(picture.width - kStateMarkSide, picture.height - kStateMarkSide, kStateMarkSide, kStateMarkSide));
    stateView_->setHidden(false);
}

void IMFriendCell::setTexts(const std::string& name, const std::string& second, const std::string& time) {
    if (nameLabel_->text() != name) {
        nameLabel_->setText(name);
    }
    if (miniblogLabel_->text() != second) {
        miniblogLabel_->setText(second);
    }
    if (timeLabel_->text() != time) {
        timeLabel_->setText(time);
    }
}

void IMFriendCell::updateTimeHidden() {
    const bool hidden = !timeShown_ || edit_ != 0 || isEditing();
    if (timeLabel_->isHidden() != hidden) {
        timeLabel_->setHidden(hidden);
    }
}

} // namespace zelvan
