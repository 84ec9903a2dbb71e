// The chat window's views: the toolbar with the chat's icon, name and the action buttons of its kind,
// the two message lists, the page dots, the input bar and the navigation bar's title strip and buttons.
#include <memory>
#include <vector>

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "messaging/chat/im_chat.h"
#include "messaging/model/chat_group_card.h"
#include "messaging/model/chat_room_card.h"
#include "messaging/model/v_card.h"
#include "messaging/window/im_chat_controller.h"
#include "platform/foundation/log.h"
#include "platform/graphics/font.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/navigation_item.h"
#include "toolkit/widget_layout.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

namespace {

struct ToolbarButtonSpec {
    int tag;
    const char* title;
    const char* image;
    void (IMChatController::*action)();
};

constexpr ToolbarButtonSpec kToolbarButtons[] = {
    {IMChatController::kBtnVoip, "VoIP", "btn_voip", &IMChatController::startVoip},
    {IMChatController::kBtnEndVoip, "End VoIP", "btn_voip_end", &IMChatController::endVoip},
    {IMChatController::kBtnHome, "goToHome", "btn_home", &IMChatController::showHome},
    {IMChatController::kBtnPhoto, "Photo", "btn_camera", &IMChatController::uploadPicture},
    {IMChatController::kBtnGroupUsers, "Users", "btn_users", &IMChatController::showGroupUsers},
    {IMChatController::kBtnBlock, "Block", "btn_block", &IMChatController::blockGroup},
    {IMChatController::kBtnUnblock, "Unblock", "btn_unblock", &IMChatController::unblockGroup},
    {IMChatController::kBtnRoomUsers, "Users", "btn_users", &IMChatController::showChatRoomUsers},
    {IMChatController::kBtnPrivateChatOn, "chatroom.privatechat.on", "btn_chat", &IMChatController::turnOnPrivateChat},
    {IMChatController::kBtnPrivateChatOff, "chatroom.privatechat.off", "btn_chat",
     &IMChatController::turnOffPrivateChat},
    {IMChatController::kBtnDisallow, "privatechat.disallow", "btn_block", &IMChatController::disallowPrivateChat},
};

constexpr int32_t kBlockedBit = 1;

} // namespace

void IMChatController::addButtonAction(ui::Control& control, void (IMChatController::*action)(),
                                       ui::ControlEvents events) {
    control.addTarget(selfAs<IMChatController>(), action, events);
}

void IMChatController::loadView() {
    auto root = ZelvanWidget::newContentViewForViewController();
    // Pushed on a navigation stack, the view gets the room under the bar; the subviews are laid out
    // for that height once, as they do not follow their parent's size.
    if (auto nav = navigationController(); nav && !nav->isNavigationBarHidden()) {
        root->setFrame(widgetRectResize(root->frame(), 0, -ui::NavigationBar::kDefaultHeight));
    }
    root->setAutoresizesSubviews(false);
    setView(root);
    const double W = root->bounds().width();
    const double H = root->bounds().height();

    if (!toolbarBgView_) {
        toolbarBgView_ = ui::View::create<ui::ImageView>(gfx::Rect(0, 0, W, kToolbarBackgroundHeight));
        toolbarBgView_->setImage(ZelvanWidget::imageFromResource("im-bar-minimized", false));
        toolbarBgView_->setUserInteractionEnabled(true);
    }
    root->addSubview(toolbarBgView_);
    if (!toolbarView_) {
        toolbarView_ = ui::View::create<ui::ImageView>(gfx::Rect(0, 0, W, kToolbarHeight));
        toolbarView_->setBackgroundColor(gfx::Color::clear());
        toolbarView_->setUserInteractionEnabled(true);
        toolbarBgView_->addSubview(toolbarView_);
    }
    if (!toolbarBtnView_) {
        toolbarBtnView_ = ui::View::create<ui::View>(toolbarView_->bounds());
        toolbarBtnView_->setBackgroundColor(gfx::Color::clear());
        toolbarView_->addSubview(toolbarBtnView_);
    }
    if (!toolbarNameLabel_) {
        toolbarNameLabel_ = ui::View::create<ui::Label>(gfx::Rect());
        toolbarNameLabel_->setFont(gfx::Font::withName("Helvetica-Bold", 14));
        toolbarNameLabel_->setTextColor(gfx::Color::white());
        toolbarNameLabel_->setBackgroundColor(toolbarView_->backgroundColor());
        toolbarNameLabel_->setTextAlignment(gfx::TextAlignment::Left);
        toolbarNameLabel_->setLineBreakMode(gfx::LineBreakMode::MiddleTruncation);
        ZelvanWidget::enableFontAutoAdjust(*toolbarNameLabel_);
        toolbarView_->addSubview(toolbarNameLabel_);
    }
    if (!toolbarImageView_) {
        const double h = toolbarView_->bounds().height();
        toolbarImageView_ = ui::View::create<ui::ImageView>(gfx::Rect(0, 0, h, h));
        toolbarView_->addSubview(toolbarImageView_);
    }
    reloadToolbar();

    if (!inputView_) {
        inputView_ = ui::View::create<ui::ImageView>(gfx::Rect(0, H - kInputHeight, W, kInputHeight));
        inputView_->setImage(ZelvanWidget::newImageFromResource("input-background", false));
        inputView_->setUserInteractionEnabled(true);
    }
    root->addSubview(inputView_);
    const double inputWidth = inputView_->bounds().width();
    if (!emoticonBtn_) {
        emoticonBtn_ = ui::View::create<ui::Button>(gfx::Rect());
        auto image = ZelvanWidget::imageFromResource("emoticon-btn", false);
        emoticonBtn_->setImage(image, ui::ControlState::Normal);
        const gfx::Size size = image ? image->size() : gfx::Size(kInputHeight, kInputHeight);
        emoticonBtn_->setFrame(gfx::Rect(inputWidth - size.width, 0, size.width, size.height));
        emoticonBtn_->setCenter(gfx::Point(emoticonBtn_->center().x, kInputHeight / 2));
        addButtonAction(*emoticonBtn_, &IMChatController::showZLVEmoticonPanelView, ui::ControlEvents::TouchDown);
        inputView_->addSubview(emoticonBtn_);
    }
    if (!textField_) {
        const double width = inputWidth - 4 - emoticonBtn_->frame().width();
        textField_ = ui::View::create<ZSimpleChatInputField>(gfx::Rect(0, 0, width, kTextFieldHeight));
        textField_->setBackgroundColor(gfx::Color::clear());
        textField_->setKeyboardAppearance(ui::KeyboardAppearance::Alert);
        textField_->setDelegate(selfAs<IMChatController>());
        textField_->setReturnKeyType(ui::ReturnKeyType::Send);
        textField_->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
        // The hint is a placeholder, so beginning to type never takes away a line that is still there.
        textField_->setPlaceholder(ZLS("Tap here to chat"));
        textField_->setCenter(gfx::Point(textField_->center().x, kInputHeight / 2));
        inputView_->addSubview(textField_);
        widgetViewFrameCeil(*inputView_);
    }

    if (!pageControl_) {
        pageControl_ = ui::View::create<ui::PageControl>(
            gfx::Rect(0, inputView_->frame().minY() - kPageControlHeight, W, kPageControlHeight));
        pageControl_->setBackgroundColor(ZelvanWidget::colorForId(8));
        addButtonAction(*pageControl_, &IMChatController::pageAction);
        pageControl_->setNumberOfPages(static_cast<int>(chats_.size()));
        pageControl_->setHidesForSinglePage(false);
        pageControl_->setCurrentPage(0);
        pageControl_->setHidden(chats_.size() <= 1);
    }
    root->addSubview(pageControl_);

    const gfx::Rect listFrame(0, kToolbarBackgroundHeight, W,
                              H - kToolbarBackgroundHeight - kInputHeight - kPageControlHeight);
    if (!chatView_) {
        chatView_ = ui::View::create<IMChatView>(listFrame);
        chatView_->reloadWithChat(currentChat_);
        chatView_->setChatViewDelegate(selfAs<IMChatController>());
    }
    root->addSubview(chatView_);
    if (!bgChatView_) {
        bgChatView_ = ui::View::create<IMChatView>(listFrame.offsetBy(listFrame.width(), 0));
        bgChatView_->setChatViewDelegate(selfAs<IMChatController>());
    }
    root->addSubview(bgChatView_);
    // Dots hidden from the start leave their room to the lists, as hiding them later does.
    if (pageControl_->isHidden()) {
        for (const auto& list : {chatView_, bgChatView_}) {
            list->setFrame(widgetRectResize(list->frame(), 0, kPageControlHeight));
        }
    }

    if (!titleView_) {
        titleView_ =
            ui::View::create<ZChatTitleView>(gfx::Rect(0, 0, kTitleViewWidth, ui::NavigationBar::kDefaultHeight));
        titleView_->setBackgroundColor(gfx::Color::clear());
        titleView_->setChatWindow(selfAs<IMChatController>());
        titleView_->setTitleViewDelegate(selfAs<IMChatController>());
        for (const auto& chat : chats_) {
            titleView_->addChat(chat);
        }
    }
    navigationItem()->setTitleView(titleView_);

    if (!maskView_) {
        maskView_ = ui::View::create<ui::View>(root->bounds());
        maskView_->setBackgroundColor(ZelvanWidget::colorFromWeb(0, kMaskAlpha));
    }
    reloadLeftBarButton();
    reloadRightBarButton();
}

bool IMChatController::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::Portrait;
}

std::shared_ptr<ui::Button> IMChatController::toolbarButton(int tag) const {
    auto it = btns_.find(tag);
    return it == btns_.end() ? nullptr : it->second;
}

void IMChatController::initToolbarButtons() {
    if (btnsMade_) {
        return;
    }
    btnsMade_ = true;
    for (const auto& spec : kToolbarButtons) {
        auto button = makeToolbarButton(ZLS(spec.title), spec.image, spec.tag);
        addButtonAction(*button, spec.action);
    }
}

std::shared_ptr<ui::Button> IMChatController::makeToolbarButton(const std::string& title, const std::string& image,
                                                                int tag) {
    auto button = ZelvanWidget::newWhiteButton();
    button->setTitle(title, ui::ControlState::Normal);
    button->setImage(ZelvanWidget::imageFromResource(image, false), ui::ControlState::Normal);
    button->titleLabel()->setFont(gfx::Font::withName("Helvetica", 12));
    const gfx::Size natural = widgetGetButtonSize(*button, kToolbarButtonMaxWidth);
    const double width = natural.width > kToolbarButtonMinWidth ? natural.width : kToolbarButtonMinWidth;
    button->setBounds(gfx::Rect(0, 0, width, kToolbarHeight - 2));
    button->setTag(tag);
    btns_[tag] = button;
    return button;
}

std::shared_ptr<ui::Button> IMChatController::addToolbarButton(int tag) {
    auto button = toolbarButton(tag);
    if (!button) {
        return nullptr;
    }
    const double x = toolbarBtns_.empty() ? 0 : toolbarBtns_.back()->frame().maxX();
    button->setFrame(widgetRectMoveTo(button->frame(), x, button->frame().minY()));
    button->setCenter(gfx::Point(button->center().x, toolbarView_->bounds().height() / 2));
    toolbarBtns_.push_back(button);
    toolbarBtnView_->addSubview(button);
    return button;
}

void IMChatController::placeToolbarButtons(const baseCard& card) {
    switch (card.kind()) {
    case CardKind::Im:
        break;
    case CardKind::V:
        if (static_cast<const vCard&>(card).userid() != 0) {
            addToolbarButton(kBtnHome);
        }
        break;
    case CardKind::ChatGroup: {
        const bool blocked = static_cast<const ChatGroupCard&>(card).checkMembershipAttr(kBlockedBit);
        if (!blocked) {
            addToolbarButton(kBtnPhoto);
        }
        addToolbarButton(kBtnGroupUsers);
        addToolbarButton(blocked ? kBtnUnblock : kBtnBlock);
        break;
    }
    case CardKind::ChatRoom: {
        const auto& room = static_cast<const ChatRoomCard&>(card);
        if (auto users = addToolbarButton(kBtnRoomUsers)) {
            users->setEnabled(room.state() == 1);
        }
        addToolbarButton(room.allowPrivateChat() ? kBtnPrivateChatOff : kBtnPrivateChatOn);
        break;
    }
    case CardKind::PrivateChat:
        addToolbarButton(kBtnHome);
        addToolbarButton(kBtnDisallow);
        break;
    default:
        ZLOG(Warn, "unknown card %s", card.description());
        break;
    }
}

void IMChatController::reloadToolbar() {
    if (!toolbarView_) {
        return;
    }
    initToolbarButtons();
    // A copy: each removal changes the strip's list of subviews.
    const std::vector<std::shared_ptr<ui::View>> placed = toolbarBtnView_->subviews();
    for (const auto& sub : placed) {
        sub->removeFromSuperview();
    }
    toolbarBtns_.clear();
    auto card = currentChat_ ? currentChat_->card() : nullptr;
    if (!card) {
        toolbarNameLabel_->setText({});
        toolbarImageView_->setImage(nullptr);
        return;
    }
    placeToolbarButtons(*card);
    const double toolbarWidth = toolbarView_->bounds().width();
    const double toolbarHeight = toolbarView_->bounds().height();
    double w =
        toolbarBtns_.empty() ? 0 : static_cast<double>(static_cast<int64_t>(toolbarBtns_.back()->frame().maxX()));
    if (!toolbarBtns_.empty()) {
        toolbarBtnView_->setFrame(gfx::Rect(toolbarWidth - w, 0, w, toolbarHeight));
    }
    if (w >= toolbarWidth) {
        w = toolbarWidth;
    }
    toolbarImageView_->setImage(ZelvanWidget::newStatusImageForCard(fnd::Value(card)));
    const double iconWidth = toolbarImageView_->frame().width();
    toolbarNameLabel_->setText(card->getname());
    toolbarNameLabel_->setFrame(gfx::Rect(toolbarImageView_->frame().maxX() + kNameGap, 0,
                                          toolbarWidth - w - iconWidth - kNameGap, toolbarHeight));
}

void IMChatController::reloadLeftBarButton() {
    auto nav = navigationController();
    if (!nav || nav->viewControllers().size() <= 1) {
        return;
    }
    const auto& stack = nav->viewControllers();
    auto back = ZelvanWidget::newBarBackButton();
    back->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Center);
    back->titleLabel()->setFont(gfx::Font::withName("Helvetica-Bold", 12));
    back->setTitle(stack[stack.size() - 2]->title(), ui::ControlState::Normal);
    addButtonAction(*back, &IMChatController::backAction);
    const gfx::Size natural = widgetGetButtonSize(*back, 2147483647.0);
    back->setFrame(gfx::Rect(0, 0, natural.width, kBackButtonHeight));
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::initWithCustomView(back), ui::Animated::Yes);
}

void IMChatController::reloadRightBarButton() {
    if (!itemClose_) {
        auto close = ZelvanWidget::newMossBarButton();
        close->setTitle(ZLS("Close"), ui::ControlState::Normal);
        addButtonAction(*close, &IMChatController::removeCurrentChat);
        itemClose_ = ui::BarButtonItem::initWithCustomView(close);
    }
    navigationItem()->setRightBarButtonItem(itemClose_, ui::Animated::Yes);
}

} // namespace zelvan
