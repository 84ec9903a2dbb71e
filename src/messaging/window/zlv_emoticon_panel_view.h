// ZLVEmoticonPanelView: the sheet of 42 emoticon pictures (seven columns, six rows) that slides up
// over the chat window; choosing one hands its index and text form to the delegate and closes the
// sheet, and a touch anywhere but on a picture closes it too.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/action_sheet.h"

namespace zelvan {

class ZLVEmoticonPanelViewDelegate {
public:
    virtual ~ZLVEmoticonPanelViewDelegate() = default;
    // `index` 0 to 41 and the emoticon's text form, e.g. "[~2~]".
    virtual void emoticonSelected(int32_t index, const std::string& escapedText) = 0;
};

class ZLVEmoticonPanelView : public ui::ActionSheet {
public:
    static constexpr int kFirstTag = 100;
    // The room of the six rows of 40 points the sheet adds above its own content.
    static constexpr double kExtraHeight = 240;

    // A hidden panel with its picture buttons.
    static std::shared_ptr<ZLVEmoticonPanelView> create();

    std::string className() const override { return "ZLVEmoticonPanelView"; }

    // The 42 emoticon texts, in panel order.
    static const std::vector<std::string>& emoticonTextList();

    // The action of every picture button: the delegate hears the choice, then the sheet closes.
    void iconSelected(ui::Control& button);
    // A touch that finds no picture button closes the sheet (and goes where the sheet's own test sends it).
    std::shared_ptr<ui::View> hitTest(gfx::Point point, const ui::Event* event) override;
    // The plain sheet's size, at least one row high, so that with the rows' room added every
    // picture lies on the sheet.
    gfx::Size sizeThatFits(gfx::Size size) const override;
    // Grows the sheet upwards by the rows' room, once each time it is shown, then draws the sheet.
    void drawRect(gfx::Rect rect) override;

    std::shared_ptr<ZLVEmoticonPanelViewDelegate> emoticonDelegate() const { return emoticonDelegate_.lock(); }
    void setEmoticonDelegate(std::weak_ptr<ZLVEmoticonPanelViewDelegate> delegate) {
        emoticonDelegate_ = std::move(delegate);
    }

protected:
    void notifyWillPresent() override;

private:
    void addPictureButtons();

    std::weak_ptr<ZLVEmoticonPanelViewDelegate> emoticonDelegate_;
    // Whether the current showing has already grown the sheet.
    bool grown_ = false;
};

} // namespace zelvan
