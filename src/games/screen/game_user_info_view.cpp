// GameUserInfoView: the cover, the rounded panel with the page and the Close button, and its layout.
#include "games/screen/game_user_info_view.h"

#include <algorithm>
#include <cmath>

#include "core/localization.h"
#include "core/zelvan_style.h"
#include "platform/foundation/format.h"
#include "platform/graphics/font.h"
#include "platform/ui/label.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {

std::shared_ptr<GameUserInfoView> GameUserInfoView::init() {
    return ui::View::create<GameUserInfoView>(gfx::Rect());
}

void GameUserInfoView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    setBackgroundColor(ZelvanWidget::colorFromWeb(0, 0.5));
    backgroundView_ = ui::View::create<ZRoundedCornerView>(gfx::Rect());
    backgroundView_->setBackgroundColor(gfx::Color::clear());
    backgroundView_->setFillColor(ZelvanStyle::shared()->viewBackgroundColor());
    backgroundView_->setRadius(6);
    backgroundView_->setShadow(true);
    backgroundView_->setShadowBlur(3);
    backgroundView_->setShadowOffset(gfx::Size(3, -3));
    addSubview(backgroundView_);

    webController_ = ZAdvancedWebViewController::create();
    contentView_ = ui::View::create(gfx::Rect());
    addSubview(contentView_);

    btnOk_ = ZelvanWidget::newWhiteButton();
    btnOk_->titleLabel()->setFont(gfx::Font::withName("Helvetica-Bold", 15));
    btnOk_->setTitle(ZLS("Close"), ui::ControlState::Normal);
    btnOk_->addTarget(self<GameUserInfoView>(), &GameUserInfoView::hide, ui::ControlEvents::TouchUpInside);
    addSubview(btnOk_);
}

void GameUserInfoView::showInView(const std::shared_ptr<ui::View>& view, int32_t userId, const std::string& username) {
    if (view == nullptr) {
        return;
    }
    userId_ = userId;
    username_ = username;
    setFrame(view->bounds());
    const gfx::Rect b = bounds();
    const double width = std::max(0.0, b.width() - 4 * kMargin);
    const double buttonHeight = btnOk_->frame().height();
    const double panelHeight = kPageHeight + buttonHeight + 3 * kMargin;
    const gfx::Rect panel(std::floor((b.width() - width - 2 * kMargin) / 2), std::floor((b.height() - panelHeight) / 2),
                          width + 2 * kMargin, panelHeight);
    backgroundView_->setFrame(panel);
    contentView_->setFrame(gfx::Rect(panel.minX() + kMargin, panel.minY() + kMargin, width, kPageHeight));
    webController_->openUrl(fnd::format("%@?uid=%d", ZLS("static_userinfo"), userId));
    webController_->resizeWithFrame(contentView_->bounds(), false);
    contentView_->addSubview(webController_->view());
    btnOk_->setFrame(gfx::Rect(std::floor(panel.midX() - btnOk_->frame().width() / 2),
                               contentView_->frame().maxY() + kMargin, btnOk_->frame().width(), buttonHeight));
    view->addSubview(self<GameUserInfoView>());
}

void GameUserInfoView::hide() {
    removeFromSuperview();
}

} // namespace zelvan
