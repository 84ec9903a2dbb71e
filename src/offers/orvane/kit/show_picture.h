// ShowPicture: a self-filling box showing the picture the offer server supplies. Once made it asks for
// the picture and turns a spinner; the first picture reply after that fills it and drops the spinner.
// A failed reply leaves the spinner turning.
#pragma once

#include <memory>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/observer_token.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

class ShowPicture : public ui::View {
public:
    // The image view filling the box, the spinner in its centre, the observer, and the GetPicture call.
    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ShowPicture"; }

    // Register / unregister for the picture reply ("17").
    void addObservers();
    void removeObservers();
    // Fills the box from the cached picture record, once.
    void pictureReturnAction();

    // The bytes of loosely written Base64 text (blanks and line breaks skipped).
    static fnd::Bytes dataWithBase64EncodedString(std::string_view text);
    static fnd::Bytes initWithBase64EncodedString(std::string_view text);

    const std::shared_ptr<ui::ImageView>& image() const { return image_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& activityIndicator() const { return activityIndicator_; }

private:
    std::shared_ptr<ui::ActivityIndicatorView> activityIndicator_;
    std::shared_ptr<ui::ImageView> image_;
    fnd::ObserverToken pictureToken_;
};

} // namespace zelvan::orvane
