// PanelLabel: the label of the offer kit's full-screen panels - header, score and name columns, a
// centred panel title and labels that size themselves to their text (on one line or wrapped within a
// width). Sizes are the text's size in the label's font, in whole points.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/font.h"
#include "platform/ui/label.h"

namespace zelvan::orvane {

class PanelLabel : public ui::Label {
public:
    // The panel title: (4, y, 312, 40), header font, centred, grey shadow.
    static std::shared_ptr<PanelLabel> initPanelHeaderLabel(const std::string& text, int y);
    // Columns as high as their one-line text + 3: header 55 wide right-aligned, score 60 wide
    // right-aligned in black, name 135 wide left-aligned in dark red.
    static std::shared_ptr<PanelLabel> initHeaderLabel(const std::string& text, int x, int y);
    static std::shared_ptr<PanelLabel> initScoreLabel(const std::string& text, int x, int y);
    static std::shared_ptr<PanelLabel> initNameLabel(const std::string& text, int x, int y);
    // The name column measured in the panel font, then shown in `font`.
    static std::shared_ptr<PanelLabel> initNameLabel(const std::string& text, const std::shared_ptr<gfx::Font>& font,
                                                     int x, int y);
    // One line at (x, y), as wide as the text + 5 and as high as it + 3.
    static std::shared_ptr<PanelLabel> initAutoFitLabelWithText(const std::string& text, int x, int y);
    // `width` wide at (x, y), as high as the text wrapped by words within the width + 3, in `font`
    // without the panel style; it draws `lines` lines (two unless given).
    static std::shared_ptr<PanelLabel> initAutoFitLabelWithWrappedText(const std::string& text, double width,
                                                                       const std::shared_ptr<gfx::Font>& font, double x,
                                                                       double y, int lines = 2);

    std::string className() const override { return "PanelLabel"; }

    // The panel style: clear background, white text, the table header font.
    void defaultLabelStyle();
    // The frame becomes (x, y, w + 5, h + 3) for the text wrapped within the current width.
    void updateLabelSize();
    // The width becomes the text's width wrapped within 1000 + 5; the height is cut to whole points.
    void updateLabelWidth();
    double getWidth() const;
    // The frame height + 3 (both).
    double getHeight() const;
    double getHeightWithoutMargin() const;

private:
    static std::shared_ptr<PanelLabel> make();
    // A panel column: the panel style, the text, `width` wide and as high as the one-line text + 3.
    static std::shared_ptr<PanelLabel> column(const std::string& text, int x, int y, double width);
};

} // namespace zelvan::orvane
