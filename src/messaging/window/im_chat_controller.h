// IMChatController: the messenger's one chat window. It holds every open conversation, shows one at a
// time (paged with the title strip, the page dots or a sideways flick), sends what the user types with
// the command of the chat's kind of card, uploads pictures, starts and cancels calls, carries the room
// and group actions, and keeps the unread counts and the messenger tab's badge. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ads/zlv_ad_wrapper_view.h"
#include "core/alert_queue.h"
#include "messaging/avatars/zelvan_avatar_manager.h"
#include "messaging/chat/im_chat.h"
#include "messaging/chat/im_chat_view.h"
#include "messaging/window/im_chat_window.h"
#include "messaging/window/z_chat_title_view.h"
#include "messaging/window/zlv_emoticon_panel_view.h"
#include "platform/ui/action_sheet.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/button.h"
#include "platform/ui/image_picker_controller.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/page_control.h"
#include "platform/ui/text_field.h"
#include "platform/ui/view_controller.h"
#include "protocol/command_table.h"
#include "toolkit/z_simple_alert_view.h"
#include "toolkit/z_simple_chat_input_field.h"

namespace zelvan {

class ChatRoomCard;
class IMController;
class zelvanAppDelegate;

class IMChatController : public ui::ViewController,
                         public IMChatWindow,
                         public IMChatDelegate,
                         public ui::TextFieldDelegate,
                         public ZLVEmoticonPanelViewDelegate,
                         public AvatarUpdateDelegate,
                         public ZChatTitleViewDelegate,
                         public IMChatViewDelegate,
                         public ui::ActionSheetDelegate,
                         public ui::ImagePickerControllerDelegate,
                         public ZSimpleAlertViewDelegate,
                         public ZLVAdWrapperViewDelegate {
public:
    // Alert tags; the alert's alertId holds the card it is about.
    static constexpr int kTagBlockGroup = 1;
    static constexpr int kTagRoomRule = 2;
    static constexpr int kTagDisallowPrivateChat = 3;
    // Room rules (which the server may send for one room after another) that may wait behind the one on screen.
    static constexpr size_t kWaitingRoomRules = 2;
    // Toolbar button tags.
    enum ToolbarButton {
        kBtnVoip = 1,
        kBtnEndVoip = 2,
        kBtnHome = 3,
        kBtnPhoto = 4,
        kBtnGroupUsers = 5,
        kBtnBlock = 6,
        kBtnUnblock = 7,
        kBtnRoomUsers = 8,
        kBtnPrivateChatOn = 9,
        kBtnPrivateChatOff = 10,
        kBtnDisallow = 11,
    };
    // Sizes of the window's views (points).
    static constexpr double kToolbarBackgroundHeight = 35;
    static constexpr double kToolbarHeight = 30;
    static constexpr double kInputHeight = 44;
    static constexpr double kTextFieldHeight = 33;
    static constexpr double kPageControlHeight = 15;
    static constexpr double kTitleViewWidth = 130;
    static constexpr double kToolbarButtonMinWidth = 64;
    static constexpr double kToolbarButtonMaxWidth = 320;
    static constexpr double kFullscreenButtonHeight = 33;
    static constexpr double kFullscreenButtonMaxWidth = 120;
    static constexpr double kBackButtonHeight = 26;
    static constexpr double kNameGap = 3;
    // How far the input bar rises while the keyboard is up (less the advertisement's height).
    static constexpr int kKeyboardOffset = 166;
    static constexpr double kAnimationDuration = 0.3;
    static constexpr double kMaskAlpha = 0.4;
    // Delay between switching to the home tab and opening the partner's home page.
    static constexpr double kShowHomeDelay = 0.4;
    static constexpr double kPictureQuality = 0.3;
    // The command numbers the window sends.
    static constexpr int kCmdChatLine = cmd::kChatLine;
    static constexpr int kCmdPicture = cmd::kPicture;
    static constexpr int kCmdCall = cmd::kVoip;
    static constexpr int kCmdPhoneLine = cmd::kPhoneLine;
    static constexpr int kCmdEnterRoom = cmd::kEnterRoom;
    static constexpr int kCmdRoomLine = cmd::kRoomLine;
    static constexpr int kCmdLeaveRoom = cmd::kLeaveRoom;
    static constexpr int kCmdPrivateLine = cmd::kPrivateLine;
    static constexpr int kCmdRoomRule = cmd::kRoomRule;
    static constexpr int kCmdGroupLine = cmd::kGroupLine;
    static constexpr int kCmdBlockGroup = cmd::kBlockGroup;
    // Call stages of command 10.
    static constexpr int kCallStart = 0;
    static constexpr int kCallCancel = 3;

    // The window of `messenger`, registered with the application's avatar manager.
    static std::shared_ptr<IMChatController> create(const std::shared_ptr<zelvanAppDelegate>& delegate,
                                                    IMController* messenger);
    IMChatController(const std::shared_ptr<zelvanAppDelegate>& delegate, IMController* messenger);
    ~IMChatController() override;

    std::string className() const override { return "IMChatController"; }
    // The messenger is going away: the window stops reaching it.
    void detachMessenger() { messenger_ = nullptr; }

    // --- IMChatWindow ---
    using IMChatWindow::findChatWithCard;
    std::shared_ptr<IMChat> findChatWithCard(const std::shared_ptr<baseCard>& card, bool create) override;
    void activateChatWithCard(const std::shared_ptr<baseCard>& card) override;
    void updateChatWithCard(const std::shared_ptr<baseCard>& card) override;
    void removeChatWithCard(const std::shared_ptr<baseCard>& card) override;
    void closeIMGroup(const std::shared_ptr<imGroup>& group) override;
    // Forgets every chat (the connection was lost): nothing is sent, the window shows none.
    void clear() override;
    // Asks the user to accept the room's rule, unless there is none yet or it was accepted before.
    void displayRuleOfChatRoom(const std::shared_ptr<ChatRoomCard>& room) override;
    std::vector<std::shared_ptr<IMChat>> chats() const override { return chats_; }
    std::shared_ptr<IMChat> currentChat() const override { return currentChat_; }
    std::shared_ptr<ui::ViewController> viewController() override { return selfAs<ui::ViewController>(); }

    // --- Chats ---
    // Opens a chat for the card with its opening lines and requests.
    std::shared_ptr<IMChat> addChatWithCard(const std::shared_ptr<baseCard>& card);
    // Makes the chat at `index` current (nothing past the end).
    void activateChat(int index);
    void switchCurrentChat(const std::shared_ptr<IMChat>& chat);
    void setCurrentChat(std::shared_ptr<IMChat> chat) { currentChat_ = std::move(chat); }
    // Closes the chat on screen as the user asked (the Close button).
    void removeCurrentChat();
    void reload();
    void backAction();
    bool isVisible() const;
    void updateTabBadgeValue();
    int32_t openedChatCount() const { return openedChatCount_; }

    // --- Toolbar actions ---
    void startVoip();
    void endVoip();
    void showHome();
    void uploadPicture();
    void showGroupUsers();
    void blockGroup();
    void unblockGroup();
    void showChatRoomUsers();
    void turnOnPrivateChat();
    void turnOffPrivateChat();
    void disallowPrivateChat();

    // --- View ---
    void loadView() override;
    void viewDidAppear(ui::Animated animated) override;
    void viewWillDisappear(ui::Animated animated) override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;
    void reloadToolbar();
    void initToolbarButtons();
    std::shared_ptr<ui::Button> makeToolbarButton(const std::string& title, const std::string& image, int tag);
    std::shared_ptr<ui::Button> addToolbarButton(int tag);
    void reloadLeftBarButton();
    void reloadRightBarButton();
    void refreshPageControl();
    void pageAction();
    // Moves the input bar and page dots up by `d` (down when negative) and shortens the lists by it.
    void setInputMovedUp(int d);
    void relocateInputView();
    void showZLVEmoticonPanelView();
    void hideInput();
    // The end of a flick's animation: the list now on screen becomes the visible one.
    void transitionDidStop(const std::string& animationId, bool finished, void* context);

    // --- Views (null before loadView) ---
    const std::shared_ptr<IMChatView>& chatView() const { return chatView_; }
    const std::shared_ptr<IMChatView>& bgChatView() const { return bgChatView_; }
    const std::shared_ptr<ui::ImageView>& toolbarBgView() const { return toolbarBgView_; }
    const std::shared_ptr<ui::ImageView>& toolbarView() const { return toolbarView_; }
    const std::shared_ptr<ui::View>& toolbarBtnView() const { return toolbarBtnView_; }
    const std::shared_ptr<ui::Label>& toolbarNameLabel() const { return toolbarNameLabel_; }
    const std::shared_ptr<ui::ImageView>& toolbarImageView() const { return toolbarImageView_; }
    const std::vector<std::shared_ptr<ui::Button>>& toolbarBtns() const { return toolbarBtns_; }
    std::shared_ptr<ui::Button> toolbarButton(int tag) const;
    const std::shared_ptr<ui::ImageView>& inputView() const { return inputView_; }
    const std::shared_ptr<ZSimpleChatInputField>& textField() const { return textField_; }
    const std::shared_ptr<ui::Button>& emoticonBtn() const { return emoticonBtn_; }
    const std::shared_ptr<ui::PageControl>& pageControl() const { return pageControl_; }
    const std::shared_ptr<ZChatTitleView>& titleView() const { return titleView_; }
    const std::shared_ptr<ui::View>& maskView() const { return maskView_; }

    // --- Callbacks ---
    void messagesUpdated(IMChat& chat) override;
    void callStatusUpdated() override { reload(); }
    void messageTapped(IMChatView& chatView, const std::shared_ptr<IMMessage>& message, int row) override;
    void tableViewTapped(IMChatView& chatView) override;
    void tableViewLeftFlicked(IMChatView& chatView) override;
    void tableViewRightFlicked(IMChatView& chatView) override;
    void switchActiveChat(const std::shared_ptr<IMChat>& chat) override;
    void startScroll() override;
    void endScroll() override;
    void avatarUpdated(int32_t userId, int32_t type, int32_t version) override;
    void emoticonSelected(int32_t index, const std::string& escapedText) override;
    void buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& buttonTitle, int buttonIndex) override;
    void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) override;
    void imagePickerControllerDidFinishPickingImage(ui::ImagePickerController& picker, const gfx::ImagePtr& image,
                                                    const ui::ImagePickerInfo* editingInfo) override;
    void imagePickerControllerDidCancel(ui::ImagePickerController& picker) override;
    void adViewAvailable(ZLVAdWrapperView& /*wrapper*/) override { relocateInputView(); }
    std::optional<bool> textFieldShouldReturn(ui::TextField& field) override;
    std::optional<bool> textFieldShouldBeginEditing(ui::TextField& /*field*/) override { return true; }
    std::optional<bool> textFieldShouldEndEditing(ui::TextField& /*field*/) override { return true; }
    std::optional<bool> textFieldShouldClear(ui::TextField& /*field*/) override { return true; }
    void textFieldDidBeginEditing(ui::TextField& field) override;
    void textFieldDidEndEditing(ui::TextField& field) override;

private:
    enum class Flick { Previous, Next };

    void send(const fnd::Value& packet);
    // The chat's opening system lines and requests, by the kind of its card.
    void openingLines(IMChat& chat, const std::shared_ptr<baseCard>& card);
    void addSystemLine(const std::string& text);
    // The room rule accepted: logged, written to its file, and the room entered.
    void acceptRoomRule(const std::shared_ptr<ChatRoomCard>& room);
    bool ruleAccepted(int32_t roomId) const;
    void presentPicker(ui::ImagePickerControllerSourceType source);
    // The advertisement view when the chat advertisement is switched on and shown here; else null.
    std::shared_ptr<ZLVAdWrapperView> chatAd() const;
    bool chatAdsVisible() const;
    // How far typing raises the input bar now.
    int inputOffset() const;
    void flick(Flick direction);
    void placeToolbarButtons(const baseCard& card);
    // Where alerts, sheets and panels show: the tab bar controller's view, else the window's own.
    std::shared_ptr<ui::View> alertHost() const;
    // Runs `action` on the window (while it lives) when the control sends `events`.
    void addButtonAction(ui::Control& control, void (IMChatController::*action)(),
                         ui::ControlEvents events = ui::ControlEvents::TouchUpInside);

    std::weak_ptr<zelvanAppDelegate> delegate_;
    IMController* messenger_;

    std::shared_ptr<IMChatView> chatView_;
    std::shared_ptr<IMChatView> bgChatView_;
    std::shared_ptr<ui::ImageView> toolbarView_;
    std::shared_ptr<ui::View> toolbarBtnView_;
    std::shared_ptr<ui::Label> toolbarNameLabel_;
    std::shared_ptr<ui::ImageView> toolbarImageView_;
    std::shared_ptr<ui::ImageView> inputView_;
    std::shared_ptr<ZChatTitleView> titleView_;
    std::shared_ptr<ui::PageControl> pageControl_;
    std::shared_ptr<ui::ImageView> toolbarBgView_;
    std::shared_ptr<ui::View> maskView_;
    std::shared_ptr<ZSimpleChatInputField> textField_;
    std::shared_ptr<ui::Button> emoticonBtn_;
    std::vector<std::shared_ptr<ui::Button>> toolbarBtns_;
    std::map<int, std::shared_ptr<ui::Button>> btns_;
    bool btnsMade_ = false;
    std::shared_ptr<ui::BarButtonItem> itemClose_;
    std::shared_ptr<ui::BarButtonItem> itemFullscreen_;
    std::vector<std::shared_ptr<IMChat>> chats_;
    std::shared_ptr<IMChat> currentChat_;
    int32_t openedChatCount_ = 0;
    // The offset applied when editing began, undone exactly when it ends.
    int appliedInputOffset_ = 0;
    bool inputRaised_ = false;
    AlertQueue ruleAlerts_{"room rule", kWaitingRoomRules};
};

} // namespace zelvan
