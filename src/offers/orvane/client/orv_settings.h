// ORVSettings: the offer network's skin - the images of its pages, bars, buttons and dialogs, read from the
// context's skin folder, and its fonts.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/graphics/font.h"
#include "platform/graphics/image.h"

namespace zelvan::orvane {

class ORVSettings {
public:
    // The skin's file names.
    static constexpr std::string_view kOfferDetailBg = "offer-detail-bg.png";
    static constexpr std::string_view kStandardBlackNormalBtn = "standard-black-button.png";
    static constexpr std::string_view kStandardBlackHighlightBtn = "standard-black-button-pressed.png";
    static constexpr std::string_view kBoxBtnNormalImg = "common-button-1.png";
    static constexpr std::string_view kBoxBtnHighlightImg = "common-button.png";
    static constexpr std::string_view kBottomBtnON = "bottom-button-on.png";
    static constexpr std::string_view kTickImg = "tick.png";
    static constexpr std::string_view kCommandBtnNormImg = "command-button.png";
    static constexpr std::string_view kTabBarImg = "tap-bar.png";
    static constexpr std::string_view kTabBarBtnHighlightImg = "tab-selected.png";
    static constexpr std::string_view kNavBarRoundBtnNormImg = "round-header-button.png";
    static constexpr std::string_view kNavBarRoundBtnHighlightImg = "round-header-button-pressed.png";
    static constexpr std::string_view kBackPanelImage280_300 = "UIPanel-ShowSubmitHighScore.png";
    static constexpr std::string_view kSubmitBoxTitleImg = "submit-box-title.png";
    static constexpr std::string_view kInfoIcon = "info-icon.png";
    static constexpr std::string_view kBestScoreBck = "best-score-bck.png";
    static constexpr std::string_view kLowerBar = "glass1.png";
    static constexpr std::string_view kHighScoreTableHeaderImg = "table-header.png";
    static constexpr std::string_view kGameTypeBGImage = "gameTypeBg.png";
    // Size of the header buttons' titles.
    static constexpr double kNavBarBtnFontSize = 12;

    // Images: null when there is no context or the skin lacks the file.
    static gfx::ImagePtr getOfferDetailBg();
    static gfx::ImagePtr getStandardBlackNormalBtn();
    static gfx::ImagePtr getStandardBlackHighlightBtn();
    static gfx::ImagePtr getBoxBtnNormalImg();
    static gfx::ImagePtr getBoxBtnHighlightImg();
    static gfx::ImagePtr getBottomBtnON();
    static gfx::ImagePtr getTickImg();
    static gfx::ImagePtr getCommandBtnNormImg();
    static gfx::ImagePtr getTabBarImg();
    static gfx::ImagePtr getTabBarBtnHighlightImg();
    static gfx::ImagePtr getNavBarRoundBtnNormImg();
    static gfx::ImagePtr getNavBarRoundBtnHighlightImg();
    static gfx::ImagePtr getBackPanelImage280_300();
    static gfx::ImagePtr getSubmitBoxTitleImg();
    static gfx::ImagePtr getInfoIcon();
    static gfx::ImagePtr getBestScoreBck();
    static gfx::ImagePtr getLowerBar();
    static gfx::ImagePtr getHighScoreTableHeaderImg();
    static gfx::ImagePtr getGameTypeBGImage();

    // Fonts.
    static std::shared_ptr<gfx::Font> getTableHeaderFont(); // bold system 11.5
    static std::shared_ptr<gfx::Font> getNavBarFont();      // "Helvetica-Bold" 20
    static std::shared_ptr<gfx::Font> getLabelFont();       // bold system 15
    static std::shared_ptr<gfx::Font> getPromptFont();      // "Arial-ItalicMT" 15
    static std::shared_ptr<gfx::Font> getNavBarBtnFont();   // bold system kNavBarBtnFontSize

    // The image `fileName` of the context's skin folder; null without a context, for a name that would
    // reach outside the folder (absolute, "..", NUL), or when the file is missing or not an image. A
    // class-level entry point (orvane_entry_points.cpp).
    static gfx::ImagePtr initWithImageName(std::string_view fileName);
};

} // namespace zelvan::orvane
