// The image picker: source availability, the browser screen at the root of its stack (titled by
// source, with a Cancel button), the square crop made when editing is allowed, and the delegate
// calls for a choice or a cancel.
#include "platform/ui/image_picker_controller.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "platform/foundation/log.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

std::array<bool, 3>& availability() {
    static std::array<bool, 3> available{true, false, true};
    return available;
}

size_t slot(ImagePickerControllerSourceType type) {
    return static_cast<size_t>(type);
}

bool validSource(ImagePickerControllerSourceType type) {
    return slot(type) < availability().size();
}

// Pickers whose views were loaded, oldest first.
std::vector<std::weak_ptr<ImagePickerController>>& loadedPickers() {
    static std::vector<std::weak_ptr<ImagePickerController>> pickers;
    return pickers;
}

// The centred square of `image` (the whole image when it is square already), with its rect.
std::pair<gfx::ImagePtr, gfx::Rect> squareCrop(const gfx::ImagePtr& image) {
    const double width = image->width();
    const double height = image->height();
    const double side = std::min(width, height);
    const gfx::Rect crop(std::floor((width - side) / 2), std::floor((height - side) / 2), side, side);
    if (side == width && side == height) {
        return {image, crop};
    }
    gfx::beginImageContext({side, side});
    image->drawInRect(gfx::Rect(-crop.minX(), -crop.minY(), width, height));
    auto cropped = gfx::imageFromCurrentImageContext();
    gfx::endImageContext();
    return {cropped ? cropped : image, crop};
}

} // namespace

// The screen at the root of the picker's stack: the source's title and a Cancel button.
class ImagePickerController::Browser : public ViewController {
public:
    explicit Browser(std::weak_ptr<ImagePickerController> picker) : picker_(std::move(picker)) {}

    std::string className() const override { return "ImagePickerBrowser"; }

    void loadView() override {
        ViewController::loadView();
        view()->setBackgroundColor(gfx::Color::white());
    }

    void attachCancel() {
        std::weak_ptr<ImagePickerController> picker = picker_;
        navigationItem()->setRightBarButtonItem(
            BarButtonItem::initWithBarButtonSystemItem(BarButtonSystemItem::Cancel, [picker](BarButtonItem&) {
                if (auto p = picker.lock()) {
                    p->cancelPicking();
                }
            }));
    }

private:
    std::weak_ptr<ImagePickerController> picker_;
};

ImagePickerController::ImagePickerController() = default;

ImagePickerController::~ImagePickerController() = default;

bool ImagePickerController::isSourceTypeAvailable(ImagePickerControllerSourceType type) {
    return validSource(type) && availability()[slot(type)];
}

void ImagePickerController::setSourceTypeAvailable(ImagePickerControllerSourceType type, bool available) {
    if (validSource(type)) {
        availability()[slot(type)] = available;
    }
}

std::string ImagePickerController::titleForSource(ImagePickerControllerSourceType type) {
    switch (type) {
    case ImagePickerControllerSourceType::PhotoLibrary:
        return "Photo Albums";
    case ImagePickerControllerSourceType::Camera:
        return "Camera";
    case ImagePickerControllerSourceType::SavedPhotosAlbum:
        return "Saved Photos";
    }
    return "Photos";
}

void ImagePickerController::setSourceType(ImagePickerControllerSourceType type) {
    if (!isSourceTypeAvailable(type)) {
        ZLOG(Warn, "ImagePickerController: source type %d is not available; keeping %d", static_cast<int>(type),
             static_cast<int>(sourceType_));
        return;
    }
    sourceType_ = type;
    if (browser_) {
        browser_->setTitle(titleForSource(type));
    }
}

void ImagePickerController::loadView() {
    if (!browser_) {
        auto browser = std::make_shared<Browser>(selfAs<ImagePickerController>());
        browser->setTitle(titleForSource(sourceType_));
        browser->attachCancel();
        browser_ = browser;
        if (viewControllers().empty()) {
            setViewControllers({browser_}, Animated::No);
        }
    }
    NavigationController::loadView();
    auto& pickers = loadedPickers();
    std::erase_if(pickers, [this](const std::weak_ptr<ImagePickerController>& p) {
        const auto picker = p.lock();
        return !picker || picker.get() == this;
    });
    pickers.push_back(selfAs<ImagePickerController>());
}

std::shared_ptr<ImagePickerController> ImagePickerController::visiblePicker() {
    const auto& pickers = loadedPickers();
    for (auto it = pickers.rbegin(); it != pickers.rend(); ++it) {
        auto picker = it->lock();
        if (picker && picker->isViewLoaded() && picker->viewIfLoaded()->window()) {
            return picker;
        }
    }
    return nullptr;
}

bool ImagePickerController::finishPicking(const gfx::ImagePtr& image) {
    if (!image) {
        ZLOG(Warn, "ImagePickerController: no image was picked");
        return false;
    }
    const auto keepAlive = selfAs<ImagePickerController>();
    ImagePickerInfo info;
    info.originalImage = image;
    if (allowsImageEditing_) {
        auto [edited, crop] = squareCrop(image);
        info.editedImage = std::move(edited);
        info.cropRect = crop;
    }
    auto d = delegate();
    if (!d) {
        return true;
    }
    if (d->imagePickerControllerDidFinishPickingMediaWithInfo(*this, info)) {
        return true;
    }
    if (allowsImageEditing_) {
        d->imagePickerControllerDidFinishPickingImage(*this, info.editedImage, &info);
    } else {
        d->imagePickerControllerDidFinishPickingImage(*this, image, nullptr);
    }
    return true;
}

void ImagePickerController::cancelPicking() {
    const auto keepAlive = selfAs<ImagePickerController>();
    if (auto d = delegate()) {
        d->imagePickerControllerDidCancel(*this);
    }
}

} // namespace ui
