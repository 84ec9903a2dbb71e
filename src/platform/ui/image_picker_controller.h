// ui::ImagePickerController: the navigation controller a caller presents modally to have the person
// choose a photo. Which sources exist is configurable (the camera is off by default); the choice or
// the cancel reaches the delegate, which dismisses the picker. With image editing allowed the chosen
// photo comes back cropped to a centred square, with the original and the crop rect.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"
#include "platform/ui/navigation_controller.h"

namespace ui {

class ImagePickerController;

enum class ImagePickerControllerSourceType { PhotoLibrary = 0, Camera = 1, SavedPhotosAlbum = 2 };

inline constexpr std::string_view kImagePickerMediaTypeImage = "public.image";

// What was picked: the media type, the original photo and, when editing was allowed, the edited
// (cropped) photo and the crop rect in the original's pixels.
struct ImagePickerInfo {
    std::string mediaType{kImagePickerMediaTypeImage};
    gfx::ImagePtr originalImage;
    gfx::ImagePtr editedImage;
    std::optional<gfx::Rect> cropRect;
};

class ImagePickerControllerDelegate {
public:
    virtual ~ImagePickerControllerDelegate() = default;
    // `image` is the edited photo when editing is allowed, else the original; `editingInfo` holds
    // the original and the crop rect when editing is allowed and is null otherwise.
    virtual void imagePickerControllerDidFinishPickingImage(ImagePickerController& /*picker*/,
                                                            const gfx::ImagePtr& /*image*/,
                                                            const ImagePickerInfo* /*editingInfo*/) {}
    // Answer true when handled; the default answers false, and the picker calls
    // imagePickerControllerDidFinishPickingImage instead.
    virtual bool imagePickerControllerDidFinishPickingMediaWithInfo(ImagePickerController& /*picker*/,
                                                                    const ImagePickerInfo& /*info*/) {
        return false;
    }
    virtual void imagePickerControllerDidCancel(ImagePickerController& /*picker*/) {}
};

class ImagePickerController : public NavigationController {
public:
    ImagePickerController();
    ~ImagePickerController() override;

    std::string className() const override { return "ImagePickerController"; }

    // Whether a source can be used on this device: the photo library and the saved photos album
    // by default, the camera only once made available.
    static bool isSourceTypeAvailable(ImagePickerControllerSourceType type);
    static void setSourceTypeAvailable(ImagePickerControllerSourceType type, bool available);

    // PhotoLibrary by default. Choosing a source that is not available is refused with a log line.
    ImagePickerControllerSourceType sourceType() const { return sourceType_; }
    void setSourceType(ImagePickerControllerSourceType type);
    bool allowsImageEditing() const { return allowsImageEditing_; }
    void setAllowsImageEditing(bool allows) { allowsImageEditing_ = allows; }

    std::shared_ptr<ImagePickerControllerDelegate> delegate() const { return pickerDelegate_.lock(); }
    void setDelegate(std::weak_ptr<ImagePickerControllerDelegate> delegate) { pickerDelegate_ = std::move(delegate); }

    // --- The pick source (the person's choice; tests go through testing::PickerDriver) ---
    // Hands `image` to the delegate as chosen (a null image is refused with a log line).
    bool finishPicking(const gfx::ImagePtr& image);
    // Tells the delegate the person cancelled (what the Cancel button does).
    void cancelPicking();

    // The picker showing in a window that was loaded last, or null.
    static std::shared_ptr<ImagePickerController> visiblePicker();

    // Puts the browser of the current source at the root of the stack, then loads the stack view.
    void loadView() override;

private:
    class Browser;
    static std::string titleForSource(ImagePickerControllerSourceType type);

    ImagePickerControllerSourceType sourceType_ = ImagePickerControllerSourceType::PhotoLibrary;
    bool allowsImageEditing_ = false;
    std::weak_ptr<ImagePickerControllerDelegate> pickerDelegate_;
    std::shared_ptr<ViewController> browser_;
};

} // namespace ui
