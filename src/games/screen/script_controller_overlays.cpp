// ScriptController's overlays: player-name labels, the chat area and its input line, the player
// information page, the web dialog, tap highlights and the result sheet.
#include <cmath>

#include "core/localization.h"
#include "core/zelvan_app_delegate.h"
#include "games/games_context.h"
#include "games/screen/script_controller.h"
#include "platform/foundation/format.h"
#include "platform/graphics/font.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/action_sheet.h"
#include "platform/ui/tab_bar_controller.h"
#include "protocol/tracer.h"
#include "toolkit/z_simple_tap_highlight_view.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

void ScriptController::drawUserName(fnd::Value info) {
    onMain([info = std::move(info)](ScriptController& self) {
        std::shared_ptr<fnd::Array> list = info.asArray();
        if (list == nullptr || list->count() < 8 || !self.isViewLoaded()) {
            Tracer::sharedTracer().output(__FILE__, __LINE__, "drawUserName", Tracer::kWarn,
                                          "name label needs 8 elements, got %d",
                                          list == nullptr ? -1 : static_cast<int>(list->count()));
            return;
        }
        auto at = [&](size_t i) { return list->objectAtIndex(i); };
        const std::string name = at(0).stringValue();
        const std::shared_ptr<gfx::Font> font = gfx::Font::withName("Helvetica-Bold", at(3).intValue());
        const double height = list->count() > 8 ? at(8).intValue() : gfx::sizeWithFont(name, font).height;
        auto label =
            ui::View::create<ui::Label>(gfx::Rect(at(1).intValue(), at(2).intValue(), at(7).intValue(), height));
        label->setBackgroundColor(gfx::Color::clear());
        label->setFont(font);
        label->setText(name);
        label->setTextColor(ZelvanWidget::colorFromWeb(at(5).intValue(), at(4).intValue() / 100.0));
        self.view()->addSubview(label);
        self.nameLabels_[at(6).intValue()] = label;
    });
}

void ScriptController::hideUserName(int32_t index) {
    onMain([index](ScriptController& self) {
        auto found = self.nameLabels_.find(index);
        if (found == self.nameLabels_.end()) {
            Tracer::sharedTracer().output(__FILE__, __LINE__, "hideUserName", Tracer::kWarn,
                                          "hideUserNameInMainThread not found %@", std::to_string(index));
            return;
        }
        found->second->removeFromSuperview();
        self.nameLabels_.erase(found);
    });
}

void ScriptController::displayChat(int32_t x, int32_t y, int32_t width, int32_t height, int32_t size, int32_t color,
                                   int32_t alpha, fnd::Value customColors) {
    onMain([=, customColors = std::move(customColors)](ScriptController& self) {
        if (self.chatView_ == nullptr) {
            return;
        }
        self.chatView_->setFrame(gfx::Rect(x, y, width, height));
        self.chatView_->setTextColor(ZelvanWidget::colorFromWeb(color, alpha / 100.0));
        self.chatView_->setTextFont(gfx::Font::withName("Helvetica-Bold", size));
        self.chatView_->setHidden(false);
        self.chatView_->setColors(customColors);
    });
}

void ScriptController::showInput() {
    onMain([](ScriptController& self) { self.showInputOnMain(); });
}

void ScriptController::gameChatViewTapped(GameChatView&) {
    showInputOnMain();
}

void ScriptController::showInputOnMain() {
    if (maskView_ == nullptr || maskView_->superview() != nullptr) {
        return;
    }
    maskView_->setFrame(view()->bounds());
    view()->addSubview(maskView_);
    inputView_->setFrame(gfx::Rect(0, isLandscape() ? 130 : 235, mView_->frame().width(), 32));
    maskView_->addSubview(inputView_);
    inputView_->becomeFirstResponder();
}

std::optional<bool> ScriptController::textFieldShouldReturn(ui::TextField& field) {
    const std::string text = field.text();
    if (!text.empty()) {
        fnd::Value packet = fnd::Value::array({kChatCommand, roomId(), text});
        if (host_ != nullptr) {
            host_->send(std::move(packet));
        } else if (auto app = games::context()) {
            app->send(packet);
        }
        if (chatView_ != nullptr) {
            chatView_->addSelfMessage(text);
        }
    }
    field.setText("");
    hideInput();
    return true;
}

void ScriptController::hideInput() {
    if (inputView_ != nullptr) {
        inputView_->resignFirstResponder();
    }
    if (maskView_ != nullptr) {
        maskView_->removeFromSuperview();
    }
}

void ScriptController::showUserInfo(int32_t index) {
    onMain([index](ScriptController& self) {
        std::shared_ptr<STLScriptEngine> game = self.engine();
        std::shared_ptr<fnd::Array> ids = game != nullptr ? game->userids().asArray() : nullptr;
        if (ids == nullptr || index < 0 || static_cast<size_t>(index) >= ids->count()) {
            Tracer::sharedTracer().output(__FILE__, __LINE__, "showUserInfo", Tracer::kWarn, "no player %d to show",
                                          index);
            return;
        }
        const int32_t uid = ids->objectAtIndex(static_cast<size_t>(index)).intValue();
        self.webDlgShow(fnd::format("%@?uid=%d&gid=%d", ZLS("static_userinfo"), uid, self.gameId_));
    });
}

void ScriptController::webDlgShow(std::string url) {
    onMainInline([url = std::move(url)](ScriptController& self) {
        if (self.mView_ == nullptr) {
            return;
        }
        if (self.webDialog_ == nullptr) {
            self.webDialog_ = ZLVWebDialog::create();
            self.webDialog_->controller()->setInitUrl(url);
            self.webDialog_->controller()->setParentController(std::weak_ptr<ui::ViewController>(
                std::dynamic_pointer_cast<ui::ViewController>(self.shared_from_this())));
        } else if (self.webDialog_->isVisible()) {
            self.webDialog_->controller()->openUrl(url);
        } else {
            self.webDialog_->controller()->setInitUrl(url);
        }
        self.webDialog_->showInView(self.mView_, ui::Animated::Yes);
    });
}

void ScriptController::tapHighlight(gfx::Rect rect) {
    onMainInline([rect](ScriptController& self) {
        if (self.mView_ == nullptr) {
            return;
        }
        auto glow = ZSimpleTapHighlightView::create();
        glow->setFrame(rect);
        glow->showInView(self.mView_);
    });
}

void ScriptController::showResult(const std::string& text) {
    auto sheet = ui::ActionSheet::initWithTitle(text, {}, ZLS("OK"));
    std::shared_ptr<ui::View> over;
    if (auto app = games::context()) {
        if (auto tabs = app->tabBarController()) {
            over = tabs->view();
        }
    }
    sheet->showInView(over != nullptr ? over : view());
}

} // namespace zelvan
