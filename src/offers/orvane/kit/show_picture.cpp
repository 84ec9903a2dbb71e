// ShowPicture: the picture box and how it fills.
#include "offers/orvane/kit/show_picture.h"

#include "core/data_helpers.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_shadow.h"
#include "platform/foundation/notification_center.h"

namespace zelvan::orvane {

void ShowPicture::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    const double width = frame.size.width;
    const double height = frame.size.height;
    image_ = ui::View::create<ui::ImageView>(gfx::Rect(0, 0, width, height));
    image_->setBackgroundColor(gfx::Color::clear());
    setBackgroundColor(gfx::Color::clear());
    activityIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    activityIndicator_->setFrame(gfx::Rect(width / 2 - 15, height / 2 - 15, 30, 30));
    activityIndicator_->setBackgroundColor(gfx::Color::clear());
    activityIndicator_->startAnimating();
    addSubview(image_);
    addSubview(activityIndicator_);
    addObservers();
    if (auto shadow = ORVShadow::sharedInstance()) {
        shadow->getPicture();
    }
}

void ShowPicture::addObservers() {
    pictureToken_ = fnd::NotificationCenter::defaultCenter().observe(kORVPictureReceived, self<ShowPicture>(),
                                                                     &ShowPicture::pictureReturnAction);
}

void ShowPicture::removeObservers() {
    pictureToken_ = {};
}

void ShowPicture::pictureReturnAction() {
    removeObservers();
    auto model = ORVModelController::sharedInstance();
    activityIndicator_->stopAnimating();
    activityIndicator_->removeFromSuperview();
    if (!model || !model->getOrvanePictureReturnObj()) {
        return;
    }
    const fnd::Bytes bytes = dataWithBase64EncodedString(model->getOrvanePictureReturnObj()->image);
    auto picture = gfx::Image::imageWithData(bytes);
    if (!picture) {
        ORVLog::logWithLevel(3, "ShowPicture: the picture's %d bytes are not an image", static_cast<int>(bytes.size()));
    }
    image_->setImage(picture);
}

fnd::Bytes ShowPicture::dataWithBase64EncodedString(std::string_view text) {
    return initWithBase64EncodedString(text);
}

fnd::Bytes ShowPicture::initWithBase64EncodedString(std::string_view text) {
    return base64DecodeLenient(text);
}

} // namespace zelvan::orvane
