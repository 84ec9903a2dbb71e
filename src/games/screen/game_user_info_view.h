// GameUserInfoView: a panel showing a player's information page in a web view with a Close button,
// over a half-transparent cover. Nothing in the client opens it (the game screen shows player pages in
// its web dialog); it is kept complete and small.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/button.h"
#include "platform/ui/view.h"
#include "toolkit/z_rounded_corner_view.h"
#include "web/z_advanced_web_view_controller.h"

namespace zelvan {

class GameUserInfoView : public ui::View {
public:
    // The web page's height and the panel's margins.
    static constexpr double kPageHeight = 250;
    static constexpr double kMargin = 10;

    static std::shared_ptr<GameUserInfoView> init();
    std::string className() const override { return "GameUserInfoView"; }
    void initWithFrame(gfx::Rect frame) override;

    // Covers `view`, shows the page "static_userinfo?uid=<id>" in the centred panel.
    void showInView(const std::shared_ptr<ui::View>& view, int32_t userId, const std::string& username);
    void hide();

    int32_t userId() const { return userId_; }
    const std::string& username() const { return username_; }
    const std::shared_ptr<ZAdvancedWebViewController>& webController() const { return webController_; }
    const std::shared_ptr<ui::Button>& closeButton() const { return btnOk_; }
    const std::shared_ptr<ZRoundedCornerView>& panel() const { return backgroundView_; }

private:
    std::shared_ptr<ZRoundedCornerView> backgroundView_;
    std::shared_ptr<ui::View> contentView_;
    std::shared_ptr<ZAdvancedWebViewController> webController_;
    std::shared_ptr<ui::Button> btnOk_;
    int32_t userId_ = 0;
    std::string username_;
};

} // namespace zelvan
