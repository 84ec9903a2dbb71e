// IMInfoCell: a row of plain wrapped text in the messenger's home list (the hint under an empty chat
// group section).
#pragma once

#include <memory>
#include <string>

#include "messaging/lists/im_list_cell.h"
#include "platform/ui/label.h"

namespace zelvan {

class IMInfoCell : public IMListCell {
public:
    static constexpr double kWidth = 320;

    using IMListCell::IMListCell;
    std::string className() const override { return "IMInfoCell"; }

    // Shows `text` across the row's full width and `height`; the row does not highlight.
    void reloadWithText(const std::string& text, double height);

    const std::shared_ptr<ui::Label>& infoLabel() const { return infoLabel_; }

private:
    std::shared_ptr<ui::Label> infoLabel_;
};

} // namespace zelvan
