// The offer wall's error page.
#include "offers/brightpoint/bp_error_view_controller.h"

#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/ui/navigation_item.h"

namespace zelvan::brightpoint {

std::shared_ptr<BPErrorViewController> BPErrorViewController::initWithMessage(std::string message) {
    auto vc = std::make_shared<BPErrorViewController>();
    vc->message_ = std::move(message);
    return vc;
}

void BPErrorViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    navigationItem()->setHidesBackButton(true);
    setTitle("Error");
    auto root = view();
    errorBackground_ = ui::ImageView::initWithImage(gfx::Image::imageNamed("BPErrorBackground.png"));
    root->addSubview(errorBackground_);
    errorImage_ = ui::ImageView::initWithImage(gfx::Image::imageNamed("BPErrorImage.png"));
    errorImage_->setFrame(gfx::Rect(60, 20, 200, 180));
    root->addSubview(errorImage_);
    errorLabel_ = ui::View::create<ui::Label>(gfx::Rect(20, 230, 280, 0));
    errorLabel_->setText(message_);
    errorLabel_->setTextAlignment(ui::TextAlignment::Center);
    errorLabel_->setNumberOfLines(0);
    errorLabel_->setFont(gfx::Font::withName("Helvetica", 17));
    errorLabel_->setBackgroundColor(gfx::Color(0, 0, 0, 0));
    const gfx::Size fitted = errorLabel_->sizeThatFits(gfx::Size(280, 9999));
    errorLabel_->setFrame(gfx::Rect(20, 230, 280, fitted.height));
    root->addSubview(errorLabel_);
}

} // namespace zelvan::brightpoint
