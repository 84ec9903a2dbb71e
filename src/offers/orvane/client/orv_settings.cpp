// The offer network's skin: its images by name (initWithImageName reads the context's skin folder, in
// orvane_entry_points.cpp) and its fonts.
#include "offers/orvane/client/orv_settings.h"

namespace zelvan::orvane {

gfx::ImagePtr ORVSettings::getOfferDetailBg() {
    return initWithImageName(kOfferDetailBg);
}

gfx::ImagePtr ORVSettings::getStandardBlackNormalBtn() {
    return initWithImageName(kStandardBlackNormalBtn);
}

gfx::ImagePtr ORVSettings::getStandardBlackHighlightBtn() {
    return initWithImageName(kStandardBlackHighlightBtn);
}

gfx::ImagePtr ORVSettings::getBoxBtnNormalImg() {
    return initWithImageName(kBoxBtnNormalImg);
}

gfx::ImagePtr ORVSettings::getBoxBtnHighlightImg() {
    return initWithImageName(kBoxBtnHighlightImg);
}

gfx::ImagePtr ORVSettings::getBottomBtnON() {
    return initWithImageName(kBottomBtnON);
}

gfx::ImagePtr ORVSettings::getTickImg() {
    return initWithImageName(kTickImg);
}

gfx::ImagePtr ORVSettings::getCommandBtnNormImg() {
    return initWithImageName(kCommandBtnNormImg);
}

gfx::ImagePtr ORVSettings::getTabBarImg() {
    return initWithImageName(kTabBarImg);
}

gfx::ImagePtr ORVSettings::getTabBarBtnHighlightImg() {
    return initWithImageName(kTabBarBtnHighlightImg);
}

gfx::ImagePtr ORVSettings::getNavBarRoundBtnNormImg() {
    return initWithImageName(kNavBarRoundBtnNormImg);
}

gfx::ImagePtr ORVSettings::getNavBarRoundBtnHighlightImg() {
    return initWithImageName(kNavBarRoundBtnHighlightImg);
}

gfx::ImagePtr ORVSettings::getBackPanelImage280_300() {
    return initWithImageName(kBackPanelImage280_300);
}

gfx::ImagePtr ORVSettings::getSubmitBoxTitleImg() {
    return initWithImageName(kSubmitBoxTitleImg);
}

gfx::ImagePtr ORVSettings::getInfoIcon() {
    return initWithImageName(kInfoIcon);
}

gfx::ImagePtr ORVSettings::getBestScoreBck() {
    return initWithImageName(kBestScoreBck);
}

gfx::ImagePtr ORVSettings::getLowerBar() {
    return initWithImageName(kLowerBar);
}

gfx::ImagePtr ORVSettings::getHighScoreTableHeaderImg() {
    return initWithImageName(kHighScoreTableHeaderImg);
}

gfx::ImagePtr ORVSettings::getGameTypeBGImage() {
    return initWithImageName(kGameTypeBGImage);
}

std::shared_ptr<gfx::Font> ORVSettings::getTableHeaderFont() {
    return gfx::Font::boldSystemFontOfSize(11.5);
}

std::shared_ptr<gfx::Font> ORVSettings::getNavBarFont() {
    return gfx::Font::withName("Helvetica-Bold", 20);
}

std::shared_ptr<gfx::Font> ORVSettings::getLabelFont() {
    return gfx::Font::boldSystemFontOfSize(15);
}

std::shared_ptr<gfx::Font> ORVSettings::getPromptFont() {
    return gfx::Font::withName("Arial-ItalicMT", 15);
}

std::shared_ptr<gfx::Font> ORVSettings::getNavBarBtnFont() {
    return gfx::Font::boldSystemFontOfSize(kNavBarBtnFontSize);
}

} // namespace zelvan::orvane
